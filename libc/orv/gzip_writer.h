// Writer of gzip data for compressed archives: our own RFC 1952 header
// (method 8, the archive's modification time, extra flags 0, operating
// system 11), a raw deflate stream from zlib with the archive's window bits
// (13 to 15) at the given level, and the CRC-32 and size trailer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "libc/orv/byte_stream.h"
#include "libc/orv/compression_error.h"

namespace orv {

class GzipWriter {
 public:
  // The level archives are written with.
  static constexpr int kArchiveLevel = 5;

  GzipWriter();
  ~GzipWriter();
  GzipWriter(const GzipWriter&) = delete;
  GzipWriter& operator=(const GzipWriter&) = delete;

  // Starts a stream and writes its header. `bits` must be 13 to 15 and
  // `level` 1 to 9 (else BadParameters); `name`, when given and not empty,
  // is stored in the header (flag 8). A writer already running answers
  // NotClosed and keeps running.
  bool start(ByteWriter output, int bits, int level, std::uint32_t mtime,
             const char* name = nullptr);

  // Compresses `n` bytes. False on an output failure (the stream is then
  // dead: only end() or finish() remain, and finish() answers false).
  bool write(const std::uint8_t* data, std::size_t n);

  // Flushes the deflate stream and writes the trailer; ends the stream
  // either way.
  bool finish();

  // Abandons the stream without a trailer.
  void end();

  bool active() const { return active_; }
  CompressError lastError() const { return error_; }

 private:
  struct Deflater;
  bool pump(int flush);
  bool emit(const std::uint8_t* data, std::size_t n);

  std::unique_ptr<Deflater> z_;
  ByteWriter output_;
  bool active_ = false;
  bool failed_ = false;
  CompressError error_ = CompressError::None;
  std::uint32_t crc_ = 0;
  std::uint32_t size_ = 0;
  int bits_ = 0;
  int level_ = 0;
  std::uint8_t out_[4096];
};

}  // namespace orv
