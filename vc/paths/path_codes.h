// Result codes of the path calls.
//
// The numbers are the library's message-table ids (every vc* call answers one
// of them); only the ones the path layer produces or passes on are named here.
// The library's own error table holds the texts.
#pragma once

#include <cstddef>

namespace orv::vc::path_code {

inline constexpr int kSuccess = 0;
inline constexpr int kDifferent = 1;              // vcPathSame: not the same path
inline constexpr int kNoDirectoryPart = 2;        // vcCheckDirPath
inline constexpr int kDirectoryMissing = 3;       // vcCheckDirPath
inline constexpr int kBufferTooSmall = 4;         // "Buffer too small for result"
inline constexpr int kNotContained = 5;           // a name outside a non-empty root
inline constexpr int kNotADirectory = 5;          // vcCheckDirPath: the directory part is a file
inline constexpr int kNoCurrentDirectory = 11;    // "Cannot determine current working directory"
inline constexpr int kInternalBufferExceeded = 12;// "Internal buffer length exceeded"
inline constexpr int kCannotMakeArchiveName = 13; // "Cannot make archive name"
inline constexpr int kArchiveMissing = 14;        // "Archive does not exist"
inline constexpr int kInvalidArgument = 56;       // "Invalid argument"
inline constexpr int kNoWorkingName = 58;         // "Cannot determine working file name"
inline constexpr int kWorkIsArchive = 85;         // "Working file and archive file are identical"
inline constexpr int kCannotCreateDirectory = 202;// "Cannot create archive directory"
inline constexpr int kCannotOpenArchive = 203;    // "Cannot open archive"

// Open-mode bits of vcOpenArchive and vcFindArchiveName.
inline constexpr int kModeRead = 1;
inline constexpr int kModeWrite = 2;
inline constexpr int kModeCreate = 4;

// Working names are built in a 2,048-byte place: a longer absolute name
// (with its NUL) answers kInternalBufferExceeded.
inline constexpr std::size_t kMaxAbsoluteName = 2048;

}  // namespace orv::vc::path_code
