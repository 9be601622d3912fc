// Whole-file replacement through a temporary file and rename (see
// replace_file.h): an unnamed file where the file system has them, a named
// one marked in use otherwise.
#include "platform/fs/replace_file.h"

#include "platform/sys/system_calls.h"
#include "platform/fs/temp_file.h"

#include <cerrno>
#include <mutex>
#include <unordered_set>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::fs {
namespace {

std::string dirOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// True the first time this process writes into dir.
bool firstWriteInto(const std::string& dir) {
  static std::mutex lock;
  static std::unordered_set<std::string> seen;
  const std::lock_guard<std::mutex> hold(lock);
  return seen.insert(dir).second;
}

}  // namespace

int syncParentDirectory(const std::string& path) {
  int dfd = orv::sys::calls().open(dirOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (dfd < 0) return errno;
  int rc = orv::sys::calls().fsync(dfd) == 0 ? 0 : errno;
  orv::sys::calls().close(dfd);
  // Some file systems cannot sync a directory; the rename itself stands.
  return rc == EINVAL ? 0 : rc;
}

// The temporary names of replacements: ".<base>.<pid %04x>.<n>~".
static bool parseTemporaryName(std::string_view name, TempOwner& owner) {
  if (name.size() < 9 || name[0] != '.' || name.back() != '~') return false;
  // The pid and the number are the last two dot-separated fields.
  const std::size_t numberDot = name.find_last_of('.');
  if (numberDot == std::string_view::npos || numberDot < 6) return false;
  const std::size_t pidDot = name.find_last_of('.', numberDot - 1);
  if (pidDot == std::string_view::npos || pidDot < 2) return false;  // a base of one character at least
  std::string_view rest = name.substr(pidDot + 1, name.size() - pidDot - 2);
  const std::size_t dot = rest.find('.');
  if (dot != 4 || rest.size() < 6) return false;
  unsigned pid = 0;
  for (char c : rest.substr(0, 4)) {
    const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (v < 0) return false;
    pid = pid * 16 + static_cast<unsigned>(v);
  }
  for (char c : rest.substr(5))
    if (c < '0' || c > '9') return false;
  owner.pid = pid;
  owner.pidMask = 0xffffu;
  return true;
}

int AtomicFileWriter::begin(const std::string& path, mode_t newFileMode, Durability durability) {
  abandon();
  target_ = path;
  error_ = 0;
  durability_ = durability;
  const std::string dir = dirOf(path);
  const std::string base = baseOf(path);
  // A writer killed while its temporary had a name leaves that name behind.
  // The names of dead writers are looked for once per directory and process,
  // so that writing many files into a large directory does not read the
  // whole directory each time.
  if (firstWriteInto(dir))
    removeStaleFiles(dir, [](std::string_view name, TempOwner& owner) { return parseTemporaryName(name, owner); });
  int fd = openUnnamed(dir, newFileMode);
  if (fd >= 0) {
    fd_ = fd;
    temp_ = descriptorPath(fd);
    named_ = false;
  } else {
    if (!unnamedUnsupported(errno)) return error_ = errno;
    const unsigned pid = static_cast<unsigned>(orv::sys::calls().getpid()) & 0xffffu;
    CreatedFile f = createUnique(
        [&](unsigned n) {
          char tail[32];
          std::snprintf(tail, sizeof tail, ".%04x.%03u~", pid, n);
          return dir + "/." + base + tail;
        },
        1000, newFileMode);
    if (f.fd < 0) return error_ = f.error;
    fd_ = f.fd;
    temp_ = f.path;
    named_ = true;
  }
  markInUse(fd_);  // without locks, the process id in the name still protects it
  struct stat st {};
  targetIsFile_ = false;
  targetExists_ = orv::sys::calls().stat(path.c_str(), &st) == 0;
  if (targetExists_) {
    targetIsFile_ = S_ISREG(st.st_mode);
    // Keep the old file's permission bits and group: whoever replaces a
    // shared file must not lock the team out through a private umask. Only
    // what differs from the new file's is changed.
    struct stat made {};
    const bool known = orv::sys::calls().fstat(fd_, &made) == 0;
    if (!known || (made.st_mode & 07777) != (st.st_mode & 07777)) orv::sys::calls().fchmod(fd_, st.st_mode & 07777);
    if (!known || made.st_gid != st.st_gid) {
      if (orv::sys::calls().fchown(fd_, static_cast<uid_t>(-1), st.st_gid) != 0) {
        // Only the file's owner or a member of the group may do this; the
        // contents are what matters.
      }
    }
  }
  return 0;
}

int AtomicFileWriter::write(std::string_view data) {
  if (fd_ < 0) return error_ ? error_ : EBADF;
  if (error_) return error_;
  if (!orv::sys::writeAll(fd_, data.data(), data.size())) error_ = errno;
  return error_;
}

// Links the unnamed temporary file under a temporary name beside the
// target; 0 or an errno value.
int AtomicFileWriter::nameTemporary() {
  const unsigned pid = static_cast<unsigned>(orv::sys::calls().getpid()) & 0xffffu;
  const std::string dir = dirOf(target_);
  const std::string base = baseOf(target_);
  for (unsigned n = 0; n < 1000; ++n) {
    char tail[32];
    std::snprintf(tail, sizeof tail, ".%04x.%03u~", pid, n);
    const std::string name = dir + "/." + base + tail;
    const int e = linkDescriptor(fd_, name);
    if (e == 0) {
      temp_ = name;
      named_ = true;
      return 0;
    }
    if (e != EEXIST) return e;
  }
  return EEXIST;
}

int AtomicFileWriter::commit() {
  if (fd_ < 0) return error_ ? error_ : EBADF;
  const bool sync = durability_ == Durability::Durable;
  int rc = error_;
  if (rc == 0 && sync && orv::sys::calls().fsync(fd_) != 0) rc = errno;
  bool linkedAtTarget = false;
  if (rc == 0 && !named_) {
    // A target missing at begin() takes the name at once (the link fails if
    // it has appeared since); otherwise a temporary name first, renamed over
    // the old file.
    if (!targetExists_ && linkDescriptor(fd_, target_) == 0) {
      temp_.clear();
      linkedAtTarget = true;
    } else {
      rc = nameTemporary();
    }
  }
  // The descriptor is closed before the rename: a failing close (a write
  // error the file system reports late) still leaves the old file in place.
  if (orv::sys::calls().close(fd_) != 0 && rc == 0) rc = errno;
  fd_ = -1;
  if (rc != 0 && linkedAtTarget) orv::sys::calls().unlink(target_.c_str());  // the name was free
  if (rc == 0 && !temp_.empty()) rc = putInPlace();
  if (rc != 0) {
    if (named_) orv::sys::calls().unlink(temp_.c_str());
    temp_.clear();
    named_ = false;
    return error_ = rc;
  }
  temp_.clear();
  named_ = false;
  if (sync) syncParentDirectory(target_);
  return 0;
}

int AtomicFileWriter::putInPlace() {
  if (durability_ == Durability::NoSync && targetIsFile_ &&
      orv::sys::calls().renameExchange(temp_.c_str(), target_.c_str()) == 0) {
    // The temporary name now holds the old file.
    if (orv::sys::calls().unlink(temp_.c_str()) == 0) return 0;
    // It cannot go: swap back, and let the rename below decide.
    if (orv::sys::calls().renameExchange(temp_.c_str(), target_.c_str()) != 0) {
      temp_.clear();  // the new contents are in place; the old stay beside them
      return 0;
    }
  }
  return orv::sys::calls().rename(temp_.c_str(), target_.c_str()) == 0 ? 0 : errno;
}

void AtomicFileWriter::abandon() {
  if (fd_ >= 0) {
    orv::sys::calls().close(fd_);
    fd_ = -1;
  }
  if (named_ && !temp_.empty()) orv::sys::calls().unlink(temp_.c_str());
  temp_.clear();
  named_ = false;
}

int replaceFileContents(const std::string& path, std::string_view contents, mode_t newFileMode) {
  AtomicFileWriter w;
  if (int rc = w.begin(path, newFileMode)) return rc;
  if (int rc = w.write(contents)) return rc;
  return w.commit();
}

}  // namespace orv::fs
