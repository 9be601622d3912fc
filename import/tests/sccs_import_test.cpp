// Tests of the SCCS importer on small hand-written SCCS files: the archive's
// header and delta list, renumbering, the messages of damaged files, the
// refusals, the message copy-out rule and what a failed conversion leaves.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "import/support/import_support.h"
#include "import/tests/import_test_util.h"
#include "import/include/orv/sccsty32.h"
#include "platform/sys/fault_injection.h"
#include "testing/temp_dir.h"

namespace {

using namespace importtest;

// An SCCS file: the delta table (newest first), users, flags, description
// and body as given, under the checksum SCCS writes (the sum of the bytes
// after the "h" line).
std::string sccsFile(const std::string& deltas, const std::string& users, const std::string& flags,
                     const std::string& body) {
  const std::string rest = deltas + users + flags + "\x01t\n\x01T\n" + body;
  unsigned sum = 0;
  for (char c : rest) sum += static_cast<unsigned char>(c);
  char h[16];
  std::snprintf(h, sizeof h, "\x01h%05u\n", sum & 0xFFFFu);
  return h + rest;
}

std::string delta(const char* type, const char* sid, const char* date, int serial, int pred, const char* comment) {
  char buf[256];
  std::snprintf(buf, sizeof buf, "\x01s 00001/00000/00000\n\x01""d %s %s %s 10:11:12 ann %d %d\n\x01""c %s\n\x01""e\n",
                type, sid, date, serial, pred, comment);
  return buf;
}

// 1.1 (a b c), 1.2 (a B c d), 1.1.1.1 off 1.1 (a x c).
const std::string kBranched =
    sccsFile(delta("D", "1.1.1.1", "98/12/31", 3, 1, "branch") + delta("D", "1.2", "26/12/10", 2, 1, "second @") +
                 delta("D", "1.1", "69/01/01", 1, 0, "first"),
             "\x01u\nu1\nu2\n\x01U\n", "\x01""f e 0\n",
             "\x01I 1\na\n\x01""D 2\n\x01""D 3\nb\n\x01""E 2\n\x01I 2\nB\n\x01""E 2\n\x01""E 3\n\x01I 3\nx\n\x01""E 3\n"
             "c\n\x01""E 1\n\x01I 2\nd\n\x01""E 2\n");

struct SccsImportTest : ::testing::Test {
  orv::test::TempDir d{"orv-sccsimp"};
  std::string path(const std::string& n) { return d.path() + "/" + n; }
  int convert(const std::string& sccsName, int strict = 0, int protect = 0) {
    return sccs2rcsFile(0, protect, strict, path(sccsName).c_str(), d.path().c_str());
  }
  std::string message() {
    char buf[1024];
    sccs2rcsError(buf, sizeof buf);
    return buf;
  }
};

TEST_F(SccsImportTest, HeaderDeltaListAndTexts) {
  writeFile(path("s.prog.c"), kBranched);
  ASSERT_EQ(convert("s.prog.c", 1), 0) << message();
  EXPECT_EQ(message(), path("prog.c"));
  const std::string archive = readFile(path("prog.c"));
  EXPECT_EQ(archive.substr(0, archive.find("\ndesc\n")),
            "head     1.2;\nbranch   ;\naccess   u2 u1;\nsymbols  ;\nlocks    ; strict;\ncomment  @ * @;\n\n"
            "\n1.2\ndate     2026.12.10.10.11.12;  author ann;  state Exp;\nbranches ;\nnext     1.1;\n"
            "\n1.1\ndate     69.01.01.10.11.12;  author ann;  state Exp;\nbranches 1.1.1.1;\nnext     ;\n"
            "\n1.1.1.1\ndate     98.12.31.10.11.12;  author ann;  state Exp;\nbranches ;\nnext     ;\n\n");
  EXPECT_NE(archive.find("log\n@second @@\n@"), std::string::npos);
  Library lib(d.path());
  ASSERT_TRUE(lib.ok);
  EXPECT_EQ(lib.checkOut(path("prog.c"), "1.2", path("out")), "a\nB\nc\nd\n");
  EXPECT_EQ(lib.checkOut(path("prog.c"), "1.1", path("out")), "a\nb\nc\n");
  EXPECT_EQ(lib.checkOut(path("prog.c"), "1.1.1.1", path("out")), "a\nx\nc\n");
}

TEST_F(SccsImportTest, CommentLeadersAndLocks) {
  struct Case {
    const char* file;
    const char* flags;
    int strict;
    const char* leader;
    const char* locks;
  } cases[] = {
      {"s.Makefile", "", 1, "# ", "locks    ; strict;"},
      {"s.x.doc", "", 0, "", "locks    ;"},
      {"s.a.CPP", "\x01""f j\n", 1, "//", "locks    ;"},  // joint edit: never strict
      {"s.t.f", "", 0, "C     ", "locks    ;"},
  };
  for (const Case& c : cases) {
    writeFile(path(c.file), sccsFile(delta("D", "1.1", "26/01/01", 1, 0, "one"), "", c.flags, "\x01I 1\na\n\x01""E 1\n"));
    ASSERT_EQ(convert(c.file, c.strict), 0) << message();
    const std::string archive = readFile(path(std::string(c.file).substr(2)));
    EXPECT_NE(archive.find(std::string(c.locks) + "\ncomment  @" + c.leader + "@;\n"), std::string::npos) << c.file;
  }
}

TEST_F(SccsImportTest, BranchesOffTrunkAndBranchDeltasAreRenumbered) {
  // 1.2 has two branch children; 1.2.1.1 has a continuation and a branch
  // that SCCS numbers 1.2.3.1.
  const std::string deltas = delta("D", "1.2.3.1", "26/01/05", 5, 3, "e") + delta("D", "1.2.1.2", "26/01/04", 4, 3, "d") +
                             delta("D", "1.2.1.1", "26/01/03", 3, 2, "c") + delta("D", "1.2.2.1", "26/01/06", 6, 2, "f") +
                             delta("D", "1.2", "26/01/02", 2, 1, "b") + delta("D", "1.1", "26/01/01", 1, 0, "a");
  writeFile(path("s.r.c"), sccsFile(deltas, "", "", "\x01I 1\na\n\x01""E 1\n"));
  ASSERT_EQ(convert("s.r.c"), 0) << message();
  const auto numbers = numbersByLog(path("r.c"));
  const std::map<std::string, std::string> expected{{"a\n", "1.1"},     {"b\n", "1.2"},
                                                    {"c\n", "1.2.1.1"}, {"d\n", "1.2.1.2"},
                                                    {"e\n", "1.2.1.1.1.1"}, {"f\n", "1.2.2.1"}};
  EXPECT_EQ(numbers, expected);
}

TEST_F(SccsImportTest, RemovedDeltasAreLeftOut) {
  const std::string deltas = delta("R", "1.2", "26/01/03", 3, 2, "removed") + delta("D", "1.2", "26/01/02", 2, 1, "kept") +
                             delta("D", "1.1", "26/01/01", 1, 0, "first");
  writeFile(path("s.m.c"), sccsFile(deltas, "", "", "\x01I 1\na\n\x01""E 1\n\x01I 2\nb\n\x01""E 2\n"));
  ASSERT_EQ(convert("s.m.c"), 0) << message();
  const std::string archive = readFile(path("m.c"));
  EXPECT_EQ(archive.find("removed"), std::string::npos);
  Library lib(d.path());
  EXPECT_EQ(lib.checkOut(path("m.c"), "1.2", path("out")), "a\nb\n");
}

TEST_F(SccsImportTest, DamagedFilesAreRefusedWithTheirMessageAndLeaveNothing) {
  const std::string good = sccsFile(delta("D", "1.1", "26/01/01", 1, 0, "one"), "\x01u\nann\n\x01U\n", "",
                                    "\x01I 1\na\n\x01""E 1\n");
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {"plain text\n", "input file %s not in SCCS format"},
      {"\x01h1\n\x01s 1\n", "missing control d line in SCCS file %s"},
      {"\x01h1\n\x01s 1\n\x01""d D 1.1 26/01/01\n", "unexpected end of control d line in SCCS file %s"},
      {"\x01h1\n\x01s 1\n\x01""d D 1.1 26/01/01 xx ann 1 0\n", "bad control d line in SCCS file %s"},
      {"\x01h1\n\x01s 1\n\x01""d D 1.1.1 26/01/01 10:00:00 ann 1 0\n", "bad revision number in SCCS file %s"},
      {"\x01h1\n\x01s 1\n\x01""d D 1.1 26/01/01 10:00:00 ann 1 0\n", "missing control i, x, g, m, c or e line in SCCS file %s"},
      {"\x01h1\n\x01s 1\n\x01""d D 1.1 26/01/01 10:00:00 ann 1 0\n\x01""c x\n", "missing control c or e line in SCCS file %s"},
      {good.substr(0, good.find("\x01u")), "missing control u line in SCCS file %s"},
      {good.substr(0, good.find("\x01U")), "missing username in SCCS file %s"},
      {good.substr(0, good.find("\x01t")), "missing control f or t line in SCCS file %s"},
      {good.substr(0, good.find("\x01T")), "missing comment in SCCS file %s"},
      {sccsFile(delta("D", "1.1", "26/01/01", 1, 0, "one"), "", "\x01""f e 1\n", ""), "SCCS file %s holds an encoded body: not supported"},
      {sccsFile("\x01s 1\n\x01""d D 1.2 26/01/01 10:00:00 ann 2 1\n\x01i 1\n\x01""c x\n\x01""e\n", "", "", ""),
       "delta 1.2 of SCCS file %s includes or excludes other deltas: not supported"},
      {sccsFile(delta("D", "1.1", "26/01/01", 1, 0, "one"), "", "", "loose line\n"), "text outside every block in SCCS file %s"},
  };
  for (const Case& c : cases) {
    writeFile(path("s.bad.c"), c.text);
    EXPECT_EQ(convert("s.bad.c"), 1) << c.message;
    char expected[600];
    std::snprintf(expected, sizeof expected, c.message.c_str(), path("s.bad.c").c_str());
    EXPECT_EQ(message(), expected);
    EXPECT_EQ(readFile(path("bad.c")), "<missing>") << c.message;
  }
}

TEST_F(SccsImportTest, ExistingArchiveInputAndDirectoryRefusals) {
  writeFile(path("s.prog.c"), kBranched);
  writeFile(path("prog.c"), "mine");
  EXPECT_EQ(convert("s.prog.c"), 1);
  EXPECT_EQ(message(), "file " + path("prog.c") + " exists already");
  EXPECT_EQ(readFile(path("prog.c")), "mine");
  EXPECT_EQ(sccs2rcsFile(0, 0, 0, path("s.prog.c").c_str(), ""), 1);
  EXPECT_EQ(message(), "bad RCS archive directory");
  EXPECT_EQ(sccs2rcsFile(0, 0, 0, path("nodir/s.prog.c").c_str(), d.path().c_str()), 1);
  EXPECT_EQ(message(), "directory " + path("nodir") + " does not exist");
  EXPECT_EQ(sccs2rcsFile(0, 0, 0, path("s.none.c").c_str(), d.path().c_str()), 1);
  EXPECT_EQ(message(), "unable to open input file " + path("s.none.c") + ": No such file or directory");
  // The same name in the SCCS folder beside it is found.
  ASSERT_EQ(::mkdir(path("SCCS").c_str(), 0777), 0);
  writeFile(path("SCCS/s.other.c"), kBranched);
  EXPECT_EQ(convert("s.other.c", 0, 1), 0) << message();
  struct stat st {};
  ASSERT_EQ(::stat(path("other.c").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);  // write-protected
}

TEST_F(SccsImportTest, AFailedWriteLeavesNoArchive) {
  writeFile(path("s.prog.c"), kBranched);
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::write> f(ENOSPC);
    EXPECT_EQ(convert("s.prog.c"), 1);
  }
  EXPECT_EQ(message(), "unable to write output file " + path("prog.c") + ": No space left on device");
  EXPECT_EQ(readFile(path("prog.c")), "<missing>");
  EXPECT_EQ(convert("s.prog.c"), 0) << message();
}

TEST_F(SccsImportTest, MessageCopyOut) {
  writeFile(path("s.prog.c"), kBranched);
  ASSERT_EQ(convert("s.prog.c"), 0);
  const std::string full = message();
  std::vector<char> buf(full.size() + 1, 'x');
  EXPECT_EQ(sccs2rcsError(buf.data(), static_cast<int>(buf.size())), 1);
  EXPECT_EQ(std::string(buf.data()), full);
  char small[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(sccs2rcsError(small + 1, 5), 0);
  EXPECT_EQ(std::string(small + 1), full.substr(0, 3));
  EXPECT_EQ(small[0], 'x');
  EXPECT_EQ(sccs2rcsError(small + 1, 1), 0);
  EXPECT_EQ(small[0], 'x');
  EXPECT_EQ(small[1], '\0');
  EXPECT_EQ(sccs2rcsError(small + 1, 0), 0);
  EXPECT_EQ(small[0], 'x');
}

}  // namespace
