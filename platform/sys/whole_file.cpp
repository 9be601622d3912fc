// The whole-file reader and the durable whole-file writer, both through the
// system-call table so every step of them can be made to fail in a test.
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace orv::sys {
namespace {

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a fresh temporary file next to path: ".name.PPPP.NNN~", made with
// O_EXCL so an existing file is never reused. fd < 0 and errno on failure.
int createTemporaryBeside(const std::string& path, mode_t mode, std::string& temp) {
  const std::string stem = directoryOf(path) + "/." + baseOf(path);
  const unsigned pid = static_cast<unsigned>(calls().getpid()) & 0xffffu;
  for (unsigned n = 0; n < 1000; ++n) {
    char tail[32];
    std::snprintf(tail, sizeof tail, ".%04x.%03u~", pid, n);
    temp = stem + tail;
    const int fd = calls().open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

int syncDirectoryOf(const std::string& path) {
  const int dfd = calls().open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (dfd < 0) return errno;
  const int rc = calls().fsync(dfd) == 0 ? 0 : errno;
  calls().close(dfd);
  // Some file systems cannot sync a directory; the rename itself stands.
  return rc == EINVAL ? 0 : rc;
}

}  // namespace

int readAll(int fd, std::string& out) {
  char buf[64 * 1024];
  for (;;) {
    const ssize_t got = calls().read(fd, buf, sizeof buf);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return 0;
    out.append(buf, static_cast<std::size_t>(got));
  }
}

int readWholeFile(const std::string& path, std::string& out) {
  out.clear();
  const int fd = calls().open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return errno;
  // A regular file is read straight into the string, sized as the file is;
  // whatever it grew by meanwhile is appended after.
  struct stat st {};
  int rc = 0;
  if (calls().fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    while (have < out.size()) {
      const ssize_t got = calls().read(fd, out.data() + have, out.size() - have);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        rc = errno;
        break;
      }
      if (got == 0) break;
      have += static_cast<std::size_t>(got);
    }
    const bool whole = rc == 0 && have == out.size();
    out.resize(have);
    if (whole) rc = readAll(fd, out);
  } else {
    rc = readAll(fd, out);
  }
  calls().close(fd);
  if (rc != 0) out.clear();
  return rc;
}

int writeWholeFile(const std::string& path, std::string_view contents, mode_t newFileMode) {
  std::string temp;
  const int fd = createTemporaryBeside(path, newFileMode, temp);
  if (fd < 0) return errno;
  struct stat old {};
  int rc = 0;
  if (calls().stat(path.c_str(), &old) == 0 && calls().fchmod(fd, old.st_mode & 07777) != 0) rc = errno;
  if (rc == 0 && !writeAll(fd, contents.data(), contents.size())) rc = errno;
  if (rc == 0 && calls().fsync(fd) != 0) rc = errno;
  if (calls().close(fd) != 0 && rc == 0) rc = errno;
  if (rc == 0 && calls().rename(temp.c_str(), path.c_str()) != 0) rc = errno;
  if (rc != 0) {
    calls().unlink(temp.c_str());
    return rc;
  }
  // The new contents are in place; a directory that cannot be synced does
  // not undo that, so it is not reported as a failure of the replacement.
  syncDirectoryOf(path);
  return 0;
}

}  // namespace orv::sys
