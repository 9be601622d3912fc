// The checksum the commit uses to verify a written archive: CRC-16/ARC, the
// differencers' own (diff_support.h holds its one table and its eight-bytes-
// at-a-time loop; crc16Update is a thin forward so the archive code keeps its
// name), applied to byte sources.
#pragma once

#include <cstddef>
#include <cstdint>

#include "differ/support/diff_support.h"

namespace vc::archive {

inline uint16_t crc16Update(uint16_t crc, const void* data, size_t len) {
  return orv::diffsup::crc16(data, len, crc);
}

class ByteSource;
// Checksums a whole source in 2,048-byte blocks; answers 0 or the source's code.
int crc16OfSource(ByteSource& src, uint16_t& crc, uint64_t& length);

}  // namespace vc::archive
