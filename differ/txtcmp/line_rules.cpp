// Normalisation shared by the line hash and the line comparison.
#include "differ/txtcmp/line_rules.h"

#include <cstring>

#include "differ/support/diff_support.h"

namespace orv::txtcmp {

namespace {

inline bool is_space(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Yields the normalised characters of a line one by one; -1 at the end.
class Normaliser {
 public:
  Normaliser(std::string_view s, const LineRules& r)
      : p_(reinterpret_cast<const unsigned char*>(s.data())), e_(p_ + s.size()), r_(r) {}

  int next() {
    while (p_ < e_) {
      unsigned char c = *p_;
      if (is_space(c) && (r_.white || r_.blanks)) {
        while (p_ < e_ && is_space(*p_)) ++p_;
        if (r_.white || p_ == e_) continue;  // skipped, or a trailing run
        return ' ';
      }
      ++p_;
      if (r_.nocase && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
      return c;
    }
    return -1;
  }

 private:
  const unsigned char* p_;
  const unsigned char* e_;
  const LineRules& r_;
};

}  // namespace

std::uint16_t line_hash(std::string_view line, const LineRules& rules) {
  if (rules.plain()) return diffsup::crc16(line.data(), line.size());
  Normaliser n(line, rules);
  std::uint16_t reg = 0;
  for (int c = n.next(); c >= 0; c = n.next()) reg = diffsup::crc16_step(reg, static_cast<unsigned char>(c));
  return reg;
}

int line_compare(std::string_view a, std::string_view b, const LineRules& rules) {
  if (rules.plain()) {
    if (a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0)) return 0;
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
      auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
      if (ca != cb) return ca - cb;
    }
    if (a.size() == b.size()) return 0;
    return a.size() > b.size() ? static_cast<unsigned char>(a[n]) + 1 : -1 - static_cast<unsigned char>(b[n]);
  }
  Normaliser na(a, rules), nb(b, rules);
  for (;;) {
    int ca = na.next(), cb = nb.next();
    if (ca != cb) return ca - cb;
    if (ca < 0) return 0;
  }
}

}  // namespace orv::txtcmp
