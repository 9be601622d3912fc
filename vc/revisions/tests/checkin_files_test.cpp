// Check-in compares texts and bytes in memory: it creates no file (so a
// killed one leaves nothing behind), and checks in from a working directory
// where no file can be created; for text and binary archives alike.
#include "platform/sys/fault_injection.h"
#include "vc/error_codes.h"
#include "vc/tests/checkin_support.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <random>
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

// Seeded bytes of every value, NUL included.
std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

// The revisions of the "creates no file" run, for a text and a binary
// archive: the first text, a trunk revision, a branch revision off 1.1, and a
// third trunk revision checked in with its own flags (for text, keywords
// collapsed; for bytes, a plain change), with the text 1.3 checks out as.
struct NoFileCase {
  const char* name;
  int flags;  // added to every check-in (8: a binary archive stores deltas only when asked)
  std::string first, trunk, branch, third;
  int thirdFlags;
  std::string thirdOut;
};

void PrintTo(const NoFileCase& c, std::ostream* os) { *os << c.name; }

NoFileCase textCase() {
  return {"text", 0, numbered(3000, -1), numbered(3000, 1700), numbered(3000, 10) + "branch tail\n",
          "// $Revision: 1.2 $\n" + numbered(3000, 1700), 2, "// $Revision: 1.3 $\n" + numbered(3000, 1700)};
}

// Binary: the trunk revision replaces the last 1.2 MiB with other bytes, a
// change that runs to both ends and is longer than the binary differencer
// keeps in memory before it moves a pending change to a scratch file when
// it reads from descriptors.
NoFileCase binaryCase() {
  const std::string head = std::string("\0\1\2binary\n", 10) + randomBytes(200000, 1);
  const std::string first = head + randomBytes(1200000, 2);
  std::string trunk = head + randomBytes(1200000, 3);
  trunk[50000] = static_cast<char>(trunk[50000] ^ 0x5A);
  std::string third = trunk;
  third.insert(100000, std::string("inserted\0bytes", 14));
  third.erase(150000, 7);
  return {"binary", 8, first, trunk, first + std::string("branch\0tail", 11), third, 0, third};
}

struct CreatesNoFile : CheckinTest, ::testing::WithParamInterface<NoFileCase> {};

TEST_P(CreatesNoFile, CheckInCreatesNoFileAtAll) {
  const NoFileCase& c = GetParam();
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci(c.first, nullptr, c.flags));
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  // The working files are written before counting starts.
  const std::string work = path("work.c"), branchWork = path("branch.c"), third = path("third.c");
  writeFile(work, c.trunk);
  writeFile(branchWork, c.branch);
  writeFile(third, c.third);
  const auto before = namesIn(dir);
  char number[64] = {};
  {
    CreationCounter counter;
    // A trunk revision (reverse delta for the old head), a branch revision
    // (forward delta), and an unchanged text refused (flag 1).
    EXPECT_EQ(0, vcCiRevision(h, nullptr, work.c_str(), c.flags, number, sizeof number));
    EXPECT_EQ(std::string("1.2"), number);
    EXPECT_EQ(0, vcCiRevision(h, "1.1", branchWork.c_str(), c.flags, number, sizeof number));
    EXPECT_EQ(std::string("1.1.1.1"), number);
    EXPECT_EQ(vc::err::kNoDifferences, vcCiRevision(h, "1.2", work.c_str(), c.flags | 1, number, sizeof number));
    EXPECT_EQ(0, vcCiRevision(h, nullptr, third.c_str(), c.flags | c.thirdFlags, number, sizeof number));
    EXPECT_EQ(std::string("1.3"), number);
    EXPECT_EQ(0, counter.creations) << counter.list();
  }
  EXPECT_EQ(before, namesIn(dir));
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  EXPECT_EQ(c.thirdOut, co("1.3"));
  EXPECT_EQ(c.trunk, co("1.2"));
  EXPECT_EQ(c.first, co("1.1"));
  EXPECT_EQ(c.branch, co("1.1.1.1"));
}

INSTANTIATE_TEST_SUITE_P(Archives, CreatesNoFile, ::testing::Values(textCase(), binaryCase()),
                         [](const ::testing::TestParamInfo<NoFileCase>& p) { return std::string(p.param.name); });

// The revisions of the read-only run: 1.1, 1.2 on the trunk and 1.1.1.1 on
// a branch, each checked in with `flags`; 1.2 checks out as v2Out.
struct ReadOnlyCase {
  const char* name;
  int flags;
  std::string v1, v2, b1, v2Out;
};

void PrintTo(const ReadOnlyCase& c, std::ostream* os) { *os << c.name; }

struct ReadOnlyWorkDir : CheckinTest, ::testing::WithParamInterface<ReadOnlyCase> {};

TEST_P(ReadOnlyWorkDir, CheckInFromAReadOnlyWorkingDirectory) {
  const ReadOnlyCase& c = GetParam();
  // The archive lives outside the working directory; nothing can be created
  // in the working directory: its permissions say so, and since tests may run
  // as root, the seam refuses every creation there as the system would.
  const std::string work = path("readonly-work");
  std::filesystem::create_directory(work);
  const std::string file = work + "/prog.c";
  writeFile(file, c.v1);
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
    ASSERT_EQ(0, vcCiRevision(h, nullptr, file.c_str(), c.flags, number, sizeof number));
    EXPECT_EQ(std::string("1.1"), number);
    ASSERT_EQ(0, vcCommitArchive(h, 0));
    // Changing the file in a read-only directory: its own bits allow it.
    writeFile(file, c.v2);
    ASSERT_EQ(0, vcCiRevision(h, nullptr, file.c_str(), c.flags, number, sizeof number));
    EXPECT_EQ(std::string("1.2"), number);
    writeFile(file, c.b1);
    ASSERT_EQ(0, vcCiRevision(h, "1.1", file.c_str(), c.flags, number, sizeof number));
    EXPECT_EQ(std::string("1.1.1.1"), number);
    ASSERT_EQ(0, vcCommitArchive(h, 0));
    EXPECT_EQ(0, noCreate.matchingCalls() + noMkdir.matchingCalls() + noLink.matchingCalls() +
                     noLinkat.matchingCalls() + noRename.matchingCalls())
        << "check-in tried to create something in the working directory";
  }
  EXPECT_EQ(before, namesIn(work));
  ASSERT_EQ(0, ::chmod(work.c_str(), 0755));
  ASSERT_EQ(0, reopen());
  EXPECT_EQ(c.v1, co("1.1"));
  EXPECT_EQ(c.v2Out, co("1.2"));
  EXPECT_EQ(c.b1, co("1.1.1.1"));
}

INSTANTIATE_TEST_SUITE_P(
    Archives, ReadOnlyWorkDir,
    ::testing::Values(
        ReadOnlyCase{"text", 0, "int main() {\n  return 0;\n}\n", "// $Revision$\nint main() {\n  return 1;\n}\n",
                     "int main() {\n  return 2;\n}\n", "// $Revision: 1.2 $\nint main() {\n  return 1;\n}\n"},
        // A binary archive stores deltas (flag 8); keywords stay as they are.
        ReadOnlyCase{"binary", 8, std::string("\x7f" "ELF\0\1\2 return 0;\n", 18),
                     std::string("$Revision$\x7f" "ELF\0\1\2 return 1;\n", 28),
                     std::string("\x7f" "ELF\0\1\2 return 2;\n", 18),
                     std::string("$Revision$\x7f" "ELF\0\1\2 return 1;\n", 28)}),
    [](const ::testing::TestParamInfo<ReadOnlyCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace checkin_test
