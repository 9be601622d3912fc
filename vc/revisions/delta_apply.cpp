// Piece lists and edit scripts (see delta_apply.h).
#include "vc/revisions/delta_apply.h"

#include "vc/error_codes.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace vc {
namespace {

// One command line: a letter, a number, blanks, a number, then at most
// trailing white space.
bool parseCommand(std::string_view line, char& kind, std::uint64_t& at, std::uint64_t& count) {
  std::size_t i = 0;
  if (line.empty() || (line[0] != 'a' && line[0] != 'd')) return false;
  kind = line[0];
  ++i;
  auto number = [&](std::uint64_t& out) {
    if (i >= line.size() || line[i] < '0' || line[i] > '9') return false;
    out = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
      if (out > (UINT64_MAX - 9) / 10) return false;
      out = out * 10 + static_cast<unsigned>(line[i] - '0');
      ++i;
    }
    return true;
  };
  if (!number(at)) return false;
  std::size_t blanks = i;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i == blanks) return false;
  if (!number(count)) return false;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
  return i == line.size();
}

bool blankLine(std::string_view line) {
  for (char c : line)
    if (c != '\n' && c != '\r') return false;
  return true;
}

// One checked command of a script; an added block's units start at `from`
// in the script (a line of a text script, a byte of a binary one).
struct Command {
  char kind;
  std::uint64_t at, count;
  std::size_t from;
};

}  // namespace

std::size_t countLines(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) n += c == '\n';
  if (!text.empty() && text.back() != '\n') ++n;
  return n;
}

UnitText::UnitText(std::string bytes, bool binary) : bytes_(std::move(bytes)), binary_(binary) {
  if (binary_) return;
  starts_.push_back(0);
  const char* data = bytes_.data();
  const std::size_t size = bytes_.size();
  for (const char* at = data; (at = static_cast<const char*>(std::memchr(at, '\n', size - (at - data))));) {
    ++at;
    if (at == data + size) break;
    starts_.push_back(static_cast<std::size_t>(at - data));
  }
  if (bytes_.empty())
    starts_.clear();
  starts_.push_back(bytes_.size());
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
  // The first block that reaches pos (the last one for the end of the text).
  while (at.block + 1 < blocks_.size() && pos > at.before + blocks_[at.block].units) {
    at.before += blocks_[at.block].units;
    ++at.block;
  }
  std::vector<Piece>& pieces = blocks_[at.block].pieces;
  std::size_t offset = pos - at.before;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (offset == 0) return i;
    if (offset < pieces[i].count) {
      const Piece tail{pieces[i].text, pieces[i].first + offset, pieces[i].count - offset};
      pieces[i].count = offset;
      pieces.insert(pieces.begin() + static_cast<long>(i) + 1, tail);
      return i + 1;
    }
    offset -= pieces[i].count;
  }
  return pieces.size();
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
  blocks_.insert(blocks_.begin() + static_cast<long>(at.block) + 1, std::move(second));
}

const std::vector<Piece>& PieceList::pieces() const {
  if (flatValid_) return flat_;
  flat_.clear();
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
  std::vector<Command> commands;
  std::uint64_t p = 0;  // old units passed
  const std::uint64_t lines = units();
  std::size_t at = 0;   // script position: a line (text) or a byte (binary)
  const std::string& s = script.bytes();
  const std::size_t scriptUnits = script.units();

  for (;;) {
    std::string_view line;
    if (script.binary()) {
      if (at >= s.size()) break;
      std::size_t lf = s.find('\n', at);
      std::size_t end = lf == std::string::npos ? s.size() : lf + 1;
      line = std::string_view(s).substr(at, end - at);
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
      commands.push_back({'d', l, n, 0});
      p = l + n - 1;
    } else {
      if (l < p || l > lines) return err::kDeltaCorrupt;
      p = l;
      const std::size_t room = script.binary() ? s.size() - at : scriptUnits - at;
      if (room < n) return err::kUnexpectedEof;
      if (n > 0) commands.push_back({'a', l, n, at});
      at += static_cast<std::size_t>(n);
      if (script.binary() && at < s.size() && s[at] == '\n') ++at;
    }
  }

  // Applied in order; `shift` turns an old unit number into a position in
  // the list as edited so far.
  Cursor cursor;
  std::int64_t shift = 0;
  for (const Command& c : commands) {
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
  std::erase_if(blocks_, [](const Block& b) { return b.pieces.empty(); });
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
