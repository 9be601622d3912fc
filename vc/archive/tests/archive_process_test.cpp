// Two processes on one archive: share-mode conflicts, the change test after
// another process committed, and a reader that watches the file during
// commits. The second process is a fork that starts its own instance.
#include "vc/tests/archive_test_support.h"

#include "vc/archive/format/archive_writer.h"
#include "vc/error_codes.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace archive_test;

namespace {

// Runs body in a child process with its own library instance; answers the
// child's exit status (body's result), or -1 when it did not exit normally.
template <class Body>
int inChild(Body body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int rc = vcAPIinit() == 0 ? body() : 250;
    ::_exit(rc & 0xff);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ProcessTest : ArchiveTest {};

}  // namespace

TEST_F(ProcessTest, ReaderAndWriterConflictAtOnce) {
  const std::string p = copyFixture("one.v");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  EXPECT_EQ(inChild([&] { int c = 0; return vcOpenArchive(p.c_str(), &c, 3); }), vc::err::kCannotLock);
  EXPECT_EQ(inChild([&] { int c = 0; return vcOpenArchive(p.c_str(), &c, 1); }), 0);  // readers share
  ASSERT_EQ(vcWriteLock(h), 0);
  EXPECT_EQ(inChild([&] { int c = 0; return vcOpenArchive(p.c_str(), &c, 1); }), vc::err::kCannotLock);
  EXPECT_EQ(inChild([&] { return vcOpenArchive(p.c_str(), nullptr, 1); }), vc::err::kCannotLock);
  ASSERT_EQ(vcCloseArchive(h), 0);
  EXPECT_EQ(inChild([&] {
              int c = 0;
              int rc = vcOpenArchive(p.c_str(), &c, 3);
              return rc ? rc : vcCommitArchive(c, 1);
            }),
            0);
}

TEST_F(ProcessTest, WriteLockAfterAnotherProcessCommittedAnswers55) {
  const std::string p = copyFixture("branches.v");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  ASSERT_EQ(vcKeepClosed(h), 0);
  ASSERT_EQ(inChild([&] {
              int c = 0;
              int rc = vcOpenArchive(p.c_str(), &c, 3);
              return rc ? rc : vcCommitArchive(c, 1);
            }),
            0);
  EXPECT_EQ(vcWriteLock(h), vc::err::kFileChanged);
  // Nothing changed since this open: the lock is granted.
  int h2 = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h2, 1), 0);
  ASSERT_EQ(vcKeepClosed(h2), 0);
  EXPECT_EQ(vcWriteLock(h2), 0);
}

TEST_F(ProcessTest, ReaderNeverFindsTheArchiveMissingOrHalfWritten) {
  const std::string p = copyFixture("branches.v");
  int stop[2];
  ASSERT_EQ(::pipe(stop), 0);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(stop[1]);
    ::close(ready[0]);
    int code = 0, reads = 0;
    for (long i = 0; i < 2000000 && code == 0; ++i) {
      int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) {
        code = 1;  // missing
        break;
      }
      std::string bytes;
      char buf[4096];
      for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) bytes.append(buf, static_cast<size_t>(n));
      ::close(fd);
      vc::archive::MemorySource src(bytes);
      vc::archive::ArchiveFile a;
      a.source = &src;
      if (vc::archive::readHeader(a) != 0 || vc::archive::readTexts(a, nullptr) != 0) code = 2;
      if (++reads == 1) (void)!::write(ready[1], "r", 1);
      pollfd pf{stop[0], POLLIN, 0};
      if (::poll(&pf, 1, 0) > 0) break;
    }
    ::_exit(code);
  }
  ::close(stop[0]);
  ::close(ready[1]);
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);  // the reader runs
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 3), 0);
  for (int i = 0; i < 40; ++i) {
    vc::VcArchive* a = rec(h);
    ASSERT_EQ(vc::readArchiveHeader(inst(), *a), 0);
    a->file.symbols.push_back({"1.1", "round" + std::to_string(i)});
    vc::markArchiveChanged(*a);
    ASSERT_EQ(vcCommitArchive(h, 0), 0) << i;
  }
  ASSERT_EQ(::write(stop[1], "s", 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: missing, 2: half-written";
  ::close(stop[1]);
  ::close(ready[0]);
  EXPECT_NE(readFile(p).find("round39:1.1"), std::string::npos);
}
