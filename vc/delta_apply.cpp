// Piece lists and edit scripts (see delta_apply.h).
#include "delta_apply.h"

#include "error_codes.h"

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

PieceList::PieceList(const UnitText& whole) {
  if (whole.units() > 0) root_ = node({&whole, 0, whole.units()});
  flatValid_ = false;
}

std::uint32_t PieceList::node(Piece p) {
  // xorshift: priorities need only be well spread, not secret.
  seed_ ^= seed_ << 13;
  seed_ ^= seed_ >> 17;
  seed_ ^= seed_ << 5;
  Node n;
  n.piece = p;
  n.priority = seed_;
  n.units = p.count;
  nodes_.push_back(n);
  return static_cast<std::uint32_t>(nodes_.size() - 1);
}

void PieceList::update(std::uint32_t t) {
  Node& n = nodes_[t];
  n.units = nodes_[n.left].units + n.piece.count + nodes_[n.right].units;
}

// a receives the first k units of t, b the rest; a piece across the cut is
// cut in two.
void PieceList::split(std::uint32_t t, std::size_t k, std::uint32_t& a, std::uint32_t& b) {
  if (t == 0) {
    a = b = 0;
    return;
  }
  const std::size_t before = nodes_[nodes_[t].left].units;
  const std::size_t own = nodes_[t].piece.count;
  if (k <= before) {
    std::uint32_t l = 0;
    split(nodes_[t].left, k, a, l);
    nodes_[t].left = l;
    update(t);
    b = t;
  } else if (k >= before + own) {
    std::uint32_t r = 0;
    split(nodes_[t].right, k - before - own, r, b);
    nodes_[t].right = r;
    update(t);
    a = t;
  } else {
    const std::size_t keep = k - before;
    const Piece p = nodes_[t].piece;
    const std::uint32_t tail = node({p.text, p.first + keep, p.count - keep});  // may move nodes_
    const std::uint32_t right = nodes_[t].right;
    nodes_[t].piece.count = keep;
    nodes_[t].right = 0;
    update(t);
    a = t;
    b = join(tail, right);
  }
}

std::uint32_t PieceList::join(std::uint32_t a, std::uint32_t b) {
  if (a == 0) return b;
  if (b == 0) return a;
  if (nodes_[a].priority >= nodes_[b].priority) {
    const std::uint32_t r = join(nodes_[a].right, b);
    nodes_[a].right = r;
    update(a);
    return a;
  }
  const std::uint32_t l = join(a, nodes_[b].left);
  nodes_[b].left = l;
  update(b);
  return b;
}

std::size_t PieceList::units() const { return nodes_[root_].units; }

const std::vector<Piece>& PieceList::pieces() const {
  if (flatValid_) return flat_;
  flat_.clear();
  std::vector<std::uint32_t> stack;
  std::uint32_t t = root_;
  while (t != 0 || !stack.empty()) {
    while (t != 0) {
      stack.push_back(t);
      t = nodes_[t].left;
    }
    t = stack.back();
    stack.pop_back();
    const Piece& p = nodes_[t].piece;
    if (!flat_.empty() && flat_.back().text == p.text && flat_.back().first + flat_.back().count == p.first)
      flat_.back().count += p.count;
    else
      flat_.push_back(p);
    t = nodes_[t].right;
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

  // Applied left to right: `done` holds the new text up to old unit `p`,
  // `rest` the old units after it.
  std::uint32_t done = 0, rest = root_, piece = 0;
  p = 0;
  for (const Command& c : commands) {
    if (c.kind == 'd') {
      split(rest, static_cast<std::size_t>(c.at - 1 - p), piece, rest);
      done = join(done, piece);
      std::uint32_t gone = 0;
      split(rest, static_cast<std::size_t>(c.count), gone, rest);
      p = c.at + c.count - 1;
    } else {
      split(rest, static_cast<std::size_t>(c.at - p), piece, rest);
      done = join(done, piece);
      done = join(done, node({&script, c.from, static_cast<std::size_t>(c.count)}));
      p = c.at;
    }
  }
  root_ = join(done, rest);
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
