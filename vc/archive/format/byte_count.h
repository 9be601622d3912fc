// Counting one byte value in a block: sixteen bytes at a time with SSE2
// where the target has it, eight at a time otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vc::archive {

inline size_t countByte(const void* data, size_t len, unsigned char value) {
  const auto* p = static_cast<const unsigned char*>(data);
  size_t n = 0, i = 0;
#if defined(__SSE2__)
  // Each matching byte adds 1 to its lane of a byte accumulator (a compare
  // gives 0xFF, subtracted); before a lane could pass 255 the lanes are summed.
  const __m128i pattern = _mm_set1_epi8(static_cast<char>(value));
  while (i + 16 <= len) {
    __m128i acc = _mm_setzero_si128();
    const size_t stop = (len - i) / 16 > 255 ? i + 255 * 16 : i + (len - i) / 16 * 16;
    for (; i < stop; i += 16) {
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(w, pattern));
    }
    const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    n += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
  }
#else
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const uint64_t pattern = 0x0101010101010101ull * value;
  for (; i + 8 <= len; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    w ^= pattern;  // a matching byte is now zero
    // High bit of each byte set exactly where the byte is zero.
    const uint64_t t = ~(((w & kLow7) + kLow7) | w | kLow7);
    n += static_cast<size_t>(((t >> 7) * 0x0101010101010101ull) >> 56);  // the byte sum of the flags
  }
#endif
  for (; i < len; ++i) n += p[i] == value;
  return n;
}

}  // namespace vc::archive
