#include "vc/archive/share_lock_codes.h"
#include "vc/error_codes.h"

#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace orv::fs;

TEST(ShareLockCodes, LockFailuresBecomeLibraryCodes) {
  const orv::test::TempDir dir("orv-lockcodes");
  ShareLock reader, writer;
  EXPECT_EQ(vc::lockStatusCode(reader.acquire(dir.file("a,v"), LockMode::DenyWrite)), 0);
  EXPECT_EQ(vc::lockStatusCode(writer.acquire(dir.file("a,v"), LockMode::DenyReadWrite)), vc::err::kCannotLock);
  // A file system without lock support answers ENOLCK.
  orv::sys::calls().fcntlLock = [](int, int, struct flock*) {
    errno = ENOLCK;
    return -1;
  };
  ShareLock other;
  EXPECT_EQ(vc::lockStatusCode(other.acquire(dir.file("b,v"), LockMode::DenyWrite)), vc::err::kNoFileLocking);
  orv::sys::resetCalls();
  EXPECT_EQ(vc::lockStatusCode(other.acquire(dir.file("no/dir/c,v"), LockMode::DenyWrite)),
            vc::err::kCannotOpenArchive);
  EXPECT_EQ(vc::lockStatusCode(LockStatus::TooManyFiles), vc::err::kTooManyFiles);
  reader.release();
}
