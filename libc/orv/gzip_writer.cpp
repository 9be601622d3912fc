// Gzip writing over zlib's raw deflate. zlib's level table matches the
// classic one (level 5: good length 8, lazy match 16, nice length 32, chain
// 32), so level 5 here is the level archives are specified with.
#include "libc/orv/gzip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace orv {

struct GzipWriter::Deflater {
  z_stream stream{};
  bool ready = false;
  ~Deflater() {
    if (ready) deflateEnd(&stream);
  }
};

GzipWriter::GzipWriter() = default;
GzipWriter::~GzipWriter() = default;

bool GzipWriter::emit(const std::uint8_t* data, std::size_t n) {
  if (n == 0) return true;
  bool ok = false;
  try {
    ok = output_ && output_(data, n);
  } catch (...) {
    ok = false;
  }
  if (!ok) {
    failed_ = true;
    error_ = CompressError::Unknown;
  }
  return ok;
}

bool GzipWriter::start(ByteWriter output, int bits, int level, std::uint32_t mtime,
                       const char* name) {
  if (active_) {
    error_ = CompressError::NotClosed;
    return false;
  }
  error_ = CompressError::None;
  if (bits < 13 || bits > 15 || level < 1 || level > 9) {
    error_ = CompressError::BadParameters;
    return false;
  }
  try {
    if (!z_) z_ = std::make_unique<Deflater>();
  } catch (const std::bad_alloc&) {
    error_ = CompressError::NoMemory;
    return false;
  }
  // The tables are kept between streams; new window bits or a new level
  // need a fresh deflate state.
  if (z_->ready && (bits != bits_ || level != level_)) {
    deflateEnd(&z_->stream);
    z_->ready = false;
  }
  int rc = Z_OK;
  if (z_->ready) {
    rc = deflateReset(&z_->stream);
  } else {
    z_->stream = z_stream{};
    rc = deflateInit2(&z_->stream, level, Z_DEFLATED, -bits, 8, Z_DEFAULT_STRATEGY);
    z_->ready = (rc == Z_OK);
  }
  if (rc != Z_OK) {
    error_ = rc == Z_MEM_ERROR ? CompressError::NoMemory : CompressError::Unknown;
    return false;
  }
  bits_ = bits;
  level_ = level;
  output_ = std::move(output);
  failed_ = false;
  crc_ = crc32(0L, Z_NULL, 0);
  size_ = 0;

  const bool named = name != nullptr && name[0] != '\0';
  const std::uint8_t header[10] = {
      0x1F, 0x8B, 8, static_cast<std::uint8_t>(named ? 8 : 0),
      static_cast<std::uint8_t>(mtime), static_cast<std::uint8_t>(mtime >> 8),
      static_cast<std::uint8_t>(mtime >> 16), static_cast<std::uint8_t>(mtime >> 24),
      0,    // extra flags
      11};  // operating system
  if (!emit(header, sizeof header) ||
      (named && !emit(reinterpret_cast<const std::uint8_t*>(name), std::strlen(name) + 1))) {
    output_ = nullptr;
    return false;
  }
  active_ = true;
  return true;
}

bool GzipWriter::pump(int flush) {
  z_stream& zs = z_->stream;
  for (;;) {
    zs.next_out = out_;
    zs.avail_out = sizeof out_;
    const int rc = deflate(&zs, flush);
    if (rc == Z_STREAM_ERROR) {
      failed_ = true;
      error_ = CompressError::Unknown;
      return false;
    }
    if (!emit(out_, sizeof out_ - zs.avail_out)) return false;
    if (flush == Z_FINISH) {
      if (rc == Z_STREAM_END) return true;
    } else if (zs.avail_in == 0 && zs.avail_out != 0) {
      return true;
    }
  }
}

bool GzipWriter::write(const std::uint8_t* data, std::size_t n) {
  if (!active_) {
    error_ = CompressError::NotInitialized;
    return false;
  }
  if (failed_) return false;
  if (data == nullptr && n > 0) {
    failed_ = true;
    error_ = CompressError::Unknown;
    return false;
  }
  z_stream& zs = z_->stream;
  while (n > 0) {
    const std::size_t chunk = std::min<std::size_t>(n, 1u << 30);
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = static_cast<uInt>(chunk);
    crc_ = crc32(crc_, data, static_cast<uInt>(chunk));
    size_ += static_cast<std::uint32_t>(chunk);
    if (!pump(Z_NO_FLUSH)) return false;
    data += chunk;
    n -= chunk;
  }
  return true;
}

bool GzipWriter::finish() {
  if (!active_) {
    error_ = CompressError::NotInitialized;
    return false;
  }
  bool ok = !failed_;
  if (ok) {
    z_stream& zs = z_->stream;
    zs.next_in = nullptr;
    zs.avail_in = 0;
    ok = pump(Z_FINISH);
  }
  if (ok) {
    const std::uint8_t trailer[8] = {
        static_cast<std::uint8_t>(crc_), static_cast<std::uint8_t>(crc_ >> 8),
        static_cast<std::uint8_t>(crc_ >> 16), static_cast<std::uint8_t>(crc_ >> 24),
        static_cast<std::uint8_t>(size_), static_cast<std::uint8_t>(size_ >> 8),
        static_cast<std::uint8_t>(size_ >> 16), static_cast<std::uint8_t>(size_ >> 24)};
    ok = emit(trailer, sizeof trailer);
  }
  end();
  return ok;
}

void GzipWriter::end() {
  active_ = false;
  failed_ = false;
  output_ = nullptr;
}

}  // namespace orv
