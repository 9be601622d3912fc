// The one layer through which the libraries reach the operating system.
//
// Every file, directory, clock, environment and user-database call of the
// platform services, the support routines and the revision library goes
// through the table returned by calls(), in the manner of SQLite's table of
// replaceable system calls. A test replaces one entry (see
// fault_injection.h) and makes exactly that call fail - a full disk, an I/O
// error in the middle of a read, a refused chmod - without needing
// privileges the test run does not have (CI runs as root).
//
// Entries keep the signatures and conventions of the POSIX calls they stand
// for (-1 or nullptr with errno set; the getpw*_r calls return the error).
// The fcntl call is split into its two uses, so neither needs varargs.
#pragma once

#include <cstddef>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <string_view>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace orv::sys {

struct SystemCalls {
  // Descriptors and their contents.
  int (*open)(const char* path, int flags, mode_t mode);
  int (*close)(int fd);
  ssize_t (*read)(int fd, void* buf, size_t len);
  ssize_t (*pread)(int fd, void* buf, size_t len, off_t offset);
  ssize_t (*write)(int fd, const void* data, size_t len);
  off_t (*lseek)(int fd, off_t offset, int whence);
  int (*fsync)(int fd);
  int (*ftruncate)(int fd, off_t length);
  int (*fcntlLock)(int fd, int cmd, struct flock* lk);  // F_OFD_SETLK, F_SETLK, F_GETLK ...
  int (*fcntlFlags)(int fd, int cmd, int arg);         // F_GETFD, F_SETFD, F_GETFL, F_SETFL
  // File status and attributes.
  int (*stat)(const char* path, struct stat* st);
  int (*lstat)(const char* path, struct stat* st);
  int (*fstat)(int fd, struct stat* st);
  int (*access)(const char* path, int how);
  int (*chmod)(const char* path, mode_t mode);
  int (*fchmod)(int fd, mode_t mode);
  int (*chown)(const char* path, uid_t owner, gid_t group);
  int (*fchown)(int fd, uid_t owner, gid_t group);
  // Sets a file's access and modification times (utimensat on a path,
  // following links).
  int (*utimens)(const char* path, const struct timespec times[2]);
  // Names in directories.
  int (*rename)(const char* from, const char* to);
  // Swaps two existing names in one step (Linux renameat2 with
  // RENAME_EXCHANGE); -1 with errno EINVAL or ENOSYS where the system or the
  // file system cannot.
  int (*renameExchange)(const char* a, const char* b);
  int (*link)(const char* existing, const char* newName);
  int (*unlink)(const char* path);
  int (*mkdir)(const char* path, mode_t mode);
  int (*rmdir)(const char* path);
  ssize_t (*readlink)(const char* path, char* buf, size_t size);
  char* (*getcwd)(char* buf, size_t size);
  int (*chdir)(const char* path);
  DIR* (*opendir)(const char* path);
  struct dirent* (*readdir)(DIR* dir);
  int (*closedir)(DIR* dir);
  // Process, clock, environment and user database.
  pid_t (*getpid)();
  uid_t (*geteuid)();
  time_t (*time)(time_t* out);
  int (*clock_gettime)(clockid_t clock, struct timespec* out);
  const char* (*getenv)(const char* name);
  int (*getpwuid_r)(uid_t uid, struct passwd* pw, char* buf, size_t size, struct passwd** result);
  int (*getpwnam_r)(const char* name, struct passwd* pw, char* buf, size_t size, struct passwd** result);
  // Walks over every account and group of the user database (NSS): set,
  // next entry (nullptr at the end), end.
  void (*setpwent)();
  struct passwd* (*getpwent)();
  void (*endpwent)();
  void (*setgrent)();
  struct group* (*getgrent)();
  void (*endgrent)();
  // Naming an unnamed file, and asking whether a process lives.
  int (*linkat)(int fromDir, const char* from, int toDir, const char* to, int flags);
  int (*kill)(pid_t pid, int signal);
  // Local sockets, waiting on descriptors, and whole-file advisory locks.
  int (*socket)(int domain, int type, int protocol);
  int (*bind)(int fd, const struct sockaddr* addr, socklen_t len);
  int (*listen)(int fd, int backlog);
  int (*accept4)(int fd, struct sockaddr* addr, socklen_t* len, int flags);
  int (*connect)(int fd, const struct sockaddr* addr, socklen_t len);
  int (*getsockopt)(int fd, int level, int name, void* value, socklen_t* len);
  int (*poll)(struct pollfd* fds, nfds_t count, int timeoutMs);
  int (*flock)(int fd, int operation);
  ssize_t (*send)(int fd, const void* data, size_t len, int flags);
};

// The table in use. Tests may replace entries (preferably through
// fault_injection.h, which restores them); resetCalls() puts every entry back.
SystemCalls& calls();
// The real operating-system calls.
const SystemCalls& realCalls();
void resetCalls();

// Writes all of data to fd, retrying short writes and EINTR; false with errno
// set (EIO when the system wrote nothing and reported no error).
bool writeAll(int fd, const void* data, size_t len);

// Appends everything from fd's current offset to its end to out, retrying
// short reads and EINTR. Returns 0 or an errno value (out then holds what was
// read before the failure). For callers that must tell a file that cannot be
// opened from one that cannot be read; others use readWholeFile.
int readAll(int fd, std::string& out);

// Reads the whole of path into out (replacing it), retrying short reads and
// EINTR. Returns 0 or an errno value; out is left empty on failure.
int readWholeFile(const std::string& path, std::string& out);

// Replaces path durably with contents: a temporary file in the same directory
// (exclusive create), written, synced, renamed over the old file, and the
// directory synced. The old file is never deleted first; on failure it stays
// as it was and the temporary file is removed. A new file gets newFileMode
// (less the umask); an existing one keeps its permission bits. Returns 0 or
// an errno value.
int writeWholeFile(const std::string& path, std::string_view contents, mode_t newFileMode = 0666);

}  // namespace orv::sys
