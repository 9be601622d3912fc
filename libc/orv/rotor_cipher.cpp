// Key set-up and enciphering of the archive rotor cipher.
//
// Key set-up from the 13 hash characters (each taken as a signed char):
//   seed = 123; seed = seed * c + i for each character c at index i;
//   for k = 255 down to 0: seed = 5 * seed + hash[(255 - k) % 13];
//     r = seed % 65521 (sign of seed); swap rotor[k] with
//     rotor[(r & 255) % (k + 1)]; pair k in the reflector with the first
//     unpaired j at or after ((r >> 8) & 255) % k, wrapping below k.
// The seed is a signed 32-bit integer that wraps: the arithmetic is done on
// uint32_t and converted back, which C++20 defines as two's complement.
#include "libc/orv/rotor_cipher.h"

#include <cassert>

#include "libc/gen/des_crypt.h"

namespace orv {
namespace {

std::int32_t wrapMulAdd(std::int32_t a, std::int32_t b, std::int32_t c) {
  const std::uint32_t r = static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b) +
                          static_cast<std::uint32_t>(c);
  return static_cast<std::int32_t>(r);
}

// Clears memory that held key material; volatile so the stores are kept.
void wipe(void* p, std::size_t n) {
  volatile auto* bytes = static_cast<volatile std::uint8_t*>(p);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = 0;
}

}  // namespace

RotorCipher RotorCipher::fromPassword(const char* password) noexcept {
  char first8[9] = {};
  if (password != nullptr) {
    for (int i = 0; i < 8 && password[i] != '\0'; ++i) first8[i] = password[i];
  }
  // The salt is the password's own first two characters.
  DesCryptHash hash = desCrypt(first8, first8);
  RotorCipher cipher = fromHash(std::span<const char, 13>(hash.data(), 13));
  wipe(first8, sizeof first8);
  wipe(hash.data(), hash.size());
  return cipher;
}

RotorCipher RotorCipher::fromHash(std::span<const char, 13> hash) noexcept {
  RotorCipher cipher;
  State& s = cipher.start_;

  std::int32_t seed = 123;
  for (int i = 0; i < 13; ++i) {
    seed = wrapMulAdd(seed, static_cast<signed char>(hash[i]), i);
  }

  for (int i = 0; i < 256; ++i) {
    s.rotor[i] = static_cast<std::uint8_t>(i);
    s.reflector[i] = 0;
  }
  for (int k = 255; k >= 0; --k) {
    seed = wrapMulAdd(seed, 5, static_cast<signed char>(hash[(255 - k) % 13]));
    const std::int32_t r = seed % 65521;
    const int swapWith = (r & 255) % (k + 1);
    const std::uint8_t t = s.rotor[k];
    s.rotor[k] = s.rotor[swapWith];
    s.rotor[swapWith] = t;
    if (s.reflector[k] == 0) {
      // An even number of indexes at or below k are unpaired, k among them,
      // so k > 0 here and another unpaired index exists below it.
      assert(k > 0);
      int j = ((r >> 8) & 255) % k;
      while (s.reflector[j] != 0) j = (j + 1) % k;
      s.reflector[k] = static_cast<std::uint8_t>(j);
      s.reflector[j] = static_cast<std::uint8_t>(k);
    }
  }
  for (int i = 0; i < 256; ++i) s.inverse[s.rotor[i]] = static_cast<std::uint8_t>(i);
  s.low = 0;
  s.high = 0;
  cipher.working_ = s;
  return cipher;
}

std::uint8_t RotorCipher::apply(std::uint8_t byte) noexcept {
  State& s = working_;
  const unsigned p = s.low;
  const unsigned q = s.high;
  const unsigned a = s.rotor[(byte + p) & 255u];
  const unsigned b = s.reflector[(a + q) & 255u];
  const unsigned c = s.inverse[(b - q) & 255u];
  const auto out = static_cast<std::uint8_t>((c - p) & 255u);
  if (++s.low == 0) ++s.high;
  return out;
}

void RotorCipher::apply(std::span<std::uint8_t> bytes) noexcept {
  for (std::uint8_t& b : bytes) b = apply(b);
}

RotorCipher::~RotorCipher() {
  wipe(&working_, sizeof working_);
  wipe(&start_, sizeof start_);
}

}  // namespace orv
