// Option lines: an optional "Enforce" and an optional "No" run together with
// the option's name, then "=" and a value. Names beginning with worktoarch,
// workmap or autoaction are name=value pairs instead of options.
#include "vc/error_codes.h"
#include "vc/script/script_context.h"

#include <cctype>

namespace vc {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameChar(char c) { return isLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

bool takePrefix(const std::string& s, std::size_t& i, const char* word) {
  std::size_t n = std::char_traits<char>::length(word);
  if (s.size() - i < n) return false;
  for (std::size_t k = 0; k < n; ++k) {
    char c = s[i + k];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != word[k]) return false;
  }
  i += n;
  return true;
}

std::string trimRight(std::string s) {
  while (!s.empty() && isBlank(s.back())) s.pop_back();
  return s;
}

constexpr std::size_t kValueBufferSize = 500;

}  // namespace

int applyOptionLine(VcScriptContext& ctx, const std::string& line, const char* valueOverride) {
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i == line.size() || line[i] == '#') return 0;

  std::uint32_t flags = ctx.flags;
  if (takePrefix(line, i, "enforce")) flags |= kOptEnforce;
  if (takePrefix(line, i, "no")) flags |= kOptNo;
  if (i >= line.size() || !isLetter(line[i])) throw ScriptError("Illegal variable name");
  std::size_t nameStart = i;
  while (i < line.size() && isNameChar(line[i])) ++i;
  const std::string name = asciiLower(line.substr(nameStart, i - nameStart));

  // Pairs are recognised before anything after the name can be refused.
  std::size_t keywordLength = 0;
  if (auto kind = pairKindOf(name, &keywordLength)) {
    std::size_t p = nameStart + keywordLength;
    while (p < line.size() && isBlank(line[p])) ++p;
    std::size_t eq = line.find('=', p);
    std::string pairName, value;
    if (valueOverride) {
      pairName = trimRight(line.substr(p));
      value = valueOverride;
    } else {
      if (eq == std::string::npos) return err::kBadOptionLine;
      pairName = trimRight(line.substr(p, eq - p));
      value = trimRight(expandText(ctx, line.substr(eq + 1), kValueBufferSize));
    }
    if (pairName.empty()) {
      // Only the keyword stood before "=": the value holds name=value.
      std::size_t inner = value.find('=');
      if (inner == std::string::npos) return err::kBadOptionLine;
      pairName = trimRight(value.substr(0, inner));
      std::size_t v = inner + 1;
      while (v < value.size() && isBlank(value[v])) ++v;
      value = value.substr(v);
    }
    if (pairName.empty()) return err::kBadOptionLine;
    ctx.target->setPair(*kind, pairName, value);
    return 0;
  }

  std::optional<std::string> value;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (valueOverride) {
    value = std::string(valueOverride);
  } else if (i < line.size() && line[i] == '=') {
    value = trimRight(expandText(ctx, line.substr(i + 1), kValueBufferSize));
  } else if (i < line.size() && line[i] != '#') {
    return err::kBadOptionLine;
  }
  switch (setOption(*ctx.target, name, value, flags)) {
    case SetResult::Enforced:
      return err::kOptionEnforced;
    case SetResult::EqualValue:
      if (ctx.instance) ctx.instance->extraError = -1;
      return 0;
    default:
      return 0;
  }
}

}  // namespace vc
