// Equivalence classes of lines for the full matcher: lines that compare
// equal under the line rules (-b, -w, -i) get the same class number, and
// lines of one class have the same 64-bit hash of their normalised text.
// Two different lines share a class only when their 64-bit hashes collide
// (the matcher compares every match for real before it writes one). Matching
// over class numbers instead of the 16-bit line hashes keeps different lines
// apart, so the script is minimal, and a line whose class the other file
// lacks can be set aside before the search: it can never be matched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "differ/txtcmp/line_rules.h"

namespace orv::txtcmp {

class LineClassifier {
 public:
  // For at most `lines` lines.
  LineClassifier(const LineRules& rules, std::size_t lines);

  // The bytes a classifier for `lines` lines takes at most.
  static std::size_t bytes_for(std::size_t lines);

  // The line's class: 0, 1, 2, ... in order of first appearance.
  std::int32_t class_of(std::string_view line);
  std::int32_t classes() const { return next_; }

 private:
  struct Slot {
    std::uint64_t hash;
    std::int32_t id;  // -1: empty
  };
  std::uint64_t hash(std::string_view line) const;
  void place(std::uint64_t h, std::int32_t id);
  void grow();

  LineRules rules_;
  std::vector<Slot> slots_;  // grown with the classes, so it stays small for repetitive texts
  std::size_t mask_;
  std::int32_t next_ = 0;
};

}  // namespace orv::txtcmp
