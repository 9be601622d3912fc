// The archive rotor cipher: its structure, its round trip over long streams,
// the 8-character key limit, and its output against a reference written
// apart from it (Python, keyed through the system's crypt).
#include <gtest/gtest.h>

#include <cstdio>

#include "libc/gen/des_crypt.h"
#include "libc/orv/rotor_cipher.h"
#include "libc/orv/tests/test_support.h"

#ifndef ORV_ROTOR_REFERENCE
#error "ORV_ROTOR_REFERENCE must name the reference script"
#endif

namespace orv {
namespace {

using test::Bytes;

std::string hex(const Bytes& b) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (std::uint8_t c : b) {
    s.push_back(digits[c >> 4]);
    s.push_back(digits[c & 15]);
  }
  return s;
}

Bytes encipher(const char* password, Bytes data) {
  RotorCipher c = RotorCipher::fromPassword(password);
  c.apply(data);
  return data;
}

TEST(RotorCipher, StartingStateIsWellFormed) {
  for (const char* pw : {"", "a", "secretpw", "Vq", "\xE9t\xE9", "longer than eight"}) {
    SCOPED_TRACE(pw);
    const RotorCipher c = RotorCipher::fromPassword(pw);
    const RotorCipher::State& s = c.startingState();
    for (int i = 0; i < 256; ++i) {
      EXPECT_EQ(s.inverse[s.rotor[i]], i);
      EXPECT_NE(s.reflector[i], i);                  // no byte is its own reflection
      EXPECT_EQ(s.reflector[s.reflector[i]], i);     // pairs
    }
    EXPECT_EQ(s.low, 0);
    EXPECT_EQ(s.high, 0);
  }
}

TEST(RotorCipher, IsItsOwnInverseOverLongStreams) {
  // Longer than 65,536 bytes so the high counter wraps too.
  const Bytes plain = test::randomBytes(70000, 99);
  RotorCipher c = RotorCipher::fromPassword("tiger42");
  Bytes data = plain;
  c.apply(data);
  EXPECT_NE(data, plain);
  EXPECT_EQ(c.workingState().low, 70000 % 256);
  EXPECT_EQ(c.workingState().high, (70000 / 256) % 256);
  c.reset();
  // Deciphered in uneven pieces, and byte by byte at the end.
  std::size_t at = 0;
  for (std::size_t piece = 1; at + piece <= data.size() - 100; piece = piece * 3 % 4097 + 1) {
    c.apply(std::span<std::uint8_t>(data.data() + at, piece));
    at += piece;
  }
  for (; at < data.size(); ++at) data[at] = c.apply(data[at]);
  EXPECT_EQ(data, plain);
}

TEST(RotorCipher, OnlyTheFirstEightCharactersCount) {
  const Bytes plain = test::toBytes("head 1.2;\nbranch ;\naccess ;\n");
  EXPECT_EQ(encipher("password", plain), encipher("password123", plain));
  EXPECT_EQ(encipher("password", plain), encipher("password!", plain));
  EXPECT_NE(encipher("password", plain), encipher("passwore", plain));
  EXPECT_NE(encipher("passwor", plain), encipher("password", plain));
}

TEST(RotorCipher, KeyedFromTheDesHashSaltedWithThePassword) {
  const DesCryptHash h = desCrypt("trumpet", "tr");
  const Bytes plain = test::wordText(3000, 5);
  Bytes a = plain;
  Bytes b = plain;
  RotorCipher::fromPassword("trumpet").apply(a);
  RotorCipher::fromHash(std::span<const char, 13>(h.data(), 13)).apply(b);
  EXPECT_EQ(a, b);
}

TEST(RotorCipher, MatchesTheReference) {
  const Bytes plain = test::toBytes("head 1.1;\nbranch ;\naccess ;\nsymbols ;\nlocks ; strict;\n");
  // Passwords the system's crypt accepts as their own salt: alphabet
  // characters only, at least two of them.
  const std::vector<std::string> passwords = {"secretpw", "ab", "Zz9./", "password123", "q1w2e3r4"};
  std::string cmd = std::string("python3 '") + ORV_ROTOR_REFERENCE + "' " + hex(plain);
  for (const std::string& pw : passwords) cmd += " '" + pw + "'";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::vector<std::string> expected;
  char line[1024];
  while (std::fgets(line, sizeof line, p) != nullptr) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    expected.push_back(s);
  }
  const int status = pclose(p);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "python3 has no crypt module";
  ASSERT_EQ(expected.size(), passwords.size());
  for (std::size_t i = 0; i < passwords.size(); ++i) {
    EXPECT_EQ(hex(encipher(passwords[i].c_str(), plain)), expected[i]) << passwords[i];
  }
}

TEST(RotorCipher, FixedVector) {
  // Worked out once with the reference script for "secretpw" over
  // "Hello, world!\n"; guards against both drifting together.
  EXPECT_EQ(hex(encipher("secretpw", test::toBytes("Hello, world!\n"))), "1c46f05b067610f84428565300ad");
}

TEST(RotorCipher, ShortAndEmptyPasswordsStillKey) {
  // A one-character password salts with a NUL second character; an empty
  // one with two. Neither may crash or leave the cipher the identity.
  for (const char* pw : std::initializer_list<const char*>{"", "x", nullptr}) {
    const Bytes plain = test::wordText(600, 1);
    Bytes data = plain;
    RotorCipher c = RotorCipher::fromPassword(pw);
    c.apply(data);
    EXPECT_NE(data, plain);
    c.reset();
    c.apply(data);
    EXPECT_EQ(data, plain);
  }
  EXPECT_EQ(encipher(nullptr, test::toBytes("abc")), encipher("", test::toBytes("abc")));
}

}  // namespace
}  // namespace orv
