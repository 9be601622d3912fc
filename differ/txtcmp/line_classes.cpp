// Line classes (see line_classes.h): an open-addressing table keyed by a
// 64-bit hash of the normalised line.
#include "differ/txtcmp/line_classes.h"

#include <bit>
#include <cstring>

namespace orv::txtcmp {

namespace {

constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;

inline std::uint64_t mix(std::uint64_t h, std::uint64_t w) {
  h ^= w;
  h *= kMul;
  return h ^ (h >> 29);
}

// Spreads the high bits over the low ones, which pick the slot.
inline std::uint64_t finish(std::uint64_t h) {
  h *= kMul;
  return h ^ (h >> 32);
}

inline bool is_space(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

namespace {

// A table is grown before more than two slots in three are taken.
std::size_t table_size(std::size_t classes) { return std::bit_ceil(classes + classes / 2 + 2); }

constexpr std::size_t kFirstSize = 1024;

}  // namespace

std::size_t LineClassifier::bytes_for(std::size_t lines) {
  // The largest table and the one before it, both live while growing.
  return (table_size(lines) + table_size(lines) / 2) * sizeof(Slot);
}

LineClassifier::LineClassifier(const LineRules& rules, std::size_t lines)
    : rules_(rules), slots_(std::min(kFirstSize, table_size(lines)), Slot{0, -1}), mask_(slots_.size() - 1) {}

void LineClassifier::place(std::uint64_t h, std::int32_t id) {
  std::size_t i = static_cast<std::size_t>(h) & mask_;
  while (slots_[i].id >= 0) i = (i + 1) & mask_;
  slots_[i] = Slot{h, id};
}

void LineClassifier::grow() {
  std::vector<Slot> old(2 * slots_.size(), Slot{0, -1});
  old.swap(slots_);
  mask_ = slots_.size() - 1;
  for (const Slot& s : old)
    if (s.id >= 0) place(s.hash, s.id);
}

// Plain lines are hashed eight bytes at a time; under the rules, the
// normalised characters one by one (white space as the comparison sees it).
std::uint64_t LineClassifier::hash(std::string_view line) const {
  std::uint64_t h = line.size() * kMul;
  if (rules_.plain()) {
    const char* p = line.data();
    std::size_t n = line.size();
    for (; n >= 8; p += 8, n -= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      h = mix(h, w);
    }
    if (n > 0) {
      std::uint64_t w = 0;
      std::memcpy(&w, p, n);
      h = mix(h, w);
    }
    return finish(h);
  }
  h = 0;
  const auto* s = reinterpret_cast<const unsigned char*>(line.data());
  const auto* e = s + line.size();
  while (s < e) {
    unsigned char c = *s;
    if (is_space(c) && (rules_.white || rules_.blanks)) {
      while (s < e && is_space(*s)) ++s;
      if (rules_.white || s == e) continue;
      h = mix(h, ' ');
      continue;
    }
    ++s;
    if (rules_.nocase && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    h = mix(h, c);
  }
  return finish(h);
}

std::int32_t LineClassifier::class_of(std::string_view line) {
  const std::uint64_t h = hash(line);
  for (std::size_t i = static_cast<std::size_t>(h) & mask_;; i = (i + 1) & mask_) {
    const Slot s = slots_[i];
    if (s.id < 0) break;
    if (s.hash == h) return s.id;
  }
  if (3 * (static_cast<std::size_t>(next_) + 1) > 2 * slots_.size()) grow();
  place(h, next_);
  return next_++;
}

}  // namespace orv::txtcmp
