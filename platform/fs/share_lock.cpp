// Share-mode locks on one byte of a per-directory lock file (see share_lock.h).
#include "platform/fs/share_lock.h"

#include "platform/sys/system_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace orv::fs {
namespace {

LockStatus statusForErrno(int e) {
  switch (e) {
    case EAGAIN:
    case EACCES:
      return LockStatus::Conflict;
    case ENOLCK:
    case EINVAL:  // the descriptor's file system cannot do record locks
      return LockStatus::NoLocking;
    case EMFILE:
    case ENFILE:
      return LockStatus::TooManyFiles;
    default:
      return LockStatus::CannotOpen;
  }
}

// Opens (creating when missing) the lock file; read-only when the directory
// or file refuses writing, which still allows shared locks. It exists after
// the first use of the directory, so it is opened first and made only when
// missing.
int openLockFile(const std::string& lockPath, bool* writable) {
  const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
  int fd = orv::sys::calls().open(lockPath.c_str(), flags, 0);
  if (fd < 0 && errno == ENOENT) {
    fd = orv::sys::calls().open(lockPath.c_str(), flags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      orv::sys::calls().fchmod(fd, 0666);  // readable and lockable by every user, whatever the umask
      *writable = true;
      return fd;
    }
    if (errno == EEXIST) fd = orv::sys::calls().open(lockPath.c_str(), flags, 0);  // made meanwhile
  }
  if (fd >= 0) {
    *writable = true;
    return fd;
  }
  if (errno == EACCES || errno == EROFS || errno == EPERM) {
    fd = orv::sys::calls().open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW, 0);
    if (fd >= 0) {
      *writable = false;
      return fd;
    }
  }
  return -1;
}

int setLock(int fd, std::uint32_t byte, LockMode mode) {
  struct flock lk {};
  lk.l_type = mode == LockMode::DenyWrite ? F_RDLCK : F_WRLCK;
  lk.l_whence = SEEK_SET;
  lk.l_start = static_cast<off_t>(byte);
  lk.l_len = 1;
  lk.l_pid = 0;
  return orv::sys::calls().fcntlLock(fd, F_OFD_SETLK, &lk);
}

std::string baseNameOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::uint32_t lockByteFor(const std::string& baseName) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (unsigned char c : baseName) {
    h ^= c;
    h *= 16777619u;
  }
  return h & 0x7fffffffu;
}

std::string lockFilePathFor(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return kLockFileName;
  if (slash == 0) return std::string("/") + kLockFileName;
  return path.substr(0, slash + 1) + kLockFileName;
}

ShareLock::ShareLock(ShareLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), writable_(other.writable_), byte_(other.byte_),
      mode_(other.mode_) {}

ShareLock& ShareLock::operator=(ShareLock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
    writable_ = other.writable_;
    byte_ = other.byte_;
    mode_ = other.mode_;
  }
  return *this;
}

LockStatus ShareLock::acquire(const std::string& path, LockMode mode, int* errnoOut) {
  release();
  bool writable = false;
  int fd = openLockFile(lockFilePathFor(path), &writable);
  if (fd < 0) {
    int e = errno;
    if (errnoOut) *errnoOut = e;
    return e == EMFILE || e == ENFILE ? LockStatus::TooManyFiles : LockStatus::CannotOpen;
  }
  std::uint32_t byte = lockByteFor(baseNameOf(path));
  if (mode == LockMode::DenyReadWrite && !writable) {
    // An exclusive lock needs a writable descriptor; whoever cannot write the
    // lock file could not replace the file either.
    orv::sys::calls().close(fd);
    if (errnoOut) *errnoOut = EACCES;
    return LockStatus::Conflict;
  }
  if (setLock(fd, byte, mode) != 0) {
    int e = errno;
    orv::sys::calls().close(fd);
    if (errnoOut) *errnoOut = e;
    return statusForErrno(e);
  }
  fd_ = fd;
  writable_ = writable;
  byte_ = byte;
  mode_ = mode;
  return LockStatus::Ok;
}

LockStatus ShareLock::change(LockMode mode, int* errnoOut) {
  if (fd_ < 0) {
    if (errnoOut) *errnoOut = EBADF;
    return LockStatus::CannotOpen;
  }
  if (mode == mode_) return LockStatus::Ok;
  if (mode == LockMode::DenyReadWrite && !writable_) {
    if (errnoOut) *errnoOut = EACCES;
    return LockStatus::Conflict;
  }
  if (setLock(fd_, byte_, mode) != 0) {
    int e = errno;
    if (errnoOut) *errnoOut = e;
    return statusForErrno(e);
  }
  mode_ = mode;
  return LockStatus::Ok;
}

void ShareLock::release() {
  if (fd_ >= 0) {
    orv::sys::calls().close(fd_);  // closing the description drops its locks
    fd_ = -1;
  }
}

}  // namespace orv::fs
