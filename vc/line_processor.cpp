// The line processor: comments, block definitions, `set`, `done` and option
// lines. The statement keywords are recognised here so that option lines
// never take their place; statements other than the ones above are run by
// the script-language module (until it is present they do nothing).
#include "error_codes.h"
#include "option_lookup.h"
#include "script_context.h"

namespace vc {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

const char* const kKeywords[] = {"if",      "elseif", "else",    "endif",     "echo",
                                 "exec",    "exit",   "done",    "read",      "trace",
                                 "block",   "end",    "call",    "return",    "temporary",
                                 "set",     "headers", "sources", "objects",  "projectfiles",
                                 "depends", "template", "system"};

bool allLevelsActive(const VcScriptContext& ctx) {
  for (int l = 0; l <= ctx.level; ++l)
    if (ctx.state[l] == 0 || (ctx.state[l] & 4)) return false;
  return true;
}

void traceLine(VcScriptContext& ctx, const std::string& line) {
  if (ctx.trace && ctx.instance && ctx.instance->callbacks.echoTrace)
    ctx.instance->callbacks.echoTrace(line.c_str(), ctx.sourceName.c_str(), ctx.lineNumber, 1);
}

}  // namespace

void reportScriptError(VcScriptContext& ctx, const std::string& message) {
  if (ctx.instance && ctx.instance->callbacks.echoTrace)
    ctx.instance->callbacks.echoTrace(message.c_str(), ctx.sourceName.c_str(), ctx.lineNumber, 2);
}

void attachDefinedBlocks(VcScriptContext& ctx) {
  if (!ctx.target) return;
  for (VcBlock& b : ctx.definedBlocks) ctx.target->blocks.push_back(std::move(b));
  ctx.definedBlocks.clear();
}

int processLine(VcScriptContext& ctx, const std::string& line) {
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i == line.size() || line[i] == '#') return 0;
  std::size_t wordEnd = i;
  while (wordEnd < line.size() && isLetter(line[wordEnd])) ++wordEnd;
  const std::string word = asciiLower(line.substr(i, wordEnd - i));
  const char* keyword = nullptr;
  for (const char* k : kKeywords)
    if (word == k) keyword = k;

  if (ctx.definingBlock) {
    if (keyword && word == "end") {
      ctx.definedBlocks.push_back(std::move(ctx.blockUnderDefinition));
      ctx.blockUnderDefinition = VcBlock{};
      ctx.definingBlock = false;
      return 0;
    }
    ctx.blockUnderDefinition.lines.push_back(line);
    return 0;
  }
  if (!keyword) {
    if (!allLevelsActive(ctx)) return 0;
    traceLine(ctx, line);
    return applyOptionLine(ctx, line);
  }
  std::size_t rest = wordEnd;
  while (rest < line.size() && isBlank(line[rest])) ++rest;
  if (word == "end") return err::kBadOptionLine;
  if (word == "block") {
    std::size_t nameEnd = rest;
    while (nameEnd < line.size() && !isBlank(line[nameEnd])) ++nameEnd;
    if (nameEnd == rest) return err::kBadOptionLine;
    ctx.blockUnderDefinition = VcBlock{};
    ctx.blockUnderDefinition.name = asciiLower(line.substr(rest, nameEnd - rest));
    if (ctx.flags & kOptEnforce) ctx.blockUnderDefinition.flags |= kOptEnforce;
    ctx.definingBlock = true;
    return 0;
  }
  if (word == "set") {
    if (!allLevelsActive(ctx)) return 0;
    traceLine(ctx, line);
    // An option set by a statement is not one the user saved: it is not
    // written back to the configuration file.
    const std::uint32_t saved = ctx.flags;
    ctx.flags &= ~kOptSaved;
    int rc = applyOptionLine(ctx, line.substr(rest));
    ctx.flags = saved;
    return rc;
  }
  if (!allLevelsActive(ctx)) return 0;
  if (word == "done") {
    traceLine(ctx, line);
    return err::kScriptDone;
  }
  return 0;
}

std::string expandText(VcScriptContext& ctx, const std::string& text, std::size_t size) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  char quote = 0;
  if (i < text.size() && (text[i] == '\'' || text[i] == '"')) quote = text[i++];
  const std::size_t limit = size > 4 ? size - 4 : 0;
  while (i < text.size()) {
    char c = text[i];
    if (quote && c == quote) break;
    if (!quote && c == '#') break;
    if (out.size() >= limit) break;
    if (c != '$') {
      out += c;
      ++i;
      continue;
    }
    char n = i + 1 < text.size() ? text[i + 1] : '\0';
    if (n == '"' || n == '$' || n == '#') {
      out += n;
      i += 2;
      continue;
    }
    if (n == '(') {
      std::size_t p = i + 2;
      if (p >= text.size() || !isLetter(text[p])) throw ScriptError("Bad name in ()");
      std::size_t e = p;
      while (e < text.size() && (isLetter(text[e]) || (text[e] >= '0' && text[e] <= '9') || text[e] == '_'))
        ++e;
      if (e >= text.size() || text[e] != ')') throw ScriptError("Bad $(<variable>)");
      const std::string var = text.substr(p, e - p);
      std::string value;
      bool found = false;
      // The context's parameters first, then the options.
      std::size_t pos = 0;
      while (!found && pos < ctx.parameters.size()) {
        std::size_t comma = ctx.parameters.find(',', pos);
        std::string entry = ctx.parameters.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        std::size_t eq = entry.find('=');
        if (eq != std::string::npos && equalsNoCase(entry.substr(0, eq), var)) {
          value = entry.substr(eq + 1);
          found = true;
        }
        pos = comma == std::string::npos ? ctx.parameters.size() : comma + 1;
      }
      if (!found) {
        OptionHit hit = lookupOption(ctx.lists, asciiLower(var));
        if (hit.option && hit.option->value) value = *hit.option->value;
      }
      const std::size_t room = size > 2 ? size - 2 : 0;
      for (char v : value) {
        if (out.size() >= room) break;
        out += v;
      }
      i = e + 1;
      continue;
    }
    if (isLetter(n)) {
      std::size_t e = i + 1;
      while (e < text.size() && (isLetter(text[e]) || (text[e] >= '0' && text[e] <= '9') || text[e] == '_'))
        ++e;
      if (e >= text.size() || text[e] != '(') throw ScriptError("Bad $operator");
      throw ScriptError("unknown operator");
    }
    throw ScriptError("Bad $");
  }
  if (!quote) {
    while (!out.empty() && isBlank(out.back())) out.pop_back();
  }
  return out;
}

}  // namespace vc
