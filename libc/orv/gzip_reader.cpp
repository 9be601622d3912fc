// Gzip reading: header fields of RFC 1952 (extra field, name, comment and
// header CRC are skipped, the header CRC checked), a raw inflate stream
// through zlib, and the trailer of CRC-32 and input size (mod 2^32) compared
// with what was inflated.
#include "libc/orv/gzip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace orv {
namespace {

constexpr int kFlagHeaderCrc = 0x02;
constexpr int kFlagExtra = 0x04;
constexpr int kFlagName = 0x08;
constexpr int kFlagComment = 0x10;
constexpr int kFlagReserved = 0xE0;

// zlib names what is wrong in a damaged stream only through its message;
// these are the texts it uses for the faults that have a message of ours.
DecompressError fromZlibMessage(const char* msg) {
  if (msg == nullptr) return DecompressError::Corrupt;
  struct Map { const char* text; DecompressError error; };
  static const Map kMap[] = {
      {"invalid code lengths set", DecompressError::IncompleteHuffman},
      {"invalid bit length repeat", DecompressError::IncompleteHuffman},
      {"invalid literal/lengths set", DecompressError::IncompleteLiteral},
      {"invalid distances set", DecompressError::IncompleteDistance},
      {"too many length or distance symbols", DecompressError::MoreCodesThanBits},
  };
  for (const Map& m : kMap) {
    if (std::strcmp(msg, m.text) == 0) return m.error;
  }
  return DecompressError::Corrupt;
}

}  // namespace

struct GzipReader::Inflater {
  z_stream stream{};
  bool ready = false;
  ~Inflater() {
    if (ready) inflateEnd(&stream);
  }
};

GzipReader::GzipReader() = default;
GzipReader::~GzipReader() = default;

std::ptrdiff_t GzipReader::fail(DecompressError e) {
  failed_ = true;
  error_ = e;
  return -1;
}

// One header byte into b, added to the header CRC; false at the end.
bool GzipReader::takeHeaderByte(int& b, std::uint32_t& crc) {
  b = nextByte();
  if (b < 0) return false;
  const Bytef byte = static_cast<Bytef>(b);
  crc = crc32(crc, &byte, 1);
  return true;
}

// The input ended inside a header: no gzip data at all when nothing of a
// first member's header was read, else a damaged file.
bool GzipReader::headerEnded(bool first) {
  error_ = in_.failed() ? DecompressError::Unknown
                        : (first ? DecompressError::NotCompressed : DecompressError::UnexpectedEnd);
  return false;
}

// The ten fixed bytes: magic, method (deflate only), flags (none of the
// reserved ones), time, extra flags and system.
bool GzipReader::readFixedHeader(bool first, int (&fixed)[10], std::uint32_t& crc) {
  for (int i = 0; i < 10; ++i) {
    if (!takeHeaderByte(fixed[i], crc)) {
      if (i >= 3) first = false;  // a gzip header cut short is a damaged file
      return headerEnded(first);
    }
    if ((i == 0 && fixed[0] != 0x1F) || (i == 1 && fixed[1] != 0x8B)) {
      error_ = first ? DecompressError::NotCompressed : DecompressError::Corrupt;
      return false;
    }
    if (i == 2 && fixed[2] != 8) {
      error_ = DecompressError::MethodNotSupported;
      return false;
    }
  }
  if (fixed[3] & kFlagReserved) {
    error_ = DecompressError::Corrupt;
    return false;
  }
  return true;
}

// The optional fields the flags announce: the extra field, the name and the
// comment are skipped; the header CRC is checked.
bool GzipReader::skipOptionalFields(int flags, std::uint32_t& crc) {
  int b = 0;
  if (flags & kFlagExtra) {
    int lo = 0, hi = 0;
    if (!takeHeaderByte(lo, crc) || !takeHeaderByte(hi, crc)) return headerEnded(false);
    for (int left = lo | (hi << 8); left > 0; --left) {
      if (!takeHeaderByte(b, crc)) return headerEnded(false);
    }
  }
  for (int zeroEnded : {kFlagName, kFlagComment}) {
    if (!(flags & zeroEnded)) continue;
    do {
      if (!takeHeaderByte(b, crc)) return headerEnded(false);
    } while (b != 0);
  }
  if (flags & kFlagHeaderCrc) {
    const std::uint32_t want = crc & 0xFFFFu;
    int lo = 0, hi = 0;
    if (!takeHeaderByte(lo, crc) || !takeHeaderByte(hi, crc)) return headerEnded(false);
    if (static_cast<std::uint32_t>(lo | (hi << 8)) != want) {
      error_ = DecompressError::Corrupt;
      return false;
    }
  }
  return true;
}

// A raw inflate stream for the member's data: made once, reset for each
// further member.
bool GzipReader::startInflating() {
  try {
    if (!z_) z_ = std::make_unique<Inflater>();
  } catch (const std::bad_alloc&) {
    error_ = DecompressError::NoMemory;
    return false;
  }
  int rc = Z_OK;
  if (z_->ready) {
    rc = inflateReset(&z_->stream);
  } else {
    z_->stream = z_stream{};
    rc = inflateInit2(&z_->stream, -MAX_WBITS);
    z_->ready = (rc == Z_OK);
  }
  if (rc != Z_OK) {
    error_ = rc == Z_MEM_ERROR ? DecompressError::NoMemory : DecompressError::Unknown;
    return false;
  }
  crc_ = crc32(0L, Z_NULL, 0);
  size_ = 0;
  inMember_ = true;
  return true;
}

// Reads one member header. On failure error_ is set.
bool GzipReader::readHeader(bool first) {
  std::uint32_t crc = crc32(0L, Z_NULL, 0);
  int fixed[10];
  if (!readFixedHeader(first, fixed, crc)) return false;
  if (first) {
    headerTime_ = static_cast<std::uint32_t>(fixed[4]) | static_cast<std::uint32_t>(fixed[5]) << 8 |
                  static_cast<std::uint32_t>(fixed[6]) << 16 | static_cast<std::uint32_t>(fixed[7]) << 24;
  }
  if (!skipOptionalFields(fixed[3], crc)) return false;
  return startInflating();
}

bool GzipReader::start(ByteReader input) {
  if (active_) {
    error_ = DecompressError::NotClosed;
    return false;
  }
  in_.start(std::move(input));
  failed_ = false;
  finished_ = false;
  inMember_ = false;
  error_ = DecompressError::None;
  headerTime_ = 0;
  if (!readHeader(true)) {
    in_.release();
    return false;
  }
  active_ = true;
  return true;
}

void GzipReader::end() {
  active_ = false;
  failed_ = false;
  finished_ = false;
  inMember_ = false;
  in_.release();
}

std::ptrdiff_t GzipReader::read(std::uint8_t* buf, std::size_t n) {
  if (!active_) {
    error_ = DecompressError::NotInitialized;
    return -1;
  }
  if (failed_) return -1;
  if (buf == nullptr && n > 0) return fail(DecompressError::Unknown);

  std::size_t produced = 0;
  while (produced < n && !finished_) {
    if (!inMember_) {
      // After a member: the end of the input, or another member.
      const int b = nextByte();
      if (b < 0) {
        if (in_.failed()) return fail(DecompressError::Unknown);
        finished_ = true;
        break;
      }
      in_.unread();  // put it back for the header reader
      if (!readHeader(false)) {
        if (error_ == DecompressError::NotCompressed) error_ = DecompressError::Corrupt;
        failed_ = true;
        return -1;
      }
      continue;
    }

    if (in_.empty()) {
      if (nextByte() < 0) {
        return fail(in_.failed() ? DecompressError::Unknown : DecompressError::UnexpectedEnd);
      }
      in_.unread();
    }
    z_stream& zs = z_->stream;
    zs.next_in = in_.unreadBytes();
    zs.avail_in = static_cast<uInt>(in_.unreadCount());
    const std::size_t room = std::min<std::size_t>(n - produced, 1u << 30);
    zs.next_out = buf + produced;
    zs.avail_out = static_cast<uInt>(room);
    const int rc = inflate(&zs, Z_NO_FLUSH);
    const std::size_t out = room - zs.avail_out;
    in_.take(static_cast<std::size_t>(zs.next_in - in_.unreadBytes()));
    if (out > 0) {
      crc_ = crc32(crc_, buf + produced, static_cast<uInt>(out));
      size_ += static_cast<std::uint32_t>(out);
      produced += out;
    }
    if (rc == Z_STREAM_END) {
      std::uint8_t trailer[8];
      for (std::uint8_t& t : trailer) {
        const int b = nextByte();
        if (b < 0) return fail(in_.failed() ? DecompressError::Unknown : DecompressError::UnexpectedEnd);
        t = static_cast<std::uint8_t>(b);
      }
      const std::uint32_t wantCrc = static_cast<std::uint32_t>(trailer[0]) | trailer[1] << 8 |
                                    trailer[2] << 16 | static_cast<std::uint32_t>(trailer[3]) << 24;
      const std::uint32_t wantSize = static_cast<std::uint32_t>(trailer[4]) | trailer[5] << 8 |
                                     trailer[6] << 16 | static_cast<std::uint32_t>(trailer[7]) << 24;
      if (wantCrc != crc_ || wantSize != size_) return fail(DecompressError::Corrupt);
      inMember_ = false;
      continue;
    }
    if (rc == Z_OK) continue;
    if (rc == Z_BUF_ERROR) continue;  // no progress possible now: more input is fetched above
    if (rc == Z_MEM_ERROR) return fail(DecompressError::NoMemory);
    if (rc == Z_DATA_ERROR) return fail(fromZlibMessage(zs.msg));
    return fail(DecompressError::Unknown);
  }
  return static_cast<std::ptrdiff_t>(produced);
}

}  // namespace orv
