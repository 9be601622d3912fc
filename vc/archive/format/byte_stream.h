// Byte sources and sinks under the archive reader and writer.
//
// The reader sees an archive as the plain text that begins with "head": for a
// plain archive that is the file itself, for a compressed or encrypted one it
// is a plain copy that the opening layer keeps (the "#!encrypt" line is not
// part of it). Every offset that a text record holds is an offset into such a
// source. A source must answer for any offset below its end, so a layer that
// decompresses lazily has to pull the stream forward far enough itself.
//
// The writer emits plain text into a sink. Compression, enciphering, a plain
// copy and the checksum of what reaches the disk are further sinks stacked
// below it by the commit code; ChecksumSink is the one kept here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vc::archive {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to len bytes at offset into buf; got is the count read, 0 at the
  // end. Answers 0 or a result code (err::kArchiveSeek, err::kArchiveRead, or whatever a
  // layered source reports, such as err::kDecompressError).
  virtual int readAt(uint64_t offset, void* buf, size_t len, size_t& got) = 0;
  // The source's size in bytes when it can tell cheaply (readers then ask
  // for no more than there is); false when it cannot, and readers find the
  // end by reading.
  virtual bool knownSize(uint64_t& size) {
    (void)size;
    return false;
  }
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all len bytes or answers a result code.
  virtual int write(const void* buf, size_t len) = 0;
};

// Reads an open file descriptor with pread; the descriptor stays the caller's.
class FdSource final : public ByteSource {
 public:
  explicit FdSource(int fd) : fd_(fd) {}
  int readAt(uint64_t offset, void* buf, size_t len, size_t& got) override;
  // A regular file's size, taken when first asked: an archive is replaced,
  // never rewritten in place, so the file an open descriptor reads keeps it.
  bool knownSize(uint64_t& size) override;
  // Tells the size, for a caller that has just taken it (no fstat then).
  void setKnownSize(uint64_t size) {
    size_ = size;
    sizeKnown_ = 1;
  }

 private:
  int fd_;
  int sizeKnown_ = -1;  // -1 not asked yet, 0 no size, 1 size_ holds it
  uint64_t size_ = 0;
};

// Reads bytes held in memory (tests, fuzzing, texts kept by check-in).
class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  explicit MemorySource(const std::string& s) : MemorySource(s.data(), s.size()) {}
  int readAt(uint64_t offset, void* buf, size_t len, size_t& got) override;
  bool knownSize(uint64_t& size) override {
    size = size_;
    return true;
  }

 private:
  const unsigned char* data_;
  size_t size_;
};

// Writes to an open file descriptor; short or failed writes answer
// the code given at construction (err::kTempWrite for the commit file).
class FdSink final : public ByteSink {
 public:
  explicit FdSink(int fd, int failureCode);
  int write(const void* buf, size_t len) override;

 private:
  int fd_;
  int failureCode_;
};

// Appends to a string.
class StringSink final : public ByteSink {
 public:
  int write(const void* buf, size_t len) override {
    text.append(static_cast<const char*>(buf), len);
    return 0;
  }
  std::string text;
};

// Passes bytes on to another sink and keeps their CRC-16/ARC and count. Put it
// directly above the file so the checksum covers exactly the bytes on disk.
class ChecksumSink final : public ByteSink {
 public:
  explicit ChecksumSink(ByteSink& next) : next_(next) {}
  int write(const void* buf, size_t len) override;
  uint16_t crc() const { return crc_; }
  uint64_t count() const { return count_; }

 private:
  ByteSink& next_;
  uint16_t crc_ = 0;
  uint64_t count_ = 0;
};

}  // namespace vc::archive
