#include "vc/error_codes.h"
#include "vc/files/temp_files.h"

#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "testing/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vc;

namespace {

struct TempFilesTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-temp"};
  const std::string dir = scratch.path();
  void TearDown() override {
    resetSeams();
    ::unsetenv("TMPDIR");
    ::unsetenv("TEMP");
    ::unsetenv("TMP");
  }
};

std::uint32_t pid0x1abcd() { return 0x1abcd; }

}  // namespace

TEST_F(TempFilesTest, NamesBesideAFile) {
  seams().processId = pid0x1abcd;
  TempFile a, b, c;
  ASSERT_EQ(createTempBeside(nullptr, dir, kArchiveTempPrefix, a), 0);
  ASSERT_EQ(createTempBeside(nullptr, dir, kArchiveTempPrefix, b), 0);
  ASSERT_EQ(createTempBeside(nullptr, dir + "/", "vj_long", c), 0);
  EXPECT_EQ(a.path, dir + "/vc_abcd.000");
  EXPECT_EQ(b.path, dir + "/vc_abcd.001");  // the counter moves on
  EXPECT_EQ(c.path, dir + "/vj_labcd.000");  // at most four characters of prefix
  struct stat st {};
  ASSERT_EQ(::fstat(a.fd, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  removeTemp(nullptr, a);
  EXPECT_FALSE(fs::exists(dir + "/vc_abcd.000"));
  removeTemp(nullptr, b);
  removeTemp(nullptr, c);
  TempFile d;
  EXPECT_EQ(createTempBeside(nullptr, dir + "/missing", "vc_", d), vc::err::kCannotCreateTemp);
}

// Files in the temporary directory (plain copies of archives) have no name
// there: a process killed while holding one leaves nothing behind. They are
// private (0600) and reachable through their descriptor's path.
TEST_F(TempFilesTest, UnnamedFilesInTheTemporaryDirectory) {
  ::unsetenv("TMPDIR");
  ::setenv("TEMP", dir.c_str(), 1);
  // Where the file is: the directory part of its descriptor's link.
  auto where = [](const TempFile& t) {
    std::error_code ec;
    return fs::read_symlink(t.path, ec).parent_path().string();
  };
  TempFile a, b;
  ASSERT_EQ(createTempInTempDir(nullptr, nullptr, nullptr, a), 0);
  ASSERT_EQ(createTempInTempDir(nullptr, nullptr, "a.bcd", b), 0);
  EXPECT_FALSE(a.named);
  EXPECT_EQ(where(a), dir);
  struct stat st {};
  ASSERT_EQ(::fstat(a.fd, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_nlink, 0u);
  ASSERT_EQ(::write(a.fd, "abc", 3), 3);
  ASSERT_EQ(::stat(a.path.c_str(), &st), 0);  // reachable by its path
  EXPECT_EQ(st.st_size, 3);
  EXPECT_TRUE(fs::is_empty(dir));
  removeTemp(nullptr, a);
  removeTemp(nullptr, b);
  // An unusable candidate is passed over for the next one.
  ::setenv("TMPDIR", (dir + "/missing").c_str(), 1);
  ::unsetenv("TEMP");
  ::unsetenv("TMP");
  TempFile c;
  ASSERT_EQ(createTempInTempDir(nullptr, dir.c_str(), "x", c), 0);
  EXPECT_EQ(where(c), dir);
  removeTemp(nullptr, c);
  EXPECT_TRUE(fs::is_empty(dir));
}

// Eight processes asking for 200 names each in one directory all get
// different names, and every name was created.
TEST_F(TempFilesTest, ManyProcessesNeverShareAName) {
  seams().processId = pid0x1abcd;  // the same low bits in every process, as across NFS clients
  const int kProcesses = 8, kNames = 200;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    if (pid == 0) {
      int failures = 0;
      for (int i = 0; i < kNames; ++i) {
        TempFile t;
        if (createTempBeside(nullptr, dir, kArchiveTempPrefix, t) != 0) ++failures;
        else ::close(t.fd);
      }
      ::_exit(failures);
    }
    children.push_back(pid);
  }
  for (pid_t c : children) {
    int status = 0;
    ::waitpid(c, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename());
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kProcesses * kNames));
}
