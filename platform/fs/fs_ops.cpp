// Default operating-system calls behind the platform file layer.
#include "fs_ops.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace orv::fs {
namespace {

int sysOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int sysLock(int fd, int cmd, struct flock* lk) { return ::fcntl(fd, cmd, lk); }

FsOps defaults() {
  return FsOps{sysOpen, ::close, sysLock, ::write, ::fsync, ::rename, ::link, ::unlink};
}

FsOps g_ops = defaults();

}  // namespace

FsOps& fsOps() { return g_ops; }
void resetFsOps() { g_ops = defaults(); }

bool writeAll(int fd, const void* data, size_t len) {
  const char* p = static_cast<const char*>(data);
  while (len > 0) {
    ssize_t n = fsOps().write(fd, p, len);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    p += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace orv::fs
