// Result codes answered by the archive file layer. Each number is also the id
// of the library's message for that condition, so callers can hand them on
// unchanged as the answer of a vc* call.
#pragma once

namespace orv::archive {

inline constexpr int kOk = 0;
inline constexpr int kIncorrectPassword = 21;      // "Incorrect password"
inline constexpr int kDecompressError = 22;        // "Decompressing error"
inline constexpr int kCompressionError = 23;       // "Compression error"
inline constexpr int kParseError = 31;             // "Parse error in archive file"
inline constexpr int kHeaderCorrupted = 32;        // "Archive header corrupted"
inline constexpr int kDeltaCorrupted = 33;         // "Delta record is corrupted"
inline constexpr int kRevisionCorrupted = 34;      // "A revision is corrupted"
inline constexpr int kNotOnAccessList = 76;        // "You are not on the access list for this archive"
inline constexpr int kSecurityDenied = 98;         // "Security access denied"
inline constexpr int kNoMemory = 201;              // "VC LIB cannot allocate local memory"
inline constexpr int kSeekError = 211;             // "Archive seek error"
inline constexpr int kReadError = 212;             // "Archive read error"
inline constexpr int kArchiveWriteError = 213;     // "Archive write error"
inline constexpr int kTempWriteError = 214;        // "Temporary file write error"
inline constexpr int kUnexpectedEof = 218;         // "Scanned unexpected end-of-file"
inline constexpr int kCatastrophe = 278;           // "Total catastrophe.."

}  // namespace orv::archive
