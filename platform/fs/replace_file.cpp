// Whole-file replacement through a temporary file and rename (see replace_file.h).
#include "replace_file.h"

#include "platform/sys/system_calls.h"
#include "temp_file.h"

#include <cerrno>
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

}  // namespace

int syncParentDirectory(const std::string& path) {
  int dfd = orv::sys::calls().open(dirOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (dfd < 0) return errno;
  int rc = orv::sys::calls().fsync(dfd) == 0 ? 0 : errno;
  orv::sys::calls().close(dfd);
  // Some file systems cannot sync a directory; the rename itself stands.
  return rc == EINVAL ? 0 : rc;
}

int AtomicFileWriter::begin(const std::string& path, mode_t newFileMode, Durability durability) {
  abandon();
  target_ = path;
  error_ = 0;
  durability_ = durability;
  const std::string dir = dirOf(path);
  const std::string base = baseOf(path);
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
  struct stat st {};
  targetIsFile_ = false;
  if (orv::sys::calls().stat(path.c_str(), &st) == 0) {
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

int AtomicFileWriter::commit() {
  if (fd_ < 0) return error_ ? error_ : EBADF;
  const bool sync = durability_ == Durability::Durable;
  int rc = error_;
  if (rc == 0 && sync && orv::sys::calls().fsync(fd_) != 0) rc = errno;
  if (orv::sys::calls().close(fd_) != 0 && rc == 0) rc = errno;
  fd_ = -1;
  if (rc == 0) rc = putInPlace();
  if (rc != 0) {
    orv::sys::calls().unlink(temp_.c_str());
    temp_.clear();
    return error_ = rc;
  }
  temp_.clear();
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
  if (!temp_.empty()) {
    orv::sys::calls().unlink(temp_.c_str());
    temp_.clear();
  }
}

int replaceFileContents(const std::string& path, std::string_view contents, mode_t newFileMode) {
  AtomicFileWriter w;
  if (int rc = w.begin(path, newFileMode)) return rc;
  if (int rc = w.write(contents)) return rc;
  return w.commit();
}

}  // namespace orv::fs
