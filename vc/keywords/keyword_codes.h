// Result codes that keyword processing answers. The numbers are the
// library's message ids, so the export layer passes them through unchanged.
#pragma once

namespace orv::vc {

inline constexpr int kKeywordOk = 0;
inline constexpr int kKeywordPathTooLong = 12;           // "Internal buffer length exceeded"
inline constexpr int kKeywordInvalidMode = 56;           // "Invalid argument"
inline constexpr int kKeywordInvalidExpansion = 57;      // "Invalid keyword expansion in working file"
inline constexpr int kKeywordWriteError = 217;           // "Work file write error"

}  // namespace orv::vc
