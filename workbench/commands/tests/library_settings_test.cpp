// Permissions, configuration flags and the event-script variables through
// the library.
#include <gtest/gtest.h>

#include "workbench/app/library_settings.h"
#include "workbench/commands/command_enabling.h"
#include "workbench/commands/document_window.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::commands {
namespace {

using testing::ArchiveTest;

TEST(LibrarySettings, WordsOfAListAreFoundByPosition) {
  struct Case {
    const char* word;
    const char* list;
    int index;
  } cases[] = {{"Rel", "Exp, Rel;Prod", 1}, {"Prod", "Exp, Rel;Prod", 2}, {"rel", "Exp Rel", -1},
               {"Re", "Rel", -1},           {"", "", -1},                 {"Exp", "\t Exp", 0}};
  for (const Case& c : cases) EXPECT_EQ(findWordInList(c.word, c.list), c.index) << c.word << "|" << c.list;
  EXPECT_EQ(memberTypeName('f'), "Non-Archived");
  EXPECT_EQ(memberTypeName('a'), "Archived");
  EXPECT_EQ(memberTypeName('i'), "Subproject");
  EXPECT_EQ(memberTypeName('x'), "");
}

class LibrarySettingsTest : public ArchiveTest {};

TEST_F(LibrarySettingsTest, FlagsCaseFoldingAndVariables) {
  kel.grantWithValue("LockStates", "Rel;Prod");
  kel.refuse("BreakLocks");
  start("savetimestamp\nNopreservefilecase\nEnforcecompress\n");
  int enforced = -1;
  EXPECT_TRUE(configFlagIsOn("savetimestamp", &enforced));
  EXPECT_EQ(enforced, 0);
  EXPECT_TRUE(configFlagIsOn("compress", &enforced));
  EXPECT_EQ(enforced, 1);
  EXPECT_FALSE(configFlagIsOn("preservefilecase"));
  EXPECT_FALSE(configFlagIsOn("nosuchoption", &enforced));
  EXPECT_FALSE(configFlagIsOn(nullptr));
  EXPECT_EQ(foldFileNameCase("/Src/Main.C"), "/src/main.c");

  EXPECT_TRUE(isLockableState("Prod"));
  EXPECT_FALSE(isLockableState("Exp"));
  EXPECT_TRUE(hasPermission("CheckIn"));
  EXPECT_FALSE(hasPermission("BreakLocks"));
  prefetchPermissions();

  setMemberVariables('a', "/ref/a.c");
  char value[64] = {};
  ASSERT_EQ(vcGetConfig("memtype", nullptr, 0, value, sizeof value), 0);
  EXPECT_STREQ(value, "Archived");
  ASSERT_EQ(vcGetConfig("reffile", nullptr, 0, value, sizeof value), 0);
  EXPECT_STREQ(value, "/ref/a.c");
  // The variables are temporary: they never reach the configuration file.
  const std::string written = dir.file("out.rc");
  ASSERT_EQ(vcWriteConfig(written.c_str()), 0);
  EXPECT_EQ(dir.read("out.rc").find("memtype"), std::string::npos);
}

TEST_F(LibrarySettingsTest, ContextIsSavedClearedAndRestored) {
  start();
  makeArchive("a.c", {"one\n"});
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  auto current = [] {
    int value = -1;
    vcGetSysInfo(VC_SYSINFO_CURRENT_ARCHIVE, reinterpret_cast<char*>(&value), sizeof value);
    return value;
  };
  ASSERT_EQ(current(), h);
  saveLibraryContext();
  EXPECT_EQ(current(), 0);
  restoreLibraryContext();
  EXPECT_EQ(current(), h);
  // The enablers' global scope is the same save and restore around a check.
  LibraryPermissions permissions;
  int inside = -1;
  EXPECT_TRUE(permissions.withoutLibraryContext([&] {
    inside = current();
    return true;
  }));
  EXPECT_EQ(inside, 0);
  EXPECT_EQ(current(), h);
  vcCloseArchive(h);
}

// The enablers' questions through the library: permissions, and whether
// several states are configured.
TEST_F(LibrarySettingsTest, EnablingQuestions) {
  kel.refuse("CreateProject");
  start();
  LibraryPermissions permissions;
  EXPECT_TRUE(permissions.hasPermission("CheckIn"));
  EXPECT_FALSE(permissions.hasPermission("CreateProject"));
  EXPECT_FALSE(permissions.withoutLibraryContext([&] { return permissions.hasPermission("CreateProject"); }));

  EXPECT_FALSE(hasSeveralStates());  // not configured
  ASSERT_EQ(vcSetConfig("states", "Exp"), 0);
  EXPECT_FALSE(hasSeveralStates());
  ASSERT_EQ(vcSetConfig("states", "Exp Rel"), 0);
  EXPECT_TRUE(hasSeveralStates());
}

}  // namespace
}  // namespace orv::workbench::commands
