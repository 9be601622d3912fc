// Checksum of a whole byte source, for verifying a written archive.
#include "crc16.h"

#include "byte_stream.h"
#include "diff_support.h"

namespace orv::archive {

uint16_t crc16_update(uint16_t crc, const void* data, size_t len) { return diffsup::crc16(data, len, crc); }

int crc16_of_source(ByteSource& src, uint16_t& crc, uint64_t& length) {
  crc = 0;
  length = 0;
  unsigned char buf[2048];
  for (;;) {
    size_t got = 0;
    if (int rc = src.read_at(length, buf, sizeof buf, got)) return rc;
    if (got == 0) return 0;
    crc = crc16_update(crc, buf, got);
    length += got;
  }
}

}  // namespace orv::archive
