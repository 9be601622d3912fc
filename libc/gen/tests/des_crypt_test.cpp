// Checks the DES password hash against the system's crypt() (libcrypt, linked
// into this test only) and against known answers.
#include "libc/gen/des_crypt.h"

#include <crypt.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string systemCrypt(const std::string& password, const std::string& salt) {
  crypt_data data{};
  const char* h = crypt_r(password.c_str(), salt.c_str(), &data);
  return h ? std::string(h) : std::string("<refused>");
}

std::string ours(const std::string& password, const std::string& salt) {
  return std::string(orv::desCrypt(password.c_str(), salt.c_str()).data());
}

TEST(DesCrypt, KnownAnswers) {
  struct Case { const char* password; const char* salt; const char* hash; };
  const Case cases[] = {
      {"secret", "Vq", "VqM9mJKnNFuNc"},
      {"password", "Vq", "VqJi5bMy8Gg32"},
      {"password123", "Vq", "VqJi5bMy8Gg32"},  // only eight characters count
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ours(c.password, c.salt), c.hash) << c.password;
    EXPECT_EQ(systemCrypt(c.password, c.salt), c.hash) << c.password;
  }
}

TEST(DesCrypt, EqualsSystemCryptForRandomPasswords) {
  std::mt19937 rng(20240611u);
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<int> byte(1, 255);  // any byte but NUL, 8-bit ones too
  for (int n = 0; n < 1000; ++n) {
    std::string pw;
    const int len = length(rng);
    for (int i = 0; i < len; ++i) pw.push_back(static_cast<char>(byte(rng)));
    ASSERT_EQ(ours(pw, "Vq"), systemCrypt(pw, "Vq")) << "password #" << n;
  }
}

TEST(DesCrypt, EqualsSystemCryptForEverySaltCharacter) {
  const std::string alphabet =
      "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  for (std::size_t i = 0; i < alphabet.size(); ++i) {
    const std::string salt{alphabet[i], alphabet[(i * 7 + 3) % alphabet.size()]};
    ASSERT_EQ(ours("Tr0ub4dor", salt), systemCrypt("Tr0ub4dor", salt)) << salt;
  }
}

// Salts that libcrypt refuses: the traditional arithmetic maps each such
// character onto the bits of one alphabet character (worked out by hand
// below), so the eleven hash characters must equal the system's hash with
// that character, while the output keeps the salt as given.
TEST(DesCrypt, SaltsOutsideTheAlphabetMapLikeTheClassicCode) {
  struct Case { std::string salt; std::string equivalent; std::string prefix; };
  // '!' = 33 -> 33 - 46 = -13 -> low six bits 51 -> 'n'.
  // '[' = 91 > 'Z' -> 85 > '9' -> 78 - 46 = 32 -> 'U'.
  // 0xE9 as a signed char is -23 -> -69 -> 59 -> 'v'.
  // '{' = 123 -> 117 -> 110 - 46 = 64 -> 0 -> '.'; '|' = 124 -> 65 -> 1 -> '/'.
  const Case fixed[] = {
      {"!x", "nx", "!x"},
      {"x!", "xn", "x!"},
      {"[q", "Uq", "[q"},
      {"\xE9q", "vq", "\xE9q"},
      {"{|", "./", "{|"},
  };
  for (const Case& c : fixed) {
    const std::string got = ours("hello", c.salt);
    const std::string ref = systemCrypt("hello", c.equivalent);
    ASSERT_EQ(got.size(), 13u);
    EXPECT_EQ(got.substr(0, 2), c.prefix);
    EXPECT_EQ(got.substr(2), ref.substr(2)) << c.salt;
  }
}

TEST(DesCrypt, ShortSalts) {
  // A one-character salt: the missing character is NUL, whose bits are
  // (0 - 46) & 63 = 18 -> 'G'; the output repeats the first character.
  const std::string one = ours("a", "a");
  EXPECT_EQ(one.substr(0, 2), "aa");
  EXPECT_EQ(one.substr(2), systemCrypt("a", "aG").substr(2));

  // An empty salt: both characters NUL -> "GG" bits, NULs in front.
  const orv::DesCryptHash empty = orv::desCrypt("", "");
  EXPECT_EQ(empty[0], '\0');
  EXPECT_EQ(empty[1], '\0');
  EXPECT_EQ(std::string(empty.data() + 2), systemCrypt("", "GG").substr(2));

  // Null pointers are empty texts.
  EXPECT_EQ(orv::desCrypt(nullptr, nullptr), empty);
}

TEST(DesCrypt, OnlyTheLowSevenBitsOfEachCharacterCount) {
  EXPECT_EQ(ours("\xE1\xE2\xE3", "Vq"), ours("abc", "Vq"));
  EXPECT_EQ(ours("12345678", "ab"), ours("12345678xyz", "ab"));
  EXPECT_NE(ours("1234567", "ab"), ours("12345678", "ab"));
}

}  // namespace
