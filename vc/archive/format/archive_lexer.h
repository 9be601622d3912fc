// Token scanner of the archive format: words (with '"' toggling quoting so a
// blank may belong to a name), the special characters ';' ':' ','  and
// '@'-strings. It reads a ByteSource through its own buffer and knows the
// absolute offset of every byte, which the text records keep.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vc/archive/format/archive_model.h"

namespace vc::archive {

class ByteSource;

inline constexpr size_t kMaxToken = 2048;

class ArchiveLexer {
 public:
  enum class Kind : uint8_t { Eof, Word, Semicolon, Colon, Comma, String };
  struct Token {
    Kind kind = Kind::Eof;
    // Word only. Points into the lexer's buffer (or into spelled for a word
    // with quotes or one split between blocks): valid until the next peek.
    std::string_view text;
    std::string spelled;
  };

  ArchiveLexer(ByteSource& src, uint64_t start) : src_(src), pos_(start) {}

  // The next token without taking it; for a String the '@' is not taken yet.
  // Answers 0 or a code (err::kArchiveParseError, err::kUnexpectedEof, a source's code).
  int peek(const Token*& tok) {
    if (!have_) {
      if (int rc = scan(tok_)) return rc;
      have_ = true;
    }
    tok = &tok_;
    return 0;
  }
  // Takes the token peek() showed.
  void take() { have_ = false; }
  // Reads the string whose '@' peek() showed and one line feed after it.
  // The record gets offset, counts and, when keep is set, the stored bytes.
  int readString(TextRecord& rec, bool keep);
  // Offset of the next byte not consumed (before any token peeked).
  uint64_t position() const { return pos_; }

 private:
  int fill();
  // -1 at the end or on a source error (error_ is then set).
  int peekByte() {
    if (bufPos_ < bufLen_) return buf_[bufPos_];
    return fill();
  }
  void advance() {
    ++bufPos_;
    ++pos_;
  }
  int scan(Token& tok);
  // A word with quotes, or one that reaches the end of the buffer (kept out
  // of scan so the common tokens stay cheap).
  [[gnu::noinline]] int scanWord(Token& tok);

  ByteSource& src_;
  uint64_t pos_;
  // Large blocks: a whole archive is read with few system calls.
  static constexpr size_t kBlock = 64 * 1024;
  std::unique_ptr<unsigned char[]> block_{new unsigned char[kBlock]};
  unsigned char* buf_ = block_.get();
  size_t bufPos_ = 0;
  size_t bufLen_ = 0;
  int error_ = 0;
  bool have_ = false;
  Token tok_;
};

}  // namespace vc::archive
