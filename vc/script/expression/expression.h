// The expression language of `if`, `elseif`, `trace`, `return`,
// vcExpression and vcMemberBindExpression.
//
// Numbers, strings (expanded by the script language) and variable names are
// combined with "||", "&&", prefix "!", "==" "!=", "<" ">" "<=" ">=" and "+",
// binding in that order from loosest to tightest. "||", "&&", the ordering
// comparisons and "+" group from the left; "==" and "!=" group from the
// right; "!" applies to everything up to the next "&&", "||" or ")". There is
// no binary minus: "1 -2" is two numbers.
//
// One evaluation holds at most 39 cells (two made up front, one per number,
// string or name and one per operator), so at most 19 terms joined by binary
// operators; beyond that the error is "no space". Nesting deeper than the
// parser's stack, and any token after a complete expression, give "Parser
// stack overflow"; other malformed input gives "Syntax error". Every error is
// thrown as ScriptError with that text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "vc/script/expression/expression_environment.h"
#include "vc/script/expression/expression_value.h"
#include "vc/script/expression/script_error.h"

namespace vc {

constexpr std::size_t kExpressionCells = 39;
constexpr int kExpressionStackDepth = 150;

// Parses and evaluates `text` (the text after the statement word; a "#"
// ends it). Throws ScriptError.
ExpressionValue evaluateExpression(std::string_view text, ExpressionEnvironment& environment);

// The truth of the value, for `if`, `elseif` and `trace`.
bool evaluateExpressionTruth(std::string_view text, ExpressionEnvironment& environment);

// The value as an integer, for `return`, vcExpression and
// vcMemberBindExpression.
std::int32_t evaluateExpressionInteger(std::string_view text, ExpressionEnvironment& environment);

}  // namespace vc
