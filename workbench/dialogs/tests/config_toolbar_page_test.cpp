// The Toolbar page and the User Buttons dialog without a screen: Add and
// Remove with the user-button dialog, the 42-button limit, double clicks,
// Apply into a temporary ORVTY.INI; and the Preferences boxes showing
// whether the desktop entries are there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/profile/profile.h"
#include "workbench/dialogs/config_pages.h"
#include "workbench/dialogs/config_toolbar_page.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using ui::testing::FakeSurface;

class NoIcons : public external::IconLookup {
 public:
  bool isImageFile(const std::string& path) const override { return path.rfind("/icons/", 0) == 0; }
  std::optional<std::string> desktopEntryIcon(const std::string&) const override { return std::nullopt; }
  bool hasThemeIcon(const std::string&) const override { return false; }
  std::optional<std::string> desktopEntryIconForProgram(const std::string&) const override { return std::nullopt; }
};

class ToolbarPageTest : public testing::ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    std::filesystem::create_directories(dir.file("settings"));
    files = {dir.file("settings/ORVTY.INI"), dir.file("settings/ORVRCS.RC")};
    start();
  }
  std::string ini() const {
    std::ifstream in(files.settingsFile, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static int rowOf(const FakeSurface& s, int id, const std::string& text) {
    const auto items = s.listItems(id);
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i] == text) return static_cast<int>(i);
    return -1;
  }

  ConfigFiles files;
  NoIcons icons;
};

TEST_F(ToolbarPageTest, CancellingTheUserButtonDialogCancelsTheAdd) {
  ToolbarPage page(ui, files, &icons);
  FakeSurface s;
  page.setUp(s);
  const auto contents = s.listItems(kTbProjectContents);
  const auto available = s.listItems(kTbProjectAvailable);
  s.setSelection(kTbProjectAvailable, {rowOf(s, kTbProjectAvailable, "User 1")});
  ui.expectDialog(750, [](FakeSurface& d, ui::DialogLogic& logic) { d.close(logic, ui::kAnswerCancel); });
  s.press(page, kTbAdd);
  EXPECT_EQ(s.listItems(kTbProjectContents), contents);
  EXPECT_EQ(s.listItems(kTbProjectAvailable), available);
  EXPECT_FALSE(page.config().modified());
  EXPECT_TRUE(page.apply());
  EXPECT_EQ(ini(), "");  // nothing changed, nothing written
}

TEST_F(ToolbarPageTest, UserButtonDialogWritesItsKeysAndBrowseReplacesTheField) {
  ToolbarPage page(ui, files, &icons);
  FakeSurface s;
  page.setUp(s);
  s.setSelection(kTbProjectAvailable, {rowOf(s, kTbProjectAvailable, "User 3")});
  ui.expectDialog(750, [this](FakeSurface& d, ui::DialogLogic& logic) {
    EXPECT_EQ(d.control(kUbPreview).image, "icon:4252");
    d.setText(kUbProgram, "/usr/bin/mak");
    d.leave(logic, kUbProgram);
    ui.expectFiles("Program", {"/usr/bin/make"});
    d.press(logic, kUbBrowse);
    EXPECT_EQ(d.text(kUbProgram), "/usr/bin/make");  // the whole field, not spliced in
    d.setText(kUbIconFile, "/icons/old.png");
    d.leave(logic, kUbIconFile);
    EXPECT_EQ(d.control(kUbPreview).image, "/icons/old.png");
    ui.expectFiles("Icon File", {"/icons/make.png"});
    d.press(logic, kUbBrowse);
    EXPECT_EQ(d.text(kUbIconFile), "/icons/make.png");
    d.setText(kUbDescription, "Make");
    d.close(logic, ui::kAnswerOk);
  });
  s.press(page, kTbAdd);
  EXPECT_EQ(s.listItems(kTbProjectContents).back(), "User 3");
  EXPECT_EQ(s.control(kTbProjectContents).icons.back(), "/icons/make.png");
  // The dialog wrote its keys at once, before the sheet's OK.
  const std::string text = ini();
  EXPECT_NE(text.find("User3Command=/usr/bin/make\n"), std::string::npos) << text;
  EXPECT_NE(text.find("User3Description=Make\n"), std::string::npos) << text;
  EXPECT_NE(text.find("User3Icon=/icons/make.png\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("User3Arguments"), std::string::npos) << text;
  EXPECT_EQ(text.find("Toolbar]"), std::string::npos) << text;
}

TEST_F(ToolbarPageTest, TheFortyThirdButtonIsRefusedWithAMessage) {
  ToolbarPage page(ui, files, &icons);
  FakeSurface s;
  page.setUp(s);
  s.press(page, kTbArchiveBar);
  s.setChecked(kTbArchiveBar, true);
  s.press(page, kTbArchiveBar);
  EXPECT_FALSE(s.control(kTbProjectBox).visible);
  EXPECT_TRUE(s.control(kTbArchiveBox).visible);
  while (s.listItems(kTbArchiveContents).size() < 42u) {
    s.setSelection(kTbArchiveAvailable, {0});
    ASSERT_TRUE(s.press(page, kTbAdd));
  }
  ui.expectMessage("at most 42", ui::kAnswerOk);
  s.setSelection(kTbArchiveAvailable, {1});
  s.press(page, kTbAdd);
  EXPECT_EQ(s.listItems(kTbArchiveContents).size(), 42u);
  EXPECT_EQ(page.config().contents(app::ToolbarKind::archive).size(), 42u);
}

TEST_F(ToolbarPageTest, OnlyUserButtonsOpenTheirDialogOnADoubleClick) {
  ToolbarPage page(ui, files, &icons);
  FakeSurface s;
  page.setUp(s);
  s.setSelection(kTbProjectContents, {0});
  ui.expectMessage(kOnlyUserButtonsText, ui::kAnswerOk);
  s.activate(page, kTbProjectContents);
  EXPECT_FALSE(page.config().modified());
}

TEST_F(ToolbarPageTest, RemoveAndOrientationAreWrittenAtApply) {
  ToolbarPage page(ui, files, &icons);
  FakeSurface s;
  page.setUp(s);
  EXPECT_EQ(s.listItems(kTbOrientation), (std::vector<std::string>{"Top", "Bottom", "Left", "Right", "Hidden"}));
  EXPECT_EQ(s.listItems(kTbHintMode), (std::vector<std::string>{"Tool Tips", "Status Bar Tips", "Both", "None"}));
  EXPECT_EQ(s.selection(kTbHintMode), std::vector<int>{2});
  EXPECT_EQ(s.control(kTbProjectContents).icons.front(), "icon:4102");
  s.setSelection(kTbProjectContents, {0});
  s.press(page, kTbRemove);
  EXPECT_EQ(s.listItems(kTbProjectAvailable).back(), "Create Project");
  s.setSelection(kTbOrientation, {4});
  s.press(page, kTbOrientation);
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  const std::string text = ini();
  EXPECT_NE(text.find("[Project Toolbar]\nButton1=OpenProject\nButton2=Separator\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[Archive Toolbar]\nButton1=CreateProject\n"), std::string::npos) << text;
  EXPECT_EQ(profile::getProfileString(files.settingsFile, "User", "Orientation", ""), "4");
  EXPECT_EQ(profile::getProfileString(files.settingsFile, "User", "HintMode", ""), "2");
}

TEST_F(ToolbarPageTest, PreferencesBoxesShowWhetherTheEntriesAreThere) {
  // The settings say yes, the desktop has no entries: the boxes show the
  // desktop, and OK puts the settings in step without touching it.
  profile::writeProfileString(files.settingsFile, "System", "ServerOnStartup", "yes");
  int calls = 0;
  DesktopIntegration desktop;
  desktop.startWithSession = [&calls](bool) { ++calls; };
  desktop.fileManagerMenu = [&calls](bool) { ++calls; };
  desktop.startsWithSession = [] { return false; };
  desktop.inFileManagerMenu = [] { return true; };
  PreferencesPage page(ui, files, desktop);
  FakeSurface s;
  page.setUp(s);
  EXPECT_FALSE(s.isChecked(kPrefStartup));
  EXPECT_TRUE(s.isChecked(kPrefFileManagerMenu));
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(profile::getProfileString(files.settingsFile, "System", "ServerOnStartup", ""), "no");
  // Missing means yes, and the entry is there: nothing to write.
  EXPECT_EQ(profile::getProfileString(files.settingsFile, "System", "FileManagerTYMenu", "<missing>"), "<missing>");
}

}  // namespace
}  // namespace orv::workbench::dialogs
