// One running file, block or expression of the script language, and the line
// processor that every configuration line, block line, project-file option
// line and policy line goes through.
//
// The configuration reader of this module needs option lines, blocks, `set`
// and `done`; the script-language module supplies the other statements and
// the full text expansion behind the same functions.
#pragma once

#include "instance.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vc {

// A script error: its message goes to the echo/trace callback (kind 2) and
// the run unwinds to the innermost block run, expression or file reader,
// which answers 28.
struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// `return` unwinding to the innermost block run, expression or file reader,
// which answers 5 with the value as extra error.
struct ScriptReturn {
  int value;
};

struct VcScriptContext {
  VcInstance* instance = nullptr;
  std::string sourceName;  // file name, "none" for a block run, "expression"
  int lineNumber = 1;
  std::uint32_t flags = 0;     // added to every option line this context applies
  VcOptionList* target = nullptr;  // the list option lines go to
  VcListSet lists;             // the lists lookups walk (archive and project as pushed)
  std::string parameters;      // "name=value,..." of an expression run
  bool trace = false;

  // Conditional stack: level 0..7, one state per level (1 active at level 0).
  int level = 0;
  unsigned char state[8] = {1, 0, 0, 0, 0, 0, 0, 0};

  // Blocks defined while reading, attached to the target list at the end.
  std::vector<VcBlock> definedBlocks;
  bool definingBlock = false;
  VcBlock blockUnderDefinition;
};

// Processes one line in ctx. Answers 0, 28 (syntax), 29 (enforced option),
// 307 (`done`) or a statement's own result; throws ScriptError or
// ScriptReturn to unwind.
int processLine(VcScriptContext& ctx, const std::string& line);

// Applies an option line (after any `set`) to ctx.target with ctx.flags.
// valueOverride, when given, stands for the text after "=".
int applyOptionLine(VcScriptContext& ctx, const std::string& line,
                    const char* valueOverride = nullptr);

// Expands a value text: quotes, "$$", "$#" and "$\"" escapes, "#" comments
// and "$(name)" references; at most size - 1 bytes result.
std::string expandText(VcScriptContext& ctx, const std::string& text, std::size_t size);

// Attaches the blocks defined in ctx to its target list, in definition order.
void attachDefinedBlocks(VcScriptContext& ctx);

// Reports a script error through the echo/trace callback (kind 2).
void reportScriptError(VcScriptContext& ctx, const std::string& message);

}  // namespace vc
