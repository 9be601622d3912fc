// Writes PVCS archives for the importer's tests from declared revisions and
// their full texts, by the record layout the importer reads: typed records
// with two- or four-byte lengths, string records with a one-byte length,
// version numbers as counts of 16-bit numbers (each field after the first
// stored one less than the archive's), DOS packed dates, and deltas as copy,
// seek, insert and end commands against the text of the revision each is
// based on.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace pvcstest {

inline std::string length(unsigned long n) {
  std::string s;
  if (n < 0x8000) {
    s += static_cast<char>(n >> 8);
    s += static_cast<char>(n & 0xFF);
  } else {
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((n >> shift) & 0xFF);
    s[0] = static_cast<char>(s[0] | 0x80);
  }
  return s;
}

inline std::string str(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }

// Stored numbers: the archive's with every field after the first less one.
inline std::string version(const std::vector<unsigned>& archiveNumber) {
  std::string s(1, static_cast<char>(archiveNumber.size()));
  for (std::size_t i = 0; i < archiveNumber.size(); ++i) {
    const unsigned v = archiveNumber[i] - (i ? 1 : 0);
    s += static_cast<char>(v >> 8);
    s += static_cast<char>(v & 0xFF);
  }
  return s;
}

inline std::string command(char kind, unsigned long bytes, unsigned long lines, const std::string& data = "") {
  return std::string(1, kind) + length(bytes) + length(lines) + data;
}

inline unsigned long lineCount(const std::string& s) {
  unsigned long n = 0;
  for (char c : s) n += c == '\n';
  return n;
}

inline std::vector<std::string> splitLines(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < s.size();) {
    std::size_t nl = s.find('\n', at);
    nl = nl == std::string::npos ? s.size() : nl + 1;
    out.push_back(s.substr(at, nl - at));
    at = nl;
  }
  return out;
}

// The commands that make `own` from `base`: the common beginning and end
// copied, the middle inserted. With `backwards`, a middle that begins with
// base's first line copies that line again (a seek back) instead.
inline std::string delta(const std::string& base, const std::string& own, bool backwards = false) {
  const auto bl = splitLines(base), ol = splitLines(own);
  std::size_t p = 0, q = 0;
  while (p < bl.size() && p < ol.size() && bl[p] == ol[p]) ++p;
  while (q < bl.size() - p && q < ol.size() - p && bl[bl.size() - 1 - q] == ol[ol.size() - 1 - q]) ++q;
  std::string head, tail, middle;
  for (std::size_t i = 0; i < p; ++i) head += bl[i];
  for (std::size_t i = bl.size() - q; i < bl.size(); ++i) tail += bl[i];
  for (std::size_t i = p; i < ol.size() - q; ++i) middle += ol[i];
  std::string out = command('c', head.size(), p);
  if (backwards && !bl.empty() && middle.compare(0, bl[0].size(), bl[0]) == 0) {
    out += command('s', 0, 0) + command('c', bl[0].size(), 1);
    middle.erase(0, bl[0].size());
  }
  if (!middle.empty()) out += command('i', middle.size(), lineCount(middle), middle);
  out += command('s', base.size() - tail.size(), bl.size() - q);
  out += command('c', tail.size(), q);
  return out + command('e', base.size(), bl.size());
}

struct Revision {
  std::vector<unsigned> number;  // the archive's number
  std::string text;              // the full text
  std::string log = "log";
  std::string owner = "ann";
  unsigned dosDate = (16u << 9) | (5u << 5) | 1u;  // 1996-05-01
  unsigned dosTime = (13u << 11) | (45u << 5) | 10u;  // 13:45:20
  int base = -1;               // index of the revision its delta is based on; -1 stored whole
  bool backwards = false;
};

class Builder {
 public:
  void record(char type, const std::string& content) {
    bytes += type;
    if (type != '@') bytes += length(content.size());
    bytes += content;
  }
  void revision(const Revision& r, const std::vector<Revision>& all) {
    record('B', version(r.number));
    std::string d;
    for (unsigned w : {r.dosDate, r.dosTime}) {
      d += static_cast<char>(w >> 8);
      d += static_cast<char>(w & 0xFF);
    }
    record('D', d);
    record('E', r.log);
    record('O', str(r.owner));
    if (r.base < 0)
      record('G', r.text);
    else
      record('F', delta(all[static_cast<std::size_t>(r.base)].text, r.text, r.backwards));
  }
  std::string bytes;
};

}  // namespace pvcstest
