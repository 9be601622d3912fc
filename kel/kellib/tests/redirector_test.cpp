// Redirector files: the written layout against an independently made
// fixture, following chains, missing targets, loops, bad headers, and the
// path check.
#include "kel/kellib/include/kel.h"
#include "kel/kellib/absolute_path.h"
#include "platform/sys/fault_injection.h"
#include "platform/sys/system_calls.h"
#include "kel/kellib/redirector_file.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

using orv::sys::ScopedFault;
using orv::sys::SystemCalls;
using orv::test::TempDir;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Writes a redirector with the documented layout, independently of the
// library: the 32-character magic, two zero bytes, then per path a record
// of 4,096 bytes (the path, a NUL, blanks).
void pythonRedirector(const std::string& file, const std::vector<std::string>& paths) {
  std::string cmd =
      "python3 -c 'import sys\n"
      "with open(sys.argv[1], \"wb\") as f:\n"
      "    f.write(b\"Orv Tessalyworkbench Redirectxxx\" + bytes(2))\n"
      "    for p in sys.argv[2:]:\n"
      "        r = p.encode() + bytes(1)\n"
      "        f.write(r + b\" \" * (4096 - len(r)))\n' '" +
      file + "'";
  for (const auto& p : paths) cmd += " '" + p + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
}

// The same layout written directly, for the many small files of the walk
// tests (quicker than starting Python for each).
void writeRedirector(const std::string& file, const std::vector<std::string>& paths) {
  std::string data = "Orv Tessalyworkbench Redirectxxx";
  data.append(2, '\0');
  for (const auto& p : paths) {
    std::string record = p;
    record.push_back('\0');
    record.resize(4096, ' ');
    data += record;
  }
  writeFile(file, data);
}

class KelRedirector : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(kelInit("/opt/orv/bin/orvty"), KEL_SUCCESS); }
  void TearDown() override {
    kelCloseDB();
    EXPECT_EQ(kelExit(), KEL_SUCCESS);
    orv::sys::resetCalls();
  }
  // A database at dir/name (name.dat).
  std::string makeDatabase(const std::string& name) {
    const std::string base = dir_.file(name);
    EXPECT_EQ(kelCreateDB(base.c_str(), "admin"), KEL_SUCCESS);
    return base;
  }
  std::string check(const std::string& path, int expected = KEL_SUCCESS) {
    char out[512] = "";
    EXPECT_EQ(kelCheckDatabasePath(path.c_str(), out, sizeof out), expected) << path;
    return out;
  }
  TempDir dir_;
};

TEST_F(KelRedirector, AppendedRecordsMatchAnIndependentlyWrittenFile) {
  const std::string red = dir_.file("lead");
  ASSERT_EQ(kelAppendRedirector(red.c_str(), "/db/main.dat"), KEL_SUCCESS);
  ASSERT_EQ(kelAppendRedirector(red.c_str(), "d:\\db\\Other.DAT"), KEL_SUCCESS);
  ASSERT_EQ(kelAppendRedirector((red + ".dat").c_str(), "/db/./x/../third"), KEL_SUCCESS);
  EXPECT_FALSE(exists(red)) << "the redirector is named with .red";
  pythonRedirector(dir_.file("expected.red"), {"/db/main", "d:/db/Other", "/db/third"});
  EXPECT_EQ(std::system(("cmp -s '" + red + ".red' '" + dir_.file("expected.red") + "'").c_str()), 0);
  EXPECT_EQ(readFile(red + ".red").size(), 34u + 3 * 4096u);
}

TEST_F(KelRedirector, RelativeDatabasePathsAreMadeAbsolute) {
  std::string cwd;
  ASSERT_EQ(kel::makeAbsolutePath(".", {}, cwd), 0);
  const std::string red = dir_.file("rel.red");
  ASSERT_EQ(kelAppendRedirector(red.c_str(), "sub/db"), KEL_SUCCESS);
  std::string data = readFile(red);
  ASSERT_EQ(data.size(), 34u + 4096u);
  EXPECT_EQ(std::string(data.c_str() + 34), (cwd == "/" ? "" : cwd) + "/sub/db");
}

TEST_F(KelRedirector, ArgumentsAndLimits) {
  const std::string red = dir_.file("r.red");
  EXPECT_EQ(kelAppendRedirector(nullptr, "/db/x"), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelAppendRedirector(red.c_str(), ""), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelAppendRedirector("", "/db/x"), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelAppendRedirector(red.c_str(), "/../x"), KEL_INVALID_ARGUMENT) << "above the root";
  // A record holds at most 4,095 characters and its NUL.
  const std::string longest = "/" + std::string(4094, 'a');
  EXPECT_EQ(kelAppendRedirector(red.c_str(), (longest + "b").c_str()), KEL_STRINGS_TOO_LONG);
  EXPECT_FALSE(exists(red));
  ASSERT_EQ(kelAppendRedirector(red.c_str(), longest.c_str()), KEL_SUCCESS);
  std::string data = readFile(red);
  ASSERT_EQ(data.size(), 34u + 4096u);
  EXPECT_EQ(data.substr(34, 4095), longest);
  EXPECT_EQ(data[34 + 4095], '\0');
}

TEST_F(KelRedirector, NoRedirectorWhereADatabaseOfTheSameNameLies) {
  makeDatabase("shared");
  EXPECT_EQ(kelAppendRedirector(dir_.file("shared").c_str(), "/db/x"), KEL_DATABASE_AT_REDIRECTOR);
  EXPECT_EQ(kelAppendRedirector(dir_.file("shared.red").c_str(), "/db/x"), KEL_DATABASE_AT_REDIRECTOR);
  EXPECT_FALSE(exists(dir_.file("shared.red")));
}

TEST_F(KelRedirector, WrongHeaderIsRefusedAndTheFileLeftAlone) {
  struct Case {
    std::string contents;
    int result;
  } cases[] = {
      {std::string("Orv Tessalyworkbench RedirectXXX") + std::string(2, '\0'), KEL_BAD_MAGIC_COOKIE},
      {std::string("Orv Tessalyworkbench Redirectxxx") + "\1\0", KEL_BAD_MAGIC_COOKIE},
      {"short", KEL_BAD_MAGIC_COOKIE},
      // A record cut short by an earlier failed write: appending now would
      // put the new record out of step.
      {kel::redirectorHeader() + std::string(100, ' '), KEL_BAD_FORMAT},
  };
  for (const auto& c : cases) {
    const std::string red = dir_.file("bad.red");
    writeFile(red, c.contents);
    EXPECT_EQ(kelAppendRedirector(red.c_str(), "/db/x"), c.result);
    EXPECT_EQ(readFile(red), c.contents);
  }
  writeFile(dir_.file("bad.red"), cases[0].contents + std::string(4096, ' '));
  EXPECT_EQ(check(dir_.file("bad"), KEL_BAD_MAGIC_COOKIE), "");
}

TEST_F(KelRedirector, AFailedWriteLeavesTheOldFile) {
  const std::string red = dir_.file("w.red");
  ASSERT_EQ(kelAppendRedirector(red.c_str(), "/db/one"), KEL_SUCCESS);
  const std::string before = readFile(red);
  orv::sys::calls().rename = [](const char*, const char*) -> int {
    errno = ENOSPC;
    return -1;
  };
  EXPECT_EQ(kelAppendRedirector(red.c_str(), "/db/two"), KEL_CANNOT_WRITE);
  EXPECT_EQ(kelExtraError(), ENOSPC);
  orv::sys::resetCalls();
  EXPECT_EQ(readFile(red), before);
  EXPECT_EQ(kelAppendRedirector(dir_.file("missing/dir/x.red").c_str(), "/db/one"), KEL_CANNOT_OPEN);
}

// Appends "/db/two" to the redirector while one system call on it (or on
// its temporary replacement) fails with Error, after After such calls went
// through; the answer of the append.
template <auto Entry, int Error, int After = 0>
int appendWhileFailing(const std::string& redirector) {
  // The replacement is written unnamed in the redirector's directory, so the
  // fault watches the whole directory.
  ScopedFault<Entry> fault(Error, {.after = After, .pathContains = redirector.substr(0, redirector.rfind('/'))});
  const int rc = kelAppendRedirector(redirector.c_str(), "/db/two");
  EXPECT_GE(fault.failures(), 1) << "the fault was never met";
  return rc;
}

TEST_F(KelRedirector, AFailedAppendAnswersItsErrorAndLeavesTheOldFile) {
  const std::string red = dir_.file("r.red");
  ASSERT_EQ(kelAppendRedirector(red.c_str(), "/db/one"), KEL_SUCCESS);
  const std::string before = readFile(red);
  const auto entries = dir_.entries();
  struct Case {
    const char* step;
    int (*append)(const std::string&);
    int result, extraError;
  } cases[] = {
      {"reading the old file", appendWhileFailing<&SystemCalls::read, EIO>, KEL_CANNOT_READ, EIO},
      {"opening the old file", appendWhileFailing<&SystemCalls::open, EACCES>, KEL_CANNOT_OPEN, EACCES},
      // The first open reads the old file; the second makes the new one.
      {"creating the new file", appendWhileFailing<&SystemCalls::open, ENOSPC, 1>, KEL_CANNOT_OPEN, ENOSPC},
      {"writing", appendWhileFailing<&SystemCalls::write, ENOSPC>, KEL_CANNOT_WRITE, ENOSPC},
      {"syncing", appendWhileFailing<&SystemCalls::fsync, EIO>, KEL_CANNOT_WRITE, EIO},
      {"closing", appendWhileFailing<&SystemCalls::close, EIO, 1>, KEL_CANNOT_WRITE, EIO},
      {"renaming", appendWhileFailing<&SystemCalls::rename, EIO>, KEL_CANNOT_WRITE, EIO},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.append(red), c.result) << c.step;
    EXPECT_EQ(kelExtraError(), c.extraError) << c.step;
    EXPECT_EQ(readFile(red), before) << c.step;
    EXPECT_EQ(dir_.entries(), entries) << c.step << ": no temporary file is left";
  }
  ASSERT_EQ(kelAppendRedirector(red.c_str(), "/db/two"), KEL_SUCCESS);
  EXPECT_EQ(readFile(red).size(), before.size() + 4096u);
}

TEST_F(KelRedirector, AReadErrorWhileFollowingAnswers204AndOpensNothing) {
  const std::string db = makeDatabase("target");
  writeRedirector(dir_.file("lead.red"), {dir_.file("gone"), db});
  const std::string before = readFile(dir_.file("lead.red"));
  // The header, the first record, the second record.
  for (int after : {0, 1, 2}) {
    char out[16] = "unchanged";
    {
      ScopedFault<&SystemCalls::read> eio(EIO, {.after = after, .pathContains = "lead.red"});
      EXPECT_EQ(kelCheckDatabasePath(dir_.file("lead").c_str(), out, sizeof out), KEL_CANNOT_ACCESS) << after;
      EXPECT_EQ(kelExtraError(), EIO) << after;
      EXPECT_EQ(kelOpenDB(dir_.file("lead").c_str(), 0), KEL_CANNOT_ACCESS) << after;
      EXPECT_EQ(eio.failures(), 2) << after;
    }
    EXPECT_STREQ(out, "unchanged");
    EXPECT_EQ(kelCloseDB(), KEL_NOT_OPEN) << after;
    EXPECT_EQ(readFile(dir_.file("lead.red")), before);
  }
  EXPECT_EQ(check(dir_.file("lead")), db + ".dat");
}

TEST_F(KelRedirector, ChainsAreFollowedToTheDatabase) {
  const std::string db = makeDatabase("real");
  ASSERT_EQ(kelAppendRedirector(dir_.file("second").c_str(), (db + ".dat").c_str()), KEL_SUCCESS);
  ASSERT_EQ(kelAppendRedirector(dir_.file("first").c_str(), dir_.file("second").c_str()), KEL_SUCCESS);
  EXPECT_EQ(check(dir_.file("first")), db + ".dat");
  EXPECT_EQ(check(dir_.file("first.red")), db + ".dat");
  EXPECT_EQ(check(db), db + ".dat");
  EXPECT_EQ(check(db + ".DAT"), db + ".DAT");

  // kelOpenDB follows the same way, for update as well as read-only.
  ASSERT_EQ(kelOpenDB(dir_.file("first").c_str(), 0), KEL_SUCCESS);
  EXPECT_EQ(kelCloseDB(), KEL_SUCCESS);
  ASSERT_EQ(kelOpenDB(dir_.file("first.red").c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(kelCloseDB(), KEL_SUCCESS);

  // Any extension but "dat" names a redirector.
  ASSERT_EQ(std::rename(dir_.file("first.red").c_str(), dir_.file("first.lnk").c_str()), 0);
  EXPECT_EQ(check(dir_.file("first.lnk")), db + ".dat");
}

TEST_F(KelRedirector, TheFirstRecordWhoseTargetExistsWins) {
  const std::string db = makeDatabase("there");
  writeRedirector(dir_.file("two.red"), {dir_.file("gone"), "", db});
  EXPECT_EQ(check(dir_.file("two")), db + ".dat");

  // A foreign record without NUL is bounded by its 4,096 bytes.
  writeFile(dir_.file("foreign.red"), kel::redirectorHeader() + std::string(4096, 'x'));
  ASSERT_EQ(kelAppendRedirector(dir_.file("foreign").c_str(), db.c_str()), KEL_SUCCESS);
  EXPECT_EQ(check(dir_.file("foreign")), db + ".dat");

  // No record leads anywhere.
  writeRedirector(dir_.file("none.red"), {dir_.file("gone"), dir_.file("also-gone")});
  char out[16] = "unchanged";
  EXPECT_EQ(kelCheckDatabasePath(dir_.file("none").c_str(), out, sizeof out), KEL_CANNOT_ACCESS);
  EXPECT_STREQ(out, "unchanged");
  writeRedirector(dir_.file("empty.red"), {});
  check(dir_.file("empty"), KEL_CANNOT_ACCESS);
  writeFile(dir_.file("stub.red"), "Orv");
  check(dir_.file("stub"), KEL_CANNOT_ACCESS);
  check(dir_.file("nothing.red"), KEL_CANNOT_OPEN);
}

TEST_F(KelRedirector, LoopsEndAfterSixteenHops) {
  writeRedirector(dir_.file("a.red"), {dir_.file("b")});
  writeRedirector(dir_.file("b.red"), {dir_.file("a")});
  check(dir_.file("a"), KEL_CANNOT_ACCESS);
  EXPECT_EQ(kelOpenDB(dir_.file("a").c_str(), 1), KEL_CANNOT_ACCESS);

  // A chain of exactly sixteen redirectors still arrives.
  const std::string db = makeDatabase("end");
  for (int i = 1; i <= 16; ++i)
    writeRedirector(dir_.file("hop" + std::to_string(i) + ".red"),
                     {i == 16 ? db : dir_.file("hop" + std::to_string(i + 1))});
  EXPECT_EQ(check(dir_.file("hop1")), db + ".dat");
  writeRedirector(dir_.file("hop0.red"), {dir_.file("hop1")});
  check(dir_.file("hop0"), KEL_CANNOT_ACCESS);
}

TEST_F(KelRedirector, PathCheckProvesTheDatabaseAndMindsTheBuffer) {
  const std::string db = makeDatabase("proved");
  const std::string expect = db + ".dat";
  std::vector<char> out(expect.size() + 1, 'q');
  EXPECT_EQ(kelCheckDatabasePath(db.c_str(), out.data(), static_cast<int>(out.size()) - 1), KEL_BUFFER_TOO_SMALL);
  EXPECT_EQ(std::string(out.begin(), out.end()), std::string(out.size(), 'q'));
  EXPECT_EQ(kelCheckDatabasePath(db.c_str(), out.data(), static_cast<int>(out.size())), KEL_SUCCESS);
  EXPECT_EQ(std::string(out.data()), expect);
  EXPECT_EQ(kelCheckDatabasePath(db.c_str(), nullptr, 0), KEL_SUCCESS);

  check(dir_.file("absent"), KEL_CANNOT_ACCESS);
  writeFile(dir_.file("notdb.dat"), "this is no database");
  check(dir_.file("notdb"), KEL_CANNOT_ACCESS);
  check("", KEL_INVALID_ARGUMENT);
}

TEST(KelAbsolutePath, Table) {
  struct Case {
    const char *path, *base, *result;
    int error;
  } cases[] = {
      {"/a/b/c", "", "/a/b/c", 0},
      {"c", "/a/b", "/a/b/c", 0},
      {"./c/./d", "/a", "/a/c/d", 0},
      {"../c", "/a/b", "/a/c", 0},
      {"\\a\\b\\..\\c", "", "/a/c", 0},
      {"/a/..", "", "/", 0},
      {"d:/x/../y", "", "d:/y", 0},
      {"d:/..", "", "", ENOENT},
      {"y", "e:/base", "e:/base/y", 0},
      {"../..", "/a", "", ENOENT},
      {"//a///b/", "", "/a/b", 0},
  };
  for (const auto& c : cases) {
    std::string out = "old";
    EXPECT_EQ(kel::makeAbsolutePath(c.path, c.base, out), c.error) << c.path;
    EXPECT_EQ(out, c.error ? "old" : c.result) << c.path;
  }
  std::string out;
  EXPECT_EQ(kel::makeAbsolutePath("/abcde", "", out, 9), 0);
  EXPECT_EQ(kel::makeAbsolutePath("/abcdef", "", out, 9), ERANGE);
}

}  // namespace
