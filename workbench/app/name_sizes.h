// The sizes the workbench reads the library's names by, after the lengths
// vc.h gives: one definition per meaning.
#pragma once

#include "vc/include/vc.h"

namespace orv::workbench::app {

// The longest path name the library hands out.
inline constexpr int kMaxNameLength = VC_MAX_NAME;
// A buffer that holds a path name and its terminator.
inline constexpr int kNameBufferSize = VC_MAX_NAME + 1;
// A buffer that holds a user name, author, state or locker and its
// terminator.
inline constexpr int kTokenBufferSize = VC_MAX_TOKEN + 1;

}  // namespace orv::workbench::app
