// The Compare Files dialog's logic: histories and the check on OK.
#include <gtest/gtest.h>

#include "merge/compare_files.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

namespace {

using orv::merge::CompareFiles;

TEST(CompareFiles, HistoriesAndChecks) {
  orv::test::TempDir d{"orv-cmpfiles"};
  orv::sys::writeWholeFile(d.path() + "/a.c", "a");
  orv::sys::writeWholeFile(d.path() + "/B.c", "b");
  CompareFiles c;
  int focus = 0;
  EXPECT_EQ(c.accept("", "B.c", d.path(), true, &focus), "Invalid filename or path for File 1.");
  EXPECT_EQ(focus, 201);
  EXPECT_EQ(c.accept("a.c", "missing.c", d.path(), true, &focus), "Invalid filename or path for File 2.");
  EXPECT_EQ(focus, 202);
  EXPECT_EQ(c.accept("a.c", d.path(), d.path(), true, &focus), "Invalid filename or path for File 2.");  // a directory
  EXPECT_EQ(c.accept("a.c", "B.c", d.path(), true, &focus), "");
  EXPECT_EQ(c.selected(0), d.path() + "/a.c");
  EXPECT_EQ(c.selected(1), d.path() + "/B.c");
  c.put(0, "/x/other", true);
  c.put(0, d.path() + "/a.c", true);  // the same name stands once, at the top
  EXPECT_EQ(c.history(0), (std::vector<std::string>{d.path() + "/a.c", "/x/other"}));
  c.put(1, "/Work/Notes.TXT", false);
  EXPECT_EQ(c.selected(1), "/work/notes.txt");
}

}  // namespace
