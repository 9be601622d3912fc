// The file reader of byte_stream.h.
#include "libc/orv/byte_stream.h"
#include "platform/sys/system_calls.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace orv {

ByteReader fileByteReader(int fd) {
  return [fd, at = off_t{0}](std::uint8_t* buf, std::size_t n) mutable -> std::ptrdiff_t {
    for (;;) {
      const ssize_t got = orv::sys::calls().pread(fd, buf, n, at);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      at += got;
      return got;
    }
  };
}

}  // namespace orv
