// The security-database locator against a fake library and a scripted
// user: what OK does with an empty field, a missing file, an existing
// redirector and a failing library, Browse, and the name rules it shares
// with the library.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui/testing/fake_surface.h"
#include "platform/ui/testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "workbench/app/database_locator.h"

namespace orv::workbench::app {
namespace {

struct FakeLibrary {
  std::string databaseItem;  // item 79; empty: the call fails
  int createResult = 0;
  std::vector<std::pair<std::string, std::string>> created;
} lib;

const LocatorLibrary kLibrary = {
    [](int item, char* buffer, int length) -> VcError {
      if (item != VC_SYSINFO_SECURITY_DATABASE || lib.databaseItem.empty()) return VC_E_BAD_ARGUMENT;
      std::snprintf(buffer, static_cast<std::size_t>(length), "%s", lib.databaseItem.c_str());
      return 0;
    },
    [](const char* database, const char* redirector) -> VcError {
      lib.created.emplace_back(database, redirector);
      return lib.createResult;
    },
};

class Locator : public ::testing::Test {
 protected:
  void SetUp() override {
    lib = FakeLibrary{};
    lib.databaseItem = dir.file("bin/orvkel/orvkel");
    writeFile(dir.file("users.dat"));
    logic.setUp(surface);
  }
  static void writeFile(const std::string& path) {
    if (FILE* f = std::fopen(path.c_str(), "w")) std::fclose(f);
  }
  bool ok() { return surface.close(logic, ui::kAnswerOk); }

  test::TempDir dir{"orv-locator"};
  ui::testing::ScriptedUi ui;
  DatabaseLocator logic{ui, kLibrary};
  ui::testing::FakeSurface surface;
};

TEST_F(Locator, EmptyFieldDoesNothing) {
  EXPECT_FALSE(ok());
  EXPECT_FALSE(surface.ended());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(lib.created.empty());
}

TEST_F(Locator, MissingFileIsReportedAndTheDialogStays) {
  surface.setText(kLocatorFile, dir.file("nothing.dat"));
  ui.expectMessage("database file could not be found", ui::kAnswerOk);
  EXPECT_FALSE(ok());
  EXPECT_FALSE(surface.ended());
  EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::warning);
  // A directory is no database file either.
  surface.setText(kLocatorFile, dir.path());
  ui.expectMessage("database file could not be found", ui::kAnswerOk);
  EXPECT_FALSE(ok());
  EXPECT_TRUE(lib.created.empty());
}

TEST_F(Locator, WritesTheRedirectorToTheDatabaseWithoutItsExtension) {
  surface.setText(kLocatorFile, dir.file("users.dat"));
  EXPECT_TRUE(ok());
  ASSERT_EQ(lib.created.size(), 1u);
  EXPECT_EQ(lib.created[0].first, dir.file("users"));
  EXPECT_EQ(lib.created[0].second, dir.file("bin/orvkel/orvkel"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Locator, ExistingRedirectorIsReplacedOnlyWhenTheUserSaysSo) {
  // The library writes orvkel.red for the name orvkel: that file is the
  // one asked about.
  std::string red = dir.file("bin/orvkel/orvkel.red");
  std::filesystem::create_directories(dir.file("bin/orvkel"));
  writeFile(red);
  surface.setText(kLocatorFile, dir.file("users.dat"));
  ui.expectMessage("redirector file " + red + " already exists. Overwrite it?", ui::kAnswerNo);
  ui.expectMessage("redirector file " + red + " could not be created", ui::kAnswerOk);
  EXPECT_FALSE(ok());
  EXPECT_TRUE(surface.ended());
  EXPECT_EQ(surface.result(), ui::kAnswerCancel);
  EXPECT_TRUE(lib.created.empty());

  ui::testing::FakeSurface again;
  logic.setUp(again);
  again.setText(kLocatorFile, dir.file("users.dat"));
  ui.expectMessage("already exists", ui::kAnswerYes);
  EXPECT_TRUE(again.close(logic, ui::kAnswerOk));
  EXPECT_EQ(again.result(), ui::kAnswerOk);
  EXPECT_EQ(lib.created.size(), 1u);
}

TEST_F(Locator, LibraryFailuresEndWithCancel) {
  struct Case {
    std::string item;
    int createResult;
    const char* named;
  } cases[] = {
      {"", 0, "redirector file  could not be created"},  // no item 79
      {dir.file("bin/orvkel/orvkel"), VC_E_REDIRECTOR_FAILED, "orvkel.red could not be created"},
  };
  for (const Case& c : cases) {
    lib.databaseItem = c.item;
    lib.createResult = c.createResult;
    ui::testing::FakeSurface s;
    logic.setUp(s);
    s.setText(kLocatorFile, dir.file("users.dat"));
    ui.expectMessage(c.named, ui::kAnswerOk);
    EXPECT_FALSE(s.close(logic, ui::kAnswerOk)) << c.named;
    EXPECT_TRUE(s.ended());
    EXPECT_EQ(s.result(), ui::kAnswerCancel);
  }
}

TEST_F(Locator, BrowsePutsTheChosenFileIntoTheField) {
  surface.setText(kLocatorFile, dir.file("old/users.dat"));
  ui.expectFiles("Select Orv Kelmark Database", {dir.file("users.dat")});
  surface.press(logic, kLocatorBrowse);
  EXPECT_EQ(surface.text(kLocatorFile), dir.file("users.dat"));
  ui.expectFiles("Select Orv Kelmark Database", {});
  surface.press(logic, kLocatorBrowse);
  EXPECT_EQ(surface.text(kLocatorFile), dir.file("users.dat")) << "cancelled: unchanged";
}

TEST(LocatorNames, ExtensionsOnlyInTheLastComponent) {
  struct Case {
    const char* path;
    const char* without;
    const char* redirector;
  } cases[] = {
      {"/srv/kel/users.dat", "/srv/kel/users", "/srv/kel/users.red"},
      {"/srv/kel/USERS.DAT", "/srv/kel/USERS", "/srv/kel/USERS.red"},
      {"/srv/kel/orvkel", "/srv/kel/orvkel", "/srv/kel/orvkel.red"},
      {"/srv/kel/main.red", "/srv/kel/main", "/srv/kel/main.red"},
      {"/home/u.x/db", "/home/u.x/db", "/home/u.x/db.red"},
      {"/home/u.x/db.dat", "/home/u.x/db", "/home/u.x/db.red"},
      {"/home/u/.kel", "/home/u/.kel", "/home/u/.kel.red"},
      {"users.dat", "users", "users.red"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(withoutExtension(c.path), c.without) << c.path;
    EXPECT_EQ(redirectorFileOf(c.path), c.redirector) << c.path;
  }
}

TEST(LocatorDescription, ControlsAndHelp) {
  const ui::DialogDescription d = databaseLocatorDescription();
  EXPECT_EQ(d.id, 358);
  EXPECT_EQ(d.helpContext, 9133);
  EXPECT_EQ(d.controlHelp(kLocatorFile, 0), 9134);
  EXPECT_EQ(d.controlHelp(kLocatorBrowse, 0), 9135);
  EXPECT_EQ(d.controlHelp(ui::kHelpButtonId, 0), 9138);
  ASSERT_NE(d.find(kLocatorFileCaption), nullptr);
  EXPECT_EQ(d.find(kLocatorFileCaption)->caption, "&Filename:");
}

}  // namespace
}  // namespace orv::workbench::app
