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
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace vc {

// Room for the line tables of many texts, handed out one after the other
// and freed together.
class LineArena {
 public:
  LineArena() = default;
  LineArena(const LineArena&) = delete;
  LineArena& operator=(const LineArena&) = delete;
  // Room for n line starts.
  std::size_t* take(std::size_t n) {
    if (n > left_) refill(n);
    std::size_t* p = next_;
    next_ += n;
    left_ -= n;
    return p;
  }

 private:
  void refill(std::size_t n);
  std::vector<std::unique_ptr<std::size_t[]>> chunks_;
  std::size_t* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t lastSize_ = 0;
};

// One source text with the offsets of its units. It owns its bytes, or
// shares bytes that another owner keeps alive (a block the archive reader
// read), without copying them.
class UnitText {
 public:
  // The line table comes from lines (none: a table of its own).
  UnitText(std::string bytes, bool binary, LineArena* lines = nullptr);
  // Over bytes in memory that owner keeps; lineCount, when known, is their
  // count of units as a text archive counts them (room for the line table).
  UnitText(std::shared_ptr<const void> owner, std::string_view bytes, bool binary, std::size_t lineCount,
           LineArena* lines = nullptr);
  UnitText(const UnitText&) = delete;
  UnitText& operator=(const UnitText&) = delete;
  ~UnitText();

  std::size_t units() const { return binary_ ? bytes_.size() : lineCount_; }
  // Byte offset where a unit begins (units() for the end).
  std::size_t begin(std::size_t unit) const { return binary_ ? unit : starts_[unit]; }
  std::string_view range(std::size_t first, std::size_t count) const {
    const std::size_t b = begin(first);
    return bytes_.substr(b, begin(first + count) - b);
  }
  std::string_view bytes() const { return bytes_; }
  bool binary() const { return binary_; }
  // Text: whether a '$' is among the bytes (only a line with one can hold a
  // keyword marker).
  bool hasDollar() const { return hasDollar_; }

 private:
  void index(std::size_t lineCount);
  std::size_t* allocate(std::size_t n);  // room for n line starts (from lines_ when there is one)

  std::string own_;
  std::shared_ptr<const void> owner_;
  std::string_view bytes_;  // own_ or the owner's bytes
  // Text: the line starts and then the end, lineCount_ + 1 of them, from
  // lines_ (or new[] when there is none).
  LineArena* lines_;
  std::size_t* starts_ = nullptr;
  std::size_t lineCount_ = 0;
  bool binary_;
  bool hasDollar_ = false;
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

  // Applies an edit script held in `script` (the same unit kind). Commands must
  // come in order: with p the number of old units already passed, "d L N" needs
  // L > p and L + N - 1 within the text (then p = L + N - 1), "a L N" needs p
  // <= L within the text (then p = L). Zero counts are accepted. Answers 0, 33
  // (a command that does not parse, out of order or beyond the text) or
  // VC_E_UNEXPECTED_EOF (the script ends inside an added block); on an error
  // the list is left as it was.
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
  // Where the next command works: a block and the units before it, and in
  // that block a piece where the search may start and the block's units
  // before that piece (commands come in order, so the next one lies there
  // or further on).
  struct Cursor {
    std::size_t block = 0;
    std::size_t before = 0;
    std::size_t piece = 0;
    std::size_t pieceBefore = 0;
  };
  // Makes a piece start at unit `pos` (a position at or after the cursor's
  // block); answers the block and the index of that piece (the block's size
  // at its end) and moves the cursor to that block.
  std::size_t cut(std::size_t pos, Cursor& at);
  void erase(std::size_t pos, std::size_t count, Cursor& at);
  void insert(std::size_t pos, const Piece& piece, Cursor& at);

  // One checked command of a script; an added block's units start at
  // `from` in the script (a line of a text script, a byte of a binary one).
  struct Command {
    char kind;
    std::uint64_t at, count;
    std::size_t from;
  };

  std::vector<Block> blocks_;
  std::vector<Command> commands_;  // apply's scratch, kept for the next script
  std::size_t units_ = 0;
  bool emptied_ = false;           // a deletion left a block without pieces
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

// Keeps the source texts of one reconstruction alive at stable addresses:
// made in blocks of many, with their line tables in one arena, all freed
// together.
class TextPool {
 public:
  TextPool() = default;
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;
  ~TextPool();

  // A text made from args (as UnitText's constructors take them, without
  // the line arena: the pool's own).
  template <typename... Args>
  UnitText& emplace_back(Args&&... args) {
    if (blocks_.empty() || blocks_.back().used == blocks_.back().capacity) grow();
    Block& b = blocks_.back();
    UnitText* t = new (b.items + b.used) UnitText(std::forward<Args>(args)..., &lines_);
    ++b.used;
    return *t;
  }
  UnitText& back() { return blocks_.back().items[blocks_.back().used - 1]; }
  const UnitText& back() const { return blocks_.back().items[blocks_.back().used - 1]; }

 private:
  struct Block {
    UnitText* items;
    std::size_t used;
    std::size_t capacity;
  };
  void grow();

  LineArena lines_;  // line tables (destroyed after the texts)
  std::vector<Block> blocks_;
};

}  // namespace vc
