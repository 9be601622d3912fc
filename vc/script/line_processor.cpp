// The line processor: comments, block definitions, `set`, option lines and
// the conditional stack. Every other statement goes to the statement
// executor (script_statements.cpp) once the conditionals let it run.
//
// A `block` line is taken before the conditionals are looked at, so a block
// inside a false `if` is still defined; lines of a block under definition are
// stored as they stand, statements included.
#include "vc/error_codes.h"
#include "vc/script/config_file.h"
#include "vc/config/option_lookup.h"
#include "vc/script/script_context.h"

namespace vc {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

const char* const kKeywords[] = {"if",      "elseif",   "else",    "endif",   "echo",
                                 "exec",    "exit",     "done",    "read",    "trace",
                                 "block",   "end",      "call",    "return",  "temporary",
                                 "set",     "headers",  "sources", "objects", "projectfiles",
                                 "depends", "template", "system"};

// True when every level below the current one is active.
bool enclosingLevelsActive(const VcScriptContext& ctx) {
  for (int l = 0; l < ctx.level; ++l)
    if (ctx.state[l] == kCondSkipping || (ctx.state[l] & kCondDone)) return false;
  return true;
}

bool tookBranch(unsigned char state) { return (state & (kCondTaken | kCondDone)) != 0; }

int conditional(VcScriptContext& ctx, const std::string& word, const std::string& line,
                const std::string& rest) {
  if (word == "if") {
    if (ctx.level >= kMaxConditionalLevel) throw ScriptError("if nested too deep");
    const bool active = allLevelsActive(ctx);
    ++ctx.level;
    ctx.state[ctx.level] = kCondSkipping;
    if (active) {
      traceLine(ctx, line);
      ctx.state[ctx.level] = expressionTruth(ctx, rest) ? kCondTaken : kCondSkipping;
    }
    return 0;
  }
  if (ctx.level == 0) throw ScriptError(word + " without if");
  unsigned char& state = ctx.state[ctx.level];
  if (word == "elseif") {
    if (tookBranch(state)) {
      state |= kCondDone;
    } else if (enclosingLevelsActive(ctx)) {
      traceLine(ctx, line);
      state = expressionTruth(ctx, rest) ? kCondTaken : kCondSkipping;
    }
    return 0;
  }
  if (word == "else") {
    if (tookBranch(state)) {
      state = kCondSkipping;
    } else if (enclosingLevelsActive(ctx)) {
      traceLine(ctx, line);
      state = kCondActive;
    }
    return 0;
  }
  // endif
  --ctx.level;
  if (allLevelsActive(ctx)) traceLine(ctx, line);
  return 0;
}

}  // namespace

bool isStatementKeyword(const std::string& lowerWord) {
  for (const char* k : kKeywords)
    if (lowerWord == k) return true;
  return false;
}

bool allLevelsActive(const VcScriptContext& ctx) {
  for (int l = 0; l <= ctx.level; ++l)
    if (ctx.state[l] == kCondSkipping || (ctx.state[l] & kCondDone)) return false;
  return true;
}

void reportScriptError(VcScriptContext& ctx, const std::string& message) {
  if (ctx.instance && ctx.instance->callbacks.echoTrace)
    ctx.instance->callbacks.echoTrace(message.c_str(), ctx.sourceName.c_str(), ctx.lineNumber,
                                      VC_ECHO_SCRIPT_ERROR);
}

void traceLine(VcScriptContext& ctx, const std::string& line) {
  if (ctx.trace && ctx.instance && ctx.instance->callbacks.echoTrace)
    ctx.instance->callbacks.echoTrace(line.c_str(), ctx.sourceName.c_str(), ctx.lineNumber, VC_ECHO_TRACE);
}

void echoText(VcScriptContext& ctx, const std::string& text) {
  if (ctx.instance && ctx.instance->callbacks.echoTrace)
    ctx.instance->callbacks.echoTrace(text.c_str(), ctx.sourceName.c_str(), ctx.lineNumber, VC_ECHO_TEXT);
}

void attachDefinedBlocks(VcScriptContext& ctx) {
  if (!ctx.target) {
    ctx.definedBlocks.clear();
    return;
  }
  std::list<VcBlock>& blocks = ctx.target->blocks;
  for (VcBlock& b : ctx.definedBlocks) {
    // Reading a file again must put its new definitions in force: the lookup
    // takes the first block of a name, so an old one would otherwise win.
    auto same = blocks.begin();
    while (same != blocks.end() && same->name != b.name) ++same;
    if (same != blocks.end())
      *same = std::move(b);
    else
      blocks.push_back(std::move(b));
  }
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
  std::size_t restStart = wordEnd;
  while (restStart < line.size() && isBlank(line[restStart])) ++restStart;
  const std::string rest = line.substr(restStart);
  if (word == "end") return err::kBadOptionLine;
  if (word == "block") {
    std::size_t nameEnd = 0;
    while (nameEnd < rest.size() && !isBlank(rest[nameEnd])) ++nameEnd;
    if (nameEnd == 0) return err::kBadOptionLine;
    ctx.blockUnderDefinition = VcBlock{};
    ctx.blockUnderDefinition.name = asciiLower(rest.substr(0, nameEnd));
    if (ctx.flags & kOptEnforce) ctx.blockUnderDefinition.flags |= kOptEnforce;
    ctx.definingBlock = true;
    return 0;
  }
  if (word == "if" || word == "elseif" || word == "else" || word == "endif")
    return conditional(ctx, word, line, rest);
  if (!allLevelsActive(ctx)) return 0;
  traceLine(ctx, line);
  if (word == "set") {
    // An option set by a statement is not one the user saved: it is not
    // written back to the configuration file. A name that looks like a
    // statement is the exception: "set" is the only way to write such an
    // option as a line, so the writers put it there and it stays saved.
    const std::uint32_t saved = ctx.flags;
    if (!namesStatementOption(rest)) ctx.flags &= ~kOptSaved;
    int rc;
    try {
      rc = applyOptionLine(ctx, rest);
    } catch (...) {
      ctx.flags = saved;
      throw;
    }
    ctx.flags = saved;
    return rc;
  }
  return executeStatement(ctx, word, line, rest);
}

}  // namespace vc
