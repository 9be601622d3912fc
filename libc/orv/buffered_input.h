// The input side of the decompressors: the caller's ByteReader read in
// blocks of N bytes, handed out a byte at a time (the LZW codes, gzip headers
// and trailers) or as the unread rest of the block (zlib's next_in).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "libc/orv/byte_stream.h"

namespace orv {

template <std::size_t N>
class BufferedInput {
 public:
  // Reads from `input` from now on, with nothing buffered.
  void start(ByteReader input) {
    input_ = std::move(input);
    pos_ = len_ = 0;
    ended_ = failed_ = false;
  }
  // Lets go of the reader.
  void release() { input_ = nullptr; }

  // The next byte; -1 at the end of the data or after a read error (a reader
  // that answers -1 or throws). Neither is asked again once it happened.
  int nextByte() {
    if (pos_ == len_) {
      if (ended_ || failed_) return -1;
      std::ptrdiff_t got = -1;
      try {
        got = input_ ? input_(buf_, sizeof buf_) : -1;
      } catch (...) {
        got = -1;
      }
      if (got < 0) {
        failed_ = true;
        return -1;
      }
      if (got == 0) {
        ended_ = true;
        return -1;
      }
      pos_ = 0;
      len_ = std::min(static_cast<std::size_t>(got), sizeof buf_);
    }
    return buf_[pos_++];
  }
  // Puts back the byte nextByte() just gave.
  void unread() { --pos_; }

  // True after a read error.
  bool failed() const { return failed_; }

  // The buffered bytes not yet taken, and taking `n` of them.
  bool empty() const { return pos_ == len_; }
  std::uint8_t* unreadBytes() { return buf_ + pos_; }
  std::size_t unreadCount() const { return len_ - pos_; }
  void take(std::size_t n) { pos_ += n; }

 private:
  ByteReader input_;
  std::uint8_t buf_[N];
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace orv
