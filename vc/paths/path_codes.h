// Answers of the path calls that are not messages of the library, and the
// path layer's limits.
//
// Every failure a path call reports is one of the library's result codes
// (vc/error_codes.h, err::k...). A few calls also answer small numbers that
// mean something only for that call; those are named here.
#pragma once

#include <cstddef>

#include "vc/error_codes.h"

namespace vc::path_code {

inline constexpr int kDifferent = 1;              // vcPathSame: not the same path
inline constexpr int kNoDirectoryPart = 2;        // vcCheckDirPath
inline constexpr int kDirectoryMissing = 3;       // vcCheckDirPath
inline constexpr int kNotContained = 5;           // a name outside a non-empty root
inline constexpr int kNotADirectory = 5;          // vcCheckDirPath: the directory part is a file

// Open-mode bits of vcOpenArchive and vcFindArchiveName.
inline constexpr int kModeRead = VC_ARCHIVE_OPEN_READ;
inline constexpr int kModeWrite = VC_ARCHIVE_OPEN_WRITE;
inline constexpr int kModeCreate = VC_ARCHIVE_OPEN_CREATE;

// Working names are built in a 2,048-byte place: a longer absolute name
// (with its NUL) answers err::kInternalBufferExceeded.
inline constexpr std::size_t kMaxAbsoluteName = 2048;

}  // namespace vc::path_code
