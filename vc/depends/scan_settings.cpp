// Languages, the extension table and the recognition of include lines.
#include "vc/depends/scan_settings.h"

#include "vc/depends/include_syntax.h"
#include "vc/project/project_file.h"
#include "vc/project/project_members.h"

#include <cstring>

namespace vc {
namespace {

ScanSettings g_settings;

struct TableEntry {
  const char* extension;
  const char* target;
  int language;
};
constexpr TableEntry kExtensions[] = {
    {"h", "", kLanguageC},          {"rc", "", kLanguageC},         {"c", "obj", kLanguageC},
    {"hpp", "", kLanguageC},        {"cpp", "obj", kLanguageC},     {"asm", "obj", kLanguageAssembler},
    {"l", "obj", kLanguageC},       {"s", "obj", kLanguageAssembler}, {"pas", "obj", kLanguagePascal},
    {"p", "obj", kLanguagePascal},  {"for", "obj", kLanguageFortran}, {"f", "obj", kLanguageFortran},
    {"y", "obj", kLanguageC},
};

bool sameWithoutCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldAsciiChar(a[i]) != foldAsciiChar(b[i])) return false;
  return true;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool keywordAt(std::string_view line, std::size_t at, const LanguageSyntax& lang) {
  const std::size_t n = std::strlen(lang.keyword);
  if (line.size() - at < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = line[at + i];
    if (lang.exactCase ? c != lang.keyword[i] : foldAsciiChar(c) != lang.keyword[i]) return false;
  }
  return true;
}

}  // namespace

char foldAsciiChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const LanguageSyntax& languageSyntax(int language) {
  static const LanguageSyntax kLanguages[] = {
      {"\"><", true, true, "include", true, "#", -1, false},
      {"\"'><", true, true, "include", false, "$#", 6, true},
      {"\"'><", true, true, "include", false, "#$", -1, true},
      {"\"><", false, true, "include", false, "", -1, false},
      {"", false, false, nullptr, false, "", -1, false},
  };
  return kLanguages[language >= 0 && language <= kLanguageNone ? language : kLanguageNone];
}

ScanSettings& scanSettings() { return g_settings; }
void clearScanSettings() { g_settings = ScanSettings{}; }

std::optional<std::string> fileExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::nullopt;
  const std::size_t sep = name.find_last_of("/\\");
  const std::size_t base = sep == std::string::npos ? 0 : sep + 1;
  if (dot <= base) return std::nullopt;  // before the last separator, or the name's first character
  return name.substr(dot + 1);
}

ExtensionInfo extensionInfo(const std::string& fileName) {
  ExtensionInfo info;
  const std::optional<std::string> ext = fileExtension(fileName);
  if (!ext) return info;
  if (g_settings.targetExtSet) {
    for (const std::string& entry : g_settings.targetExt) {
      const std::size_t dash = entry.find('-');
      if (dash == std::string::npos || dash == 0) continue;
      if (ext->compare(0, dash, entry, 0, dash) != 0 || ext->size() < dash) continue;
      info.known = true;
      info.target = entry.substr(dash + 1);
      info.language = kLanguageC;
      return info;
    }
    return info;
  }
  for (const TableEntry& e : kExtensions)
    if (sameWithoutCase(*ext, e.extension)) {
      info.known = true;
      info.target = e.target;
      info.language = e.language;
      return info;
    }
  return info;
}

std::optional<int> memberLanguage(const VcMember& m) {
  if (m.rules) {
    static const std::pair<const char*, int> kNames[] = {
        {"c", kLanguageC}, {"c++", kLanguageC}, {"fortran", kLanguageFortran},
        {"asm", kLanguageAssembler}, {"pascal", kLanguagePascal}};
    const std::string& rules = *m.rules;
    std::size_t start = 0;
    while (start <= rules.size()) {
      std::size_t end = rules.find(',', start);
      if (end == std::string::npos) end = rules.size();
      const std::string field = rules.substr(start, end - start);
      if (field.compare(0, 9, "language=") == 0)
        for (const auto& [name, number] : kNames)
          if (field.substr(9) == name) return number;
      start = end + 1;
    }
  }
  const ExtensionInfo info = extensionInfo(m.name);
  if (info.known) return info.language;
  return std::nullopt;
}

std::optional<std::string> includeToken(std::string_view line, int language) {
  const LanguageSyntax& lang = languageSyntax(language);
  if (!lang.keyword || line.size() < 5) return std::nullopt;
  std::size_t i = 0;
  int column = 0;
  while (i < line.size() && isSpace(line[i])) {
    column = line[i] == '\t' ? (column / 8 + 1) * 8 : column + 1;
    ++i;
  }
  const std::size_t keywordLength = std::strlen(lang.keyword);
  bool atKeyword = false;
  if (lang.column >= 0) {
    if (column == lang.column && keywordAt(line, i, lang)) atKeyword = true;
    else if (!*lang.prefixes) return std::nullopt;
  }
  if (!atKeyword) {
    if (*lang.prefixes) {
      if (i >= line.size() || !std::strchr(lang.prefixes, line[i]) || line[i] == '\0') return std::nullopt;
      ++i;
      while (i < line.size() && isSpace(line[i])) ++i;
    }
    if (!keywordAt(line, i, lang)) return std::nullopt;
  }
  i += keywordLength;
  if (i >= line.size() || !isSpace(line[i])) return std::nullopt;
  while (i < line.size() && isSpace(line[i])) ++i;
  std::size_t end = i;
  while (end < line.size() && !isSpace(line[end])) ++end;
  std::string token(line.substr(i, end - i));
  if (lang.dropTrailingPrefix && !token.empty() && token.back() == lang.prefixes[0]) token.pop_back();
  if (token.empty()) return std::nullopt;
  if (lang.openingRequired && !std::strchr(lang.opening, token[0])) return std::nullopt;
  return token;
}

}  // namespace vc
