// Piece lists and edit scripts (see delta_apply.h).
#include "vc/revisions/delta_apply.h"

#include "vc/error_codes.h"
#include "vc/archive/format/byte_count.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <unordered_set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vc {
namespace {

// One command line: a letter, a number, blanks, a number, then at most
// trailing white space.
bool parseCommand(std::string_view line, char& kind, std::uint64_t& at, std::uint64_t& count) {
  const char* p = line.data();
  const char* const end = p + line.size();
  if (p == end || (*p != 'a' && *p != 'd')) return false;
  kind = *p++;
  auto digit = [&] { return p != end && static_cast<unsigned char>(*p - '0') <= 9; };
  auto number = [&](std::uint64_t& out) {
    if (!digit()) return false;
    std::uint64_t v = 0;
    // Eighteen digits cannot overflow; the check is for the ones after.
    for (int plain = 18; plain > 0 && digit(); --plain) v = v * 10 + static_cast<unsigned>(*p++ - '0');
    while (digit()) {
      if (v > (UINT64_MAX - 9) / 10) return false;
      v = v * 10 + static_cast<unsigned>(*p++ - '0');
    }
    out = v;
    return true;
  };
  if (!number(at)) return false;
  const char* blanks = p;
  while (p != end && (*p == ' ' || *p == '\t')) ++p;
  if (p == blanks) return false;
  if (!number(count)) return false;
  while (p != end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p;
  return p == end;
}

bool blankLine(std::string_view line) {
  for (char c : line)
    if (c != '\n' && c != '\r') return false;
  return true;
}

}  // namespace

std::size_t countLines(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) n += c == '\n';
  if (!text.empty() && text.back() != '\n') ++n;
  return n;
}

UnitText::UnitText(std::string bytes, bool binary, LineArena* lines)
    : own_(std::move(bytes)), bytes_(own_), lines_(lines), binary_(binary) {
  index(0);
}

UnitText::UnitText(std::shared_ptr<const void> owner, std::string_view bytes, bool binary, std::size_t lineCount,
                   LineArena* lines)
    : owner_(std::move(owner)), bytes_(bytes), lines_(lines), binary_(binary) {
  index(lineCount);
}

UnitText::~UnitText() {
  if (!lines_) delete[] starts_;
}

void UnitText::index(std::size_t lineCount) {
  if (binary_) return;
  const char* data = bytes_.data();
  const std::size_t size = bytes_.size();
  // Room for every line start and the end, so the table is made once (a
  // count given too small grows it), and for the scan's writes ahead.
  if (size == 0)
    lineCount = 0;
  else if (lineCount == 0)
    lineCount = vc::archive::countByte(data, size, '\n') + 1;
  std::size_t room = lineCount + 34;
  std::size_t* out = allocate(room);
  std::size_t n = 0;
  out[n++] = 0;
  auto grow = [&] {
    std::size_t* more = allocate(2 * room);
    std::memcpy(more, out, n * sizeof(std::size_t));
    if (!lines_) delete[] out;
    out = more;
    room *= 2;
  };
  if (size > 0) {
    // A line begins after each line feed but the last byte's.
    const std::size_t last = size - 1;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Thirty-two bytes at a time: the first line feed of a block is written
    // whether there is one or not (then it is written over), so the common
    // block, with at most one, takes no branch that depends on the text.
    const __m128i lf = _mm_set1_epi8('\n'), dollar = _mm_set1_epi8('$');
    __m128i dollars = _mm_setzero_si128();
    for (; i + 32 <= last; i += 32) {
      if (n + 33 > room) grow();
      const __m128i w0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const __m128i w1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 16));
      dollars = _mm_or_si128(dollars, _mm_or_si128(_mm_cmpeq_epi8(w0, dollar), _mm_cmpeq_epi8(w1, dollar)));
      unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w0, lf))) |
                   static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w1, lf))) << 16;
      out[n] = i + static_cast<std::size_t>(__builtin_ctzll(m | 0x100000000ull)) + 1;
      n += m != 0;
      m &= m - 1;
      while (m) {
        out[n++] = i + static_cast<std::size_t>(__builtin_ctz(m)) + 1;
        m &= m - 1;
      }
    }
    if (i + 16 <= last) {  // sixteen more, the same way
      if (n + 17 > room) grow();
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      dollars = _mm_or_si128(dollars, _mm_cmpeq_epi8(w, dollar));
      unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, lf)));
      while (m) {
        out[n++] = i + static_cast<std::size_t>(__builtin_ctz(m)) + 1;
        m &= m - 1;
      }
      i += 16;
    }
    hasDollar_ = _mm_movemask_epi8(dollars) != 0;
#endif
    for (; i < last; ++i) {
      hasDollar_ |= data[i] == '$';
      if (data[i] == '\n') {
        if (n + 2 > room) grow();
        out[n++] = i + 1;
      }
    }
    hasDollar_ |= data[last] == '$';
    out[n++] = size;
  }
  starts_ = out;
  lineCount_ = n - 1;
}

std::size_t* UnitText::allocate(std::size_t n) { return lines_ ? lines_->take(n) : new std::size_t[n]; }

void LineArena::refill(std::size_t n) {
  // Each chunk twice the one before (up to a limit), or as large as asked.
  const std::size_t size = std::max<std::size_t>(n, chunks_.empty() ? 4096 : std::min<std::size_t>(2 * lastSize_, 1 << 20));
  chunks_.reserve(chunks_.size() + 1);
  chunks_.emplace_back(new std::size_t[size]);
  next_ = chunks_.back().get();
  left_ = lastSize_ = size;
}

TextPool::~TextPool() {
  for (Block& b : blocks_) {
    for (std::size_t i = 0; i < b.used; ++i) b.items[i].~UnitText();
    ::operator delete(b.items);
  }
}

void TextPool::grow() {
  const std::size_t capacity = blocks_.empty() ? 16 : std::min<std::size_t>(blocks_.back().capacity * 2, 1024);
  blocks_.reserve(blocks_.size() + 1);
  auto* items = static_cast<UnitText*>(::operator new(capacity * sizeof(UnitText)));
  blocks_.push_back({items, 0, capacity});
}

namespace {

constexpr std::size_t kBlockLimit = 32;  // a fuller block is cut in two

}  // namespace

PieceList::PieceList(const UnitText& whole) {
  if (whole.units() > 0) blocks_.push_back({{{&whole, 0, whole.units()}}, whole.units()});
  units_ = whole.units();
  flatValid_ = false;
}

std::size_t PieceList::cut(std::size_t pos, Cursor& at) {
  if (blocks_.empty()) blocks_.emplace_back();
  // The first block that reaches pos (the last one for the end of the text),
  // from the cursor on: walked forward from the cursor, or back from the
  // last block when pos lies nearer the end.
  const Block* const blocks = blocks_.data();
  const std::size_t last = blocks_.size() - 1;
  std::size_t b = at.block, before = at.before;
  if (pos - before > units_ - pos && b < last) {
    std::size_t lastBefore = units_ - blocks[last].units;
    std::size_t k = last;
    // Back while the block before also reaches pos (and stays at or after the cursor).
    while (k > b && pos <= lastBefore) lastBefore -= blocks[--k].units;
    b = k;
    before = lastBefore;
  } else {
    while (b < last && pos > before + blocks[b].units) before += blocks[b++].units;
  }
  if (b != at.block) at.piece = at.pieceBefore = 0;
  at.block = b;
  at.before = before;
  std::vector<Piece>& pieces = blocks_[b].pieces;
  const std::size_t n = pieces.size();
  // The search starts at the cursor's piece when that lies at or before pos.
  std::size_t offset = pos - before;
  std::size_t i = 0;
  if (at.piece <= n && at.pieceBefore <= offset) {
    i = at.piece;
    offset -= at.pieceBefore;
  } else {
    at.pieceBefore = 0;
  }
  Piece* const first = pieces.data();
  for (; i < n; ++i) {
    if (offset == 0) break;
    const std::size_t count = first[i].count;
    if (offset < count) {
      const Piece tail{first[i].text, first[i].first + offset, count - offset};
      first[i].count = offset;
      pieces.insert(pieces.begin() + static_cast<long>(i) + 1, tail);
      at.piece = i + 1;
      at.pieceBefore += offset;
      return i + 1;
    }
    offset -= count;
    at.pieceBefore += count;
  }
  at.piece = i;
  return i;
}

void PieceList::erase(std::size_t pos, std::size_t count, Cursor& at) {
  std::size_t i = cut(pos, at);
  std::size_t b = at.block;
  while (count > 0) {
    Block& block = blocks_[b];
    std::size_t j = i;
    while (j < block.pieces.size() && count > 0) {
      Piece& p = block.pieces[j];
      const std::size_t take = std::min(p.count, count);
      block.units -= take;
      units_ -= take;
      count -= take;
      if (take < p.count) {  // the rest of this piece stays
        p.first += take;
        p.count -= take;
        break;
      }
      ++j;
    }
    block.pieces.erase(block.pieces.begin() + static_cast<long>(i), block.pieces.begin() + static_cast<long>(j));
    if (block.pieces.empty()) emptied_ = true;
    ++b;  // the count goes on in the next block (the checks keep it within the text)
    i = 0;
  }
}

void PieceList::insert(std::size_t pos, const Piece& piece, Cursor& at) {
  const std::size_t i = cut(pos, at);
  Block& block = blocks_[at.block];
  block.pieces.insert(block.pieces.begin() + static_cast<long>(i), piece);
  block.units += piece.count;
  units_ += piece.count;
  if (block.pieces.size() < kBlockLimit) return;
  // Cut the block in two; the cursor's block keeps the first half.
  Block second;
  const auto middle = block.pieces.begin() + static_cast<long>(block.pieces.size() / 2);
  second.pieces.assign(middle, block.pieces.end());
  block.pieces.erase(middle, block.pieces.end());
  for (const Piece& p : second.pieces) second.units += p.count;
  block.units -= second.units;
  if (at.piece > block.pieces.size()) at.piece = at.pieceBefore = 0;  // its piece went to the second half
  blocks_.insert(blocks_.begin() + static_cast<long>(at.block) + 1, std::move(second));
}

const std::vector<Piece>& PieceList::pieces() const {
  if (flatValid_) return flat_;
  flat_.clear();
  std::size_t count = 0;
  for (const Block& block : blocks_) count += block.pieces.size();
  flat_.reserve(count);
  for (const Block& block : blocks_)
    for (const Piece& p : block.pieces) {
      if (!flat_.empty() && flat_.back().text == p.text && flat_.back().first + flat_.back().count == p.first)
        flat_.back().count += p.count;
      else
        flat_.push_back(p);
    }
  flatValid_ = true;
  return flat_;
}

int PieceList::apply(const UnitText& script) {
  // The whole script is read and checked first, so a bad one changes nothing.
  // The commands go into commands_, used as a plain array that only grows.
  std::size_t count = 0;
  Command* commands = commands_.data();
  auto add = [&](const Command& c) {
    if (count == commands_.size()) {
      commands_.resize(std::max<std::size_t>(16, 2 * commands_.size()));
      commands = commands_.data();
    }
    commands[count++] = c;
  };
  std::uint64_t p = 0;  // old units passed
  const std::uint64_t lines = units();
  std::size_t at = 0;   // script position: a line (text) or a byte (binary)
  const std::string_view s = script.bytes();
  const bool binary = script.binary();
  const std::size_t scriptUnits = script.units();

  for (;;) {
    std::string_view line;
    if (binary) {
      if (at >= s.size()) break;
      std::size_t lf = s.find('\n', at);
      std::size_t end = lf == std::string_view::npos ? s.size() : lf + 1;
      line = s.substr(at, end - at);
      at = end;
    } else {
      if (at >= scriptUnits) break;
      line = script.range(at, 1);
      ++at;
    }
    if (blankLine(line)) continue;
    char kind = 0;
    std::uint64_t l = 0, n = 0;
    if (!parseCommand(line, kind, l, n)) return err::kDeltaCorrupt;
    if (kind == 'd') {
      if (n == 0) {
        if (l < p || l > lines + 1) return err::kDeltaCorrupt;
        continue;
      }
      if (l <= p || l + n - 1 > lines) return err::kDeltaCorrupt;
      add({'d', l, n, 0});
      p = l + n - 1;
    } else {
      if (l < p || l > lines) return err::kDeltaCorrupt;
      p = l;
      const std::size_t room = binary ? s.size() - at : scriptUnits - at;
      if (room < n) return err::kUnexpectedEof;
      if (n > 0) add({'a', l, n, at});
      at += static_cast<std::size_t>(n);
      if (binary && at < s.size() && s[at] == '\n') ++at;
    }
  }

  // Applied in order; `shift` turns an old unit number into a position in
  // the list as edited so far.
  Cursor cursor;
  std::int64_t shift = 0;
  for (const Command& c : std::span<const Command>(commands, count)) {
    const std::size_t n = static_cast<std::size_t>(c.count);
    if (c.kind == 'd') {
      erase(static_cast<std::size_t>(static_cast<std::int64_t>(c.at) - 1 + shift), n, cursor);
      shift -= static_cast<std::int64_t>(n);
    } else {
      insert(static_cast<std::size_t>(static_cast<std::int64_t>(c.at) + shift), {&script, c.from, n}, cursor);
      shift += static_cast<std::int64_t>(n);
    }
  }
  // Blocks that deletions emptied go.
  if (emptied_) {
    std::erase_if(blocks_, [](const Block& b) { return b.pieces.empty(); });
    emptied_ = false;
  }
  flatValid_ = false;
  return 0;
}

std::string PieceList::materialise() const {
  std::size_t size = 0;
  for (const Piece& p : pieces()) size += p.text->range(p.first, p.count).size();
  std::string out;
  out.reserve(size);
  for (const Piece& p : pieces()) out.append(p.text->range(p.first, p.count));
  return out;
}

std::string diffAgainstBase(const UnitText& base, const PieceList& result) {
  std::string out;
  std::size_t old = 0;  // base units passed
  std::vector<const Piece*> pending;
  std::size_t pendingUnits = 0;
  auto flushAdds = [&] {
    if (pendingUnits == 0) return;
    out += "a" + std::to_string(old) + " " + std::to_string(pendingUnits) + "\n";
    for (const Piece* p : pending) out.append(p->text->range(p->first, p->count));
    if (base.binary()) out += '\n';
    pending.clear();
    pendingUnits = 0;
  };
  for (const Piece& p : result.pieces()) {
    if (p.text == &base && p.first >= old) {
      if (p.first > old) out += "d" + std::to_string(old + 1) + " " + std::to_string(p.first - old) + "\n";
      old = p.first;
      flushAdds();
      old = p.first + p.count;
    } else {
      pending.push_back(&p);
      pendingUnits += p.count;
    }
  }
  if (old < base.units()) {
    out += "d" + std::to_string(old + 1) + " " + std::to_string(base.units() - old) + "\n";
    old = base.units();
  }
  flushAdds();
  return out;
}

std::string wholeTextScript(std::size_t n, std::string_view replacement, std::size_t m, bool binary) {
  std::string out;
  if (n > 0) out += "d1 " + std::to_string(n) + "\n";
  if (m > 0) {
    out += "a" + std::to_string(n) + " " + std::to_string(m) + "\n";
    out.append(replacement);
    if (binary) out += '\n';
  }
  return out;
}

void changeCounts(const PieceList& from, const PieceList& to, std::size_t& added, std::size_t& deleted) {
  struct Key {
    const UnitText* text;
    std::size_t unit;
    bool operator==(const Key& o) const { return text == o.text && unit == o.unit; }
  };
  struct Hash {
    std::size_t operator()(const Key& k) const {
      return std::hash<const void*>()(k.text) ^ (k.unit * 0x9E3779B97F4A7C15ull);
    }
  };
  auto collect = [](const PieceList& l) {
    std::unordered_set<Key, Hash> s;
    for (const Piece& p : l.pieces())
      for (std::size_t u = 0; u < p.count; ++u) s.insert({p.text, p.first + u});
    return s;
  };
  const auto a = collect(from);
  const auto b = collect(to);
  added = deleted = 0;
  for (const Key& k : b) added += a.count(k) == 0;
  for (const Key& k : a) deleted += b.count(k) == 0;
}

}  // namespace vc
