// Piece lists and edit scripts (see delta_apply.h).
#include "delta_apply.h"

#include "error_codes.h"

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

// Builds the next piece list from the old one, walking it once.
class Rebuild {
 public:
  explicit Rebuild(const std::vector<Piece>& old) : old_(old) {}
  // Copies old units up to (and including) unit number `upto` (1-based).
  void copyUpTo(std::uint64_t upto) {
    while (pos_ < upto) {
      const Piece& p = old_[index_];
      const std::size_t left = p.count - offset_;
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, upto - pos_));
      add({p.text, p.first + offset_, take});
      advance(take);
    }
  }
  void skip(std::uint64_t n) {
    while (n > 0) {
      const Piece& p = old_[index_];
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(p.count - offset_, n));
      advance(take);
      n -= take;
    }
  }
  void add(Piece p) {
    if (p.count == 0) return;
    if (!out_.empty()) {
      Piece& last = out_.back();
      if (last.text == p.text && last.first + last.count == p.first) {
        last.count += p.count;
        units_ += p.count;
        return;
      }
    }
    out_.push_back(p);
    units_ += p.count;
  }
  std::uint64_t position() const { return pos_; }
  std::vector<Piece> take(std::size_t& units) {
    units = units_;
    return std::move(out_);
  }

 private:
  void advance(std::size_t n) {
    pos_ += n;
    offset_ += n;
    if (offset_ == old_[index_].count) {
      ++index_;
      offset_ = 0;
    }
  }
  const std::vector<Piece>& old_;
  std::size_t index_ = 0;
  std::size_t offset_ = 0;
  std::uint64_t pos_ = 0;
  std::vector<Piece> out_;
  std::size_t units_ = 0;
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
  for (std::size_t i = 0; i < bytes_.size(); ++i)
    if (bytes_[i] == '\n' && i + 1 < bytes_.size()) starts_.push_back(i + 1);
  if (bytes_.empty())
    starts_.clear();
  starts_.push_back(bytes_.size());
}

PieceList::PieceList(const UnitText& whole) {
  if (whole.units() > 0) pieces_.push_back({&whole, 0, whole.units()});
  units_ = whole.units();
}

int PieceList::apply(const UnitText& script) {
  Rebuild next(pieces_);
  std::uint64_t p = 0;  // old units passed
  const std::uint64_t lines = units_;
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
      next.copyUpTo(l - 1);
      next.skip(n);
      p = l + n - 1;
    } else {
      if (l < p || l > lines) return err::kDeltaCorrupt;
      next.copyUpTo(l);
      p = l;
      if (script.binary()) {
        if (s.size() - at < n) return err::kUnexpectedEof;
        next.add({&script, at, static_cast<std::size_t>(n)});
        at += static_cast<std::size_t>(n);
        if (at < s.size() && s[at] == '\n') ++at;
      } else {
        if (scriptUnits - at < n) return err::kUnexpectedEof;
        next.add({&script, at, static_cast<std::size_t>(n)});
        at += static_cast<std::size_t>(n);
      }
    }
  }
  next.copyUpTo(lines);
  pieces_ = next.take(units_);
  return 0;
}

std::string PieceList::materialise() const {
  std::size_t size = 0;
  for (const Piece& p : pieces_) size += p.text->range(p.first, p.count).size();
  std::string out;
  out.reserve(size);
  for (const Piece& p : pieces_) out.append(p.text->range(p.first, p.count));
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
