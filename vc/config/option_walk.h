// Handing every entry of one option list to a caller's function: options,
// the three kinds of pairs and the named blocks line by line, each with kind
// bits that say what it is. The configuration enumeration of a project or
// an instance and the dependency cache of a reference tree walk lists so.
#pragma once

#include "vc/config/option_list.h"

#include <functional>
#include <string>

namespace vc {

// Kind bits of the entries.
inline constexpr int kWalkOption = 0x8000;
inline constexpr int kWalkWorkToArch = 0x1000;
inline constexpr int kWalkWorkMap = 0x2000;
inline constexpr int kWalkAutoAction = 0x4000;
inline constexpr int kWalkBlockHead = 0x100;  // "block", "block NAME"
inline constexpr int kWalkBlockLine = 0x200;  // "continue-block", the line
inline constexpr int kWalkBlockEnd = 0x400;   // "end-block", "end"

// (kind bits, keyword, text) of one entry; nonzero stops the walk.
using OptionEntryFn = std::function<int(int kind, const std::string& keyword, const std::string& text)>;

// Options oldest first (keyword the name, text the statement as written:
// "Enforce" and "No" before the name, "=" and the value when it has one),
// then the pairs oldest first (keyword "worktoarch", "workmap" or
// "autoaction", text "name=value"), then the blocks in definition order. The first
// nonzero answer, else 0.
int walkOptionList(const VcOptionList& list, const OptionEntryFn& fn);

}  // namespace vc
