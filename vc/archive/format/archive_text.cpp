// '@' doubling, text loading and extension attributes.
#include "vc/archive/format/archive_text.h"

#include <new>

#include "vc/error_codes.h"
#include "vc/archive/format/byte_stream.h"

namespace vc::archive {

std::string doubleAt(std::string_view plain) {
  std::string out;
  out.reserve(plain.size());
  for (char c : plain) {
    out.push_back(c);
    if (c == '@') out.push_back('@');
  }
  return out;
}

std::string undoubleAt(std::string_view stored) {
  std::string out;
  out.reserve(stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    out.push_back(stored[i]);
    if (stored[i] == '@' && i + 1 < stored.size() && stored[i + 1] == '@') ++i;
  }
  return out;
}

int loadText(const ArchiveFile& a, const TextRecord& t, std::string& stored) {
  if (t.inMemory()) {
    stored = *t.data;
    return 0;
  }
  stored.clear();
  if (t.storedLength == 0) return 0;
  ByteSource* src = t.source ? t.source : a.source;
  if (!t.hasOffset() || !src) return err::kCatastrophe;
  try {
    stored.resize(t.storedLength);
  } catch (const std::bad_alloc&) {
    return err::kNoMemory;
  }
  uint64_t done = 0;
  while (done < t.storedLength) {
    size_t got = 0;
    if (int rc = src->readAt(t.offset + done, stored.data() + done, t.storedLength - done, got)) return rc;
    if (got == 0) return err::kArchiveRead;  // the file is shorter than the record says
    done += got;
  }
  return 0;
}

int ensureInMemory(const ArchiveFile& a, TextRecord& t) {
  if (t.inMemory()) return 0;
  std::string s;
  if (int rc = loadText(a, t, s)) return rc;
  t.data = std::move(s);
  return 0;
}

std::string encodeExtAttributes(const std::vector<ExtAttribute>& attrs) {
  std::string out;
  for (const ExtAttribute& x : attrs) {
    out += x.name;
    out += ' ';
    if (x.isReference) {
      out += "rev ";
      out += x.revision;
    } else {
      out += std::to_string(x.data.size());
      out += ' ';
      out += x.data;
    }
    out += ' ';
  }
  out += '\n';
  return out;
}

bool decodeExtAttributes(std::string_view s, std::vector<ExtAttribute>& attrs) {
  attrs.clear();
  auto word = [&](size_t& p, std::string& w) {
    size_t start = p;
    while (p < s.size() && s[p] != ' ' && s[p] != '\n') ++p;
    if (p == start || p >= s.size() || s[p] != ' ') return false;
    w.assign(s.substr(start, p - start));
    ++p;  // the blank
    return true;
  };
  size_t p = 0;
  while (p < s.size() && s[p] != '\n') {
    ExtAttribute x;
    std::string kind;
    if (!word(p, x.name) || !word(p, kind)) return false;
    if (kind == "rev") {
      x.isReference = true;
      if (!word(p, x.revision)) return false;
    } else {
      uint64_t n = 0;
      for (char c : kind) {
        if (c < '0' || c > '9' || n > s.size()) return false;
        n = n * 10 + static_cast<uint64_t>(c - '0');
      }
      if (n > s.size() - p || p + n >= s.size() || s[p + n] != ' ') return false;
      x.data.assign(s.substr(p, n));
      p += n + 1;
    }
    attrs.push_back(std::move(x));
  }
  return p + 1 == s.size() && s[p] == '\n';
}

}  // namespace vc::archive
