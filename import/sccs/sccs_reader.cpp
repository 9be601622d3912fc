// Reading the control part of an SCCS file: the delta table, the users, the
// flags and the description, then the body split into weave lines. Lines are
// read whole, whatever their length.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "import/sccs/sccs_model.h"

namespace orv::import {

namespace {

class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  // The next line without its line end (a CR before it stays), or false.
  bool next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t nl = text_.find('\n', pos_);
    const std::size_t end = nl == std::string_view::npos ? text_.size() : nl;
    line = text_.substr(pos_, end - pos_);
    last_ = pos_;
    pos_ = nl == std::string_view::npos ? text_.size() : nl + 1;
    return true;
  }
  void pushBack() { pos_ = last_; }
  std::size_t offset() const { return pos_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0, last_ = 0;
};

bool isControl(std::string_view line, char key) { return line.size() >= 2 && line[0] == '\x01' && line[1] == key; }
bool isAnyControl(std::string_view line) { return !line.empty() && line[0] == '\x01'; }
std::string_view rest(std::string_view line) {
  line.remove_prefix(std::min<std::size_t>(2, line.size()));
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  return line;
}

std::vector<std::string_view> words(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    std::size_t j = i;
    while (j < s.size() && s[j] != ' ') ++j;
    if (j > i) out.push_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

bool allDigits(std::string_view s, bool colons = false) {
  if (s.empty()) return false;
  for (char c : s)
    if (!(c >= '0' && c <= '9') && !(colons && c == ':')) return false;
  return true;
}

unsigned toNumber(std::string_view s) {
  unsigned v = 0;
  for (char c : s) v = v * 10 + static_cast<unsigned>(c - '0');
  return v;
}

// Keeps empty MR and comment lines only after a first non-empty one.
void keepLine(std::vector<std::string>& lines, std::string_view text) {
  if (!text.empty() || !lines.empty()) lines.emplace_back(text);
}

struct Context {
  LineReader& in;
  const char* name;
  MessageBuffer& msgs;
};

// The d line's fields: type, SID, date, time, user, serial, predecessor.
void readDeltaLine(Context& c, std::string_view line, SccsDelta& d, bool& removed) {
  const auto w = words(rest(line));
  if (w.size() < 7) c.msgs.fail(false, "unexpected end of control d line in SCCS file %s", c.name);
  if (!allDigits(w[3], true) || !allDigits(w[5]) || !allDigits(w[6]) || w[5].size() > 9 || w[6].size() > 9)
    c.msgs.fail(false, "bad control d line in SCCS file %s", c.name);
  removed = w[0] == "R";
  d.sid = std::string(w[1]);
  if (!parseNumber(w[1], d.number) || !(isTrunk(d.number) || isBranch(d.number)))
    c.msgs.fail(false, "bad revision number in SCCS file %s", c.name);
  if (!archiveDate(std::string(w[2]), std::string(w[3]), d.date))
    c.msgs.fail(false, "bad control d line in SCCS file %s", c.name);
  d.user = std::string(w[4]);
  d.serial = toNumber(w[5]);
  d.predecessor = toNumber(w[6]);
}

// The counts of an "s" line: inserted/deleted/unchanged.
void readCounts(std::string_view sLine, SccsDelta& d) {
  const auto w = words(rest(sLine));
  if (w.empty()) return;
  std::string_view fields = w[0];
  const std::size_t a = fields.find('/');
  const std::size_t b = a == std::string_view::npos ? a : fields.find('/', a + 1);
  if (b == std::string_view::npos) return;
  const std::string_view ins = fields.substr(0, a), del = fields.substr(a + 1, b - a - 1);
  if (!allDigits(ins) || !allDigits(del) || ins.size() > 9 || del.size() > 9) return;
  d.counted = true;
  d.inserted = toNumber(ins);
  d.deleted = toNumber(del);
}

// One entry of the delta table, after its s line.
void readDelta(Context& c, std::string_view sLine, SccsFile& f) {
  std::string_view line;
  if (!c.in.next(line) || !isControl(line, 'd')) c.msgs.fail(false, "missing control d line in SCCS file %s", c.name);
  SccsDelta d;
  bool removed = false;
  readDeltaLine(c, line, d, removed);
  readCounts(sLine, d);
  static const char* const missing[] = {"i, x, g, m, c or e", "x, g, m, c or e", "g, m, c or e", "m, c or e"};
  int stage = 0;
  for (char key : {'i', 'x', 'g'}) {
    if (!c.in.next(line)) c.msgs.fail(false, "missing control %s line in SCCS file %s", missing[stage], c.name);
    if (isControl(line, key)) {
      if (key != 'g' && !words(rest(line)).empty())
        c.msgs.fail(false, "delta %s of SCCS file %s includes or excludes other deltas: not supported", d.sid.c_str(),
                    c.name);
    } else {
      c.in.pushBack();
    }
    ++stage;
  }
  for (;;) {
    if (!c.in.next(line)) c.msgs.fail(false, "missing control %s line in SCCS file %s", missing[stage], c.name);
    if (!isControl(line, 'm')) break;
    keepLine(d.mrLines, rest(line));
  }
  for (;;) {
    if (!isControl(line, 'c')) break;
    keepLine(d.comments, rest(line));
    if (!c.in.next(line)) c.msgs.fail(false, "missing control c or e line in SCCS file %s", c.name);
  }
  if (!isControl(line, 'e')) c.msgs.fail(false, "missing control e line in SCCS file %s", c.name);
  if (d.comments.empty()) d.comments.emplace_back("*** empty log message ***");
  if (!removed) f.deltas.push_back(std::move(d));
}

void readUsers(Context& c, SccsFile& f) {
  std::string_view line;
  if (!c.in.next(line)) c.msgs.fail(false, "missing control u line in SCCS file %s", c.name);
  if (!isControl(line, 'u')) {
    c.in.pushBack();
    return;
  }
  for (;;) {
    if (!c.in.next(line)) c.msgs.fail(false, "missing username in SCCS file %s", c.name);
    if (isControl(line, 'U')) return;
    if (isAnyControl(line)) c.msgs.fail(false, "missing control U line in SCCS file %s", c.name);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.empty()) c.msgs.fail(false, "bad username in SCCS file %s", c.name);
    const unsigned char first = static_cast<unsigned char>(line.front());
    if (!std::isalnum(first)) continue;
    f.users.insert(f.users.begin(), std::string(line.substr(0, line.find(' '))));
  }
}

void readFlags(Context& c, SccsFile& f) {
  std::string_view line;
  for (;;) {
    if (!c.in.next(line)) c.msgs.fail(false, "missing control f or t line in SCCS file %s", c.name);
    if (!isControl(line, 'f')) {
      c.in.pushBack();
      return;
    }
    const auto w = words(rest(line));
    if (w.empty()) c.msgs.fail(false, "bad control f line in SCCS file %s", c.name);
    if (w[0] == "d") {
      if (w.size() < 2) c.msgs.fail(false, "unexpected end of d flag line in SCCS file %s", c.name);
      RevNumber n;
      if (!parseNumber(w[1], n) || !(isTrunk(n) || isBranch(n)))
        c.msgs.fail(false, "bad revision in d flag in SCCS file %s", c.name);
      f.defaultRevision = std::string(w[1]);
    } else if (w[0] == "j") {
      f.jointEdit = true;
    } else if (w[0] == "e" && w.size() >= 2 && w[1] == "1") {
      c.msgs.fail(false, "SCCS file %s holds an encoded body: not supported", c.name);
    }
  }
}

void readDescription(Context& c, SccsFile& f) {
  std::string_view line;
  if (!c.in.next(line)) c.msgs.fail(false, "missing control t line in SCCS file %s", c.name);
  if (!isControl(line, 't')) c.msgs.fail(false, "expecting control t line in SCCS file %s", c.name);
  for (;;) {
    if (!c.in.next(line)) c.msgs.fail(false, "missing comment in SCCS file %s", c.name);
    if (isControl(line, 'T')) return;
    if (isAnyControl(line)) c.msgs.fail(false, "missing control T line in SCCS file %s", c.name);
    keepLine(f.description, line);
  }
}

void readBody(Context& c, std::string_view text, SccsFile& f) {
  std::size_t pos = c.in.offset();
  while (pos < text.size()) {
    const std::size_t nl = text.find('\n', pos);
    const std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
    const std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (!isAnyControl(line)) {
      f.body.push_back({'t', 0, line});
      continue;
    }
    const char key = line.size() >= 2 ? line[1] : '\0';
    std::string_view arg = rest(line.substr(0, line.size() - (line.back() == '\n' ? 1 : 0)));
    if (!arg.empty() && arg.back() == '\r') arg.remove_suffix(1);
    const auto w = words(arg);
    // The SCCS tools write the key, a blank and the serial.
    const bool blank = line.size() >= 3 && line[2] == ' ';
    if ((key != 'I' && key != 'D' && key != 'E') || !blank || w.empty() || !allDigits(w[0]) || w[0].size() > 9)
      c.msgs.fail(false, "bad control line in the body of SCCS file %s", c.name);
    f.body.push_back({key, toNumber(w[0]), {}});
  }
}

}  // namespace

std::string numberText(const RevNumber& n) {
  std::string s;
  for (std::size_t i = 0; i < n.size(); ++i) s += (i ? "." : "") + std::to_string(n[i]);
  return s;
}

bool isTrunk(const RevNumber& n) { return n.size() == 2; }
bool isBranch(const RevNumber& n) { return n.size() >= 4 && n.size() % 2 == 0; }

bool parseNumber(std::string_view text, RevNumber& out) {
  out.clear();
  std::size_t i = 0;
  while (i <= text.size()) {
    std::size_t j = text.find('.', i);
    if (j == std::string_view::npos) j = text.size();
    const std::string_view field = text.substr(i, j - i);
    if (!allDigits(field) || field.size() > 9) return false;
    out.push_back(toNumber(field));
    i = j + 1;
  }
  return !out.empty();
}

bool numberLess(const RevNumber& a, const RevNumber& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

void readSccsFile(std::string_view text, const std::string& name, MessageBuffer& msgs, SccsFile& out) {
  LineReader in(text);
  Context c{in, name.c_str(), msgs};
  std::string_view line;
  if (!in.next(line) || !isAnyControl(line)) msgs.fail(false, "input file %s not in SCCS format", name.c_str());
  if (!isControl(line, 'h')) {
    in.pushBack();
  } else {
    // SCCS's checksum: the sum of the bytes after the "h" line, modulo
    // 65536 (as unsigned bytes; some systems summed them signed).
    const std::string_view sum = rest(line);
    if (allDigits(sum) && sum.size() <= 9) {
      unsigned long plain = 0, asSigned = 0;
      for (std::size_t i = in.offset(); i < text.size(); ++i) {
        plain += static_cast<unsigned char>(text[i]);
        asSigned += static_cast<unsigned long>(static_cast<long>(static_cast<signed char>(text[i])));
      }
      const unsigned long want = toNumber(sum);
      out.checksumMatches = (plain & 0xFFFF) == want || (asSigned & 0xFFFF) == want;
    }
  }
  for (;;) {
    if (!in.next(line)) break;
    if (!isControl(line, 's')) {
      in.pushBack();
      break;
    }
    readDelta(c, line, out);
  }
  readUsers(c, out);
  readFlags(c, out);
  readDescription(c, out);
  readBody(c, text, out);
}

}  // namespace orv::import
