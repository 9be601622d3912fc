// Support module: CRC-16/ARC, base names, message copying and the line reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "differ/support/diff_support.h"

namespace ds = orv::diffsup;

namespace {

// Bit-by-bit CRC-16/ARC, independent of the table.
std::uint16_t crc_bitwise(const std::string& s) {
  std::uint16_t r = 0;
  for (unsigned char c : s) {
    r ^= c;
    for (int k = 0; k < 8; ++k) r = (r & 1) ? static_cast<std::uint16_t>((r >> 1) ^ 0xA001) : r >> 1;
  }
  return r;
}

}  // namespace

TEST(DiffSupport, Crc16CheckValueAndTable) {
  EXPECT_EQ(ds::crc16("123456789", 9), 0xBB3D);
  for (const char* s : {"", "a\n", "hello world\n", "\x00\xff\x80"})
    EXPECT_EQ(ds::crc16(s, std::strlen(s)), crc_bitwise(s)) << s;
}

TEST(DiffSupport, Crc16OfEveryLengthAndFromAnyRegister) {
  // Eight bytes at a time and the bytes left over, from 0 and from a register
  // carried over.
  std::string s;
  for (int k = 0; k < 70; ++k) s += static_cast<char>((k * 37 + 11) & 0xFF);
  for (std::size_t len = 0; len <= s.size(); ++len) {
    const std::string part = s.substr(0, len);
    EXPECT_EQ(ds::crc16(part.data(), part.size()), crc_bitwise(part)) << len;
    const std::size_t cut = len / 3;
    EXPECT_EQ(ds::crc16(part.data() + cut, len - cut, ds::crc16(part.data(), cut)), crc_bitwise(part)) << len;
  }
}

TEST(DiffSupport, BaseName) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"file.c", "file.c"},  {"dir/file.c", "file.c"}, {"C:file.c", "file.c"},
               {"C:\\a\\b.c", "b.c"}, {"a/b\\c", "c"},          {"dir/", ""}};
  for (const auto& c : cases) EXPECT_STREQ(ds::base_name(c.in), c.out) << c.in;
}

TEST(DiffSupport, CopyOutArithmetic) {
  ds::MessageBuffer m;
  m.set_plain("%s", "abcdefghijklmnopqrst");  // 20 characters
  char buf[32];
  std::memset(buf, 'Z', sizeof buf);
  EXPECT_EQ(m.copy_out(buf, 10, 0), 1);
  EXPECT_STREQ(buf, "abcdefgh");
  EXPECT_EQ(buf[9], 'Z');
  EXPECT_EQ(m.copy_out(buf, 21, 0), 1);  // length == len - 1: cut
  EXPECT_EQ(std::strlen(buf), 19u);
  EXPECT_EQ(m.copy_out(buf, 22, 0), 0);  // shorter than len - 1: whole
  EXPECT_STREQ(buf, "abcdefghijklmnopqrst");
  EXPECT_EQ(m.copy_out(buf, 22, 1), 1);  // one character stricter
  EXPECT_EQ(std::strlen(buf), 20u);
  EXPECT_EQ(m.copy_out(buf, 23, 1), 0);
  EXPECT_EQ(m.copy_out(nullptr, 10, 0), 1);
  EXPECT_EQ(m.copy_out(buf, 1, 0), 1);
  EXPECT_EQ(buf[0], '\0');
}

TEST(DiffSupport, SystemMessage) {
  ds::MessageBuffer m;
  m.set_system("diff", ENOENT, "file \"%s\"", "x");
  EXPECT_EQ(m.text(), std::string("diff: file \"x\": ") + std::strerror(ENOENT));
  m.set_system(nullptr, ENOENT, "file \"%s\"", "x");
  EXPECT_EQ(m.text(), std::string("file \"x\": ") + std::strerror(ENOENT));
}

TEST(DiffSupport, LineReaderStatuses) {
  struct Case {
    std::string input;
    std::size_t size;
    std::vector<std::pair<ds::LineStatus, std::string>> reads;
  } cases[] = {
      {"ab\ncd", 16, {{ds::LineStatus::kLine, "ab\n"}, {ds::LineStatus::kNoNewline, "cd"}, {ds::LineStatus::kEof, ""}}},
      {"", 16, {{ds::LineStatus::kEof, ""}}},
      {"abcdef\n", 5, {{ds::LineStatus::kTooLong, "abcd"}}},
      {"abcd\n", 6, {{ds::LineStatus::kLine, "abcd\n"}}},
      {std::string("a\0b\n", 4), 16, {{ds::LineStatus::kBinary, std::string("a\0", 2)}}},
  };
  for (const auto& c : cases) {
    std::FILE* f = c.input.empty() ? std::tmpfile()
                                   : fmemopen(const_cast<char*>(c.input.data()), c.input.size(), "r");
    ASSERT_NE(f, nullptr);
    for (const auto& [status, text] : c.reads) {
      char buf[64];
      std::size_t len = 99;
      EXPECT_EQ(ds::read_line(buf, c.size, f, &len), status) << c.input;
      EXPECT_EQ(std::string(buf, len), text);
      EXPECT_EQ(buf[len], '\0');
    }
    std::fclose(f);
  }
  // A stream that reports an error.
  std::FILE* w = std::fopen("/dev/null", "w");
  char buf[8];
  std::size_t len;
  EXPECT_EQ(ds::read_line(buf, sizeof buf, w, &len), ds::LineStatus::kReadError);
  std::fclose(w);
}
