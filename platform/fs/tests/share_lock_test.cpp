#include "platform/fs/share_lock.h"

#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orv::fs;

namespace {

// Runs a lock request in a child process and returns its status.
LockStatus lockInChild(const std::string& path, LockMode mode) {
  int fds[2];
  if (::pipe(fds) != 0) return LockStatus::CannotOpen;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    ShareLock lock;
    char st = static_cast<char>(lock.acquire(path, mode));
    (void)!::write(fds[1], &st, 1);
    ::_exit(0);
  }
  ::close(fds[1]);
  char st = static_cast<char>(LockStatus::CannotOpen);
  (void)!::read(fds[0], &st, 1);
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  return static_cast<LockStatus>(st);
}

struct Case {
  LockMode held;
  LockMode asked;
  LockStatus expected;
};

}  // namespace

TEST(ShareLock, ModesBetweenProcesses) {
  const Case cases[] = {
      {LockMode::DenyWrite, LockMode::DenyWrite, LockStatus::Ok},
      {LockMode::DenyWrite, LockMode::DenyReadWrite, LockStatus::Conflict},
      {LockMode::DenyReadWrite, LockMode::DenyWrite, LockStatus::Conflict},
      {LockMode::DenyReadWrite, LockMode::DenyReadWrite, LockStatus::Conflict},
  };
  orv::test::TempDir dir;
  for (const Case& c : cases) {
    ShareLock held;
    ASSERT_EQ(held.acquire(dir.file("a.c,v"), c.held), LockStatus::Ok);
    EXPECT_EQ(lockInChild(dir.file("a.c,v"), c.asked), c.expected)
        << int(c.held) << " vs " << int(c.asked);
    // Another file of the same directory is not affected.
    EXPECT_EQ(lockInChild(dir.file("b.c,v"), LockMode::DenyReadWrite), LockStatus::Ok);
  }
}

TEST(ShareLock, TwoHandlesInOneProcessConflict) {
  orv::test::TempDir dir;
  ShareLock reader, writer;
  ASSERT_EQ(reader.acquire(dir.file("f"), LockMode::DenyWrite), LockStatus::Ok);
  EXPECT_EQ(writer.acquire(dir.file("f"), LockMode::DenyReadWrite), LockStatus::Conflict);
  EXPECT_FALSE(writer.held());
  reader.release();
  EXPECT_EQ(writer.acquire(dir.file("f"), LockMode::DenyReadWrite), LockStatus::Ok);
  ShareLock second;
  EXPECT_EQ(second.acquire(dir.file("f"), LockMode::DenyWrite), LockStatus::Conflict);
}

TEST(ShareLock, ClosingAnotherDescriptorKeepsTheLock) {
  orv::test::TempDir dir;
  ShareLock lock;
  ASSERT_EQ(lock.acquire(dir.file("f"), LockMode::DenyReadWrite), LockStatus::Ok);
  int other = ::open(lockFilePathFor(dir.file("f")).c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  ::close(other);
  int same = ::open(dir.file("f.txt").c_str(), O_CREAT | O_RDWR, 0644);
  ::close(same);
  EXPECT_EQ(lockInChild(dir.file("f"), LockMode::DenyWrite), LockStatus::Conflict);
}

TEST(ShareLock, ReleaseOnDestructionAndChangeOfMode) {
  orv::test::TempDir dir;
  {
    ShareLock lock;
    ASSERT_EQ(lock.acquire(dir.file("f"), LockMode::DenyWrite), LockStatus::Ok);
    EXPECT_EQ(lockInChild(dir.file("f"), LockMode::DenyWrite), LockStatus::Ok);
    ASSERT_EQ(lock.change(LockMode::DenyReadWrite), LockStatus::Ok);
    EXPECT_EQ(lockInChild(dir.file("f"), LockMode::DenyWrite), LockStatus::Conflict);
    ASSERT_EQ(lock.change(LockMode::DenyWrite), LockStatus::Ok);
    EXPECT_EQ(lockInChild(dir.file("f"), LockMode::DenyWrite), LockStatus::Ok);
  }
  EXPECT_EQ(lockInChild(dir.file("f"), LockMode::DenyReadWrite), LockStatus::Ok);
}

TEST(ShareLock, UpgradeRefusedWhileAnotherReaderHolds) {
  orv::test::TempDir dir;
  ShareLock mine, theirs;
  ASSERT_EQ(mine.acquire(dir.file("f"), LockMode::DenyWrite), LockStatus::Ok);
  ASSERT_EQ(theirs.acquire(dir.file("f"), LockMode::DenyWrite), LockStatus::Ok);
  EXPECT_EQ(mine.change(LockMode::DenyReadWrite), LockStatus::Conflict);
  EXPECT_EQ(mine.mode(), LockMode::DenyWrite);  // the old mode is kept
  EXPECT_EQ(lockInChild(dir.file("f"), LockMode::DenyReadWrite), LockStatus::Conflict);
}

TEST(ShareLock, LockFileIsSharedAndLockByteIsBounded) {
  orv::test::TempDir dir;
  ShareLock lock;
  ASSERT_EQ(lock.acquire(dir.file("x"), LockMode::DenyWrite), LockStatus::Ok);
  struct stat st {};
  ASSERT_EQ(::stat(lockFilePathFor(dir.file("x")).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666u);
  EXPECT_EQ(lockFilePathFor("/a/b/c"), "/a/b/.vclock");
  EXPECT_EQ(lockFilePathFor("c"), ".vclock");
  EXPECT_EQ(lockFilePathFor("/c"), "/.vclock");
  for (const char* n : {"", "a", "very-long-name-of-an-archive.c,v"})
    EXPECT_LT(lockByteFor(n), 0x80000000u);
  EXPECT_NE(lockByteFor("a.c"), lockByteFor("A.c"));  // names are never case-folded
}

TEST(ShareLock, FailuresMapToTheirStatus) {
  orv::test::TempDir dir;
  struct Fault {
    int err;
    LockStatus expected;
  };
  static int injected;
  for (Fault f : {Fault{ENOLCK, LockStatus::NoLocking}, Fault{EAGAIN, LockStatus::Conflict},
                  Fault{EACCES, LockStatus::Conflict}}) {
    injected = f.err;
    orv::sys::calls().fcntlLock = [](int, int, struct flock*) {
      errno = injected;
      return -1;
    };
    ShareLock lock;
    int err = 0;
    EXPECT_EQ(lock.acquire(dir.file("f"), LockMode::DenyWrite, &err), f.expected);
    EXPECT_EQ(err, f.err);
    EXPECT_FALSE(lock.held());
    orv::sys::resetCalls();
  }
  ShareLock lock;
  EXPECT_EQ(lock.acquire(dir.file("missing-dir/f"), LockMode::DenyWrite), LockStatus::CannotOpen);
  orv::sys::calls().open = [](const char*, int, mode_t) {
    errno = EMFILE;
    return -1;
  };
  EXPECT_EQ(lock.acquire(dir.file("f"), LockMode::DenyWrite), LockStatus::TooManyFiles);
  orv::sys::resetCalls();
}
