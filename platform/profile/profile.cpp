// Private-profile (INI) reader and writer (see profile.h).
#include "platform/profile/profile.h"

#include "platform/fs/replace_file.h"
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace orv::profile {
namespace {

bool equalsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::string trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// The section name of a header line "[name]", or nothing.
std::optional<std::string> headerName(const std::string& line) {
  std::string t = trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return trim(t.substr(1, close - 1));
}

// The key of an entry line "key=value", or nothing (comments and others).
std::optional<std::string> entryKey(const std::string& line) {
  std::string t = trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  std::size_t eq = t.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return trim(t.substr(0, eq));
}

}  // namespace

bool ProfileFile::load(const std::string& path) {
  path_ = path;
  lines_.clear();
  std::string text;
  if (int e = sys::readWholeFile(path, text)) return e == ENOENT;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(line);
  }
  return true;
}

int ProfileFile::save() const {
  std::string text;
  for (const std::string& l : lines_) text += l + "\n";
  return fs::replaceFileContents(path_, text);
}

long ProfileFile::findSection(const std::string& section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = headerName(lines_[i]);
    if (name && equalsNoCase(*name, section)) return static_cast<long>(i);
  }
  return -1;
}

std::size_t ProfileFile::sectionEnd(long header) const {
  std::size_t i = static_cast<std::size_t>(header) + 1;
  while (i < lines_.size() && !headerName(lines_[i])) ++i;
  return i;
}

long ProfileFile::findKey(long header, const std::string& key) const {
  if (header < 0) return -1;
  std::size_t end = sectionEnd(header);
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
    auto k = entryKey(lines_[i]);
    if (k && equalsNoCase(*k, key)) return static_cast<long>(i);
  }
  return -1;
}

std::optional<std::string> ProfileFile::get(const std::string& section,
                                            const std::string& key) const {
  long at = findKey(findSection(section), key);
  if (at < 0) return std::nullopt;
  const std::string& line = lines_[static_cast<std::size_t>(at)];
  std::string value = trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return value;
}

// Texts that would not read back as written: a section name holding ']',
// a key holding '=' (or empty), and a line end anywhere.
static bool writable(const std::string& section, const std::string& key, const std::string& value) {
  auto hasLineEnd = [](const std::string& t) { return t.find_first_of("\r\n") != std::string::npos; };
  return section.find(']') == std::string::npos && !key.empty() && key.find('=') == std::string::npos &&
         !hasLineEnd(section) && !hasLineEnd(key) && !hasLineEnd(value);
}

bool ProfileFile::set(const std::string& section, const std::string& key,
                      const std::string& value) {
  if (!writable(section, key, value)) return false;
  long header = findSection(section);
  if (header < 0) {
    lines_.push_back("[" + section + "]");
    lines_.push_back(key + "=" + value);
    return true;
  }
  long at = findKey(header, key);
  if (at >= 0) {
    lines_[static_cast<std::size_t>(at)] = key + "=" + value;
    return true;
  }
  // After the section's last non-blank line, so blank separators stay between sections.
  std::size_t end = sectionEnd(header);
  std::size_t insert = end;
  while (insert > static_cast<std::size_t>(header) + 1 && trim(lines_[insert - 1]).empty()) --insert;
  lines_.insert(lines_.begin() + static_cast<long>(insert), key + "=" + value);
  return true;
}

bool ProfileFile::removeKey(const std::string& section, const std::string& key) {
  long at = findKey(findSection(section), key);
  if (at < 0) return false;
  lines_.erase(lines_.begin() + at);
  return true;
}

bool ProfileFile::removeSection(const std::string& section) {
  long header = findSection(section);
  if (header < 0) return false;
  std::size_t end = sectionEnd(header);
  lines_.erase(lines_.begin() + header, lines_.begin() + static_cast<long>(end));
  return true;
}

std::vector<std::string> ProfileFile::sections() const {
  std::vector<std::string> out;
  for (const std::string& l : lines_)
    if (auto n = headerName(l)) out.push_back(*n);
  return out;
}

std::vector<std::string> ProfileFile::keys(const std::string& section) const {
  std::vector<std::string> out;
  long header = findSection(section);
  if (header < 0) return out;
  std::size_t end = sectionEnd(header);
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i)
    if (auto k = entryKey(lines_[i])) out.push_back(*k);
  return out;
}

std::string getProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue) {
  ProfileFile p;
  p.load(file);
  return p.get(section, key).value_or(defaultValue);
}

long getProfileInt(const std::string& file, const std::string& section, const std::string& key,
                   long defaultValue) {
  ProfileFile p;
  p.load(file);
  auto v = p.get(section, key);
  if (!v) return defaultValue;
  const char* s = v->c_str();
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(s, &end, 10);
  if (end == s || errno == ERANGE) return defaultValue;
  return n;
}

int writeProfileString(const std::string& file, const std::string& section, const char* key,
                       const char* value) {
  ProfileFile p;
  if (!p.load(file)) return errno ? errno : EIO;
  if (!key) {
    if (!p.removeSection(section)) return 0;
  } else if (!value) {
    if (!p.removeKey(section, key)) return 0;
  } else if (!p.set(section, key, value)) {
    return EINVAL;
  }
  return p.save();
}

}  // namespace orv::profile
