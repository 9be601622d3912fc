// Scanning of archive tokens and strings.
#include "vc/archive/format/archive_lexer.h"

#include "vc/error_codes.h"
#include "vc/archive/format/byte_count.h"
#include "vc/archive/format/byte_stream.h"

#include <cstring>

namespace vc::archive {
namespace {

constexpr bool spaceChar(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
constexpr bool specialChar(int c) { return c == ';' || c == ':' || c == '@' || c == ','; }

// Character classes by table: white space, and characters of a word outside
// quotes ('"' toggles quoting).
enum : unsigned char { kSpace = 1, kWord = 2 };
struct Classes {
  unsigned char of[256] = {};
  constexpr Classes() {
    for (int c = 0; c < 256; ++c)
      of[c] = static_cast<unsigned char>((spaceChar(c) ? kSpace : 0) |
                                         (c >= 0x21 && c <= 0x7E && c != '"' && !specialChar(c) ? kWord : 0));
  }
};
constexpr Classes kClasses;

bool isSpace(unsigned char c) { return kClasses.of[c] & kSpace; }
bool isWordChar(unsigned char c) { return kClasses.of[c] & kWord; }

}  // namespace

int ArchiveLexer::fill() {
  if (error_) return -1;
  size_t got = 0;
  if (int rc = src_.readAt(pos_, buf_, kBlock, got)) {
    error_ = rc;
    return -1;
  }
  bufPos_ = 0;
  bufLen_ = got;
  return got ? buf_[0] : -1;
}

int ArchiveLexer::scan(Token& tok) {
  tok.text = {};
  int c;
  for (;;) {  // white space, a buffer at a time
    size_t i = bufPos_;
    while (i < bufLen_ && isSpace(buf_[i])) ++i;
    pos_ += i - bufPos_;
    bufPos_ = i;
    if ((c = peekByte()) < 0 || !isSpace(static_cast<unsigned char>(c))) break;
  }
  if (c < 0) {
    if (error_) return error_;
    tok.kind = Kind::Eof;
    return 0;
  }
  switch (c) {
    case ';': advance(); tok.kind = Kind::Semicolon; return 0;
    case ':': advance(); tok.kind = Kind::Colon; return 0;
    case ',': advance(); tok.kind = Kind::Comma; return 0;
    case '@': tok.kind = Kind::String; return 0;  // read_string takes it
    default: break;
  }
  // The common word: plain word characters ending inside the buffer on a
  // character that is neither a word character nor a quote. Taken in one go.
  {
    const unsigned char* b = buf_ + bufPos_;
    const unsigned char* e = buf_ + bufLen_;
    const unsigned char* q = b;
    while (q < e && isWordChar(*q)) ++q;
    const size_t n = static_cast<size_t>(q - b);
    if (q < e && *q != '"' && n > 0) {
      if (n > kMaxToken) return err::kArchiveParseError;
      tok.text = std::string_view(reinterpret_cast<const char*>(b), n);
      bufPos_ += n;
      pos_ += n;
      tok.kind = Kind::Word;
      return 0;
    }
  }
  return scanWord(tok);
}

int ArchiveLexer::scanWord(Token& tok) {
  tok.spelled.clear();
  bool quoting = false;
  bool any = false;
  for (;;) {
    if (bufPos_ >= bufLen_ && fill() < 0) {
      if (error_) return error_;
      if (quoting) return err::kUnexpectedEof;
      break;
    }
    // The run of plain word characters in the buffer is taken whole.
    size_t end = bufPos_;
    while (end < bufLen_ && (isWordChar(buf_[end]) || (quoting && buf_[end] == ' '))) ++end;
    const size_t n = end - bufPos_;
    if (n > 0) {
      if (tok.spelled.size() + n > kMaxToken) return err::kArchiveParseError;
      tok.spelled.append(reinterpret_cast<const char*>(buf_ + bufPos_), n);
      any = true;
      bufPos_ = end;
      pos_ += n;
    }
    if (end == bufLen_) continue;  // the word may go on in the next block
    if (buf_[end] != '"') break;
    quoting = !quoting;
    any = true;
    advance();
  }
  if (quoting) return err::kArchiveParseError;  // the quote was not closed before the token ended
  if (!any || tok.spelled.empty()) return err::kArchiveParseError;
  tok.text = tok.spelled;
  tok.kind = Kind::Word;
  return 0;
}

int ArchiveLexer::readString(TextRecord& rec, bool keep) {
  have_ = false;
  int c = peekByte();
  if (c != '@') return error_ ? error_ : err::kArchiveParseError;
  advance();
  rec = TextRecord{};
  rec.offset = pos_;
  // The stored bytes (doubled '@' as they are) are copied a buffer's worth
  // at a time: seg is where this buffer's part not yet in stored begins.
  std::string stored;
  size_t seg = bufPos_;
  uint64_t len = 0, lines = 0, ats = 0;
  int last = -1;
  for (;;) {
    if (bufPos_ >= bufLen_) {
      if (keep) stored.append(reinterpret_cast<const char*>(buf_ + seg), bufLen_ - seg);
      if (fill() < 0) return error_ ? error_ : err::kUnexpectedEof;
      seg = 0;
    }
    // The run of the buffer up to the next '@' is taken whole.
    const unsigned char* run = buf_ + bufPos_;
    const size_t avail = bufLen_ - bufPos_;
    const void* at = std::memchr(run, '@', avail);
    const size_t n = at ? static_cast<size_t>(static_cast<const unsigned char*>(at) - run) : avail;
    if (n > 0) {
      lines += countByte(run, n, '\n');
      len += n;
      last = run[n - 1];
      bufPos_ += n;
      pos_ += n;
    }
    if (!at) continue;
    if (bufPos_ + 1 < bufLen_) {  // the byte after the '@' is in this buffer
      if (buf_[bufPos_ + 1] != '@') {
        if (keep) stored.append(reinterpret_cast<const char*>(buf_ + seg), bufPos_ - seg);
        advance();  // the closing '@'
        break;
      }
    } else {
      // The '@' ends the buffer: what it is shows only after a refill.
      if (keep) stored.append(reinterpret_cast<const char*>(buf_ + seg), bufPos_ - seg);
      advance();
      int d = peekByte();
      if (d != '@') {
        if (d < 0 && error_) return error_;
        break;
      }
      if (keep) stored.push_back('@');  // the first of the pair, from the old buffer
      seg = bufPos_;                   // the second is copied with what follows
      advance();
      len += 2;
      ats += 2;
      last = '@';
      continue;
    }
    advance();
    advance();
    len += 2;
    ats += 2;
    last = '@';
  }
  if (peekByte() == '\n') advance();
  if (error_) return error_;
  if (len > 0 && last != '\n') ++lines;
  rec.storedLength = len;
  rec.lines = lines;
  rec.chars = len - ats / 2;
  if (keep) rec.data = std::move(stored);
  return 0;
}

}  // namespace vc::archive
