// LZW decoding of the `compress` format.
//
// Codes start 9 bits wide and grow by one bit each time the next free table
// entry would not fit, up to the declared maximum; the table then stops
// growing. In block mode (flag 0x80) code 256 is CLEAR: the table is emptied
// and the width goes back to 9. The writer emits codes in groups of eight
// (a group of n-bit codes is n bytes) and pads the group it is in when the
// width changes, so the reader skips the rest of the group at those points.
//
// A declared maximum of 9 bits is decoded as 10: the classic tools let the
// width grow to 10 once the 9-bit table is full, and the entries a 10-bit
// table adds beyond that are never referenced by such data.
#include "libc/orv/lzw_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orv {
namespace {

constexpr int kInitBits = 9;
constexpr long kClear = 256;
constexpr long kFirstFree = 257;

}  // namespace

bool LzwReader::start(ByteReader input) {
  if (active_) {
    error_ = DecompressError::NotClosed;
    return false;
  }
  in_.start(std::move(input));
  failed_ = false;
  finished_ = false;
  error_ = DecompressError::None;
  declaredBits_ = 0;
  bitBuf_ = 0;
  bitCount_ = 0;
  codesInGroup_ = 0;
  stackTop_ = 0;

  int header[3];
  for (int& h : header) h = nextByte();
  if (in_.failed()) {
    error_ = DecompressError::Unknown;
    return false;
  }
  if (header[0] != 0x1F || header[1] != 0x9D || header[2] < 0) {
    error_ = DecompressError::NotCompressed;
    return false;
  }
  blockMode_ = (header[2] & 0x80) != 0;
  declaredBits_ = header[2] & 0x1F;
  if (declaredBits_ > kLzwMostBits) {
    error_ = DecompressError::TooManyBits;
    return false;
  }
  if (declaredBits_ < kInitBits) {
    error_ = DecompressError::Corrupt;
    return false;
  }
  maxBits_ = declaredBits_ == kInitBits ? kInitBits + 1 : declaredBits_;
  maxMaxCode_ = 1L << maxBits_;
  try {
    const auto size = static_cast<std::size_t>(maxMaxCode_);
    if (prefix_.size() < size) {
      prefix_.resize(size);
      suffix_.resize(size);
      stack_.resize(size + 2);
    }
  } catch (const std::bad_alloc&) {
    prefix_.clear();
    suffix_.clear();
    stack_.clear();
    error_ = DecompressError::NoMemory;
    return false;
  }
  nBits_ = kInitBits;
  maxCode_ = (1L << nBits_) - 1;
  freeEnt_ = blockMode_ ? kFirstFree : 256;
  oldCode_ = -1;
  finChar_ = 0;
  active_ = true;
  return true;
}

void LzwReader::end() {
  active_ = false;
  failed_ = false;
  finished_ = false;
  in_.release();
  stackTop_ = 0;
}

std::ptrdiff_t LzwReader::fail(DecompressError e) {
  failed_ = true;
  error_ = e;
  return -1;
}

// The next code of the current width; -1 when the data ends first.
long LzwReader::readCode() {
  while (bitCount_ < nBits_) {
    const int b = nextByte();
    if (b < 0) return -1;
    bitBuf_ |= static_cast<std::uint32_t>(b) << bitCount_;
    bitCount_ += 8;
  }
  const long code = static_cast<long>(bitBuf_ & ((1u << nBits_) - 1));
  bitBuf_ >>= nBits_;
  bitCount_ -= nBits_;
  codesInGroup_ = (codesInGroup_ + 1) % 8;
  return code;
}

// Skips the unused codes of the current group; false when the data ends
// inside that padding (the normal end after a final width change).
bool LzwReader::skipRestOfGroup() {
  long bits = codesInGroup_ == 0 ? 0 : static_cast<long>(8 - codesInGroup_) * nBits_;
  codesInGroup_ = 0;
  while (bits > 0) {
    if (bitCount_ == 0) {
      const int b = nextByte();
      if (b < 0) return false;
      bitBuf_ = static_cast<std::uint32_t>(b);
      bitCount_ = 8;
    }
    const int take = static_cast<int>(std::min<long>(bits, bitCount_));
    bitBuf_ = take >= 32 ? 0 : bitBuf_ >> take;
    bitCount_ -= take;
    bits -= take;
  }
  return true;
}

// Skips the padding of the current code group. False when the data ends
// there (finished) or reading failed (failed); true to go on.
bool LzwReader::endGroup() {
  if (skipRestOfGroup()) return true;
  if (in_.failed())
    fail(DecompressError::Unknown);
  else
    finished_ = true;
  return false;
}

// The table outgrew the code width: the next group's codes are a bit wider.
bool LzwReader::widenCodes() {
  if (!endGroup()) return false;
  ++nBits_;
  maxCode_ = nBits_ == maxBits_ ? maxMaxCode_ : (1L << nBits_) - 1;
  return true;
}

// CLEAR in block mode: the table starts over with the next group.
bool LzwReader::clearTable() {
  if (!endGroup()) return false;
  nBits_ = kInitBits;
  maxCode_ = (1L << nBits_) - 1;
  freeEnt_ = kFirstFree;
  oldCode_ = -1;
  return true;
}

// No further code could be read: the end of the data, unless reading failed
// or the data was cut inside a code (both fail).
bool LzwReader::endOfCodes() {
  if (in_.failed()) {
    fail(DecompressError::Unknown);
    return false;
  }
  // The last group holds fewer than 8 bits of padding; more than that
  // means the data was cut inside a code.
  if (bitCount_ >= 8) {
    fail(DecompressError::Corrupt);
    return false;
  }
  finished_ = true;
  return true;
}

// The bytes of one code pushed on the stack (last byte first) and the table
// entry the code defines. False (failed) on corrupt data.
bool LzwReader::expandCode(long code) {
  const auto corrupt = [this] {
    fail(DecompressError::Corrupt);
    return false;
  };
  if (oldCode_ < 0) {
    // The first code of the data or after CLEAR must be a literal.
    if (code >= 256) return corrupt();
    finChar_ = static_cast<std::uint8_t>(code);
    oldCode_ = code;
    stack_[stackTop_++] = finChar_;
    return true;
  }
  const long inCode = code;
  if (code >= freeEnt_) {
    // Only the entry being defined by this very code may be used early.
    if (code > freeEnt_) return corrupt();
    stack_[stackTop_++] = finChar_;
    code = oldCode_;
  }
  // Every entry's prefix is a smaller code, so this walk ends, and it
  // pushes at most one byte per table entry.
  while (code >= 256) {
    if (stackTop_ >= stack_.size() - 1) return corrupt();
    stack_[stackTop_++] = suffix_[static_cast<std::size_t>(code)];
    code = prefix_[static_cast<std::size_t>(code)];
  }
  finChar_ = static_cast<std::uint8_t>(code);
  stack_[stackTop_++] = finChar_;
  if (freeEnt_ < maxMaxCode_) {
    prefix_[static_cast<std::size_t>(freeEnt_)] = static_cast<std::uint16_t>(oldCode_);
    suffix_[static_cast<std::size_t>(freeEnt_)] = finChar_;
    ++freeEnt_;
  }
  oldCode_ = inCode;
  return true;
}

std::ptrdiff_t LzwReader::read(std::uint8_t* buf, std::size_t n) {
  if (!active_) {
    error_ = DecompressError::NotInitialized;
    return -1;
  }
  if (failed_) return -1;
  if (buf == nullptr && n > 0) return fail(DecompressError::Unknown);

  std::size_t produced = 0;
  while (produced < n) {
    if (stackTop_ > 0) {
      const std::size_t k = std::min(stackTop_, n - produced);
      for (std::size_t i = 0; i < k; ++i) buf[produced++] = stack_[--stackTop_];
      continue;
    }
    if (finished_) break;
    if (freeEnt_ > maxCode_ && !widenCodes()) {
      if (failed_) return -1;
      continue;
    }
    const long code = readCode();
    if (code < 0) {
      if (!endOfCodes()) return -1;
      continue;
    }
    if (code == kClear && blockMode_) {
      if (!clearTable() && failed_) return -1;
      continue;
    }
    if (!expandCode(code)) return -1;
  }
  return static_cast<std::ptrdiff_t>(produced);
}

}  // namespace orv
