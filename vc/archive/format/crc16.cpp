// Checksum of a whole byte source, for verifying a written archive. The
// CRC-16 itself is the differencers' (crc16.h forwards to it).
#include "vc/archive/format/crc16.h"

#include "vc/archive/format/byte_stream.h"

namespace vc::archive {

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
