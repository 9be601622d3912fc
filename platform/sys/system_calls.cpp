// The default table of operating-system calls behind the seam: each entry is
// the system's own call, wrapped only where the system's signature is
// variadic or differs in constness.
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/file.h>
#include <unistd.h>

namespace orv::sys {
namespace {

int sysOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int sysFcntlLock(int fd, int cmd, struct flock* lk) { return ::fcntl(fd, cmd, lk); }
int sysFcntlFlags(int fd, int cmd, int arg) { return ::fcntl(fd, cmd, arg); }
const char* sysGetenv(const char* name) { return std::getenv(name); }
int sysRenameExchange(const char* a, const char* b) {
#if defined(RENAME_EXCHANGE)
  return ::renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE);
#else
  (void)a;
  (void)b;
  errno = ENOSYS;
  return -1;
#endif
}

int sysUtimens(const char* path, const struct timespec times[2]) {
  return ::utimensat(AT_FDCWD, path, times, 0);
}

constexpr SystemCalls kReal{
    .open = sysOpen,
    .close = ::close,
    .read = ::read,
    .pread = ::pread,
    .write = ::write,
    .lseek = ::lseek,
    .fsync = ::fsync,
    .ftruncate = ::ftruncate,
    .fcntlLock = sysFcntlLock,
    .fcntlFlags = sysFcntlFlags,
    .stat = ::stat,
    .lstat = ::lstat,
    .fstat = ::fstat,
    .access = ::access,
    .chmod = ::chmod,
    .fchmod = ::fchmod,
    .chown = ::chown,
    .fchown = ::fchown,
    .utimens = sysUtimens,
    .rename = ::rename,
    .renameExchange = sysRenameExchange,
    .link = ::link,
    .unlink = ::unlink,
    .mkdir = ::mkdir,
    .rmdir = ::rmdir,
    .readlink = ::readlink,
    .getcwd = ::getcwd,
    .chdir = ::chdir,
    .opendir = ::opendir,
    .readdir = ::readdir,
    .closedir = ::closedir,
    .getpid = ::getpid,
    .geteuid = ::geteuid,
    .time = ::time,
    .clock_gettime = ::clock_gettime,
    .getenv = sysGetenv,
    .getpwuid_r = ::getpwuid_r,
    .getpwnam_r = ::getpwnam_r,
    .setpwent = ::setpwent,
    .getpwent = ::getpwent,
    .endpwent = ::endpwent,
    .setgrent = ::setgrent,
    .getgrent = ::getgrent,
    .endgrent = ::endgrent,
    .linkat = ::linkat,
    .kill = ::kill,
    .socket = ::socket,
    .bind = ::bind,
    .listen = ::listen,
    .accept4 = ::accept4,
    .connect = ::connect,
    .getsockopt = ::getsockopt,
    .poll = ::poll,
    .flock = ::flock,
    .send = ::send,
};

SystemCalls g_calls = kReal;

}  // namespace

SystemCalls& calls() { return g_calls; }
const SystemCalls& realCalls() { return kReal; }
void resetCalls() { g_calls = kReal; }

bool writeAll(int fd, const void* data, size_t len) {
  const char* p = static_cast<const char*>(data);
  while (len > 0) {
    ssize_t n = calls().write(fd, p, len);
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

}  // namespace orv::sys
