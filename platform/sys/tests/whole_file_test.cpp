// The whole-file reader and the durable whole-file writer: their results on
// ordinary files and what they leave behind when a call fails half way.
#include "platform/sys/fault_injection.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace orv::sys;

namespace {

struct WholeFile : ::testing::Test {
  orv::test::TempDir temp{"orv-sys"};
  const std::string dir = temp.path();
  std::string path(const std::string& name) const { return temp.file(name); }
  std::vector<std::string> names() const { return temp.entries(); }
};

// Bytes no two of which at a fixed distance repeat, so a dropped or doubled
// block shows.
std::string patterned(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
  return s;
}

}  // namespace

TEST_F(WholeFile, ReadsEmptyAndLargeFilesWhole) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65536}, std::size_t{3 * 1024 * 1024 + 7}}) {
    const std::string bytes = patterned(size);
    ASSERT_EQ(writeWholeFile(path("f"), bytes), 0);
    std::string got = "stale";
    EXPECT_EQ(readWholeFile(path("f"), got), 0) << size;
    EXPECT_EQ(got, bytes) << size;
  }
}

TEST_F(WholeFile, ReadRetriesShortReadsAndInterruptions) {
  const std::string bytes = patterned(200000);
  ASSERT_EQ(writeWholeFile(path("f"), bytes), 0);
  // Every other read is interrupted; the rest hand out at most 7 bytes.
  calls().read = [](int fd, void* buf, size_t len) -> ssize_t {
    static int n = 0;
    if (++n % 2 == 0) {
      errno = EINTR;
      return -1;
    }
    return realCalls().read(fd, buf, len < 7 ? len : 7);
  };
  std::string got;
  const int rc = readWholeFile(path("f"), got);
  resetCalls();
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(got, bytes);
}

TEST_F(WholeFile, ReadReportsTheErrorAndKeepsNothing) {
  ASSERT_EQ(writeWholeFile(path("f"), patterned(300000)), 0);
  std::string got = "stale";
  EXPECT_EQ(readWholeFile(path("missing"), got), ENOENT);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(readWholeFile(dir, got), EISDIR);
  {
    ScopedFault<&SystemCalls::open> refused(EACCES, {.pathContains = "/f"});
    EXPECT_EQ(readWholeFile(path("f"), got), EACCES);
  }
  {
    // The second block fails: what came before it is not handed out.
    ScopedFault<&SystemCalls::read> eio(EIO, {.after = 1});
    got = "stale";
    EXPECT_EQ(readWholeFile(path("f"), got), EIO);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(eio.matchingCalls(), 2);
  }
}

TEST_F(WholeFile, WriterKeepsPermissionBitsAndLeavesOnlyTheFile) {
  ASSERT_EQ(writeWholeFile(path("f"), "one\n", 0600), 0);
  ASSERT_EQ(::chmod(path("f").c_str(), 0640), 0);
  ASSERT_EQ(writeWholeFile(path("f"), "two\n"), 0);
  std::string got;
  ASSERT_EQ(readWholeFile(path("f"), got), 0);
  EXPECT_EQ(got, "two\n");
  struct stat st {};
  ASSERT_EQ(::stat(path("f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(names(), std::vector<std::string>{"f"});
}

TEST_F(WholeFile, WriterFailureLeavesTheOldFileAndNoTemporary) {
  ASSERT_EQ(writeWholeFile(path("f"), "old\n"), 0);
  using Write = int (*)(const std::string& target);
  struct Case {
    const char* what;
    Write write;  // the replacement, made under one fault
    int err;
  };
  const Case cases[] = {
      {"fsync of the temporary",
       [](const std::string& target) {
         ScopedFault<&SystemCalls::fsync> f(EIO, {.pathContains = "~"});
         return writeWholeFile(target, "new contents\n");
       },
       EIO},
      {"rename over the old file",
       [](const std::string& target) {
         ScopedFault<&SystemCalls::rename> f(EXDEV);
         return writeWholeFile(target, "new contents\n");
       },
       EXDEV},
      {"write of the second block",
       [](const std::string& target) {
         ScopedFault<&SystemCalls::write> f(ENOSPC, {.after = 1});
         return writeWholeFile(target, std::string(200000, 'x'));
       },
       ENOSPC},
      {"close of the temporary",
       [](const std::string& target) {
         ScopedFault<&SystemCalls::close> f(EIO);
         return writeWholeFile(target, "new contents\n");
       },
       EIO},
  };
  for (const Case& c : cases) {
    // A write call may take the whole buffer at once; make the second block
    // real by writing in pieces.
    calls().write = [](int fd, const void* data, size_t len) -> ssize_t {
      return realCalls().write(fd, data, len < 4096 ? len : 4096);
    };
    EXPECT_EQ(c.write(path("f")), c.err) << c.what;
    resetCalls();
    std::string got;
    EXPECT_EQ(readWholeFile(path("f"), got), 0) << c.what;
    EXPECT_EQ(got, "old\n") << c.what;
    EXPECT_EQ(names(), std::vector<std::string>{"f"}) << c.what;
  }
}

TEST_F(WholeFile, WriterNeverReusesAnExistingTemporaryName) {
  // A file already holding the first temporary name stays as it was.
  const std::string clash = path(".f." + [] {
    char pid[8];
    std::snprintf(pid, sizeof pid, "%04x", static_cast<unsigned>(::getpid()) & 0xffffu);
    return std::string(pid);
  }() + ".000~");
  ASSERT_EQ(writeWholeFile(clash, "someone else's\n"), 0);
  ASSERT_EQ(writeWholeFile(path("f"), "mine\n"), 0);
  std::string got;
  ASSERT_EQ(readWholeFile(clash, got), 0);
  EXPECT_EQ(got, "someone else's\n");
  ASSERT_EQ(readWholeFile(path("f"), got), 0);
  EXPECT_EQ(got, "mine\n");
}
