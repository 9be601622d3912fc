// Rebuilding revision texts from an archive's stored texts.
//
// A text under construction is a list of pieces; each piece names a run of
// units (lines of a text archive, bytes of a binary one) of one source text:
// the head's full text or the edit script that added them. Applying an edit
// script ("a L N" / "d L N" commands, line numbers of the text before the
// script) edits the list only where the commands point; no text is copied
// until the result is written out.
//
// Text archives work on texts as stored ('@' doubled; the writer of the
// result undoes that). Binary archives count bytes of the plain text, so their
// texts are undoubled when they are loaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace vc {

// One source text with the offsets of its units.
class UnitText {
 public:
  UnitText(std::string bytes, bool binary);
  std::size_t units() const { return binary_ ? bytes_.size() : starts_.size() - 1; }
  // Byte offset where a unit begins (units() for the end).
  std::size_t begin(std::size_t unit) const { return binary_ ? unit : starts_[unit]; }
  std::string_view range(std::size_t first, std::size_t count) const {
    const std::size_t b = begin(first);
    return std::string_view(bytes_).substr(b, begin(first + count) - b);
  }
  const std::string& bytes() const { return bytes_; }
  bool binary() const { return binary_; }

 private:
  std::string bytes_;
  std::vector<std::size_t> starts_;  // text: line starts plus the end
  bool binary_;
};

// Line feeds, plus one for an unterminated last line.
std::size_t countLines(std::string_view text);

struct Piece {
  const UnitText* text;
  std::size_t first;
  std::size_t count;
};

// The pieces are held in blocks of a few dozen, each knowing its
// unit count, so one command of a script costs a step over the block counts
// and an edit inside one block, not a walk over the whole text.
class PieceList {
 public:
  PieceList() = default;
  explicit PieceList(const UnitText& whole);

  // Applies an edit script held in `script` (the same unit kind). Commands
  // must come in order: with p the number of old units already passed,
  // "d L N" needs L > p and L + N - 1 within the text (then p = L + N - 1),
  // "a L N" needs p <= L within the text (then p = L). Zero counts are
  // accepted. Answers 0, 33 (a command that does not parse, out of order or
  // beyond the text) or 218 (the script ends inside an added block); on an
  // error the list is left as it was.
  int apply(const UnitText& script);

  std::size_t units() const { return units_; }
  // The pieces in text order, neighbours of one source run joined.
  const std::vector<Piece>& pieces() const;
  // The text as one string (stored form for text archives).
  std::string materialise() const;

 private:
  struct Block {
    std::vector<Piece> pieces;
    std::size_t units = 0;
  };
  // Where the next command works: a block and the units before it.
  struct Cursor {
    std::size_t block = 0;
    std::size_t before = 0;
  };
  // Makes a piece start at unit `pos` (a position at or after the cursor's
  // block); answers the block and the index of that piece (the block's size
  // at its end) and moves the cursor to that block.
  std::size_t cut(std::size_t pos, Cursor& at);
  void erase(std::size_t pos, std::size_t count, Cursor& at);
  void insert(std::size_t pos, const Piece& piece, Cursor& at);

  std::vector<Block> blocks_;
  std::size_t units_ = 0;
  mutable std::vector<Piece> flat_;
  mutable bool flatValid_ = true;
};

// The edit script that turns `base` (a piece list of exactly one piece over
// one text) into `result`, where every unit of base that survives appears in
// result in its order: "d" and "a" commands, added units written after their
// "a" line (binary: followed by one line feed).
std::string diffAgainstBase(const UnitText& base, const PieceList& result);

// The whole-text replacement script: the n units of the old text go, the m
// units of `replacement` come. Commands with a zero count are left out.
std::string wholeTextScript(std::size_t n, std::string_view replacement, std::size_t m, bool binary);

// Counts of added and deleted units between two piece lists of the same
// archive (pieces compared by source text and unit).
void changeCounts(const PieceList& from, const PieceList& to, std::size_t& added, std::size_t& deleted);

// Keeps the source texts of one reconstruction alive at stable addresses.
using TextPool = std::deque<UnitText>;

}  // namespace vc
