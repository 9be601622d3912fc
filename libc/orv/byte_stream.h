// The two callback shapes through which the compression engines see their
// data: the archive code hands in its file (or a memory buffer in tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace orv {

// Reads up to `n` bytes into `buf`; answers the count read, 0 at the end of
// the data, -1 on a read error.
using ByteReader = std::function<std::ptrdiff_t(std::uint8_t* buf, std::size_t n)>;

// Writes all `n` bytes; answers true when they were written.
using ByteWriter = std::function<bool(const std::uint8_t* data, std::size_t n)>;

// A reader of the open file `fd` from its start onward, with pread (the file
// offset is left alone; EINTR is retried, and after a failure errno tells
// why). The descriptor stays the caller's and must outlive the reader.
ByteReader fileByteReader(int fd);

}  // namespace orv
