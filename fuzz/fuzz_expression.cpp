// Fuzzes the expression language: any text is scanned, parsed and evaluated
// with a small environment (a few variables; string tokens expand to their
// text without the quotes). The result is a value or a ScriptError, never a
// crash, and the truth and integer forms agree with the value.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vc/script/expression/expression.h"

using namespace vc;

namespace {

std::optional<std::string> variable(std::string_view name) {
  if (name == "a") return std::string("1");
  if (name == "b") return std::string("-7");
  if (name == "t") return std::string("text");
  if (name == "e") return std::string();
  return std::nullopt;
}

std::string expand(std::string_view token) {
  if (!token.empty() && (token.front() == '"' || token.front() == '\'')) {
    const char quote = token.front();
    token.remove_prefix(1);
    if (!token.empty() && token.back() == quote) token.remove_suffix(1);
  }
  return std::string(token);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  FunctionExpressionEnvironment env(variable, expand);
  ExpressionValue value;
  try {
    value = evaluateExpression(text, env);
  } catch (const ScriptError&) {
    return 0;
  }
  // The same text evaluates the same way through the other two forms.
  try {
    if (evaluateExpressionTruth(text, env) != expressionTruth(value)) __builtin_trap();
    if (evaluateExpressionInteger(text, env) != expressionInteger(value)) __builtin_trap();
  } catch (const ScriptError&) {
    __builtin_trap();
  }
  (void)expressionText(value);
  return 0;
}
