// Recognising an archive's form from its first 32 bytes: plain, compressed
// (LZW or gzip), encrypted, or a foreign PVCS or SCCS file.
#pragma once

#include "vc/error_codes.h"

#include <cstddef>
#include <cstdint>

namespace vc {

inline constexpr std::size_t kRecognitionBytes = 32;

struct Recognition {
  int code = err::kNotVersionFile;  // 0 plain, 19 encrypted; 15, 16, 17, 78 refused
  std::uint8_t compression = 0; // compression bits, 0 not compressed
  bool encrypted = false;
};

// The form of 32 leading bytes. A gzip file is not decided here: its code is
// kGzipPending and the caller looks behind the gzip header.
inline constexpr int kGzipPending = -1;
Recognition recogniseLeadingBytes(const unsigned char* bytes);

// The whole recognition of an open file whose first 32 bytes are given: gzip
// data is inflated far enough to recognise 32 plain bytes behind its header (a
// plain or encrypted archive with compression bits 15, else
// VC_E_GZIPPED_ARCHIVE). LZW-compressed archives answer 0 and encrypted ones
// VC_E_ENCRYPTED_FILE, as callers expect.
Recognition recogniseArchiveFile(int fd, const unsigned char* bytes);

}  // namespace vc
