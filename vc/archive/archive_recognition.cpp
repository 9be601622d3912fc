// Recognition of archive forms by their leading bytes.
#include "vc/archive/archive_recognition.h"

#include "vc/error_codes.h"
#include "libc/orv/decompressor.h"

#include <cstring>

namespace vc {
namespace {

bool isWhite(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool startsWith(const unsigned char* b, const char* text, std::size_t n) {
  return std::memcmp(b, text, n) == 0;
}

// A plain archive or an encrypted one, from plain bytes.
Recognition plainForm(const unsigned char* b) {
  Recognition r;
  if (startsWith(b, "head", 4) && (b[4] == ';' || isWhite(b[4]))) {
    r.code = 0;
  } else if (startsWith(b, "#!encrypt\n", 10)) {
    r.code = err::kEncryptedFile;
    r.encrypted = true;
  }
  return r;
}

std::uint8_t lzwBits(unsigned char third) {
  unsigned bits = third & 0x1f;
  return static_cast<std::uint8_t>(bits > 15 ? 15 : bits);
}

}  // namespace

Recognition recogniseLeadingBytes(const unsigned char* b) {
  Recognition r = plainForm(b);
  if (r.code != err::kNotVersionFile) return r;
  if (b[0] == 0x1f && b[1] == 0x8b && b[2] == 0x08) {
    r.code = kGzipPending;
    return r;
  }
  if (b[0] == 0x1f && b[1] == 0x9d && (b[2] == 0x90 || b[2] == 0x8f || b[2] == 0x8e)) {
    static const unsigned char kHead[] = {0x68, 0xca, 0x84, 0x21};
    static const unsigned char kEncrypt[] = {0x23, 0x42, 0x94, 0x71, 0x33};
    if (std::memcmp(b + 3, kHead, 4) == 0 &&
        (b[7] == 0x03 || b[7] == 0x93 || b[7] == 0xa3 || b[7] == 0xb3)) {
      r.code = err::kCompressedArchive;
      r.compression = lzwBits(b[2]);
    } else if (std::memcmp(b + 3, kEncrypt, 5) == 0) {
      r.code = err::kCompressedEncryptedArchive;
      r.compression = lzwBits(b[2]);
      r.encrypted = true;
    }
    return r;
  }
  if ((b[0] == 0xe1 || b[0] == 0xe2) && b[1] == 0x00 && b[2] == 0x16 && b[3] == 0x15 &&
      std::memcmp(b + 4, "Polytron VCS logfile", 21) == 0) {
    r.code = err::kPvcsArchive;
    return r;
  }
  if (b[0] == 0x01 && b[1] == 'h') {
    bool digits = true;
    for (int i = 2; i < 7; ++i) digits = digits && b[i] >= '0' && b[i] <= '9';
    if (digits) r.code = err::kSccsArchive;
  }
  return r;
}

Recognition recogniseArchiveFile(int fd, const unsigned char* bytes) {
  Recognition r = recogniseLeadingBytes(bytes);
  if (r.code == err::kCompressedArchive) r.code = 0;
  if (r.code == err::kCompressedEncryptedArchive) r.code = err::kEncryptedFile;
  if (r.code != kGzipPending) return r;

  // Inflate far enough to see the archive behind the gzip header.
  orv::Decompressor dec;
  Recognition refused;
  refused.code = err::kGzippedArchive;
  if (!dec.start(orv::fileByteReader(fd))) return refused;
  unsigned char plain[kRecognitionBytes];
  std::size_t have = 0;
  while (have < sizeof plain) {
    std::ptrdiff_t got = dec.read(plain + have, sizeof plain - have);
    if (got <= 0) break;
    have += static_cast<std::size_t>(got);
  }
  dec.end();
  if (have < sizeof plain) return refused;
  Recognition inner = plainForm(plain);
  if (inner.code != 0 && inner.code != err::kEncryptedFile) return refused;
  inner.compression = 15;
  return inner;
}

}  // namespace vc
