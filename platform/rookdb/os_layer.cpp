// Operating-system calls of rookdb: lock companions, existence and access
// tests, unique temporary files and the no-overwrite rename that publishes a
// new database.
#include "platform/rookdb/os_layer.h"
#include "platform/sys/system_calls.h"

#include "platform/rookdb/include/rookdb/fault_seam.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace rookdb {
namespace fault {
namespace {
int armed[3] = {0, 0, 0};
}
void failNext(Point p, int err) { armed[static_cast<int>(p)] = err; }
void clear() {
  for (int& a : armed) a = 0;
}
int take(Point p) {
  int e = armed[static_cast<int>(p)];
  armed[static_cast<int>(p)] = 0;
  return e;
}
}  // namespace fault

namespace os {
namespace {

std::string directoryOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int lockByte(int fd, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 1;
  if (orv::sys::calls().fcntlLock(fd, F_OFD_SETLK, &fl) == 0) return 0;
  return errno;
}

void syncDirectory(const std::string& dir) {
  int fd = orv::sys::calls().open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return;
  orv::sys::calls().fsync(fd);
  orv::sys::calls().close(fd);
}

}  // namespace

int openLockFile(const std::string& path, bool create, bool& created, int& fd) {
  created = false;
  fd = -1;
  if (int e = fault::take(fault::Point::LockOpen)) return e;
  if (create) {
    fd = orv::sys::calls().open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      created = true;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  fd = orv::sys::calls().open(path.c_str(), O_RDWR | O_CLOEXEC, 0);
  return fd >= 0 ? 0 : errno;
}

void closeFd(int& fd) {
  if (fd >= 0) orv::sys::calls().close(fd);
  fd = -1;
}

int lockShared(int fd) { return lockByte(fd, F_RDLCK); }
int lockExclusive(int fd) { return lockByte(fd, F_WRLCK); }

bool exists(const std::string& path) {
  struct stat st {};
  return orv::sys::calls().stat(path.c_str(), &st) == 0;
}

bool writableWithDirectory(const std::string& path) {
  auto& os = orv::sys::calls();
  return os.access(path.c_str(), W_OK) == 0 && os.access(directoryOf(path).c_str(), W_OK) == 0;
}

int makeUniqueFile(const std::string& prefix, std::string& name) {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(rd()));
    std::string candidate = prefix + suffix;
    int fd = orv::sys::calls().open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      orv::sys::calls().close(fd);
      name = candidate;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int publish(const std::string& from, const std::string& to) {
  if (int e = fault::take(fault::Point::Publish)) return e;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without RENAME_NOREPLACE: a hard link refuses an existing name too.
    if (orv::sys::calls().link(from.c_str(), to.c_str()) != 0) return errno;
    orv::sys::calls().unlink(from.c_str());
  }
  syncDirectory(directoryOf(to));
  return 0;
}

void removeQuietly(const std::string& path) { orv::sys::calls().unlink(path.c_str()); }

}  // namespace os
}  // namespace rookdb
