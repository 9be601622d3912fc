// One running file, block or expression of the script language, and the line
// processor that every configuration line, block line, project-file option
// line and policy line goes through.
//
// A context is a local object of the run that owns it (the file reader, a
// block run, vcExpression, the policy loader); runs nest on the C++ stack, so
// a nested vcRunBlock from inside a callback gets a context of its own and
// nothing of the outer run is shared. Script errors and `return` travel as
// exceptions to the three catch points: block run, expression and file reader.
#pragma once

#include "vc/config/option_state.h"
#include "vc/instance/instance.h"
#include "vc/script/expression/script_error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vc {

// A script error: its message goes to the echo/trace callback (kind 2) and the
// run unwinds to the innermost block run, expression or file reader, which
// answers VC_E_BAD_OPTION_LINE. One type for the whole library: the expression
// evaluator raises the same one.
using ScriptError = vc::ScriptError;

// `return` unwinding to the innermost block run, expression or file reader,
// which answers VC_E_DONE with the value as extra error.
struct ScriptReturn {
  int value;
};

// Size of the buffer that text expansion fills (option values, statement
// arguments, function arguments and results).
inline constexpr std::size_t kExpansionSize = 500;
// The conditional stack holds level 0 and seven nested levels.
inline constexpr int kMaxConditionalLevel = 7;

// Conditional states of one level.
inline constexpr unsigned char kCondSkipping = 0;
inline constexpr unsigned char kCondActive = 1;       // level 0, or an `else` branch
inline constexpr unsigned char kCondTaken = 2;        // active after a true if/elseif
inline constexpr unsigned char kCondDone = 4;         // a branch was taken: skip to endif

struct VcScriptContext {
  VcInstance* instance = nullptr;
  std::string sourceName;  // file name, "none" for a block run, "expression"
  int lineNumber = 1;
  std::uint32_t flags = 0;         // added to every option line this context applies
  VcOptionList* target = nullptr;  // the list option lines go to
  VcListSet lists;                 // the lists lookups walk (archive and project as pushed)
  std::string parameters;          // "name=value,..." of an expression run
  bool trace = false;

  // Set while a project or sandbox file or a security policy statement is
  // read, and for everything such a text runs (`call`, `read`, `$call()`):
  // a shared text must not start programs or end the caller's process, so
  // `exec` and `exit` (statement and function) are script errors there.
  bool sharedSource = false;

  // Conditional stack: level 0..7, one state per level (active at level 0).
  int level = 0;
  unsigned char state[kMaxConditionalLevel + 1] = {kCondActive, 0, 0, 0, 0, 0, 0, 0};

  // Blocks defined while reading, attached to the target list at the end.
  std::vector<VcBlock> definedBlocks;
  bool definingBlock = false;
  VcBlock blockUnderDefinition;
};

// Processes one line in ctx. Answers 0, 28 (syntax), 29 (enforced option),
// 307 (`done`) or a statement's own result; throws ScriptError or
// ScriptReturn to unwind.
int processLine(VcScriptContext& ctx, const std::string& line);

// True when a lower-case word (the letters a line begins with) is one of the
// statement keywords that the line processor takes before option lines.
bool isStatementKeyword(const std::string& lowerWord);

// True when every level of the conditional stack is active.
bool allLevelsActive(const VcScriptContext& ctx);

// Runs a statement line whose keyword (lower case) is not one the line
// processor handles itself; rest is the text after the keyword and blanks.
int executeStatement(VcScriptContext& ctx, const std::string& keyword, const std::string& line,
                     const std::string& rest);

// Applies an option line (after any `set`) to ctx.target with ctx.flags.
// valueOverride, when given, stands for the text after "=".
int applyOptionLine(VcScriptContext& ctx, const std::string& line,
                    const char* valueOverride = nullptr);

// Text expansion: leading blanks skipped and trailing ones cut, a leading
// quote runs to the same quote, "#" ends the text, "$" escapes ("$$", "$#",
// "$\"", "$(name)", "$fn(args)"). At most size - 1 bytes result; copying
// stops silently when fewer than 4 bytes remain (2 for an inserted value).
std::string expandText(VcScriptContext& ctx, const std::string& text, std::size_t size);

// The value of a variable: the context's parameters (case-blind), then the
// option lookup over the context's lists. Null when undefined or valueless.
const std::string* variableValue(VcScriptContext& ctx, const std::string& name,
                                 std::string& storage);

// Calls the expansion function name with its expanded argument text.
std::string callScriptFunction(VcScriptContext& ctx, const std::string& name,
                               const std::string& arguments, std::size_t size);

// Attaches the blocks defined in ctx to its target list, in definition
// order; a block of the same name already in the list is replaced.
void attachDefinedBlocks(VcScriptContext& ctx);

// Reports a script error through the echo/trace callback (kind 2).
void reportScriptError(VcScriptContext& ctx, const std::string& message);
// Sends an executed line to the callback as a trace line (kind 1) when the
// context traces.
void traceLine(VcScriptContext& ctx, const std::string& line);
// Sends a text to the echo callback (kind 0).
void echoText(VcScriptContext& ctx, const std::string& text);

// Throws the script error for `exec` or `exit` (what) in a shared text.
void refuseInSharedSource(const VcScriptContext& ctx, const char* what);

// Evaluates an expression in ctx: its truth, or its integer value.
bool expressionTruth(VcScriptContext& ctx, const std::string& text);
int expressionInteger(VcScriptContext& ctx, const std::string& text);

// Nested runs (blocks calling blocks, files reading files) are capped so
// that a block that calls itself, or a file that reads itself, ends in a
// script error instead of exhausting the stack.
inline constexpr int kMaxScriptNesting = 64;
class ScriptNesting {
 public:
  ScriptNesting() { ++depth(); }
  ~ScriptNesting() { --depth(); }
  ScriptNesting(const ScriptNesting&) = delete;
  ScriptNesting& operator=(const ScriptNesting&) = delete;
  bool tooDeep() const { return depth() > kMaxScriptNesting; }

 private:
  static int& depth() {
    static thread_local int d = 0;
    return d;
  }
};
inline constexpr const char* kNestedTooDeep = "call nested too deep";

// Runs a block by name in a new context named "none" over lists (all = 0:
// the block the lookup finds, with the list it came from as target; else
// every block of the name, global to local). 30 when none was found, else 0;
// 5 after `return` (extra error = value); 28 after a script error.
int runBlock(VcInstance& inst, const VcListSet& lists, const std::string& name, bool all,
             bool sharedSource);

}  // namespace vc
