// The shared support routines of the differencers (see diff_support.h).
#include "differ/support/diff_support.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <vector>

namespace orv::diffsup {

namespace {

constexpr std::uint16_t crc_entry(unsigned n) {
  unsigned r = n;
  for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
  return static_cast<std::uint16_t>(r);
}

std::string vformat(const char* fmt, va_list ap) {
  va_list copy;
  va_copy(copy, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) return {};
  std::vector<char> buf(static_cast<std::size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), fmt, ap);
  return std::string(buf.data(), static_cast<std::size_t>(n));
}

}  // namespace

const std::uint16_t kCrc16Table[256] = {
#define R(n) crc_entry(n), crc_entry(n + 1), crc_entry(n + 2), crc_entry(n + 3)
#define R16(n) R(n), R(n + 4), R(n + 8), R(n + 12)
    R16(0),   R16(16),  R16(32),  R16(48),  R16(64),  R16(80),  R16(96),  R16(112),
    R16(128), R16(144), R16(160), R16(176), R16(192), R16(208), R16(224), R16(240),
#undef R16
#undef R
};

namespace {

// Eight bytes at a time: table k gives the register's change for a byte
// followed by k zero bytes (table 0 is kCrc16Table).
struct SliceTables {
  std::uint16_t t[8][256];
};

constexpr SliceTables make_slice_tables() {
  SliceTables s{};
  for (unsigned b = 0; b < 256; ++b) s.t[0][b] = crc_entry(b);
  for (int k = 1; k < 8; ++k)
    for (unsigned b = 0; b < 256; ++b)
      s.t[k][b] = static_cast<std::uint16_t>((s.t[k - 1][b] >> 8) ^ s.t[0][s.t[k - 1][b] & 0xFF]);
  return s;
}

constexpr SliceTables kSlices = make_slice_tables();

}  // namespace

std::uint16_t crc16(const void* data, std::size_t len, std::uint16_t reg) {
  const auto* p = static_cast<const unsigned char*>(data);
  const auto& t = kSlices.t;
  std::size_t i = 0;
  for (; i + 8 <= len; i += 8) {
    const unsigned b0 = (p[i] ^ reg) & 0xFF, b1 = (p[i + 1] ^ (reg >> 8)) & 0xFF;
    reg = static_cast<std::uint16_t>(t[7][b0] ^ t[6][b1] ^ t[5][p[i + 2]] ^ t[4][p[i + 3]] ^ t[3][p[i + 4]] ^
                                     t[2][p[i + 5]] ^ t[1][p[i + 6]] ^ t[0][p[i + 7]]);
  }
  for (; i < len; ++i) reg = crc16_step(reg, p[i]);
  return reg;
}

const char* base_name(const char* path) {
  if (!path) return "";
  if (((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':')
    path += 2;
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

long parse_decimal(const char* s) {
  long v = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    if (v > 214748364L) return 2147483647L;
    v = v * 10 + (*s - '0');
  }
  return v;
}

void MessageBuffer::set_plain(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string text = vformat(fmt, ap);
  va_end(ap);
  set_text(std::move(text));
}

void MessageBuffer::set_system(const char* program, int err, const char* fmt, ...) {
  std::string out;
  if (program && *program) {
    out = program;
    out += ": ";
  }
  va_list ap;
  va_start(ap, fmt);
  out += vformat(fmt, ap);
  va_end(ap);
  const char* sys = err ? std::strerror(err) : nullptr;
  out += ": ";
  if (sys && *sys)
    out += sys;
  else
    out += "error " + std::to_string(err);
  set_text(std::move(out));
}

int MessageBuffer::copy_out(char* buf, long len, int slack) const {
  std::lock_guard<std::mutex> g(mu_);
  if (!buf || len <= 0) return 1;
  if (len == 1) {
    buf[0] = '\0';
    return 1;
  }
  const long n = static_cast<long>(text_.size());
  if (n + slack < len - 1) {
    std::memcpy(buf, text_.c_str(), static_cast<std::size_t>(n) + 1);
    return 0;
  }
  std::memcpy(buf, text_.data(), static_cast<std::size_t>(len - 2));
  buf[len - 2] = '\0';
  return 1;
}

LineStatus read_line(char* buf, std::size_t size, std::FILE* in, std::size_t* len) {
  std::size_t n = 0;
  LineStatus st = LineStatus::kTooLong;
  while (n + 1 < size) {
    int c = getc_unlocked(in);
    if (c == EOF) {
      if (std::ferror(in))
        st = LineStatus::kReadError;
      else
        st = n == 0 ? LineStatus::kEof : LineStatus::kNoNewline;
      break;
    }
    buf[n++] = static_cast<char>(c);
    if (c == '\n') {
      st = LineStatus::kLine;
      break;
    }
    if (c == '\0') {
      st = LineStatus::kBinary;
      break;
    }
  }
  if (size > 0) buf[n] = '\0';
  if (len) *len = n;
  return st;
}

}  // namespace orv::diffsup
