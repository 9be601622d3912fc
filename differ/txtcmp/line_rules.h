// Line hashing and comparison under the white-space and case options
// (-b, -w, -i). The hash and the real comparison normalise a line the same
// way, so lines that compare equal always hash equal.
#pragma once

#include <cstdint>
#include <string_view>

namespace orv::txtcmp {

struct LineRules {
  bool blanks = false;   // -b: a white-space run is one blank, a trailing run nothing
  bool white = false;    // -w: every white-space character is skipped
  bool nocase = false;   // -i: ASCII upper case compares as lower case
  bool plain() const { return !blanks && !white && !nocase; }
};

// CRC-16/ARC of the normalised line, from 0, no final XOR.
std::uint16_t line_hash(std::string_view line, const LineRules& rules);

// Difference of the first unequal normalised characters; 0 when equal.
int line_compare(std::string_view a, std::string_view b, const LineRules& rules);

}  // namespace orv::txtcmp
