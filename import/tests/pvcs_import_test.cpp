// Tests of the PVCS importer on archives written by the test's builder from
// declared full texts: every imported revision checks out through the
// revision library to its declared text, by direct translation and by
// rebuilding (a delta that seeks backwards), for text and binary archives;
// the header, dates and name cleaning; and the refusals of damaged input.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "import/tests/import_test_util.h"
#include "import/include/orv/pvcsty32.h"
#include "import/tests/pvcs_builder.h"
#include "import/pvcs/pvcs_model.h"
#include "testing/temp_dir.h"

namespace {

using namespace importtest;
using pvcstest::Builder;
using pvcstest::Revision;

std::string lines(std::initializer_list<const char*> l) {
  std::string s;
  for (const char* x : l) s += std::string(x) + "\n";
  return s;
}

// Head 1.3 whole; 1.2 and 1.1 deltas down the trunk; a branch 1.2.1.1,
// 1.2.1.2 off 1.2. With `backwards`, 1.2's delta seeks back once.
std::vector<Revision> history(bool backwards, bool binary) {
  const std::string nul = binary ? std::string("bin\0ary\n", 8) : "plain\n";
  std::vector<Revision> r(5);
  r[0].number = {1, 3};
  r[0].text = lines({"one", "two @ 2", "three", "four", "five"}) + nul;
  r[1].number = {1, 2};
  r[1].text = lines({"one", "two @ 2", "one", "3", "four", "five"}) + nul;
  r[1].base = 0;
  r[1].backwards = backwards;
  r[2].number = {1, 1};
  r[2].text = lines({"zero", "one", "two"}) + nul;
  r[2].base = 1;
  r[3].number = {1, 2, 1, 1};
  r[3].text = lines({"one", "two @ 2", "one", "3", "branch", "five"}) + nul;
  r[3].base = 1;
  r[3].log = "on a branch\r\nsecond line";
  r[4].number = {1, 2, 1, 2};
  r[4].text = lines({"branch only"}) + nul;
  r[4].base = 3;
  r[4].owner = ",;:";
  return r;
}

std::string archiveBytes(const std::vector<Revision>& revs, const std::string& extra = "") {
  Builder b;
  b.record('H', pvcstest::str("dir/work.c"));
  b.record('V', pvcstest::str("ann,bob;@x:y"));
  b.record('P', std::string("\0\3", 2));  // strict, write-protect
  b.record('T', pvcstest::str(" * "));
  b.record('I', "the description\r\n");
  b.record('R', pvcstest::str("Rel 1") + pvcstest::version({1, 2}));
  b.record('S', pvcstest::str("u") + pvcstest::version({1, 2}));
  b.record('S', pvcstest::str("v") + pvcstest::version({1, 3}));
  b.record('@', std::string(11, 'x'));
  b.record('K', "skipped");
  for (const Revision& r : revs) b.revision(r, revs);
  return b.bytes + extra;
}

struct PvcsImportTest : ::testing::Test {
  orv::test::TempDir d{"orv-pvcsimp"};
  std::string path(const std::string& n) { return d.path() + "/" + n; }
  int convert(const std::string& bytes, int century = 1) {
    writeFile(path("work.c_v"), bytes);
    return pvcs2rcsFile(century, path("work.c_v").c_str(), d.path().c_str());
  }
  std::string message() {
    char buf[1024];
    pvcs2rcsError(buf, sizeof buf);
    return buf;
  }
  void checkAll(const std::vector<Revision>& revs) {
    Library lib(d.path());
    ASSERT_TRUE(lib.ok);
    for (const Revision& r : revs) {
      const std::string n = orv::import::dottedNumber(r.number);
      EXPECT_EQ(lib.checkOut(path("work.c"), n, path("out")), r.text) << n;
    }
  }
};

TEST_F(PvcsImportTest, TextHistoryByTranslationAndByRebuilding) {
  for (bool backwards : {false, true}) {
    SCOPED_TRACE(backwards ? "rebuilt" : "translated");
    const auto revs = history(backwards, false);
    ASSERT_EQ(convert(archiveBytes(revs)), 0) << message();
    EXPECT_EQ(message(), path("work.c"));
    checkAll(revs);
    ::chmod(path("work.c").c_str(), 0644);
    ::unlink(path("work.c").c_str());
  }
}

TEST_F(PvcsImportTest, BinaryHistory) {
  for (bool backwards : {false, true}) {
    SCOPED_TRACE(backwards ? "rebuilt" : "translated");
    const auto revs = history(backwards, true);
    ASSERT_EQ(convert(archiveBytes(revs)), 0) << message();
    EXPECT_NE(readFile(path("work.c")).find("comment  @ * @;\nformat   binary;\n\n"), std::string::npos);
    checkAll(revs);
    ::chmod(path("work.c").c_str(), 0644);
    ::unlink(path("work.c").c_str());
  }
}

TEST_F(PvcsImportTest, HeaderDatesAndNames) {
  ASSERT_EQ(convert(archiveBytes(history(false, false)), 0), 0) << message();
  const std::string a = readFile(path("work.c"));
  EXPECT_EQ(a.substr(0, a.find("\n\n")),
            "head     1.3;\nbranch   ;\naccess   ann bob _x_y;\nsymbols  Rel_1:1.2;\nlocks    u:1.2 v:1.3; strict;\n"
            "comment  @ * @;");
  EXPECT_NE(a.find("\n1.3\ndate     96.05.01.13.45.20;  author ann;  state Exp;\nbranches ;\nnext     1.2;\n"),
            std::string::npos);
  EXPECT_NE(a.find("\n1.2\ndate     96.05.01.13.45.20;  author ann;  state Exp;\nbranches 1.2.1.1;\nnext     1.1;\n"),
            std::string::npos);
  EXPECT_NE(a.find("\n1.2.1.2\ndate     96.05.01.13.45.20;  author unknown;"), std::string::npos);
  EXPECT_NE(a.find("log\n@on a branch\nsecond line@"), std::string::npos);
  EXPECT_NE(a.find("\ndesc\n@the description\n\n@\n"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat(path("work.c").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  ::chmod(path("work.c").c_str(), 0644);
  ::unlink(path("work.c").c_str());
  // With century, and a date past 2000 without it: four digits.
  auto revs = history(false, false);
  revs[0].dosDate = (30u << 9) | (1u << 5) | 2u;  // 2010-01-02
  ASSERT_EQ(convert(archiveBytes(revs), 1), 0) << message();
  const std::string b = readFile(path("work.c"));
  EXPECT_NE(b.find("date     2010.01.02.13.45.20;"), std::string::npos);
  EXPECT_NE(b.find("date     1996.05.01.13.45.20;"), std::string::npos);
}

TEST_F(PvcsImportTest, Cleaning) {
  using namespace orv::import;
  EXPECT_EQ(cleanAccess("ann, bob;;carl"), "ann bob carl");
  EXPECT_EQ(cleanAccess("a:b@c .x"), "a_b_c _x");
  EXPECT_EQ(cleanAccess(std::string(32, 'a') + ",b"), std::string(30, 'a') + "  b");
  EXPECT_EQ(cleanLabel("-rel 1.0!"), "_rel_1.0!");
  EXPECT_EQ(cleanLabel(std::string(40, 'x')), std::string(30, 'x'));
  EXPECT_EQ(cleanOwner(" ann smith"), "annsmith");
  EXPECT_EQ(cleanOwner(":;,"), "unknown");
}

TEST_F(PvcsImportTest, RefusalsLeaveNothing) {
  const auto revs = history(false, false);
  Builder early;
  early.record('H', pvcstest::str("w.c"));
  early.record('D', "\0\0\0\0");
  Builder oddVersion;
  oddVersion.record('H', pvcstest::str("w.c"));
  oddVersion.record('B', std::string("\3\0\1\0\1\0\1", 7));
  Builder noName;
  noName.revision(revs[0], revs);
  Builder dotName;
  dotName.record('H', pvcstest::str("dir/.."));
  dotName.revision(revs[0], revs);
  struct Case {
    std::string bytes;
    std::string message;
  } cases[] = {
      {"\x1f\x8b", "%s: unknown record type '\x1f'; compressed?"},
      {std::string("H\0\4\3w.c", 7), "%s: no revisions!?"},
      {early.bytes, "%s: checkin date before version no."},
      {oddVersion.bytes, "file %s: unusable version number length 3"},
      {noName.bytes, "%s: no working file name!"},
      {dotName.bytes, "%s: unusable working file name \"dir/..\""},
      {std::string("H\0\x10", 3), "%s: record type 'H' sought 16 bytes; got 0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(convert(c.bytes), 1) << c.message;
    char expected[600];
    std::snprintf(expected, sizeof expected, c.message.c_str(), path("work.c_v").c_str());
    EXPECT_EQ(message(), expected);
  }
  EXPECT_EQ(readFile(path("work.c")), "<missing>");
  EXPECT_EQ(readFile(path("w.c")), "<missing>");
  // An archive already there.
  writeFile(path("work.c"), "mine");
  EXPECT_EQ(convert(archiveBytes(revs)), 1);
  EXPECT_EQ(message(), "Would overwrite existing archive \"" + path("work.c") + "\"");
  EXPECT_EQ(readFile(path("work.c")), "mine");
}

}  // namespace
