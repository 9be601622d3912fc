// Scanning of archive tokens and strings.
#include "vc/archive/format/archive_lexer.h"

#include "vc/error_codes.h"
#include "vc/archive/format/byte_stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vc::archive {
namespace {

// The largest block (but a kept string gets a block as large as it needs).
constexpr size_t kMaxBlock = 4 * 1024 * 1024;
// Kept strings up to this long are copied; longer ones share the block.
constexpr size_t kCopyLimit = 64;
// A block that the source filled this much less than asked is cut down.
constexpr size_t kShrinkSlack = 4096;

struct FreeBytes {
  void operator()(const char* p) const { std::free(const_cast<char*>(p)); }
};

using namespace lexer_classes;

bool isSpace(unsigned char c) { return classOf(c) == kSpace; }
bool isWordChar(unsigned char c) { return classOf(c) == kWord; }

// Set bits of a 64-bit word (the baseline target has no popcount instruction).
[[maybe_unused]] uint64_t bitCount(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return (x * 0x0101010101010101ull) >> 56;
}

// Every '@' of a string's text is doubled, so the closing '@' is the last of
// the first run of '@' of odd length. For the bits of '@' among `width`
// bytes: the bits just after each odd run (the carry trick of simdjson's
// escape search). odd tells on entry whether an odd run reaches the first of
// these bytes, and on return whether one reaches past the last.
[[maybe_unused]] uint64_t oddRunEnds(uint64_t at, uint64_t& odd, unsigned width) {
  const uint64_t all = width == 64 ? ~0ull : (1ull << width) - 1;
  const uint64_t evenBits = 0x5555555555555555ull & all, oddBits = 0xAAAAAAAAAAAAAAAAull & all;
  const uint64_t starts = at & ~(at << 1) & all;
  const uint64_t evenStartMask = evenBits ^ odd;  // a run going on from before starts "odd"
  const uint64_t evenStarts = starts & evenStartMask;
  const uint64_t oddStarts = starts & ~evenStartMask;
  const uint64_t evenCarries = at + evenStarts;
  uint64_t oddCarries;
  uint64_t carry;
  if (width == 64) {
    carry = __builtin_add_overflow(at, oddStarts, &oddCarries) ? 1 : 0;
  } else {
    oddCarries = at + oddStarts;
    carry = (oddCarries >> width) & 1;
  }
  oddCarries |= odd;
  odd = carry;
  return (((evenCarries & ~at) & oddBits) | ((oddCarries & ~at) & evenBits)) & all;
}

// In [p, end), scanned from the start of a text or just after a line feed
// or pair: the closing '@', with the line feeds before it added to lines and
// the '@' before it to ats. Answers it, or end when there is none; an '@'
// that ends an odd run at the last byte before end is answered too (what
// follows decides whether it closes). Runs of bytes are taken 64 and 16 at
// a time with SSE2, without a branch that depends on where the '@' are.
const unsigned char* findClosing(const unsigned char* p, const unsigned char* end, uint64_t& lines, uint64_t& ats) {
  uint64_t odd = 0;  // an odd run of '@' reaches p
#if defined(__SSE2__)
  const __m128i sign = _mm_set1_epi8('@'), lf = _mm_set1_epi8('\n');
  // Counts gather in byte lanes, summed before one could pass 255.
  __m128i accAt = _mm_setzero_si128(), accLf = _mm_setzero_si128();
  unsigned gathered = 0;
  auto sum = [](__m128i acc) {
    const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    return static_cast<uint64_t>(_mm_cvtsi128_si32(sums)) + static_cast<uint64_t>(_mm_extract_epi16(sums, 4));
  };
  auto settle = [&] {
    ats += sum(accAt);
    lines += sum(accLf);
    accAt = accLf = _mm_setzero_si128();
    gathered = 0;
  };
  // The closing '@' before bit j of a run starting at q.
  auto close = [&](const unsigned char* q, uint64_t ends, uint64_t atBits, uint64_t lfBits) {
    settle();
    const unsigned j = static_cast<unsigned>(__builtin_ctzll(ends));
    if (j == 0) {  // the last byte before q, counted already
      --ats;
      return q - 1;
    }
    const uint64_t before = (1ull << (j - 1)) - 1;
    lines += bitCount(lfBits & before);
    ats += bitCount(atBits & before);
    return q + j - 1;
  };
  auto bits = [](__m128i v) { return static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v))); };
  while (end - p >= 64) {
    const __m128i w0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i w1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i w2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    const __m128i w3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    const __m128i a0 = _mm_cmpeq_epi8(w0, sign), a1 = _mm_cmpeq_epi8(w1, sign);
    const __m128i a2 = _mm_cmpeq_epi8(w2, sign), a3 = _mm_cmpeq_epi8(w3, sign);
    const __m128i l0 = _mm_cmpeq_epi8(w0, lf), l1 = _mm_cmpeq_epi8(w1, lf);
    const __m128i l2 = _mm_cmpeq_epi8(w2, lf), l3 = _mm_cmpeq_epi8(w3, lf);
    const uint64_t atBits = bits(a0) | bits(a1) << 16 | bits(a2) << 32 | bits(a3) << 48;
    if (const uint64_t ends = oddRunEnds(atBits, odd, 64)) {
      const uint64_t lfBits = bits(l0) | bits(l1) << 16 | bits(l2) << 32 | bits(l3) << 48;
      return close(p, ends, atBits, lfBits);
    }
    accAt = _mm_sub_epi8(_mm_sub_epi8(accAt, _mm_add_epi8(a0, a1)), _mm_add_epi8(a2, a3));
    accLf = _mm_sub_epi8(_mm_sub_epi8(accLf, _mm_add_epi8(l0, l1)), _mm_add_epi8(l2, l3));
    if ((gathered += 4) > 250) settle();
    p += 64;
  }
  while (end - p >= 16) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i a = _mm_cmpeq_epi8(w, sign), l = _mm_cmpeq_epi8(w, lf);
    const uint64_t atBits = bits(a);
    if (const uint64_t ends = oddRunEnds(atBits, odd, 16)) return close(p, ends, atBits, bits(l));
    accAt = _mm_sub_epi8(accAt, a);
    accLf = _mm_sub_epi8(accLf, l);
    if (++gathered > 250) settle();
    p += 16;
  }
  settle();
#endif
  for (; p < end; ++p) {
    if (*p == '@') {
      odd ^= 1;
      ++ats;
      continue;
    }
    if (odd) {  // the '@' before closes
      --ats;
      return p - 1;
    }
    lines += *p == '\n';
  }
  if (odd) {  // an odd run reaches the end
    --ats;
    return end - 1;
  }
  return end;
}

}  // namespace

const unsigned char ArchiveLexer::kNoBytes[1] = {0};

int ArchiveLexer::load(uint64_t from, size_t size, size_t need, size_t held) {
  if (!sizeAsked_) {
    sizeAsked_ = true;
    uint64_t known = 0;
    if (src_.knownSize(known)) sourceSize_ = known;
  }
  // No more than the source holds (and a byte more, to see its end), but at
  // least what is needed; a source that grew is read on in the next block.
  if (from < sourceSize_ && sourceSize_ - from < size) size = std::max(need, static_cast<size_t>(sourceSize_ - from) + 1);
  // Read into memory of the size asked for, then cut down to what came (the
  // end of the source may come first).
  std::unique_ptr<char, FreeBytes> bytes(static_cast<char*>(std::malloc(size + 1)));
  if (!bytes) throw std::bad_alloc();
  // At least what is needed; a source that hands over less than asked
  // (a short read) is asked again until the block is full, so that small
  // reads do not each cost a block of their own.
  // What the current block already holds is copied: a long string read in
  // growing blocks is read from the source once.
  size_t have = 0;
  if (held > size) held = size;
  if (held && buf_ && from >= blockOffset_ && from - blockOffset_ + held <= bufLen_) {
    std::memcpy(bytes.get(), buf_ + (from - blockOffset_), held);
    have = held;
  }
  bool end = false;
  while (have < size) {
    size_t got = 0;
    if (int rc = src_.readAt(from + have, bytes.get() + have, size - have, got)) return error_ = rc;
    if (got == 0) {
      end = true;
      break;
    }
    have += got;
  }
  if (size - have >= kShrinkSlack) {
    if (char* smaller = static_cast<char*>(std::realloc(bytes.get(), have + 1))) {
      (void)bytes.release();
      bytes.reset(smaller);
    }
  }
  bytes.get()[have] = 0;  // the sentinel
  buf_ = reinterpret_cast<const unsigned char*>(bytes.get());
  block_ = std::shared_ptr<const char[]>(bytes.release(), FreeBytes{});
  blockOffset_ = from;
  bufPos_ = 0;
  bufLen_ = have;
  blockSize_ = size;
  atEnd_ = end;
  return 0;
}

size_t ArchiveLexer::nextSize() const {
  return blockSize_ == 0 ? firstBlock_ : std::clamp(2 * blockSize_, firstBlock_, std::max(firstBlock_, kMaxBlock));
}

bool ArchiveLexer::more() {
  if (atEnd_ || error_) return false;
  if (load(position(), nextSize(), 1)) return false;
  return bufLen_ > 0;
}

bool ArchiveLexer::extend(uint64_t from) {
  if (atEnd_ || error_) return false;
  const uint64_t here = position();
  const uint64_t end = blockOffset_ + bufLen_;
  const size_t size = std::max(nextSize(), static_cast<size_t>(2 * (end - from)));
  if (load(from, size, static_cast<size_t>(end - from) + 1, static_cast<size_t>(end - from))) return false;
  bufPos_ = static_cast<size_t>(here - from);
  return blockOffset_ + bufLen_ > end;
}

int ArchiveLexer::scan(Token& tok) {
  const unsigned char* p = buf_ + bufPos_;
  while (isSpace(*p)) ++p;
  if (isWordChar(*p)) {
    const unsigned char* q = p + 1;
    while (isWordChar(*q)) ++q;
    if (*q != '"' && (q < buf_ + bufLen_ || atEnd_) && static_cast<size_t>(q - p) <= kMaxToken) {
      tok.text = std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(q - p));
      tok.kind = Kind::Word;
      bufPos_ = static_cast<size_t>(q - buf_);
      return 0;
    }
  } else if (*p == ';') {  // not the sentinel: that is 0
    tok.text = {};
    tok.kind = Kind::Semicolon;
    bufPos_ = static_cast<size_t>(p + 1 - buf_);
    return 0;
  }
  bufPos_ = static_cast<size_t>(p - buf_);
  return scanRest(tok);
}

int ArchiveLexer::scanRest(Token& tok) {
  const unsigned char* p = buf_ + bufPos_;
  for (;;) {  // white space, a block at a time
    while (isSpace(*p)) ++p;
    if (p < buf_ + bufLen_) break;
    bufPos_ = bufLen_;
    if (!more()) {
      tok.text = {};
      if (error_) return error_;
      tok.kind = Kind::Eof;
      return 0;
    }
    p = buf_;
  }
  if (isWordChar(*p)) {
    // The common word: plain word characters ending inside the block on a
    // character that is not a quote. Taken in one go.
    const unsigned char* q = p + 1;
    while (isWordChar(*q)) ++q;
    if (*q != '"' && (q < buf_ + bufLen_ || atEnd_)) {
      const size_t n = static_cast<size_t>(q - p);
      if (n > kMaxToken) return err::kArchiveParseError;
      tok.text = std::string_view(reinterpret_cast<const char*>(p), n);
      tok.kind = Kind::Word;
      bufPos_ = static_cast<size_t>(q - buf_);
      return 0;
    }
  }
  bufPos_ = static_cast<size_t>(p - buf_);
  tok.text = {};
  switch (*p) {
    case ';': ++bufPos_; tok.kind = Kind::Semicolon; return 0;
    case ':': ++bufPos_; tok.kind = Kind::Colon; return 0;
    case ',': ++bufPos_; tok.kind = Kind::Comma; return 0;
    case '@': tok.kind = Kind::String; return 0;  // readString takes it
    default: return scanWord(tok);
  }
}

int ArchiveLexer::scanWord(Token& tok) {
  tok.spelled.clear();
  bool quoting = false;
  bool any = false;
  for (;;) {
    if (bufPos_ >= bufLen_ && !more()) {
      if (error_) return error_;
      if (quoting) return err::kUnexpectedEof;
      break;
    }
    // The run of plain word characters in the block is taken whole.
    size_t end = bufPos_;
    while (end < bufLen_ && (isWordChar(buf_[end]) || (quoting && buf_[end] == ' '))) ++end;
    const size_t n = end - bufPos_;
    if (n > 0) {
      if (tok.spelled.size() + n > kMaxToken) return err::kArchiveParseError;
      tok.spelled.append(reinterpret_cast<const char*>(buf_ + bufPos_), n);
      any = true;
      bufPos_ = end;
    }
    if (end == bufLen_) continue;  // the word may go on in the next block
    if (buf_[end] != '"') break;
    quoting = !quoting;
    any = true;
    ++bufPos_;
  }
  if (quoting) return err::kArchiveParseError;  // the quote was not closed before the token ended
  if (!any || tok.spelled.empty()) return err::kArchiveParseError;
  tok.text = tok.spelled;
  tok.kind = Kind::Word;
  return 0;
}

int ArchiveLexer::readString(TextRecord& rec, bool keep) {
  have_ = false;
  if (bufPos_ >= bufLen_ && !more()) return error_ ? error_ : err::kArchiveParseError;
  if (buf_[bufPos_] != '@') return err::kArchiveParseError;
  ++bufPos_;
  // The record starts over (field by field: cheaper than assigning a fresh one).
  if (rec.data.has_value()) rec.data.reset();
  rec.source = nullptr;
  rec.lines = rec.chars = rec.storedLength = 0;
  const uint64_t start = position();
  rec.offset = start;
  // Scanned a block at a time. A kept string stays in one block: when it
  // runs past the end, a larger block is read from its start.
  uint64_t lines = 0, ats = 0;
  int last = -1;
  for (;;) {
    const unsigned char* run = buf_ + bufPos_;
    const unsigned char* end = buf_ + bufLen_;
    const unsigned char* sign = findClosing(run, end, lines, ats);
    if (sign > run) last = sign[-1];  // a character of the text, or the second of a pair
    bufPos_ = static_cast<size_t>(sign - buf_);
    const bool at = sign != end;
    if (at && sign + 1 < end) break;  // the closing '@'
    // The block ends here, or with this '@': what follows decides.
    if (!extend(keep ? start : position())) {
      if (error_) return error_;
      if (!at) return err::kUnexpectedEof;
      break;  // the '@' is the last byte of the source: it closes the string
    }
  }
  const uint64_t len = position() - start;
  ++bufPos_;  // the closing '@'
  if (len > 0 && last != '\n') ++lines;
  rec.storedLength = len;
  rec.lines = lines;
  rec.chars = len - ats / 2;
  if (keep) {
    const std::string_view bytes(reinterpret_cast<const char*>(buf_) + (start - blockOffset_), static_cast<size_t>(len));
    if (len <= kCopyLimit)
      rec.data = std::string(bytes);
    else
      rec.data.share(block_, bytes);
  }
  if (bufPos_ >= bufLen_) more();  // the line feed may begin the next block
  if (bufPos_ < bufLen_ && buf_[bufPos_] == '\n') ++bufPos_;
  if (error_) return error_;
  return 0;
}

}  // namespace vc::archive
