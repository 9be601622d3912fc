#include "vc/archive/share_lock_codes.h"

#include "fs/fs_ops.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace orv::fs;

TEST(ShareLockCodes, LockFailuresBecomeLibraryCodes) {
  char tmpl[] = "/tmp/orv-lockcodes-XXXXXX";
  std::string dir = ::mkdtemp(tmpl);
  ShareLock reader, writer;
  EXPECT_EQ(vc::lockStatusCode(reader.acquire(dir + "/a,v", LockMode::DenyWrite)), 0);
  EXPECT_EQ(vc::lockStatusCode(writer.acquire(dir + "/a,v", LockMode::DenyReadWrite)), 204);
  // A file system without lock support answers ENOLCK.
  fsOps().lock = [](int, int, struct flock*) {
    errno = ENOLCK;
    return -1;
  };
  ShareLock other;
  EXPECT_EQ(vc::lockStatusCode(other.acquire(dir + "/b,v", LockMode::DenyWrite)), 6);
  resetFsOps();
  EXPECT_EQ(vc::lockStatusCode(other.acquire(dir + "/no/dir/c,v", LockMode::DenyWrite)), 203);
  EXPECT_EQ(vc::lockStatusCode(LockStatus::TooManyFiles), 10);
  reader.release();
  std::filesystem::remove_all(dir);
}
