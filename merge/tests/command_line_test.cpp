// The merge program's command-line parser, over the lines the workbench
// builds and the quoting rules.
#include <gtest/gtest.h>

#include "merge/command_line.h"

namespace {

using orv::merge::parseCommandLine;

TEST(CommandLine, Table) {
  struct Case {
    const char* line;
    int del;
    bool m, n;
    const char *t1, *t2, *f1, *f2;
    bool wrong;
  } cases[] = {
      // As the workbench starts the program.
      {"-n-t1|Revision 1.3| -d1 |T| |W|", 1, false, true, "Revision 1.3", "", "T", "W", false},
      {"-n-t1|Revision 1.2| -t2|Revision 1.4| -d3 |T1| |T2|", 3, false, true, "Revision 1.2", "Revision 1.4", "T1", "T2", false},
      {"-n-d0 |F1| |F2|", 0, false, true, "", "", "F1", "F2", false},
      {"-m |a b.c| ", 0, true, false, "", "", "a b.c", "", false},
      // Quoting and gluing.
      {"\"my \"\"file\"\"\" |x||y|", 0, false, false, "", "", "my \"file\"", "x|y", false},
      {"-d3 only", 1, false, false, "", "", "only", "", false},  // no file 2: its bit cleared
      {"-d7 a b", 0, false, false, "", "", "a", "b", false},     // 4 or more: ignored
      {"-tx|Two| a b c", 0, false, false, "", "Two", "a", "b", false},
      {"a  b", 0, false, false, "", "", "a b", "", false},       // a doubled blank is one
      {"", 0, false, false, "", "", "", "", false},
      {"-q a b", 0, false, false, "", "", "", "", true},
  };
  for (const auto& c : cases) {
    const auto cl = parseCommandLine(c.line);
    EXPECT_EQ(cl.wrong, c.wrong) << c.line;
    if (c.wrong) continue;
    EXPECT_EQ(cl.deleteFlags, c.del) << c.line;
    EXPECT_EQ(cl.compareDialog, c.m) << c.line;
    EXPECT_EQ(cl.endWhenNothingShown, c.n) << c.line;
    EXPECT_EQ(cl.title1, c.t1) << c.line;
    EXPECT_EQ(cl.title2, c.t2) << c.line;
    EXPECT_EQ(cl.file1, c.f1) << c.line;
    EXPECT_EQ(cl.file2, c.f2) << c.line;
  }
}

}  // namespace
