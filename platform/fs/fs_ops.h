// The one layer through which the platform file services reach the operating
// system. Every open, lock, write, sync, rename, link and unlink of platform/fs
// (and of the archive commit) goes through the table returned by fsOps(), so a
// test can replace one entry and make exactly that call fail (a full disk, a
// refused rename, no lock support) without needing privileges the test run
// does not have.
#pragma once

#include <fcntl.h>
#include <sys/types.h>

namespace orv::fs {

struct FsOps {
  int (*open)(const char* path, int flags, mode_t mode);
  int (*close)(int fd);
  int (*lock)(int fd, int cmd, struct flock* lk);  // fcntl record-lock commands
  ssize_t (*write)(int fd, const void* data, size_t len);
  int (*fsync)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*link)(const char* existing, const char* newName);
  int (*unlink)(const char* path);
};

// The table in use; tests may overwrite entries and call resetFsOps() after.
FsOps& fsOps();
void resetFsOps();

// Writes all of data, retrying short writes and EINTR; false with errno set.
bool writeAll(int fd, const void* data, size_t len);

}  // namespace orv::fs
