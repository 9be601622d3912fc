// The decompressor that compressed archives are read through: it looks at
// the first three bytes and reads LZW (".Z", 1F 9D) or gzip (1F 8B, method
// deflate) data. One object serves one stream at a time; it keeps its last
// error for the revision library's "Decompressing error" detail.
#pragma once

#include <cstddef>
#include <cstdint>

#include "libc/orv/byte_stream.h"
#include "libc/orv/compression_error.h"
#include "libc/orv/gzip_reader.h"
#include "libc/orv/lzw_reader.h"

namespace orv {

class Decompressor {
 public:
  enum class Format { None, Lzw, Gzip };

  // Starts a stream over `input`. False with lastError() set on failure; a
  // stream already running answers NotClosed and keeps running.
  bool start(ByteReader input);

  // Up to `n` bytes of plain data: the count, 0 at the end, -1 on an error.
  std::ptrdiff_t read(std::uint8_t* buf, std::size_t n);

  // Ends the stream (allowed at any point, also after an error).
  void end();

  bool active() const { return format_ != Format::None; }
  Format format() const { return format_; }
  DecompressError lastError() const { return error_; }
  // For message 637: the bits an LZW stream declared (the most handled is
  // kLzwMostBits).
  int declaredBits() const { return lzw_.declaredBits(); }

 private:
  LzwReader lzw_;
  GzipReader gzip_;
  Format format_ = Format::None;
  DecompressError error_ = DecompressError::None;
  std::uint8_t head_[3] = {};
  std::size_t headLen_ = 0;
  std::size_t headPos_ = 0;
};

}  // namespace orv
