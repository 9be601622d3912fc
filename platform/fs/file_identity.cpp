// Change test over device, inode, size and nanosecond modification time.
#include "platform/fs/file_identity.h"

#include "platform/sys/system_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace orv::fs {

FileIdentity identityOf(int fd, unsigned* mode) {
  FileIdentity id;
  struct stat st {};
  if (orv::sys::calls().fstat(fd, &st) != 0) return id;
  if (mode) *mode = static_cast<unsigned>(st.st_mode);
  id.valid = true;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.inode = static_cast<std::uint64_t>(st.st_ino);
  id.size = static_cast<std::int64_t>(st.st_size);
  id.mtimeSec = static_cast<std::int64_t>(st.st_mtim.tv_sec);
  id.mtimeNsec = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
  return id;
}

FileIdentity readIdentity(const std::string& path) {
  int fd = orv::sys::calls().open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
  if (fd < 0) return FileIdentity{};
  FileIdentity id = identityOf(fd);
  int saved = errno;
  orv::sys::calls().close(fd);
  errno = saved;
  return id;
}

bool fileChanged(const FileIdentity& before, const std::string& path) {
  return !(readIdentity(path) == before);
}

}  // namespace orv::fs
