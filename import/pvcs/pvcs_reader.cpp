// Reading a PVCS archive: typed records, each (but "@", eleven bytes) with a
// length of two bytes big-endian, or four with the top bit of the first
// cleared when that bit is set; string records begin with a one-byte length.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "import/pvcs/pvcs_model.h"

namespace orv::import {

namespace {

class RecordReader {
 public:
  RecordReader(std::string_view bytes, const std::string& name, MessageBuffer& msgs)
      : bytes_(bytes), name_(name), msgs_(msgs) {}
  bool atEnd() const { return pos_ >= bytes_.size(); }
  unsigned char byte() { return static_cast<unsigned char>(bytes_[pos_++]); }
  // A length (or count) in the record-length encoding, from `in` at `at`.
  static bool length(std::string_view in, std::size_t& at, unsigned long& out) {
    if (at >= in.size()) return false;
    const auto b0 = static_cast<unsigned char>(in[at]);
    const std::size_t n = b0 < 128 ? 2 : 4;
    if (at + n > in.size()) return false;
    out = 0;
    for (std::size_t i = 0; i < n; ++i) out = out << 8 | static_cast<unsigned char>(in[at + i]);
    if (n == 4) out &= 0x7FFFFFFFul;
    at += n;
    return true;
  }
  std::string_view record(char type) {
    unsigned long len = 11;
    if (type != '@' && !length(bytes_, pos_, len))
      msgs_.fail(false, "%s: record type '%c' sought %d bytes; got %d", name_.c_str(), type, 2,
                 static_cast<int>(bytes_.size() - pos_));
    if (len > bytes_.size() - pos_)
      msgs_.fail(false, "%s: record type '%c' sought %lu bytes; got %d", name_.c_str(), type, len,
                 static_cast<int>(bytes_.size() - pos_));
    const std::string_view r = bytes_.substr(pos_, len);
    pos_ += len;
    return r;
  }

 private:
  std::string_view bytes_;
  const std::string& name_;
  MessageBuffer& msgs_;
  std::size_t pos_ = 0;
};

std::string_view stringOf(std::string_view record) {
  if (record.empty()) return {};
  const std::size_t n = std::min<std::size_t>(static_cast<unsigned char>(record[0]), record.size() - 1);
  return record.substr(1, n);
}

// CR LF pairs read as LF.
std::string withoutCr(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// A version number: a one-byte count of 16-bit big-endian numbers.
std::vector<unsigned> versionOf(std::string_view rec, const std::string& name, MessageBuffer& msgs) {
  const unsigned count = rec.empty() ? 0 : static_cast<unsigned char>(rec[0]);
  if (count == 0 || count % 2 != 0 || rec.size() < 1 + 2 * std::size_t{count})
    msgs.fail(false, "file %s: unusable version number length %u", name.c_str(), count);
  std::vector<unsigned> n;
  for (unsigned i = 0; i < count; ++i)
    n.push_back((static_cast<unsigned char>(rec[1 + 2 * i]) << 8 | static_cast<unsigned char>(rec[2 + 2 * i])) +
                (i ? 1u : 0u));
  return n;
}

std::string dateOf(std::string_view rec, bool century) {
  auto word = [&](std::size_t at) {
    return rec.size() >= at + 2
               ? static_cast<unsigned>(static_cast<unsigned char>(rec[at]) << 8 | static_cast<unsigned char>(rec[at + 1]))
               : 0u;
  };
  const unsigned d = word(0), t = word(2);
  const unsigned year = (d >> 9) + 1980, month = (d >> 5) & 15, day = d & 31;
  const unsigned hour = t >> 11, minute = (t >> 5) & 63, second = (t & 31) * 2;
  char buf[64];
  // Two-digit years only for 1900-1999: the archive format knows no others.
  if (century || year >= 2000)
    std::snprintf(buf, sizeof buf, "%04u.%02u.%02u.%02u.%02u.%02u", year, month, day, hour, minute, second);
  else
    std::snprintf(buf, sizeof buf, "%02u.%02u.%02u.%02u.%02u.%02u", year - 1900, month, day, hour, minute, second);
  return buf;
}

void readCommands(std::string_view rec, const std::string& name, MessageBuffer& msgs, PvcsArchive& a,
                  PvcsRevision& r) {
  std::size_t at = 0;
  unsigned long end = 0;  // the end of the last copy or insert, in bytes of the older text
  while (at < rec.size()) {
    PvcsCommand c{rec[at++]};
    if (std::strchr("csie", c.kind) == nullptr || c.kind == '\0')
      msgs.fail(false, "%s: unknown edit found in rev %s", name.c_str(), dottedNumber(r.number).c_str());
    if (!RecordReader::length(rec, at, c.bytes) || !RecordReader::length(rec, at, c.lines))
      msgs.fail(false, "%s: unknown edit found in rev %s", name.c_str(), dottedNumber(r.number).c_str());
    if (c.kind == 'i') {
      if (c.bytes > rec.size() - at)
        msgs.fail(false, "%s: scanning over insert in rev %s", name.c_str(), dottedNumber(r.number).c_str());
      c.inserted = rec.substr(at, c.bytes);
      at += c.bytes;
    }
    if ((c.kind == 's' || c.kind == 'e') && c.bytes < end) a.backwards = true;
    if (c.kind == 's') end = c.bytes;
    if (c.kind == 'c') end += c.bytes;
    r.commands.push_back(c);
    if (c.kind == 'e') return;
  }
}

struct Reading {
  PvcsArchive& a;
  const std::string& name;
  MessageBuffer& msgs;
  bool century;
  bool named = false;
};

PvcsRevision& current(Reading& r, const char* what) {
  if (r.a.revisions.empty()) r.msgs.fail(false, what, r.name.c_str());
  return r.a.revisions.back();
}

// Takes one record; false for a type that is only skipped.
bool takeRecord(Reading& r, char type, std::string_view rec) {
  switch (type) {
    case 'B': r.a.revisions.push_back({versionOf(rec, r.name, r.msgs)}); return true;
    case 'D': current(r, "%s: checkin date before version no.").date = dateOf(rec, r.century); return true;
    case 'E': current(r, "%s: log message before version no.").log = withoutCr(rec); return true;
    case 'F': {
      PvcsRevision& v = current(r, "%s: delta text before version no.");
      readCommands(rec, r.name, r.msgs, r.a, v);
      return true;
    }
    case 'G': {
      PvcsRevision& v = current(r, "%s: version text before version no.");
      v.whole = true;
      v.text = rec;
      return true;
    }
    case 'H': r.a.workName = std::string(stringOf(rec)); r.named = true; return true;
    case 'I': r.a.description = withoutCr(rec); return true;
    case 'O': current(r, "owner name before version no. (%s)").author = cleanOwner(stringOf(rec)); return true;
    case 'P': r.a.strict = rec.size() >= 2 && (rec[1] & 1); r.a.writeProtect = rec.size() >= 2 && (rec[1] & 2); return true;
    case 'R':
    case 'S': {
      const std::string_view who = stringOf(rec);
      const std::string number = dottedNumber(versionOf(rec.substr(std::min(rec.size(), who.size() + 1)), r.name, r.msgs));
      if (type == 'R') r.a.labels.emplace_back(cleanLabel(who), number);
      else r.a.locks.emplace_back(cleanAccess(who), number);
      return true;
    }
    case 'T': r.a.commentLeader = std::string(stringOf(rec)); return true;
    case 'V': r.a.access = cleanAccess(stringOf(rec)); return true;
    default: break;
  }
  return false;  // a type skipped by its length
}

bool knownType(char type) {
  const auto u = static_cast<unsigned char>(type);
  return std::strchr("BDEFGHIOPRSTV", type) != nullptr || type == '@' || type == 'A' || type == 'C' ||
         (type >= 'J' && type <= 'N') || type == 'Q' || type == 'U' || (type >= 'W' && type <= '_') || u == 0xE1 ||
         u == 0xE2;
}

}  // namespace

std::string dottedNumber(const std::vector<unsigned>& n) {
  std::string s;
  for (std::size_t i = 0; i < n.size(); ++i) s += (i ? "." : "") + std::to_string(n[i]);
  return s;
}

void readPvcsArchive(std::string_view bytes, const std::string& name, bool century, MessageBuffer& msgs,
                     PvcsArchive& out) {
  RecordReader in(bytes, name, msgs);
  Reading r{out, name, msgs, century};
  bool first = true;
  while (!in.atEnd()) {
    const char type = static_cast<char>(in.byte());
    if (first && (type == '\0' || !knownType(type)))
      msgs.fail(false, "%s: unknown record type '%c'; compressed?", name.c_str(), type);
    first = false;
    takeRecord(r, type, in.record(type));
  }
  if (out.revisions.empty()) msgs.fail(false, "%s: no revisions!?", name.c_str());
  if (!r.named) msgs.fail(false, "%s: no working file name!", name.c_str());
  for (const PvcsRevision& v : out.revisions) {
    if (!v.whole && v.commands.empty())
      msgs.fail(false, "%s: no text for rev %s", name.c_str(), dottedNumber(v.number).c_str());
    if (v.date.empty()) msgs.fail(false, "%s: no check-in date for rev %s", name.c_str(), dottedNumber(v.number).c_str());
  }
}

std::string cleanAccess(std::string_view names) {
  std::string out;
  std::size_t inName = 0;
  for (char c : names) {
    if (c == ',' || c == ';' || c == ' ') {
      if (!out.empty() && out.back() != ' ') out += ' ';
      inName = 0;
      continue;
    }
    if (c == ':' || c == '@') c = '_';
    if (inName == 0 && !std::isalnum(static_cast<unsigned char>(c))) c = '_';
    out += ++inName > 30 ? ' ' : c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string cleanLabel(std::string_view label) {
  std::string out;
  for (char c : label.substr(0, 30)) {
    const auto u = static_cast<unsigned char>(c);
    if (out.empty() ? !std::isalnum(u) : !(std::isalnum(u) || std::ispunct(u))) c = '_';
    out += c;
  }
  return out;
}

std::string cleanOwner(std::string_view owner) {
  std::string out;
  for (char c : owner) {
    const auto u = static_cast<unsigned char>(c);
    const bool keep = out.empty() ? std::isalnum(u) != 0
                                  : !(c == ' ' || std::iscntrl(u) || c == ',' || c == ':' || c == ';' || c == '@');
    if (keep) out += c;
  }
  return out.empty() ? "unknown" : cleanAccess(out);
}

}  // namespace orv::import
