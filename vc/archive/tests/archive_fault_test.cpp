// Faults the file layer alone could not inject, reached through the system-
// call table: a read failing part way through an archive, a failing fsync or
// chmod during commit, a full disk part way through writing a working file.
// Each leaves the files as they were (or, where the failure comes after the
// swap, the archive committed whole) and answers the library's code.
#include "vc/tests/checkin_support.h"

#include "platform/sys/fault_injection.h"
#include "vc/error_codes.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <sys/stat.h>

namespace archive_fault_test {
namespace {

using orv::sys::FaultOptions;
using orv::sys::ScopedFault;
using orv::sys::SystemCalls;
namespace err = vc::err;
using archive_test::readFile;
using archive_test::writeFile;

// The names in a directory, sorted.
std::vector<std::string> listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

struct ArchiveFaultTest : archive_test::ArchiveTest {
  // Opens for writing; fails the test when that does not answer 0.
  int openForWrite(const std::string& p) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(p.c_str(), &h, 3), 0) << p;
    return h;
  }
  void addSymbol(int h, const std::string& name) {
    vc::VcArchive* a = rec(h);
    ASSERT_EQ(vc::readArchiveHeader(inst(), *a), 0);
    a->file.symbols.insert(a->file.symbols.begin(), {a->file.head->revision, name});
    vc::markArchiveChanged(*a);
  }
  // Whether the archive at p, read through the library, names the symbol.
  bool hasSymbol(const std::string& p, const std::string& name) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0) << p;
    bool found = false;
    if (vc::VcArchive* a = rec(h); a && vc::readArchiveHeader(inst(), *a) == 0)
      for (const auto& s : a->file.symbols) found = found || s.name == name;
    EXPECT_EQ(vcCloseArchive(h), 0);
    return found;
  }
};

struct CheckoutFaultTest : checkin_test::CheckinTest {};

}  // namespace

// An I/O error while an archive is read: at the first bytes (the open
// answers), or further in (the header read answers). Nothing is written.
TEST_F(ArchiveFaultTest, ReadErrorPartWayThroughAnArchiveChangesNothing) {
  const std::string p = copyFixture("branches.v");
  const std::string before = readFile(p);
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);  // the directory's lock file exists from here on
  ASSERT_EQ(vcCloseArchive(h), 0);
  const auto names = listing(dir);

  bool reachedTheHeader = false;
  for (int after = 0; after < 4; ++after) {
    for (int mode : {1, 3}) {
      SCOPED_TRACE("reads let through: " + std::to_string(after) + ", mode " + std::to_string(mode));
      int rc = 0;
      {
        ScopedFault<&SystemCalls::pread> eio(EIO, {.after = after, .pathContains = "branches.v"});
        rc = vcOpenArchive(p.c_str(), &h, mode);
        if (rc == 0) {
          reachedTheHeader = true;
          EXPECT_EQ(vc::readArchiveTexts(inst(), *rec(h), nullptr), err::kArchiveRead);
          EXPECT_GT(eio.failures(), 0);
          if (mode == 3) {
            EXPECT_NE(vcCommitArchive(h, 0), 0);
          }
        } else {
          EXPECT_EQ(rc, err::kNotVersionFile);
        }
      }
      if (rc == 0) {
        EXPECT_EQ(vcCloseArchive(h), 0);
      }
      EXPECT_EQ(readFile(p), before);
      EXPECT_EQ(listing(dir), names);
    }
  }
  EXPECT_TRUE(reachedTheHeader);
}

// A failing fsync or chmod during commit: the archive is either as it was or
// committed whole, never half, and no temporary file is left.
TEST_F(ArchiveFaultTest, FailingSyncOrChmodDuringCommitNeverLeavesHalfAnArchive) {
  struct Case {
    const char* what;
    std::function<int(int handle)> commit;  // the commit, under the fault
    int code;                               // 0: the commit goes through whole
  };
  const Case cases[] = {
      {"fsync of the new archive",
       [this](int h) {
         ScopedFault<&SystemCalls::fsync> f(EIO, {.pathContains = dir + "/"});  // the first: the new file, unnamed
         const int rc = vcCommitArchive(h, 0);
         EXPECT_EQ(f.failures(), 1);
         return rc;
       },
       err::kArchiveWrite},
      {"fsync of the directory after the swap",
       [](int h) {
         ScopedFault<&SystemCalls::fsync> f(EIO, {.after = 1});
         const int rc = vcCommitArchive(h, 0);
         EXPECT_EQ(f.failures(), 1);
         return rc;
       },
       0},
      {"chmod of the new archive",
       [](int h) {
         ScopedFault<&SystemCalls::chmod> f(EPERM);
         ScopedFault<&SystemCalls::fchmod> g(EPERM);
         const int rc = vcCommitArchive(h, 0);
         EXPECT_EQ(f.failures() + g.failures(), 1);
         return rc;
       },
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The same change committed without a fault gives the bytes to expect.
    const std::string expectedPath = copyFixture("branches.v", "expected.v");
    int r = openForWrite(expectedPath);
    addSymbol(r, "added");
    ASSERT_EQ(vcCommitArchive(r, 1), 0);
    const std::string committed = readFile(expectedPath);

    const std::string p = copyFixture("branches.v");
    const std::string before = readFile(p);
    int h = openForWrite(p);
    addSymbol(h, "added");
    EXPECT_EQ(c.commit(h), c.code);
    EXPECT_EQ(vcCloseArchive(h), 0);
    EXPECT_EQ(readFile(p), c.code == 0 ? committed : before);
    EXPECT_EQ(hasSymbol(p, "added"), c.code == 0);
    EXPECT_TRUE(leftovers().empty());
  }
}

// A full disk part way through writing a working file at check-out: the old
// working file stays whole and no temporary file is left beside it.
TEST_F(CheckoutFaultTest, FullDiskWhileWritingAWorkingFileKeepsTheOldOne) {
  ASSERT_EQ(0, open());
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + " of a long working file\n";
  ASSERT_EQ(0, ci(text));
  const std::string work = path("kept.c");
  writeFile(work, "old contents\n");
  const auto names = listing(dir);
  // The system takes at most 4 KiB per write, so the disk can fill part way.
  orv::sys::calls().write = [](int fd, const void* data, size_t len) -> ssize_t {
    return orv::sys::realCalls().write(fd, data, std::min<size_t>(len, 4096));
  };
  for (int after : {0, 1, 50}) {
    SCOPED_TRACE("writes let through: " + std::to_string(after));
    // The new working file has no name while it is written: any file in dir.
    ScopedFault<&SystemCalls::write> full(ENOSPC, {.after = after, .pathContains = dir + "/"});
    EXPECT_EQ(vcCoRevision(h, "1.1", work.c_str()), err::kWorkWrite);
    EXPECT_EQ(full.failures(), 1);
    EXPECT_TRUE(readFile(work) == "old contents\n");
    EXPECT_EQ(listing(dir), names);
  }
  orv::sys::resetCalls();
  EXPECT_EQ(vcCoRevision(h, "1.1", work.c_str()), 0);
  EXPECT_TRUE(readFile(work) == text);
}

}  // namespace archive_fault_test
