// CRC-16/ARC (reflected polynomial 0xA001, initial value 0, no final
// inversion): the checksum the commit uses to verify a written archive.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::archive {

uint16_t crc16_update(uint16_t crc, const void* data, size_t len);

class ByteSource;
// Checksums a whole source in 2,048-byte blocks; answers 0 or the source's code.
int crc16_of_source(ByteSource& src, uint16_t& crc, uint64_t& length);

}  // namespace orv::archive
