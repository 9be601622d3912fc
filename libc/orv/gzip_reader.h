// Reader of gzip data (RFC 1952): parses the member header itself, inflates
// with zlib and checks each member's CRC-32 and length, so a damaged
// compressed archive is refused instead of being taken for good.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "libc/orv/buffered_input.h"
#include "libc/orv/byte_stream.h"
#include "libc/orv/compression_error.h"

namespace orv {

class GzipReader {
 public:
  GzipReader();
  ~GzipReader();
  GzipReader(const GzipReader&) = delete;
  GzipReader& operator=(const GzipReader&) = delete;

  // Reads the first member's header. False with lastError() set on failure
  // (NotCompressed without the gzip magic, MethodNotSupported for a method
  // other than deflate); a reader already running answers NotClosed.
  bool start(ByteReader input);

  // Inflates up to `n` bytes into `buf`: the count, 0 at the end, -1 on an
  // error. The end is reported only after the last member's CRC-32 and
  // length matched and the input ended; anything after a member but another
  // member is refused as corrupt.
  std::ptrdiff_t read(std::uint8_t* buf, std::size_t n);

  // Ends the stream; zlib's tables are kept for the next start.
  void end();

  bool active() const { return active_; }
  DecompressError lastError() const { return error_; }
  // Modification time from the first member's header.
  std::uint32_t headerTime() const { return headerTime_; }

 private:
  struct Inflater;
  int nextByte() { return in_.nextByte(); }
  bool readHeader(bool first);
  bool takeHeaderByte(int& b, std::uint32_t& crc);
  bool headerEnded(bool first);
  bool readFixedHeader(bool first, int (&fixed)[10], std::uint32_t& crc);
  bool skipOptionalFields(int flags, std::uint32_t& crc);
  bool startInflating();
  std::ptrdiff_t fail(DecompressError e);

  std::unique_ptr<Inflater> z_;
  bool active_ = false;
  bool failed_ = false;
  bool finished_ = false;
  bool inMember_ = false;
  DecompressError error_ = DecompressError::None;
  std::uint32_t headerTime_ = 0;
  std::uint32_t crc_ = 0;
  std::uint32_t size_ = 0;

  BufferedInput<2048> in_;
};

}  // namespace orv
