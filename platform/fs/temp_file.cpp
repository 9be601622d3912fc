// Exclusive creation of temporary files (see temp_file.h).
#include "platform/fs/temp_file.h"

#include "platform/sys/system_calls.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::fs {

CreatedFile createUnique(const std::function<std::string(unsigned)>& nameFor, unsigned maxTries,
                         mode_t mode) {
  CreatedFile out;
  out.error = EEXIST;
  for (unsigned i = 0; i < maxTries; ++i) {
    std::string name = nameFor(i);
    if (name.empty()) break;
    int fd = orv::sys::calls().open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0) {
      out.fd = fd;
      out.path = std::move(name);
      out.error = 0;
      return out;
    }
    out.error = errno;
    if (errno != EEXIST) break;
  }
  return out;
}

std::vector<std::string> temporaryDirectories() {
  std::vector<std::string> dirs;
  for (const char* var : {"TMPDIR", "TMP", "TEMP"}) {
    const char* v = orv::sys::calls().getenv(var);
    if (v && *v) dirs.emplace_back(v);
  }
  dirs.emplace_back("/tmp");
  return dirs;
}

int openUnnamed(const std::string& dir, mode_t mode) {
  return orv::sys::calls().open(dir.empty() ? "." : dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
}

bool unnamedUnsupported(int e) {
  // Kernels and file systems without O_TMPFILE answer one of these.
  return e == EOPNOTSUPP || e == ENOTSUP || e == EISDIR || e == EINVAL || e == ENOSYS;
}

std::string descriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

int linkDescriptor(int fd, const std::string& path) {
  const std::string from = descriptorPath(fd);
  if (orv::sys::calls().linkat(AT_FDCWD, from.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
    return 0;
  return errno;
}

int markInUse(int fd) {
  struct flock lk {};
  lk.l_type = F_RDLCK;
  lk.l_whence = SEEK_SET;
  lk.l_start = 0;
  lk.l_len = 0;  // the whole file, however long it grows
  return orv::sys::calls().fcntlLock(fd, F_OFD_SETLK, &lk) == 0 ? 0 : errno;
}

bool abandonedTempFile(const std::string& path, const TempOwner& owner) {
  auto& ops = orv::sys::calls();
  const int fd = ops.open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
  if (fd < 0) return false;  // not ours to judge (another user's, or gone already)
  struct stat st {};
  bool abandoned = ops.fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (abandoned) {
    // Somebody's read lock on the file means it is in use - on this
    // machine or another one sharing the directory.
    struct flock lk {};
    lk.l_type = F_WRLCK;
    lk.l_whence = SEEK_SET;
    lk.l_start = 0;
    lk.l_len = 0;
    abandoned = ops.fcntlLock(fd, F_OFD_GETLK, &lk) == 0 && lk.l_type == F_UNLCK;
  }
  ops.close(fd);
  if (!abandoned) return false;
  // Not locked: a file of a writer that has not locked it yet, or of one
  // that is gone. Only a maker that is surely not alive gives it up.
  const unsigned self = static_cast<unsigned>(ops.getpid());
  if ((self & owner.pidMask) == (owner.pid & owner.pidMask)) return false;
  if (owner.pid == 0) return false;
  return ops.kill(static_cast<pid_t>(owner.pid), 0) != 0 && errno == ESRCH;
}

int removeStaleFiles(const std::string& dir, const TempNameParser& parse) {
  auto& ops = orv::sys::calls();
  const std::string head = dir.empty() ? "." : dir;
  DIR* d = ops.opendir(head.c_str());
  if (!d) return 0;
  std::vector<std::pair<std::string, TempOwner>> candidates;
  while (struct dirent* e = ops.readdir(d)) {
    TempOwner owner;
    if (parse(e->d_name, owner)) candidates.emplace_back(e->d_name, owner);
  }
  ops.closedir(d);
  int removed = 0;
  for (const auto& [name, owner] : candidates) {
    const std::string path = head + (head.back() == '/' ? "" : "/") + name;
    if (abandonedTempFile(path, owner) && ops.unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace orv::fs
