// Table-driven CRC-16/ARC.
#include "crc16.h"

#include <array>

#include "byte_stream.h"

namespace orv::archive {
namespace {

constexpr std::array<uint16_t, 256> make_table() {
  std::array<uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i);
    for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
    t[i] = c;
  }
  return t;
}

constexpr std::array<uint16_t, 256> kTable = make_table();

}  // namespace

uint16_t crc16_update(uint16_t crc, const void* data, size_t len) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < len; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ p[i]) & 0xFF]);
  return crc;
}

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
