// The checksum the commit uses to verify a written archive: the
// differencers' CRC-16/ARC, applied to byte sources.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vc::archive {

uint16_t crc16Update(uint16_t crc, const void* data, size_t len);

class ByteSource;
// Checksums a whole source in 2,048-byte blocks; answers 0 or the source's code.
int crc16OfSource(ByteSource& src, uint16_t& crc, uint64_t& length);

}  // namespace vc::archive
