// Token scanner of the archive format: words (with '"' toggling quoting so a
// blank may belong to a name), the special characters ';' ':' ','  and
// '@'-strings. It reads a ByteSource in blocks of its own and knows the
// absolute offset of every byte, which the text records keep.
//
// Blocks are shared, not reused: a string that is kept points into the block
// that holds it (a short one is copied), and the block stays alive as long
// as a record points into it. A kept string is always read into one block
// (when it runs past the end of the block, a larger block is read from its
// start); other strings and words are read across blocks.
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
// The size of a lexer's first block: small for the header, larger for the
// texts that follow it. Each further block is twice the one before, up to a
// limit (a kept string gets a block as large as it needs).
inline constexpr size_t kHeaderBlock = 64 * 1024;
inline constexpr size_t kTextBlock = 256 * 1024;

// Character classes by table, one class a character: white space,
// characters of a word outside quotes, the special characters, the quote
// ('"' toggles quoting) and the rest. The 0 byte is of the rest, so the
// sentinel after a block stops every loop over a class.
namespace lexer_classes {
enum : unsigned char { kOther = 0, kSpace, kWord, kSpecial, kQuote };
constexpr bool spaceChar(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
constexpr bool specialChar(int c) { return c == ';' || c == ':' || c == '@' || c == ','; }
struct Classes {
  unsigned char of[256] = {};
  constexpr Classes() {
    for (int c = 0; c < 256; ++c)
      of[c] = spaceChar(c) ? kSpace : specialChar(c) ? kSpecial : c == '"' ? kQuote : c >= 0x21 && c <= 0x7E ? kWord : kOther;
  }
};
inline constexpr Classes kClasses;
inline unsigned char classOf(unsigned char c) { return kClasses.of[c]; }
}  // namespace lexer_classes

class ArchiveLexer {
 public:
  enum class Kind : uint8_t { Eof, Word, Semicolon, Colon, Comma, String };
  struct Token {
    Kind kind = Kind::Eof;
    // Word only. Points into the lexer's block (or into spelled for a word
    // with quotes or one split between blocks): valid until the next peek.
    std::string_view text;
    std::string spelled;
  };

  // Reads src from start, in a first block of firstBlock bytes.
  ArchiveLexer(ByteSource& src, uint64_t start, size_t firstBlock = kHeaderBlock)
      : src_(src), blockOffset_(start), firstBlock_(firstBlock) {}
  ArchiveLexer(const ArchiveLexer&) = delete;
  ArchiveLexer& operator=(const ArchiveLexer&) = delete;

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
  // The record gets offset, counts and, when keep is set, the stored bytes
  // (a copy when short, else a share of the lexer's block).
  int readString(TextRecord& rec, bool keep);
  // Offset of the next byte not consumed (before any token peeked).
  uint64_t position() const { return blockOffset_ + bufPos_; }

 private:
  // Reads a new block of up to size bytes from offset from, at least need
  // of them unless the source ends first; the position is left for the
  // caller to set. The first `held` bytes (which the current block holds at
  // from) are copied over, not read again. 0 or the source's code (also
  // kept in error_).
  int load(uint64_t from, size_t size, size_t need, size_t held = 0);
  // The size of the block after the current one: twice as large, within limits.
  size_t nextSize() const;
  // The current block is used up: the next one from the position. False at
  // the end of the source or on an error (error_ set).
  bool more();
  // A block from from (at or before the position, so that the bytes between
  // stay in one block) that reaches past the end of the current one. False
  // when the source has nothing more, or on an error (error_ set).
  bool extend(uint64_t from);
  // The common tokens: a plain word that ends inside the block, and ';'
  // (no call, so nothing to save); everything else is left to scanRest().
  int scan(Token& tok);
  [[gnu::noinline]] int scanRest(Token& tok);
  // A word with quotes, or one that reaches the end of the block (kept out
  // of scan so the common tokens stay cheap).
  [[gnu::noinline]] int scanWord(Token& tok);

  ByteSource& src_;
  std::shared_ptr<const char[]> block_;
  // The current block's bytes, with a 0 after the last (a sentinel that
  // stops the scanning loops); bytes [0, bufLen_) lie at blockOffset_.
  const unsigned char* buf_ = kNoBytes;
  uint64_t blockOffset_;
  size_t bufPos_ = 0;
  size_t bufLen_ = 0;
  size_t firstBlock_;
  size_t blockSize_ = 0;  // the size asked for the current block (0: none read yet)
  // The source's size when it tells (asked at the first read): no block asks
  // for more than there is.
  uint64_t sourceSize_ = UINT64_MAX;
  bool sizeAsked_ = false;
  bool atEnd_ = false;    // the source has nothing after the current block
  static const unsigned char kNoBytes[1];  // what a lexer without a block looks at: the sentinel
  int error_ = 0;
  bool have_ = false;
  Token tok_;
};

}  // namespace vc::archive
