// Entry texts of roles and policy statements, and absolute path names.
#include "kel/kellib/absolute_path.h"
#include "kel/kellib/entry_text.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(KelEntryText, SplitTable) {
  struct Case {
    const char* entry;
    int flags;
    const char* key;
    const char* value;  // null: none
  } cases[] = {
      {"CheckIn", 0, "CheckIn", nullptr},
      {"NoCheckIn", 1, "CheckIn", nullptr},
      {"EnforceNoCheckIn", 5, "CheckIn", nullptr},
      {"enforcecompress", 4, "compress", nullptr},
      {"NOsparse", 1, "sparse", nullptr},
      {"RCSPath=%v%d//rcs//%f", 0, "RCSPath", "%v%d//rcs//%f"},
      {"LockStates = Exp", 0, "LockStates", " Exp"},
      {"LockStates = ", 0, "LockStates", " "},
      {"Build=", 0, "Build", ""},
      {"Key\tvalue", 0, "Key", nullptr},
      {"Key\nmore=x", 0, "Key", "x"},
      {"Enforce", 4, "", nullptr},
      {"", 0, "", nullptr},
  };
  for (const auto& c : cases) {
    kel::EntryParts p = kel::splitEntry(c.entry);
    EXPECT_EQ(p.flags, c.flags) << c.entry;
    EXPECT_EQ(p.key, c.key) << c.entry;
    EXPECT_EQ(p.value.has_value(), c.value != nullptr) << c.entry;
    if (c.value && p.value) {
      EXPECT_EQ(*p.value, c.value) << c.entry;
    }
  }
}

TEST(KelEntryText, KeysEndAtTheirTerminator) {
  kel::TextList list{"CheckInAll", "Lock states", "NoCheckIn"};
  ASSERT_NE(kel::findEntry(list, "checkin"), nullptr);
  EXPECT_EQ(*kel::findEntry(list, "checkin"), "NoCheckIn");
  EXPECT_EQ(*kel::findEntry(list, "Lock"), "Lock states");
  EXPECT_EQ(kel::findEntry(list, "Check"), nullptr);
  kel::putEntry(list, "EnforceCheckinall=1");
  kel::putEntry(list, "");
  kel::putEntry(list, "New");
  EXPECT_EQ(list, (kel::TextList{"EnforceCheckinall=1", "Lock states", "NoCheckIn", "New"}));
  EXPECT_TRUE(kel::removeEntry(list, "checkin=anything"));
  EXPECT_FALSE(kel::removeEntry(list, "checkin"));
  EXPECT_EQ(list, (kel::TextList{"EnforceCheckinall=1", "Lock states", "New"}));
}

TEST(KelAbsolutePath, Table) {
  struct Case {
    const char* path;
    const char* base;
    int rc;
    const char* want;
  } cases[] = {
      {"/a/b", "", 0, "/a/b"},
      {"b/c", "/a", 0, "/a/b/c"},
      {"./b/./c/", "/a", 0, "/a/b/c"},
      {"..\\x\\y", "/a/b", 0, "/a/x/y"},
      {"../..", "/a/b", 0, "/"},
      {"../../..", "/a/b", ENOENT, ""},
      {"//a//b", "", 0, "/a/b"},
      {"d:/db/main", "", 0, "d:/db/main"},
      {"d:sub", "c:/x", 0, "d:/x/sub"},
      {"sub", "c:\\x", 0, "c:/x/sub"},
      {"d:/..", "", ENOENT, ""},
  };
  for (const auto& c : cases) {
    std::string out = "unchanged";
    EXPECT_EQ(kel::makeAbsolutePath(c.path, c.base, out), c.rc) << c.path;
    EXPECT_EQ(out, c.rc == 0 ? c.want : "unchanged") << c.path;
  }
  std::string out;
  EXPECT_EQ(kel::makeAbsolutePath("/" + std::string(4093, 'x'), {}, out), ERANGE);
  EXPECT_EQ(kel::makeAbsolutePath("/" + std::string(4092, 'x'), {}, out), 0);
}

}  // namespace
