// Scanner of the expression language.
//
// Blanks and tabs are skipped; "#" or the end of the text ends the input.
// A digit starts a number of at most 29 digits ("-" directly before a digit
// makes it negative); a letter starts a name of letters and digits of at most
// 29 characters. "'", "\"" and "$" start a string token, which the script's
// text expansion turns into one text. The two-character operators have
// single-character spellings too ("=", "&", "|"); "<>" is "!=". Any other
// character is a token of its own code, which the grammar then refuses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vc {

class ExpressionEnvironment;

enum ExpressionToken : int {
    kTokenEnd = 0,
    kTokenNumber = 257,
    kTokenString = 258,
    kTokenName = 259,
    kTokenEqual = 260,         // "==" or "="
    kTokenNotEqual = 261,      // "!=" or "<>"
    kTokenLessEqual = 262,     // "<="
    kTokenGreaterEqual = 263,  // ">="
    kTokenAnd = 264,           // "&&" or "&"
    kTokenOr = 265,            // "||" or "|"
};

constexpr std::size_t kMaxNumberDigits = 29;
constexpr std::size_t kMaxNameLength = 29;

struct ScannedToken {
    int code = kTokenEnd;
    std::int32_t number = 0;  // kTokenNumber
    std::string text;         // kTokenString (expanded) and kTokenName
};

class ExpressionScanner {
public:
    ExpressionScanner(std::string_view input, ExpressionEnvironment& environment)
        : input_(input), environment_(environment) {}

    // The next token; kTokenEnd for ever once the input has ended. Throws
    // ScriptError for "Number too big", "Name too long" and the expansion's
    // own errors.
    ScannedToken next();

private:
    std::string_view input_;
    std::size_t position_ = 0;
    bool ended_ = false;
    ExpressionEnvironment& environment_;
};

// Length of the string token at the start of `text` (which begins with "'",
// "\"" or "$"). A quoted token runs to its closing quote (included), to a "#"
// (not included: it ends the input) or to the end; "$" escapes inside it are
// stepped over whole. An unquoted token is exactly one "$" escape: "$$",
// "$#", "$\"", "$(...)" or "$name(...)" up to the matching parenthesis (or a
// "#" or the end), "$name" without a list, or a lone "$".
std::size_t stringTokenLength(std::string_view text);

}  // namespace vc
