// Exclusive creation of temporary files (see temp_file.h).
#include "temp_file.h"

#include "platform/sys/system_calls.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>

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

}  // namespace orv::fs
