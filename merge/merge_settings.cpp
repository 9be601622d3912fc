// The merge program's settings (see merge_settings.h).
#include "merge/merge_settings.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/profile/profile.h"

namespace orv::merge {

namespace {

using orv::profile::getProfileInt;
using orv::profile::getProfileString;
using orv::profile::writeProfileString;

const char* const kColourKeys[6] = {"NORMAL_LINES", "CHANGED_LINES", "ADDED_LINES",
                                    "DELETED_LINES", "FILE1_LINES", "FILE2_LINES"};

std::vector<std::string> fields(const std::string& value) {
  std::vector<std::string> out(1);
  for (char c : value) {
    if (c == ',')
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

bool number(const std::string& s, long& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  out = std::strtol(s.c_str(), &end, 10);
  return *end == '\0';
}

int writeInt(const std::string& ini, const char* section, const char* key, long v) {
  return writeProfileString(ini, section, key, std::to_string(v).c_str());
}

}  // namespace

ColourTable defaultColours() {
  ColourTable t{};
  t[0] = {false, 0x000000, 0xFFFFFF};
  t[1] = {false, 0x000000, 0x00FFFF};
  t[2] = {false, 0x000000, 0x00FF00};
  t[3] = {false, 0x000000, 0x0000FF};
  t[4] = {false, 0xFF0000, 0xC0C0C0};
  t[5] = {false, 0x000080, 0xC0C0C0};
  t[6] = t[0];
  return t;
}

FontSpec parseFont(const std::string& value) {
  const std::vector<std::string> f = fields(value);
  FontSpec font;
  if (value.empty() || (f.size() != 8 && f.size() != 6)) return font;
  long n[7] = {};
  for (std::size_t i = 1; i < f.size(); ++i)
    if (!number(f[i], n[i - 1])) return FontSpec{};
  font.system = false;
  font.face = f[0].substr(0, 31);
  font.height = static_cast<int>(n[0]);
  font.italic = static_cast<int>(n[1]);
  font.weight = static_cast<int>(n[2]);
  font.charSet = static_cast<int>(n[3]);
  font.pitchAndFamily = static_cast<int>(n[4]);
  font.width = static_cast<int>(n[5]);
  font.pointSize = static_cast<int>(n[6]);
  return font;
}

std::string formatFont(const FontSpec& f) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%s,%d,%d,%d,%d,%d,%d,%d", f.face.c_str(), f.height, f.italic, f.weight, f.charSet,
                f.pitchAndFamily, f.width, f.pointSize);
  return buf;
}

MergeSettings loadSettings(const std::string& ini) {
  MergeSettings s;
  s.viewMode = static_cast<int>(getProfileInt(ini, "View", "View", 3));
  if (s.viewMode < 0 || s.viewMode > 3) s.viewMode = 3;
  s.lineNumbers = getProfileInt(ini, "View", "LineNumbers", 1) != 0;
  s.commonLines = getProfileInt(ini, "View", "CommonLines", 1) != 0;
  s.options.ignoreCase = getProfileInt(ini, "Options", "IgnoreCase", 0) != 0;
  s.options.ignoreBlanks = getProfileInt(ini, "Options", "IgnoreBlanks", 0) != 0;
  s.options.ignoreWhiteSpace = getProfileInt(ini, "Options", "IgnoreWhiteSpace", 0) != 0;
  s.preserveFileCase = getProfileString(ini, "Options", "PreserveFileCase", "yes") == "yes";
  s.commentBegin = getProfileString(ini, "Options", "CommentBegin", "/*").substr(0, 24);
  s.commentEnd = getProfileString(ini, "Options", "CommentEnd", "*/").substr(0, 24);
  s.saveFormat = getProfileInt(ini, "Options", "SaveFileFormat", 1) == 2 ? 2 : 1;
  for (int i = 0; i < 6; ++i) {
    const std::vector<std::string> f = fields(getProfileString(ini, "Colours", kColourKeys[i], ""));
    long fg = 0, bg = 0;
    if (f.size() == 2 && number(f[0], fg) && number(f[1], bg)) s.colours[static_cast<std::size_t>(i)] = {true, fg, bg};
  }
  s.colours[6] = s.colours[0];
  s.font = parseFont(getProfileString(ini, "Fonts", "NormalView", ""));
  return s;
}

int saveViewAndOptions(const std::string& ini, const MergeSettings& s) {
  int e = writeInt(ini, "View", "View", s.viewMode);
  if (!e) e = writeInt(ini, "View", "LineNumbers", s.lineNumbers);
  if (!e) e = writeInt(ini, "View", "CommonLines", s.commonLines);
  if (!e) e = writeInt(ini, "Options", "IgnoreCase", s.options.ignoreCase);
  if (!e) e = writeInt(ini, "Options", "IgnoreBlanks", s.options.ignoreBlanks);
  if (!e) e = writeInt(ini, "Options", "IgnoreWhiteSpace", s.options.ignoreWhiteSpace);
  return e;
}

int saveComments(const std::string& ini, const MergeSettings& s) {
  int e = writeProfileString(ini, "Options", "CommentBegin", s.commentBegin.substr(0, 24).c_str());
  if (!e) e = writeProfileString(ini, "Options", "CommentEnd", s.commentEnd.substr(0, 24).c_str());
  return e;
}

int saveColours(const std::string& ini, const MergeSettings& s) {
  for (int i = 0; i < 6; ++i) {
    const LineColours& c = s.colours[static_cast<std::size_t>(i)];
    char buf[64];
    std::snprintf(buf, sizeof buf, "%ld,%ld", c.foreground, c.background);
    if (int e = writeProfileString(ini, "Colours", kColourKeys[i], buf)) return e;
  }
  return 0;
}

int saveFont(const std::string& ini, const MergeSettings& s) {
  if (s.font.system) return 0;
  return writeProfileString(ini, "Fonts", "NormalView", formatFont(s.font).c_str());
}

namespace {

// 1 for CR LF, 2 for LF, 0 when the file has no line end (or cannot be read).
int firstLineEnd(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char previous = 0, c = 0;
  while (in.get(c)) {
    if (c == '\n') return previous == '\r' ? 1 : 2;
    previous = c;
  }
  return 0;
}

}  // namespace

int inputSaveFormat(const std::string& file1, const std::string& file2) {
  for (const std::string* f : {&file1, &file2})
    if (const int format = firstLineEnd(*f)) return format;
  return 2;
}

int saveFormatIfChanged(const std::string& ini, int before, int after) {
  return before == after ? 0 : writeInt(ini, "Options", "SaveFileFormat", after);
}

std::string caseAdjusted(const std::string& name, bool preserveFileCase) {
  if (preserveFileCase) return name;
  std::string out = name;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace orv::merge
