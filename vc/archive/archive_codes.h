// The archive file layer answers the library's own result codes
// (vc/error_codes.h, err::k...), so callers hand them on unchanged as the
// answer of a vc* call.
#pragma once

#include "vc/error_codes.h"

namespace orv::archive {

// The name the check-in code still uses for "Total catastrophe..".
inline constexpr int kCatastrophe = err::kCatastrophe;

}  // namespace orv::archive
