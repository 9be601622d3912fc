// Streams whose buffer is filled and drained through the system-call table
// (see file_stream.h), built on glibc's fopencookie.
#include "differ/support/file_stream.h"

#include <fcntl.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdint>

#include "platform/sys/system_calls.h"

namespace orv::diffsup {

namespace {

// The descriptor travels in the cookie pointer itself: nothing to allocate
// or free beside the stream.
int descriptor_of(void* cookie) { return static_cast<int>(reinterpret_cast<std::intptr_t>(cookie)); }

ssize_t stream_read(void* cookie, char* buf, size_t size) {
  for (;;) {
    const ssize_t n = sys::calls().read(descriptor_of(cookie), buf, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

// stdio counts anything short of size as a failed write, so the whole block
// goes out or the stream is marked failed (0, errno kept).
ssize_t stream_write(void* cookie, const char* buf, size_t size) {
  return sys::writeAll(descriptor_of(cookie), buf, size) ? static_cast<ssize_t>(size) : 0;
}

int stream_seek(void* cookie, off64_t* offset, int whence) {
  const off_t at = sys::calls().lseek(descriptor_of(cookie), static_cast<off_t>(*offset), whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}

int stream_close(void* cookie) { return sys::calls().close(descriptor_of(cookie)); }

}  // namespace

std::FILE* open_stream(const char* path, StreamMode mode) {
  const bool write = mode == StreamMode::kWriteTruncate;
  const int flags = write ? O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
  const int fd = sys::calls().open(path, flags, 0666);
  if (fd < 0) return nullptr;
  return stream_on_descriptor(fd, mode);
}

std::FILE* stream_on_descriptor(int fd, StreamMode mode) {
  const bool write = mode == StreamMode::kWriteTruncate;
  const cookie_io_functions_t io{stream_read, stream_write, stream_seek, stream_close};
  std::FILE* f = ::fopencookie(reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)), write ? "w" : "r", io);
  if (!f) {
    const int err = errno;
    sys::calls().close(fd);
    errno = err;
  }
  return f;
}

}  // namespace orv::diffsup
