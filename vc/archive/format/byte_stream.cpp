// File-descriptor and memory implementations of the archive byte streams.
#include "vc/archive/format/byte_stream.h"
#include "platform/sys/system_calls.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "vc/error_codes.h"
#include "vc/archive/format/crc16.h"

namespace vc::archive {

int FdSource::readAt(uint64_t offset, void* buf, size_t len, size_t& got) {
  got = 0;
  if (offset > static_cast<uint64_t>(INT64_MAX)) return err::kArchiveSeek;
  for (;;) {
    ssize_t n = orv::sys::calls().pread(fd_, buf, len, static_cast<off_t>(offset));
    if (n >= 0) {
      got = static_cast<size_t>(n);
      return 0;
    }
    if (errno == EINTR) continue;
    return errno == EINVAL || errno == ESPIPE ? err::kArchiveSeek : err::kArchiveRead;
  }
}

bool FdSource::knownSize(uint64_t& size) {
  if (sizeKnown_ < 0) {
    struct stat st {};
    sizeKnown_ = orv::sys::calls().fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 ? 1 : 0;
    if (sizeKnown_) size_ = static_cast<uint64_t>(st.st_size);
  }
  if (sizeKnown_) size = size_;
  return sizeKnown_ == 1;
}

int MemorySource::readAt(uint64_t offset, void* buf, size_t len, size_t& got) {
  got = 0;
  if (offset >= size_) return 0;
  size_t n = size_ - static_cast<size_t>(offset);
  if (n > len) n = len;
  if (n) std::memcpy(buf, data_ + offset, n);
  got = n;
  return 0;
}

FdSink::FdSink(int fd, int failureCode) : fd_(fd), failureCode_(failureCode) {}

int FdSink::write(const void* buf, size_t len) {
  const auto* p = static_cast<const char*>(buf);
  while (len > 0) {
    ssize_t n = orv::sys::calls().write(fd_, p, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return failureCode_;
    p += n;
    len -= static_cast<size_t>(n);
  }
  return 0;
}

int ChecksumSink::write(const void* buf, size_t len) {
  if (int rc = next_.write(buf, len)) return rc;
  crc_ = crc16Update(crc_, buf, len);
  count_ += len;
  return 0;
}

}  // namespace vc::archive
