// The fault helper: which calls it fails (after N, by path, by descriptor),
// what a failed call answers, and that the table is whole again afterwards.
#include "platform/sys/fault_injection.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace orv::sys;

namespace {

struct FaultInjection : ::testing::Test {
  orv::test::TempDir temp{"orv-fault"};
  const std::string dir = temp.path();
  void SetUp() override {
    ASSERT_EQ(writeWholeFile(dir + "/a.txt", "a"), 0);
    ASSERT_EQ(writeWholeFile(dir + "/b.dat", "b"), 0);
  }
  void TearDown() override { resetCalls(); }
  int statOf(const std::string& name) {
    struct stat st {};
    return calls().stat((dir + "/" + name).c_str(), &st) == 0 ? 0 : errno;
  }
};

}  // namespace

TEST_F(FaultInjection, FailsAfterTheGivenNumberOfCallsAndRestoresOnScopeExit) {
  const auto before = calls().stat;
  {
    ScopedFault<&SystemCalls::stat> fault(EIO, {.after = 2});
    EXPECT_EQ(statOf("a.txt"), 0);
    EXPECT_EQ(statOf("a.txt"), 0);
    EXPECT_EQ(statOf("a.txt"), EIO);
    EXPECT_EQ(statOf("b.dat"), EIO);  // it keeps failing once it has begun
    EXPECT_EQ(fault.matchingCalls(), 4);
    EXPECT_EQ(fault.failures(), 2);
  }
  EXPECT_EQ(calls().stat, before);
  EXPECT_EQ(statOf("a.txt"), 0);
}

TEST_F(FaultInjection, PathFilterMatchesPathsAndTheFilesBehindDescriptors) {
  {
    ScopedFault<&SystemCalls::stat> fault(ENOENT, {.after = 1, .pathContains = ".txt"});
    EXPECT_EQ(statOf("b.dat"), 0);  // not counted towards `after`
    EXPECT_EQ(statOf("a.txt"), 0);
    EXPECT_EQ(statOf("b.dat"), 0);
    EXPECT_EQ(statOf("a.txt"), ENOENT);
  }
  {
    // Either name of a rename matches.
    ScopedFault<&SystemCalls::rename> fault(EXDEV, {.pathContains = "c.txt"});
    EXPECT_EQ(calls().rename((dir + "/b.dat").c_str(), (dir + "/c.txt").c_str()), -1);
    EXPECT_EQ(errno, EXDEV);
  }
  // A descriptor matches by the file it was opened on.
  const int txt = calls().open((dir + "/a.txt").c_str(), O_RDWR, 0);
  const int dat = calls().open((dir + "/b.dat").c_str(), O_RDWR, 0);
  ASSERT_GE(txt, 0);
  ASSERT_GE(dat, 0);
  {
    ScopedFault<&SystemCalls::fsync> fault(EIO, {.pathContains = "a.txt"});
    EXPECT_EQ(calls().fsync(dat), 0);
    EXPECT_EQ(calls().fsync(txt), -1);
    EXPECT_EQ(errno, EIO);
  }
  EXPECT_EQ(calls().fsync(txt), 0);
  calls().close(txt);
  calls().close(dat);
}

TEST_F(FaultInjection, CreatingFilterFailsOnlyTheOpensThatCreate) {
  {
    ScopedFault<&SystemCalls::open> fault(EACCES, {.pathContains = dir, .creating = true});
    const int reader = calls().open((dir + "/a.txt").c_str(), O_RDONLY | O_CLOEXEC, 0);
    EXPECT_GE(reader, 0);  // reading and writing what is there stays possible
    const int writer = calls().open((dir + "/a.txt").c_str(), O_WRONLY | O_CLOEXEC, 0);
    EXPECT_GE(writer, 0);
    calls().close(reader);
    calls().close(writer);
    EXPECT_EQ(calls().open((dir + "/new.txt").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(calls().open((dir + "/a.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), -1);
    EXPECT_EQ(calls().open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600), -1);
    EXPECT_EQ(errno, EACCES);
    // A directory opened to be synced is no creation, although O_TMPFILE
    // holds O_DIRECTORY's bit.
    const int d = calls().open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    EXPECT_GE(d, 0);
    calls().close(d);
    EXPECT_EQ(fault.matchingCalls(), 3);
    EXPECT_EQ(fault.failures(), 3);
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/new.txt"));
  EXPECT_EQ(writeWholeFile(dir + "/new.txt", "n"), 0);
}

TEST_F(FaultInjection, DistinctEntriesFailTogetherAndAnswerAsTheSystemWould) {
  ScopedFault<&SystemCalls::getcwd> cwd(ENOENT);
  ScopedFault<&SystemCalls::getpwuid_r> users(EIO);
  ::setenv("ORV_FAULT_PROBE_A", "a", 1);
  ::setenv("ORV_FAULT_PROBE_B", "b", 1);
  ScopedFault<&SystemCalls::getenv> env(0, {.pathContains = "PROBE_A"});
  char buf[256];
  EXPECT_EQ(calls().getcwd(buf, sizeof buf), nullptr);
  EXPECT_EQ(errno, ENOENT);
  struct passwd pw {};
  struct passwd* found = &pw;
  EXPECT_EQ(calls().getpwuid_r(0, &pw, buf, sizeof buf, &found), EIO);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(calls().getenv("ORV_FAULT_PROBE_A"), nullptr);
  EXPECT_STREQ(calls().getenv("ORV_FAULT_PROBE_B"), "b");
}

TEST_F(FaultInjection, ChainsToAnEntryATestReplacedItself) {
  // A replaced entry stays in force for the calls the fault lets through.
  static int seen = 0;
  calls().unlink = [](const char*) {
    ++seen;
    return 0;
  };
  {
    ScopedFault<&SystemCalls::unlink> fault(EPERM, {.after = 1});
    EXPECT_EQ(calls().unlink("x"), 0);
    EXPECT_EQ(calls().unlink("x"), -1);
  }
  EXPECT_EQ(calls().unlink("x"), 0);
  EXPECT_EQ(seen, 2);
}
