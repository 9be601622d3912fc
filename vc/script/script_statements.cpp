// The statement executor of the script language: echo, exec, system, exit,
// done, read, trace, call, return, temporary and the template keywords that
// do nothing here. The line processor has already checked the conditionals
// and traced the line.
#include "vc/script/config_file.h"
#include "vc/error_codes.h"
#include "vc/script/program_starts.h"
#include "vc/script/script_context.h"
#include "vc/script/expression/expression_value.h"
#include "vc/paths/path_name.h"
#include "vc/config/option_state.h"
#include "platform/fs/path_separators.h"

#include <cstdlib>

namespace vc {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The first blank-delimited word of text, "#" ending it.
std::string firstWord(const std::string& text) {
  std::size_t e = 0;
  while (e < text.size() && !isBlank(text[e]) && text[e] != '#') ++e;
  return text.substr(0, e);
}

int markTemporary(VcScriptContext& ctx, const std::string& rest) {
  if (!ctx.target) return 0;
  int result = 0;
  std::size_t i = 0;
  while (i < rest.size() && rest[i] != '#') {
    if (!isNameChar(rest[i])) {
      ++i;
      continue;
    }
    std::size_t e = i;
    while (e < rest.size() && isNameChar(rest[e])) ++e;
    const std::string name = asciiLower(rest.substr(i, e - i));
    i = e;
    if (VcOption* o = ctx.target->find(name)) {
      if (o->flags & kOptEnforce)
        result = err::kOptionEnforced;
      else
        o->flags |= kOptTemporary;
    } else {
      setOption(*ctx.target, name, std::nullopt, kOptTemporary);
    }
  }
  return result;
}

}  // namespace

// Refuses a program start or a process end in a shared text.
void refuseInSharedSource(const VcScriptContext& ctx, const char* what) {
  if (ctx.sharedSource)
    throw ScriptError(std::string(what) + " is not allowed in project files and policies");
}

// Ends the calling process the way the `exit` statement does: the caller's
// instance is cleaned up first.
[[noreturn]] void exitProcess(int code) {
  endCallingInstance();
  std::exit(code);
}

int executeStatement(VcScriptContext& ctx, const std::string& word, const std::string&,
                     const std::string& rest) {
  VcInstance& inst = *ctx.instance;
  if (word == "echo") {
    echoText(ctx, expandText(ctx, rest, kExpansionSize));
    return 0;
  }
  if (word == "exec") {
    refuseInSharedSource(ctx, "exec");
    CommandAndShow cs = splitCommandAndShow(expandText(ctx, rest, kExpansionSize));
    startProgram(cs.command, cs.show);  // the start result is not looked at
    return 0;
  }
  if (word == "system") {
    splitCommandAndShow(expandText(ctx, rest, kExpansionSize));
    return 0;
  }
  if (word == "exit") {
    refuseInSharedSource(ctx, "exit");
    exitProcess(vc::textToInteger(expandText(ctx, rest, kExpansionSize)));
  }
  if (word == "done") return err::kScriptDone;
  if (word == "read") {
    const std::string path = orv::fs::forward_slashes(expandText(ctx, rest, kExpansionSize));
    return readConfigFile(inst, path, optionsOf(inst).local, ctx.flags, ctx.sharedSource);
  }
  if (word == "trace") {
    ctx.trace = expressionTruth(ctx, rest);
    return 0;
  }
  if (word == "call") return runBlock(inst, ctx.lists, firstWord(rest), false, ctx.sharedSource);
  if (word == "return") throw ScriptReturn{expressionInteger(ctx, rest)};
  if (word == "temporary") return markTemporary(ctx, rest);
  // headers, sources, objects, projectfiles, depends, template: accepted.
  return 0;
}

}  // namespace vc
