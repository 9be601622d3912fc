// Chooses the reader from the first three bytes, then hands those bytes back
// to it in front of the rest of the input.
#include "libc/orv/decompressor.h"

#include <algorithm>
#include <cstring>

namespace orv {

bool Decompressor::start(ByteReader input) {
  if (active()) {
    error_ = DecompressError::NotClosed;
    return false;
  }
  error_ = DecompressError::None;
  headLen_ = 0;
  headPos_ = 0;
  while (headLen_ < sizeof head_) {
    std::ptrdiff_t got = -1;
    try {
      got = input ? input(head_ + headLen_, sizeof head_ - headLen_) : -1;
    } catch (...) {
      got = -1;
    }
    if (got < 0) {
      error_ = DecompressError::Unknown;
      return false;
    }
    if (got == 0) break;
    headLen_ += std::min(static_cast<std::size_t>(got), sizeof head_ - headLen_);
  }
  if (headLen_ < 2 || head_[0] != 0x1F || (head_[1] != 0x9D && head_[1] != 0x8B)) {
    error_ = DecompressError::NotCompressed;
    return false;
  }

  ByteReader replay = [this, input = std::move(input)](std::uint8_t* buf,
                                                       std::size_t n) -> std::ptrdiff_t {
    if (headPos_ < headLen_) {
      const std::size_t k = std::min(n, headLen_ - headPos_);
      std::memcpy(buf, head_ + headPos_, k);
      headPos_ += k;
      return static_cast<std::ptrdiff_t>(k);
    }
    return input(buf, n);
  };

  const bool lzw = head_[1] == 0x9D;
  const bool ok = lzw ? lzw_.start(std::move(replay)) : gzip_.start(std::move(replay));
  if (!ok) {
    error_ = lzw ? lzw_.lastError() : gzip_.lastError();
    return false;
  }
  format_ = lzw ? Format::Lzw : Format::Gzip;
  return true;
}

std::ptrdiff_t Decompressor::read(std::uint8_t* buf, std::size_t n) {
  std::ptrdiff_t got = -1;
  switch (format_) {
    case Format::None:
      error_ = DecompressError::NotInitialized;
      return -1;
    case Format::Lzw:
      got = lzw_.read(buf, n);
      if (got < 0) error_ = lzw_.lastError();
      break;
    case Format::Gzip:
      got = gzip_.read(buf, n);
      if (got < 0) error_ = gzip_.lastError();
      break;
  }
  return got;
}

void Decompressor::end() {
  lzw_.end();
  gzip_.end();
  format_ = Format::None;
}

}  // namespace orv
