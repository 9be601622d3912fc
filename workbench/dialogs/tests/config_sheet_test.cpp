// The configuration sheet as a whole: its tabs, and what reaches ORVRCS.RC
// after OK, Cancel and a refused page.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/profile/profile.h"
#include "workbench/dialogs/config_sheet.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

class ConfigSheetTest : public testing::ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    std::filesystem::create_directories(dir.file("settings"));
    files = {dir.file("settings/ORVTY.INI"), dir.file("settings/ORVRCS.RC")};
  }
  std::string rc() const {
    std::ifstream in(files.libraryFile, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return in ? s.str() : "<none>";
  }
  int run() { return ConfigSheet(ui, files).run(); }
  ConfigFiles files;
};

TEST_F(ConfigSheetTest, TabsInOrderWithTheirMnemonics) {
  std::string keys;
  for (const ConfigPageEntry& e : configPageEntries()) keys += ui::tabMnemonic(e.title);
  EXPECT_EQ(keys, "PGDMLIT");
  EXPECT_EQ(configPageEntries()[3].description().id, 300);
}

TEST_F(ConfigSheetTest, OkWritesTheConfigurationFileEvenWithoutChanges) {
  start();
  ui.expectSheet("Personal Configuration", [](ui::testing::FakeSheet& sheet) { ASSERT_TRUE(sheet.ok()); });
  EXPECT_EQ(run(), ui::kAnswerOk);
  EXPECT_EQ(rc(), "");
  // The parked values and the one setting OK always writes.
  EXPECT_EQ(profile::getProfileString(files.settingsFile, "System", "UseFileManagerAssociations", "-"), "yes");
}

TEST_F(ConfigSheetTest, AFileThatCannotBeWrittenIsShownWithItsPath) {
  start();
  files.libraryFile = dir.file("missing/ORVRCS.RC");
  ui.expectSheet("Personal", [](ui::testing::FakeSheet& sheet) { ASSERT_TRUE(sheet.ok()); });
  ui.expectMessage(files.libraryFile, ui::kAnswerOk);
  EXPECT_EQ(run(), ui::kAnswerOk);
  EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::warning);
}

TEST_F(ConfigSheetTest, CancelAndARefusedPageWriteNothing) {
  start("strictlocks\n");
  ui.expectSheet("Personal", [](ui::testing::FakeSheet& sheet) {
    ASSERT_TRUE(sheet.select(1));
    sheet.surface(1).setChecked(201, false);
    sheet.cancel();
  });
  EXPECT_EQ(run(), ui::kAnswerCancel);
  ui.expectSheet("Personal", [this](ui::testing::FakeSheet& sheet) {
    ASSERT_TRUE(sheet.select(1));
    sheet.surface(1).setChecked(201, false);
    ASSERT_TRUE(sheet.select(0));
    sheet.surface(0).setText(104, "a b");  // not an author name
    ui.expectMessage("Illegal Author", ui::kAnswerOk);
    EXPECT_FALSE(sheet.ok());
    sheet.cancel();
  });
  EXPECT_EQ(run(), ui::kAnswerCancel);
  EXPECT_EQ(rc(), "<none>");
  EXPECT_FALSE(std::ifstream(files.settingsFile).good());
}

TEST_F(ConfigSheetTest, TheSheetClearsTheCurrentArchive) {
  start();
  makeArchive("a.c", {"one\n"});
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  ASSERT_EQ(vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, std::to_string(h).c_str()), 0);
  auto current = [] {  // a 4-byte handle
    char bytes[4] = {};
    vcGetSysInfo(VC_SYSINFO_CURRENT_ARCHIVE, bytes, sizeof bytes);
    int handle = 0;
    std::memcpy(&handle, bytes, sizeof handle);
    return handle;
  };
  ASSERT_EQ(current(), h);
  ui.expectSheet("Personal", [](ui::testing::FakeSheet& sheet) { sheet.cancel(); });
  run();
  EXPECT_EQ(current(), 0);
  vcCloseArchive(h);
}

}  // namespace
}  // namespace orv::workbench::dialogs
