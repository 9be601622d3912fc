// Text expansion of the script language and variable lookup.
//
// A text is copied into a buffer of a given size with "$" escapes replaced:
// "$$", "$#" and "$\"" give their second character, "$(name)" a variable's
// value and "$name(arguments)" a function's result. The arguments of a
// function are expanded the same way up to the matching ")" (parentheses in
// between are counted) and handed to the function whole; functions split
// them at "," themselves, after expansion. A "#" ends the text wherever it
// stands, also inside quotes; "$#" writes one.
#include "vc/config/option_lookup.h"
#include "vc/script/script_context.h"
#include "vc/script/expression/expression_environment.h"

namespace vc {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameChar(char c) { return isLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

// Room rules: a literal character needs 4 bytes left in the buffer, an
// inserted value 2 (the terminator's byte included).
bool roomForLiteral(const std::string& out, std::size_t size) {
  return size >= out.size() + 4;
}

void insertValue(std::string& out, const std::string& value, std::size_t size) {
  for (char v : value) {
    if (size < out.size() + 2) return;
    out += v;
  }
}

// Expands text from pos into out. Stops at the end, at "#", at the closing
// quote (consumed) when quote is set, or, when inArguments, at the ")" that
// closes the argument list (consumed). When the buffer fills, full is set and
// the whole expansion ends there: nothing after it is looked at, so no later
// function runs. Throws ScriptError for a bad "$".
void expandInto(VcScriptContext& ctx, const std::string& text, std::size_t& pos, std::size_t size,
                char quote, bool inArguments, std::string& out, bool& full) {
  int depth = 0;
  while (pos < text.size() && !full) {
    const char c = text[pos];
    if (c == '#') return;
    if (!roomForLiteral(out, size)) {
      full = true;
      return;
    }
    if (quote && c == quote) {
      ++pos;
      return;
    }
    if (inArguments) {
      if (c == ')' && depth == 0) {
        ++pos;
        return;
      }
      if (c == '(') ++depth;
      if (c == ')') --depth;
    }
    if (c != '$') {
      out += c;
      ++pos;
      continue;
    }
    const char n = pos + 1 < text.size() ? text[pos + 1] : '\0';
    if (n == '"' || n == '$' || n == '#') {
      out += n;
      pos += 2;
      continue;
    }
    if (n == '(') {
      std::size_t p = pos + 2;
      if (p >= text.size() || !isLetter(text[p])) throw ScriptError("Bad name in ()");
      std::size_t e = p;
      while (e < text.size() && isNameChar(text[e])) ++e;
      if (e >= text.size() || text[e] != ')') throw ScriptError("Bad $(<variable>)");
      std::string storage;
      if (const std::string* value = variableValue(ctx, text.substr(p, e - p), storage))
        insertValue(out, *value, size);
      pos = e + 1;
      continue;
    }
    if (isLetter(n)) {
      std::size_t e = pos + 1;
      while (e < text.size() && isNameChar(text[e])) ++e;
      if (e >= text.size() || text[e] != '(') throw ScriptError("Bad $operator");
      const std::string name = text.substr(pos + 1, e - pos - 1);
      pos = e + 1;
      std::string arguments;
      expandInto(ctx, text, pos, size, 0, true, arguments, full);
      if (full) return;
      std::string result = callScriptFunction(ctx, name, arguments, size);
      if (size > 0 && result.size() > size - 1) result.resize(size - 1);
      insertValue(out, result, size);
      continue;
    }
    throw ScriptError("Bad $");
  }
}

}  // namespace

const std::string* variableValue(VcScriptContext& ctx, const std::string& name,
                                 std::string& storage) {
  if (auto parameter = vc::findExpressionParameter(ctx.parameters, name)) {
    storage = std::move(*parameter);
    return &storage;
  }
  OptionHit hit = lookupOption(ctx.lists, asciiLower(name));
  if (!hit.option || !hit.option->value) return nullptr;
  return &*hit.option->value;
}

std::string expandText(VcScriptContext& ctx, const std::string& text, std::size_t size) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  char quote = 0;
  if (pos < text.size() && (text[pos] == '\'' || text[pos] == '"')) quote = text[pos++];
  bool full = false;
  expandInto(ctx, text, pos, size, quote, false, out, full);
  if (!quote)
    while (!out.empty() && isBlank(out.back())) out.pop_back();
  return out;
}

}  // namespace vc
