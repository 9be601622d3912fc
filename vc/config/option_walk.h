// Handing every entry of one option list to a caller's function: options,
// the three kinds of pairs and the named blocks line by line, each with kind
// bits that say what it is. The configuration enumeration of a project or
// an instance and the dependency cache of a reference tree walk lists so.
#pragma once

#include "vc/config/option_list.h"
#include "vc/include/vc.h"

#include <functional>
#include <string>

namespace vc {

// Kind bits of the entries.
inline constexpr int kWalkOption = VC_WALK_OPTION;
inline constexpr int kWalkWorkToArch = VC_WALK_WORKTOARCH;
inline constexpr int kWalkWorkMap = VC_WALK_WORKMAP;
inline constexpr int kWalkAutoAction = VC_WALK_AUTOACTION;
inline constexpr int kWalkBlockHead = VC_WALK_BLOCK_HEAD;  // "block", "block NAME"
inline constexpr int kWalkBlockLine = VC_WALK_BLOCK_LINE;  // "continue-block", the line
inline constexpr int kWalkBlockEnd = VC_WALK_BLOCK_END;    // "end-block", "end"

// (kind bits, keyword, text) of one entry; nonzero stops the walk.
using OptionEntryFn = std::function<int(int kind, const std::string& keyword, const std::string& text)>;

// Options oldest first (keyword the name, text the statement as written:
// "Enforce" and "No" before the name, "=" and the value when it has one),
// then the pairs oldest first (keyword "worktoarch", "workmap" or
// "autoaction", text "name=value"), then the blocks in definition order. The first
// nonzero answer, else 0.
int walkOptionList(const VcOptionList& list, const OptionEntryFn& fn);

}  // namespace vc
