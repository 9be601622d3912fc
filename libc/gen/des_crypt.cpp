// DES-based password hash, as the classic crypt(3): the password's first eight
// characters, each shifted left by one bit, form a DES key; the 12 salt bits
// swap pairs of entries of the expansion table; a block of zeros is
// encrypted 25 times and the 64 result bits are written as 11 characters of
// six bits each.
//
// Bits are numbered as in the DES standard: bit 1 is the most significant
// bit of a block. Blocks are kept in 64-bit integers, the permutations are
// applied bit by bit. That is slow next to a table-sliced DES, but a hash
// costs well under a millisecond and the code stays easy to check against
// the standard's tables.
#include "libc/gen/des_crypt.h"

#include <cstdint>
#include <cstring>

namespace orv {
namespace {

constexpr std::uint8_t kInitialPermutation[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

constexpr std::uint8_t kFinalPermutation[64] = {
    40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};

constexpr std::uint8_t kExpansion[48] = {
    32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
    12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
    22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};

constexpr std::uint8_t kRoundPermutation[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

constexpr std::uint8_t kKeyChoice1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
    10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
    14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

constexpr std::uint8_t kKeyChoice2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10,
    23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

constexpr std::uint8_t kKeyShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr std::uint8_t kSBoxes[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8,  3,  10, 6,  12, 5,  9,  0, 7,
     0,  15, 7,  4, 14, 2,  13, 1,  10, 6,  12, 11, 9,  5,  3, 8,
     4,  1,  14, 8, 13, 6,  2,  11, 15, 12, 9,  7,  3,  10, 5, 0,
     15, 12, 8,  2, 4,  9,  1,  7,  5,  11, 3,  14, 10, 0,  6, 13},
    {15, 1,  8,  14, 6,  11, 3,  4,  9,  7, 2,  13, 12, 0, 5,  10,
     3,  13, 4,  7,  15, 2,  8,  14, 12, 0, 1,  10, 6,  9, 11, 5,
     0,  14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,  9,  3, 2,  15,
     13, 8,  10, 1,  3,  15, 4,  2,  11, 6, 7,  12, 0,  5, 14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7,  11, 4,  2,  8,
     13, 7,  0,  9,  3, 4,  6,  10, 2,  8,  5,  14, 12, 11, 15, 1,
     13, 6,  4,  9,  8, 15, 3,  0,  11, 1,  2,  12, 5,  10, 14, 7,
     1,  10, 13, 0,  6, 9,  8,  7,  4,  15, 14, 3,  11, 5,  2,  12},
    {7,  13, 14, 3, 0,  6,  9,  10, 1,  2, 8, 5,  11, 12, 4,  15,
     13, 8,  11, 5, 6,  15, 0,  3,  4,  7, 2, 12, 1,  10, 14, 9,
     10, 6,  9,  0, 12, 11, 7,  13, 15, 1, 3, 14, 5,  2,  8,  4,
     3,  15, 0,  6, 10, 1,  13, 8,  9,  4, 5, 11, 12, 7,  2,  14},
    {2,  12, 4,  1,  7,  10, 11, 6,  8,  5,  3,  15, 13, 0, 14, 9,
     14, 11, 2,  12, 4,  7,  13, 1,  5,  0,  15, 10, 3,  9, 8,  6,
     4,  2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,  6,  3, 0,  14,
     11, 8,  12, 7,  1,  14, 2,  13, 6,  15, 0,  9,  10, 4, 5,  3},
    {12, 1,  10, 15, 9, 2,  6,  8,  0,  13, 3,  4,  14, 7,  5,  11,
     10, 15, 4,  2,  7, 12, 9,  5,  6,  1,  13, 14, 0,  11, 3,  8,
     9,  14, 15, 5,  2, 8,  12, 3,  7,  0,  4,  10, 1,  13, 11, 6,
     4,  3,  2,  12, 9, 5,  15, 10, 11, 14, 1,  7,  6,  0,  8,  13},
    {4,  11, 2,  14, 15, 0, 8,  13, 3,  12, 9, 7,  5,  10, 6, 1,
     13, 0,  11, 7,  4,  9, 1,  10, 14, 3,  5, 12, 2,  15, 8, 6,
     1,  4,  11, 13, 12, 3, 7,  14, 10, 15, 6, 8,  0,  5,  9, 2,
     6,  11, 13, 8,  1,  4, 10, 7,  9,  5,  0, 15, 14, 2,  3, 12},
    {13, 2,  8,  4, 6,  15, 11, 1,  10, 9,  3,  14, 5,  0,  12, 7,
     1,  15, 13, 8, 10, 3,  7,  4,  12, 5,  6,  11, 0,  14, 9,  2,
     7,  11, 4,  1, 9,  12, 14, 2,  0,  6,  10, 13, 15, 3,  5,  8,
     2,  1,  14, 7, 4,  10, 8,  13, 15, 12, 9,  0,  3,  5,  6,  11}};

constexpr char kAlphabet[] =
    "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Picks bits out of an `inWidth`-bit value: bit i (from 1, most significant
// first) of the result is bit table[i] of the input.
template <std::size_t N>
std::uint64_t permute(std::uint64_t in, unsigned inWidth, const std::uint8_t (&table)[N]) {
  std::uint64_t out = 0;
  for (std::size_t i = 0; i < N; ++i) {
    out = (out << 1) | ((in >> (inWidth - table[i])) & 1u);
  }
  return out;
}

std::uint32_t rotateLeft28(std::uint32_t v, unsigned n) {
  return ((v << n) | (v >> (28 - n))) & 0x0FFFFFFFu;
}

// The classic mapping of a salt character to six bits; characters outside
// the alphabet fall where the original arithmetic puts them.
unsigned saltBits(char ch) {
  int c = static_cast<signed char>(ch);
  if (c > 'Z') c -= 6;
  if (c > '9') c -= 7;
  c -= '.';
  return static_cast<unsigned>(c) & 0x3Fu;
}

std::uint32_t roundFunction(std::uint32_t right, std::uint64_t subkey,
                            const std::uint8_t (&expansion)[48]) {
  const std::uint64_t mixed = permute(right, 32, expansion) ^ subkey;
  std::uint32_t sOut = 0;
  for (int box = 0; box < 8; ++box) {
    const unsigned six = static_cast<unsigned>(mixed >> (42 - 6 * box)) & 0x3Fu;
    const unsigned row = ((six >> 4) & 2u) | (six & 1u);
    const unsigned column = (six >> 1) & 0xFu;
    sOut = (sOut << 4) | kSBoxes[box][row * 16 + column];
  }
  return static_cast<std::uint32_t>(permute(sOut, 32, kRoundPermutation));
}

}  // namespace

DesCryptHash desCrypt(const char* password, const char* salt) noexcept {
  if (password == nullptr) password = "";
  if (salt == nullptr) salt = "";

  // The key: up to eight characters, each shifted left by one bit, so the
  // parity bit that the key choice drops is the character's top bit.
  std::uint64_t key = 0;
  bool ended = false;
  for (int i = 0; i < 8; ++i) {
    unsigned char c = 0;
    if (!ended) {
      c = static_cast<unsigned char>(password[i]);
      ended = (c == 0);
    }
    key = (key << 8) | static_cast<std::uint8_t>(c << 1);
  }

  std::uint64_t subkeys[16];
  const std::uint64_t chosen = permute(key, 64, kKeyChoice1);
  std::uint32_t c28 = static_cast<std::uint32_t>(chosen >> 28) & 0x0FFFFFFFu;
  std::uint32_t d28 = static_cast<std::uint32_t>(chosen) & 0x0FFFFFFFu;
  for (int round = 0; round < 16; ++round) {
    c28 = rotateLeft28(c28, kKeyShifts[round]);
    d28 = rotateLeft28(d28, kKeyShifts[round]);
    subkeys[round] = permute((static_cast<std::uint64_t>(c28) << 28) | d28, 56, kKeyChoice2);
  }

  // The salt: bit j of character i swaps expansion entries 6i+j and 6i+j+24.
  DesCryptHash out{};
  const char salt0 = salt[0];
  const char salt1 = (salt0 != 0) ? salt[1] : '\0';
  std::uint8_t expansion[48];
  std::memcpy(expansion, kExpansion, sizeof expansion);
  const char saltChars[2] = {salt0, salt1};
  for (int i = 0; i < 2; ++i) {
    const unsigned bits = saltBits(saltChars[i]);
    for (int j = 0; j < 6; ++j) {
      if ((bits >> j) & 1u) {
        const std::uint8_t t = expansion[6 * i + j];
        expansion[6 * i + j] = expansion[6 * i + j + 24];
        expansion[6 * i + j + 24] = t;
      }
    }
  }

  std::uint64_t block = 0;
  for (int iteration = 0; iteration < 25; ++iteration) {
    const std::uint64_t permuted = permute(block, 64, kInitialPermutation);
    std::uint32_t left = static_cast<std::uint32_t>(permuted >> 32);
    std::uint32_t right = static_cast<std::uint32_t>(permuted);
    for (int round = 0; round < 16; ++round) {
      const std::uint32_t next = left ^ roundFunction(right, subkeys[round], expansion);
      left = right;
      right = next;
    }
    // The last round's halves are output swapped.
    block = permute((static_cast<std::uint64_t>(right) << 32) | left, 64, kFinalPermutation);
  }

  out[0] = salt0;
  out[1] = (salt1 != 0) ? salt1 : salt0;
  // 64 bits and two zero bits make 11 characters of six bits.
  for (int i = 0; i < 11; ++i) {
    const int shift = 58 - 6 * i;
    const unsigned six = shift >= 0 ? static_cast<unsigned>(block >> shift) & 0x3Fu
                                    : static_cast<unsigned>(block << -shift) & 0x3Fu;
    out[2 + i] = kAlphabet[six];
  }
  out[13] = '\0';

  // Do not leave key material behind on the stack.
  volatile std::uint64_t* wipe = subkeys;
  for (int i = 0; i < 16; ++i) wipe[i] = 0;
  volatile std::uint64_t* wipeKey = &key;
  *wipeKey = 0;
  return out;
}

}  // namespace orv
