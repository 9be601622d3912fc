// Reader of LZW-compressed data in the format of the Unix `compress` program
// (".Z" files: magic bytes 1F 9D, then a byte with the block-mode flag 0x80
// and the largest code width in its low five bits). Archives written by old
// versions of the system may be stored this way; they are read, never
// written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "libc/orv/buffered_input.h"
#include "libc/orv/byte_stream.h"
#include "libc/orv/compression_error.h"

namespace orv {

class LzwReader {
 public:
  // Reads and checks the three header bytes. False with lastError() set on
  // failure; a reader already running answers NotClosed and keeps running.
  bool start(ByteReader input);

  // Decodes up to `n` bytes into `buf`: the count, 0 at the end of the data,
  // -1 on an error (lastError() tells which; the reader then answers -1
  // until end()).
  std::ptrdiff_t read(std::uint8_t* buf, std::size_t n);

  // Ends the stream; the code tables are kept for the next start.
  void end();

  bool active() const { return active_; }
  DecompressError lastError() const { return error_; }
  // The largest code width the data declares (fills message 637).
  int declaredBits() const { return declaredBits_; }

 private:
  int nextByte() { return in_.nextByte(); }
  long readCode();
  bool skipRestOfGroup();
  bool endGroup();
  bool widenCodes();
  bool clearTable();
  bool endOfCodes();
  bool expandCode(long code);
  std::ptrdiff_t fail(DecompressError e);

  bool active_ = false;
  bool failed_ = false;
  bool finished_ = false;
  DecompressError error_ = DecompressError::None;
  int declaredBits_ = 0;

  // Input through a 2,000-byte buffer.
  BufferedInput<2000> in_;

  // Codes are packed from the least significant bit; they come in groups of
  // eight, and a change of width (or a CLEAR) skips the rest of a group.
  std::uint32_t bitBuf_ = 0;
  int bitCount_ = 0;
  int codesInGroup_ = 0;

  bool blockMode_ = false;
  int maxBits_ = 0;
  int nBits_ = 0;
  long maxCode_ = 0;
  long maxMaxCode_ = 0;
  long freeEnt_ = 0;
  long oldCode_ = -1;
  std::uint8_t finChar_ = 0;

  std::vector<std::uint16_t> prefix_;
  std::vector<std::uint8_t> suffix_;
  std::vector<std::uint8_t> stack_;  // decoded bytes, last byte first
  std::size_t stackTop_ = 0;
};

}  // namespace orv
