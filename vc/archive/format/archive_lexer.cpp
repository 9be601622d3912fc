// Scanning of archive tokens and strings.
#include "vc/archive/format/archive_lexer.h"

#include "vc/error_codes.h"
#include "vc/archive/format/byte_count.h"
#include "vc/archive/format/byte_stream.h"

#include <cstring>

namespace vc::archive {
namespace {

constexpr bool space_char(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
constexpr bool special_char(int c) { return c == ';' || c == ':' || c == '@' || c == ','; }

// Character classes by table: white space, and characters of a word outside
// quotes ('"' toggles quoting).
enum : unsigned char { kSpace = 1, kWord = 2 };
struct Classes {
  unsigned char of[256] = {};
  constexpr Classes() {
    for (int c = 0; c < 256; ++c)
      of[c] = static_cast<unsigned char>((space_char(c) ? kSpace : 0) |
                                         (c >= 0x21 && c <= 0x7E && c != '"' && !special_char(c) ? kWord : 0));
  }
};
constexpr Classes kClasses;

bool is_space(unsigned char c) { return kClasses.of[c] & kSpace; }
bool is_word_char(unsigned char c) { return kClasses.of[c] & kWord; }

}  // namespace

int ArchiveLexer::fill() {
  if (error_) return -1;
  size_t got = 0;
  if (int rc = src_.read_at(pos_, buf_, kBlock, got)) {
    error_ = rc;
    return -1;
  }
  buf_pos_ = 0;
  buf_len_ = got;
  return got ? buf_[0] : -1;
}

int ArchiveLexer::scan(Token& tok) {
  tok.text = {};
  int c;
  for (;;) {  // white space, a buffer at a time
    size_t i = buf_pos_;
    while (i < buf_len_ && is_space(buf_[i])) ++i;
    pos_ += i - buf_pos_;
    buf_pos_ = i;
    if ((c = peek_byte()) < 0 || !is_space(static_cast<unsigned char>(c))) break;
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
    const unsigned char* b = buf_ + buf_pos_;
    const unsigned char* e = buf_ + buf_len_;
    const unsigned char* q = b;
    while (q < e && is_word_char(*q)) ++q;
    const size_t n = static_cast<size_t>(q - b);
    if (q < e && *q != '"' && n > 0) {
      if (n > kMaxToken) return err::kArchiveParseError;
      tok.text = std::string_view(reinterpret_cast<const char*>(b), n);
      buf_pos_ += n;
      pos_ += n;
      tok.kind = Kind::Word;
      return 0;
    }
  }
  return scan_word(tok);
}

int ArchiveLexer::scan_word(Token& tok) {
  tok.spelled.clear();
  bool quoting = false;
  bool any = false;
  for (;;) {
    if (buf_pos_ >= buf_len_ && fill() < 0) {
      if (error_) return error_;
      if (quoting) return err::kUnexpectedEof;
      break;
    }
    // The run of plain word characters in the buffer is taken whole.
    size_t end = buf_pos_;
    while (end < buf_len_ && (is_word_char(buf_[end]) || (quoting && buf_[end] == ' '))) ++end;
    const size_t n = end - buf_pos_;
    if (n > 0) {
      if (tok.spelled.size() + n > kMaxToken) return err::kArchiveParseError;
      tok.spelled.append(reinterpret_cast<const char*>(buf_ + buf_pos_), n);
      any = true;
      buf_pos_ = end;
      pos_ += n;
    }
    if (end == buf_len_) continue;  // the word may go on in the next block
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

int ArchiveLexer::read_string(TextRecord& rec, bool keep) {
  have_ = false;
  int c = peek_byte();
  if (c != '@') return error_ ? error_ : err::kArchiveParseError;
  advance();
  rec = TextRecord{};
  rec.offset = pos_;
  // The stored bytes (doubled '@' as they are) are copied a buffer's worth
  // at a time: seg is where this buffer's part not yet in stored begins.
  std::string stored;
  size_t seg = buf_pos_;
  uint64_t len = 0, lines = 0, ats = 0;
  int last = -1;
  for (;;) {
    if (buf_pos_ >= buf_len_) {
      if (keep) stored.append(reinterpret_cast<const char*>(buf_ + seg), buf_len_ - seg);
      if (fill() < 0) return error_ ? error_ : err::kUnexpectedEof;
      seg = 0;
    }
    // The run of the buffer up to the next '@' is taken whole.
    const unsigned char* run = buf_ + buf_pos_;
    const size_t avail = buf_len_ - buf_pos_;
    const void* at = std::memchr(run, '@', avail);
    const size_t n = at ? static_cast<size_t>(static_cast<const unsigned char*>(at) - run) : avail;
    if (n > 0) {
      lines += count_byte(run, n, '\n');
      len += n;
      last = run[n - 1];
      buf_pos_ += n;
      pos_ += n;
    }
    if (!at) continue;
    if (buf_pos_ + 1 < buf_len_) {  // the byte after the '@' is in this buffer
      if (buf_[buf_pos_ + 1] != '@') {
        if (keep) stored.append(reinterpret_cast<const char*>(buf_ + seg), buf_pos_ - seg);
        advance();  // the closing '@'
        break;
      }
    } else {
      // The '@' ends the buffer: what it is shows only after a refill.
      if (keep) stored.append(reinterpret_cast<const char*>(buf_ + seg), buf_pos_ - seg);
      advance();
      int d = peek_byte();
      if (d != '@') {
        if (d < 0 && error_) return error_;
        break;
      }
      if (keep) stored.push_back('@');  // the first of the pair, from the old buffer
      seg = buf_pos_;                   // the second is copied with what follows
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
  if (peek_byte() == '\n') advance();
  if (error_) return error_;
  if (len > 0 && last != '\n') ++lines;
  rec.stored_length = len;
  rec.lines = lines;
  rec.chars = len - ats / 2;
  if (keep) rec.data = std::move(stored);
  return 0;
}

}  // namespace vc::archive
