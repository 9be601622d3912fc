// Support shared by the importers (see import_support.h).
#include "import/support/import_support.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "platform/sys/system_calls.h"
#include "vc/tokens/token_rules.h"

namespace orv::import {

void MessageBuffer::fail(bool systemError, const char* format, ...) {
  const int saved = errno;
  char buf[512];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  text_ = buf;
  if (systemError) {
    const char* why = saved ? std::strerror(saved) : nullptr;
    char tail[64];
    if (!why) std::snprintf(tail, sizeof tail, "error %d", saved);
    text_ += ": ";
    text_ += why ? why : tail;
  }
  if (text_.size() > 511) text_.resize(511);
  throw ImportError{};
}

int MessageBuffer::copyOut(char* buf, int len) const {
  if (!buf || len <= 0) return text_.empty() ? 1 : 0;
  const auto room = static_cast<std::size_t>(len - 1);
  if (text_.size() <= room) {
    std::memcpy(buf, text_.data(), text_.size());
    buf[text_.size()] = '\0';
    return 1;
  }
  const std::size_t cut = len >= 2 ? static_cast<std::size_t>(len - 2) : 0;
  std::memcpy(buf, text_.data(), cut);
  buf[cut] = '\0';
  return 0;
}

std::string safeName(std::string_view name) {
  auto keeps = [](char c, bool first) {
    if (c == '"') return false;
    if (!first) return vc::isNameTailChar(c);
    return c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  };
  bool whole = true;
  for (std::size_t i = 0; i < name.size() && whole; ++i) whole = keeps(name[i], i == 0);
  if (whole) return std::string(name);
  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    const auto u = static_cast<unsigned char>(name[i]);
    std::size_t len = 1;
    // A UTF-8 sequence: its lead byte and as many continuation bytes as it
    // announces, all present.
    const std::size_t want = u >= 0xC2 && u <= 0xDF ? 2 : u >= 0xE0 && u <= 0xEF ? 3 : u >= 0xF0 && u <= 0xF4 ? 4 : 1;
    if (want > 1 && i + want <= name.size()) {
      bool ok = true;
      for (std::size_t k = 1; k < want; ++k) ok = ok && (static_cast<unsigned char>(name[i + k]) & 0xC0) == 0x80;
      if (ok) len = want;
    }
    out += len == 1 && keeps(name[i], out.empty()) ? name[i] : '_';
    i += len;
  }
  return out;
}

std::string NameChanges::safe(std::string_view name) {
  std::string s = safeName(name);
  if (s != name) {
    bool known = false;
    for (const auto& [from, to] : changes_) known = known || from == name;
    if (!known) changes_.emplace_back(std::string(name), s);
  }
  return s;
}

std::string NameChanges::note() const {
  std::string n = "Names changed on import to suit the archive:";
  for (std::size_t i = 0; i < changes_.size(); ++i)
    n += (i ? ", \"" : " \"") + changes_[i].first + "\" as \"" + changes_[i].second + "\"";
  return n + ".\n";
}

void appendAtText(std::string& out, std::string_view text) {
  for (char c : text) {
    out += c;
    if (c == '@') out += '@';
  }
}

std::string commentLeader(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return "# ";
  std::string ext;
  for (char c : fileName.substr(dot + 1)) ext += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  struct Row {
    const char* leader;
    std::initializer_list<const char*> extensions;
  };
  static const Row rows[] = {
      {"; ", {"asm"}},
      {"REM ", {"bat"}},
      {" * ", {"c", "h", "hp", "inc", "p", "pas", "y"}},
      {"//", {"cpp", "hpp"}},
      {"# ", {"csh", "ksh", "s", "sh"}},
      {"C     ", {"f", "for"}},
      {"*", {"fmt", "prg"}},
  };
  for (const Row& r : rows)
    for (const char* e : r.extensions)
      if (ext == e) return r.leader;
  return "";
}

bool archiveDate(const std::string& date, const std::string& time, std::string& out) {
  std::string joined = date + " " + time;
  unsigned fields[6] = {};
  int n = 0;
  std::size_t i = 0;
  while (i < joined.size() && n < 6) {
    if (joined[i] < '0' || joined[i] > '9') {
      ++i;
      continue;
    }
    unsigned v = 0;
    std::size_t digits = 0;
    while (i < joined.size() && joined[i] >= '0' && joined[i] <= '9' && digits < 9) {
      v = v * 10 + static_cast<unsigned>(joined[i++] - '0');
      ++digits;
    }
    fields[n++] = v;
  }
  if (n != 6) return false;
  char buf[64];
  const unsigned year = fields[0] < 100 ? (fields[0] >= 69 ? fields[0] : 2000 + fields[0]) : fields[0];
  std::snprintf(buf, sizeof buf, "%02u.%02u.%02u.%02u.%02u.%02u", year, fields[1], fields[2], fields[3], fields[4],
                fields[5]);
  out = buf;
  return true;
}

ArchiveOutput::ArchiveOutput(MessageBuffer& msgs, std::string path, bool readOnly, const char* exists)
    : msgs_(msgs), path_(std::move(path)), exists_(exists) {
  struct stat st {};
  if (orv::sys::calls().lstat(path_.c_str(), &st) == 0) msgs_.fail(false, exists_, path_.c_str());
  if (int e = writer_.begin(path_, readOnly ? 0444 : 0666)) {
    errno = e;
    msgs_.fail(true, "unable to open output file %s", path_.c_str());
  }
}

void ArchiveOutput::write(std::string_view text) {
  written_.append(text);
  pending_.append(text);
  if (pending_.size() < (1u << 16)) return;
  if (int e = writer_.write(pending_)) {
    errno = e;
    msgs_.fail(true, "unable to write output file %s", path_.c_str());
  }
  pending_.clear();
}

void ArchiveOutput::commit() {
  int e = writer_.write(pending_);
  pending_.clear();
  if (!e) e = writer_.commit();
  if (e == EEXIST) msgs_.fail(false, exists_, path_.c_str());
  if (e) {
    errno = e;
    msgs_.fail(true, "unable to write output file %s", path_.c_str());
  }
}

}  // namespace orv::import
