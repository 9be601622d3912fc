// Small helpers shared by the text and binary differencers and the archive
// importers: the CRC-16/ARC line hash, the base name of a path, the message
// buffer with its two formatting styles, and the line reader with its six
// statuses (for streams; the text differencer splits its texts in memory by
// the same rules, txtcmp/input_text.cpp). Each library links its own copy
// (static library differ_support).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace orv::diffsup {

// CRC-16/ARC: reflected polynomial 0xA001, start value 0, no final XOR.
extern const std::uint16_t kCrc16Table[256];

inline std::uint16_t crc16_step(std::uint16_t reg, unsigned char byte) {
  return static_cast<std::uint16_t>((reg >> 8) ^ kCrc16Table[(reg ^ byte) & 0xFF]);
}

std::uint16_t crc16(const void* data, std::size_t len, std::uint16_t reg = 0);

// Part of a path after a leading drive ("X:") and after the last '/' or '\'.
const char* base_name(const char* path);

// The decimal number at the start of s (0 when there is none), the count of
// the -c and -C options; a longer run of digits gives 2147483647.
long parse_decimal(const char* s);

// Holder of the last message of a library. Formatting never overflows: texts
// are kept in a std::string.
class MessageBuffer {
 public:
  // The text as it stands (no prefix).
  void set_plain(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  // "<program>: " (when program is non-empty), the text, then ": " and the
  // system text for err (or "error <err>" when there is none).
  void set_system(const char* program, int err, const char* fmt, ...)
      __attribute__((format(printf, 4, 5)));
  void set_text(std::string text) {
    std::lock_guard<std::mutex> g(mu_);
    text_ = std::move(text);
  }
  std::string text() const {
    std::lock_guard<std::mutex> g(mu_);
    return text_;
  }

  // Copies the text out. The text is copied whole (result 0) when its length
  // plus `slack` is below len - 1; otherwise len - 2 characters and a
  // terminator are stored and the result is 1. DiffError uses slack 0,
  // DiffBError slack 1.
  int copy_out(char* buf, long len, int slack) const;

 private:
  mutable std::mutex mu_;
  std::string text_;
};

// Line reader statuses.
enum class LineStatus : int {
  kLine = 0,        // a line ending in a line feed (kept)
  kEof = 1,         // end of file before any character
  kNoNewline = 2,   // a last line without line feed
  kTooLong = 3,     // the buffer filled before a line feed came
  kBinary = 4,      // a NUL byte was read (it is stored)
  kReadError = 5,   // the stream reports an error
};

// Reads characters until a line feed, the end of the file, or until size - 1
// characters are stored; always terminates the text. *len receives the number
// of characters stored (the text may hold a NUL byte).
LineStatus read_line(char* buf, std::size_t size, std::FILE* in, std::size_t* len);

}  // namespace orv::diffsup
