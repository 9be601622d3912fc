// Fuzzes the decompressor that compressed archives are read through (gzip
// and LZW): any bytes are handed in pieces of a size the input chooses and
// read in pieces of another; reading ends with the data or an error, never a
// crash. The output is capped, so a small input that expands hugely ends the
// run early. Then the input is compressed with the gzip writer and must read
// back exactly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "libc/orv/decompressor.h"
#include "libc/orv/gzip_writer.h"

namespace {

constexpr std::size_t kMostOutput = 1 << 22;

orv::ByteReader pieces(const std::uint8_t* data, std::size_t size, std::size_t chunk) {
  std::size_t pos = 0;
  return [=](std::uint8_t* buf, std::size_t n) mutable -> std::ptrdiff_t {
    const std::size_t k = std::min({n, chunk, size - pos});
    std::copy_n(data + pos, k, buf);
    pos += k;
    return static_cast<std::ptrdiff_t>(k);
  };
}

// Reads the whole stream; false on an error.
bool readAll(orv::Decompressor& d, std::vector<std::uint8_t>& out, std::size_t piece) {
  std::vector<std::uint8_t> buf(piece);
  while (out.size() < kMostOutput) {
    const std::ptrdiff_t got = d.read(buf.data(), buf.size());
    if (got < 0) return false;
    if (got == 0) return true;
    if (static_cast<std::size_t>(got) > piece) __builtin_trap();
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::size_t chunk = 1 + data[0] % 64 * (data[0] >= 128 ? 64 : 1);
  const std::size_t piece = 1 + data[1] % 64 * (data[1] >= 128 ? 128 : 1);
  data += 2;
  size -= 2;

  orv::Decompressor d;
  std::vector<std::uint8_t> plain;
  if (d.start(pieces(data, size, chunk))) {
    readAll(d, plain, piece);
    // A second start while running is refused and keeps the stream.
    if (d.start(pieces(data, size, chunk)) || d.lastError() != orv::DecompressError::NotClosed)
      __builtin_trap();
  }
  d.end();

  // The bytes themselves, compressed, read back unchanged.
  std::vector<std::uint8_t> packed;
  orv::GzipWriter w;
  const int bits = 13 + static_cast<int>(size % 3);
  if (!w.start([&packed](const std::uint8_t* p, std::size_t n) {
        packed.insert(packed.end(), p, p + n);
        return true;
      }, bits, orv::GzipWriter::kArchiveLevel, 0, nullptr))
    __builtin_trap();
  if (size && !w.write(data, size)) __builtin_trap();
  if (!w.finish()) __builtin_trap();
  std::vector<std::uint8_t> back;
  if (!d.start(pieces(packed.data(), packed.size(), chunk)) || !readAll(d, back, piece)) __builtin_trap();
  d.end();
  if (back != std::vector<std::uint8_t>(data, data + size)) __builtin_trap();
  return 0;
}
