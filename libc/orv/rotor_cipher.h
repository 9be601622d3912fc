// The byte-wise rotor cipher of encrypted archives. It is keyed from the DES
// password hash of the password (salted with the password's own first two
// characters) and is its own inverse: running enciphered bytes through a
// cipher reset to the same starting state gives the plain bytes back.
//
// This is obfuscation, not confidentiality: the key is at most eight
// characters through a single rotor. Archives depend on the exact format, so
// it stays as it is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orv {

class RotorCipher {
 public:
  // One copy of the cipher state: 3 x 256 permutation bytes and two 8-bit
  // counters (770 bytes).
  struct State {
    std::array<std::uint8_t, 256> rotor{};
    std::array<std::uint8_t, 256> reflector{};
    std::array<std::uint8_t, 256> inverse{};
    std::uint8_t low = 0;   // p: advances with every byte
    std::uint8_t high = 0;  // q: advances when p wraps
  };

  // Keys from a password: only its first 8 characters count (it ends at a
  // NUL); null counts as empty.
  static RotorCipher fromPassword(const char* password) noexcept;
  // Keys from the 13 hash characters.
  static RotorCipher fromHash(std::span<const char, 13> hash) noexcept;

  // Puts the working state back to the starting state.
  void reset() noexcept { working_ = start_; }

  // Enciphers (or deciphers: the same operation) bytes in place, advancing
  // the counters.
  void apply(std::span<std::uint8_t> bytes) noexcept;
  std::uint8_t apply(std::uint8_t byte) noexcept;

  const State& startingState() const noexcept { return start_; }
  const State& workingState() const noexcept { return working_; }

  // Forgets the key material.
  ~RotorCipher();
  RotorCipher(const RotorCipher&) = default;
  RotorCipher& operator=(const RotorCipher&) = default;

 private:
  RotorCipher() = default;
  State working_;
  State start_;
};

}  // namespace orv
