// Counting and finding byte values in a block: sixteen bytes at a time with
// SSE2 where the target has it, a byte (or eight) at a time otherwise.
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

// The first byte `stop` in [p, end), or end; count grows by the bytes
// `counted` before it. One pass for both.
inline const unsigned char* findCounting(const unsigned char* p, const unsigned char* end, unsigned char stop,
                                         unsigned char counted, uint64_t& count) {
#if defined(__SSE2__)
  const __m128i s = _mm_set1_epi8(static_cast<char>(stop));
  const __m128i c = _mm_set1_epi8(static_cast<char>(counted));
  // Lanes below k of a mask: 16 - k bytes into this.
  alignas(16) static constexpr unsigned char kBelow[32] = {
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  while (end - p >= 16) {
    // Counted bytes gather in byte lanes, summed before one could pass 255.
    const size_t blocks = static_cast<size_t>(end - p) / 16;
    const unsigned char* limit = p + 16 * (blocks > 255 ? 255 : blocks);
    __m128i acc = _mm_setzero_si128();
    const unsigned char* found = nullptr;
    for (; p < limit; p += 16) {
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const int m = _mm_movemask_epi8(_mm_cmpeq_epi8(w, s));
      if (m) {
        const int k = __builtin_ctz(static_cast<unsigned>(m));
        const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kBelow + 16 - k));
        acc = _mm_sub_epi8(acc, _mm_and_si128(_mm_cmpeq_epi8(w, c), below));
        found = p + k;
        break;
      }
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(w, c));
    }
    const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    count += static_cast<uint64_t>(_mm_cvtsi128_si32(sums)) + static_cast<uint64_t>(_mm_extract_epi16(sums, 4));
    if (found) return found;
  }
#endif
  for (; p < end; ++p) {
    if (*p == stop) return p;
    count += *p == counted;
  }
  return end;
}

// Calls f(offset) for each byte `value` in [data, data + len), in order.
template <typename F>
inline void forEachByte(const void* data, size_t len, unsigned char value, F&& f) {
  const auto* p = static_cast<const unsigned char*>(data);
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i pattern = _mm_set1_epi8(static_cast<char>(value));
  for (; i + 16 <= len; i += 16) {
    unsigned m = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), pattern)));
    while (m) {
      f(i + static_cast<size_t>(__builtin_ctz(m)));
      m &= m - 1;
    }
  }
#endif
  for (; i < len; ++i)
    if (p[i] == value) f(i);
}

// The first of the bytes a or b in [p, end), or end.
inline const char* findEither(const char* p, const char* end, char a, char b) {
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b);
  for (; end - p >= 16; p += 16) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int m = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(w, va), _mm_cmpeq_epi8(w, vb)));
    if (m) return p + __builtin_ctz(static_cast<unsigned>(m));
  }
#endif
  for (; p < end; ++p)
    if (*p == a || *p == b) return p;
  return end;
}

}  // namespace vc::archive
