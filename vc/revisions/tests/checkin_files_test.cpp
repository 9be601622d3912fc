// Check-in compares texts in memory: it creates no file (so a killed one
// leaves nothing behind), and checks in from a working directory where no
// file can be created.
#include "platform/sys/fault_injection.h"
#include "vc/error_codes.h"
#include "vc/tests/checkin_support.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

namespace checkin_test {
namespace {

using archive_test::readFile;
using archive_test::writeFile;
using orv::sys::ScopedFault;
using orv::sys::SystemCalls;

std::set<std::string> namesIn(const std::string& dir) {
  std::set<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) out.insert(e.path().filename().string());
  return out;
}

// Counts every call through the seam that could put a file or a name on disk:
// opens that create (O_CREAT, O_TMPFILE), and mkdir, link, linkat, rename.
struct CreationCounter {
  static inline int creations = 0;
  static inline std::vector<std::string> what;
  static inline SystemCalls saved{};

  static void note(const std::string& call) {
    ++creations;
    what.push_back(call);
  }
  static int open(const char* path, int flags, mode_t mode) {
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) note(std::string("open ") + path);
    return saved.open(path, flags, mode);
  }
  static int mkdir(const char* path, mode_t mode) {
    note(std::string("mkdir ") + path);
    return saved.mkdir(path, mode);
  }
  static int link(const char* from, const char* to) {
    note(std::string("link ") + to);
    return saved.link(from, to);
  }
  static int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    note(std::string("linkat ") + to);
    return saved.linkat(fromDir, from, toDir, to, flags);
  }
  static int rename(const char* from, const char* to) {
    note(std::string("rename ") + to);
    return saved.rename(from, to);
  }

  CreationCounter() {
    creations = 0;
    what.clear();
    saved = orv::sys::calls();
    auto& c = orv::sys::calls();
    c.open = open;
    c.mkdir = mkdir;
    c.link = link;
    c.linkat = linkat;
    c.rename = rename;
  }
  ~CreationCounter() { orv::sys::calls() = saved; }
  std::string list() const {
    std::string s;
    for (const auto& w : what) s += w + "\n";
    return s;
  }
};

std::string numbered(int count, int changedAt) {
  std::string s;
  for (int k = 0; k < count; ++k) s += (k == changedAt ? "changed " : "line ") + std::to_string(k) + "\n";
  return s;
}

TEST_F(CheckinTest, TextCheckInCreatesNoFileAtAll) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci(numbered(3000, -1)));
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  // The working files are written before counting starts.
  const std::string work = path("work.c"), branchWork = path("branch.c"), keywords = path("keywords.c");
  writeFile(work, numbered(3000, 1700));
  writeFile(branchWork, numbered(3000, 10) + "branch tail\n");
  writeFile(keywords, "// $Revision: 1.2 $\n" + numbered(3000, 1700));
  const auto before = namesIn(dir);
  char number[64] = {};
  {
    CreationCounter counter;
    // A trunk revision (reverse delta for the old head), a branch revision
    // (forward delta), and an unchanged text refused (flag 1).
    EXPECT_EQ(0, vcCiRevision(h, nullptr, work.c_str(), 0, number, sizeof number));
    EXPECT_EQ(std::string("1.2"), number);
    EXPECT_EQ(0, vcCiRevision(h, "1.1", branchWork.c_str(), 0, number, sizeof number));
    EXPECT_EQ(std::string("1.1.1.1"), number);
    EXPECT_EQ(vc::err::kNoDifferences, vcCiRevision(h, "1.2", work.c_str(), 1, number, sizeof number));
    // Keywords collapsed (flag 2) before the comparison.
    EXPECT_EQ(0, vcCiRevision(h, nullptr, keywords.c_str(), 2, number, sizeof number));
    EXPECT_EQ(std::string("1.3"), number);
    EXPECT_EQ(0, counter.creations) << counter.list();
  }
  EXPECT_EQ(before, namesIn(dir));
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  EXPECT_EQ("// $Revision: 1.3 $\n" + numbered(3000, 1700), co("1.3"));
  EXPECT_EQ(numbered(3000, 1700), co("1.2"));
  EXPECT_EQ(numbered(3000, -1), co("1.1"));
  EXPECT_EQ(numbered(3000, 10) + "branch tail\n", co("1.1.1.1"));
}

TEST_F(CheckinTest, CheckInFromAReadOnlyWorkingDirectory) {
  // The archive lives outside the working directory; nothing can be created
  // in the working directory: its permissions say so, and since tests may run
  // as root, the seam refuses every creation there as the system would.
  const std::string work = path("readonly-work");
  std::filesystem::create_directory(work);
  const std::string file = work + "/prog.c";
  const std::string v1 = "int main() {\n  return 0;\n}\n";
  const std::string v2 = "// $Revision$\nint main() {\n  return 1;\n}\n";
  const std::string b1 = "int main() {\n  return 2;\n}\n";
  writeFile(file, v1);
  ASSERT_EQ(0, ::chmod(work.c_str(), 0555));
  const auto before = namesIn(work);
  {
    ScopedFault<&SystemCalls::open> noCreate(EACCES, {.pathContains = "readonly-work", .creating = true});
    ScopedFault<&SystemCalls::mkdir> noMkdir(EACCES, {.pathContains = "readonly-work"});
    ScopedFault<&SystemCalls::link> noLink(EACCES, {.pathContains = "readonly-work"});
    ScopedFault<&SystemCalls::linkat> noLinkat(EACCES, {.pathContains = "readonly-work"});
    ScopedFault<&SystemCalls::rename> noRename(EACCES, {.pathContains = "readonly-work"});
    ASSERT_EQ(0, open("prog.c,v"));
    char number[64] = {};
    ASSERT_EQ(0, vcCiRevision(h, nullptr, file.c_str(), 0, number, sizeof number));
    EXPECT_EQ(std::string("1.1"), number);
    ASSERT_EQ(0, vcCommitArchive(h, 0));
    // Changing the file in a read-only directory: its own bits allow it.
    writeFile(file, v2);
    ASSERT_EQ(0, vcCiRevision(h, nullptr, file.c_str(), 0, number, sizeof number));
    EXPECT_EQ(std::string("1.2"), number);
    writeFile(file, b1);
    ASSERT_EQ(0, vcCiRevision(h, "1.1", file.c_str(), 0, number, sizeof number));
    EXPECT_EQ(std::string("1.1.1.1"), number);
    ASSERT_EQ(0, vcCommitArchive(h, 0));
    EXPECT_EQ(0, noCreate.matchingCalls() + noMkdir.matchingCalls() + noLink.matchingCalls() +
                     noLinkat.matchingCalls() + noRename.matchingCalls())
        << "check-in tried to create something in the working directory";
  }
  EXPECT_EQ(before, namesIn(work));
  ASSERT_EQ(0, ::chmod(work.c_str(), 0755));
  ASSERT_EQ(0, reopen());
  EXPECT_EQ(v1, co("1.1"));
  EXPECT_EQ("// $Revision: 1.2 $\nint main() {\n  return 1;\n}\n", co("1.2"));
  EXPECT_EQ(b1, co("1.1.1.1"));
}

}  // namespace
}  // namespace checkin_test
