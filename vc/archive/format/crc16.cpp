// Checksum of a whole byte source, for verifying a written archive.
#include "vc/archive/format/crc16.h"

#include "vc/archive/format/byte_stream.h"
#include "diff_support.h"

namespace vc::archive {

namespace {

// CRC-16/ARC eight bytes at a time: table k gives the register's change for
// a byte followed by k zero bytes.
struct Tables {
  uint16_t t[8][256];
  Tables() {
    for (unsigned b = 0; b < 256; ++b) t[0][b] = orv::diffsup::crc16_step(0, static_cast<unsigned char>(b));
    for (int k = 1; k < 8; ++k)
      for (unsigned b = 0; b < 256; ++b)
        t[k][b] = static_cast<uint16_t>((t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF]);
  }
};

const Tables& tables() {
  static const Tables instance;
  return instance;
}

}  // namespace

uint16_t crc16Update(uint16_t crc, const void* data, size_t len) {
  const auto* p = static_cast<const unsigned char*>(data);
  const auto& t = tables().t;
  size_t i = 0;
  for (; i + 8 <= len; i += 8) {
    const unsigned b0 = (p[i] ^ crc) & 0xFF, b1 = (p[i + 1] ^ (crc >> 8)) & 0xFF;
    crc = static_cast<uint16_t>(t[7][b0] ^ t[6][b1] ^ t[5][p[i + 2]] ^ t[4][p[i + 3]] ^ t[3][p[i + 4]] ^
                                t[2][p[i + 5]] ^ t[1][p[i + 6]] ^ t[0][p[i + 7]]);
  }
  for (; i < len; ++i) crc = orv::diffsup::crc16_step(crc, p[i]);
  return crc;
}

int crc16OfSource(ByteSource& src, uint16_t& crc, uint64_t& length) {
  crc = 0;
  length = 0;
  unsigned char buf[2048];
  for (;;) {
    size_t got = 0;
    if (int rc = src.readAt(length, buf, sizeof buf, got)) return rc;
    if (got == 0) return 0;
    crc = crc16Update(crc, buf, got);
    length += got;
  }
}

}  // namespace vc::archive
