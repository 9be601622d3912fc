// Counting one byte value in a block, eight bytes at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orv::archive {

inline size_t count_byte(const void* data, size_t len, unsigned char value) {
  const auto* p = static_cast<const unsigned char*>(data);
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const uint64_t pattern = 0x0101010101010101ull * value;
  size_t n = 0, i = 0;
  for (; i + 8 <= len; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    w ^= pattern;  // a matching byte is now zero
    // High bit of each byte set exactly where the byte is zero.
    const uint64_t t = ~(((w & kLow7) + kLow7) | w | kLow7);
    n += static_cast<size_t>(((t >> 7) * 0x0101010101010101ull) >> 56);  // the byte sum of the flags
  }
  for (; i < len; ++i) n += p[i] == value;
  return n;
}

}  // namespace orv::archive
