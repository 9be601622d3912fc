// Scanner of the expression language: turns the text after a statement word
// into number, string, name and operator tokens, one at a time, so that string
// tokens (whose expansion may call functions) are expanded only when the
// parser reaches them.
#include "vc/script/expression/expression_scanner.h"

#include "vc/script/expression/expression_environment.h"
#include "vc/script/expression/script_error.h"

namespace vc {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '_'; }

// Length from text[open] (a "(") to just past its matching ")", stopping
// before an unescaped "#" or at the end when there is no match.
std::size_t parenthesisedLength(std::string_view text, std::size_t open)
{
    int depth = 0;
    for (std::size_t k = open; k < text.size(); ++k) {
        char c = text[k];
        if (c == '$' && k + 1 < text.size() &&
            (text[k + 1] == '$' || text[k + 1] == '#' || text[k + 1] == '"')) {
            ++k;
        } else if (c == '#') {
            return k - open;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0)
                return k + 1 - open;
        }
    }
    return text.size() - open;
}

// Length of the "$" escape at text[at].
std::size_t escapeLength(std::string_view text, std::size_t at)
{
    std::size_t next = at + 1;
    if (next >= text.size())
        return 1;
    char c = text[next];
    if (c == '$' || c == '#' || c == '"')
        return 2;
    if (c == '(')
        return 1 + parenthesisedLength(text, next);
    if (isLetter(c)) {
        std::size_t end = next;
        while (end < text.size() && isNameChar(text[end]))
            ++end;
        if (end < text.size() && text[end] == '(')
            return end - at + parenthesisedLength(text, end);
        return end - at;
    }
    return 1;
}

}  // namespace

std::size_t stringTokenLength(std::string_view text)
{
    if (text.empty())
        return 0;
    if (text[0] == '$')
        return escapeLength(text, 0);
    char quote = text[0];
    std::size_t i = 1;
    while (i < text.size()) {
        char c = text[i];
        if (c == quote)
            return i + 1;
        if (c == '#')
            return i;
        i += c == '$' ? escapeLength(text, i) : 1;
    }
    return text.size();
}

ScannedToken ExpressionScanner::next()
{
    ScannedToken token;
    if (ended_)
        return token;
    while (position_ < input_.size() &&
           (input_[position_] == ' ' || input_[position_] == '\t' ||
            input_[position_] == '\r' || input_[position_] == '\n'))
        ++position_;
    if (position_ >= input_.size() || input_[position_] == '#') {
        ended_ = true;
        return token;
    }

    char c = input_[position_];
    char after = position_ + 1 < input_.size() ? input_[position_ + 1] : '\0';

    if (isDigit(c) || (c == '-' && isDigit(after))) {
        bool negative = c == '-';
        if (negative)
            ++position_;
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (position_ < input_.size() && isDigit(input_[position_])) {
            if (++digits > kMaxNumberDigits)
                throw ScriptError("Number too big");
            value = value * 10u + static_cast<std::uint32_t>(input_[position_] - '0');
            ++position_;
        }
        if (negative)
            value = 0u - value;
        token.code = kTokenNumber;
        token.number = static_cast<std::int32_t>(value);
        return token;
    }

    if (isLetter(c)) {
        std::size_t start = position_;
        while (position_ < input_.size() &&
               (isLetter(input_[position_]) || isDigit(input_[position_]))) {
            if (position_ - start >= kMaxNameLength)
                throw ScriptError("Name too long");
            ++position_;
        }
        token.code = kTokenName;
        token.text.assign(input_.substr(start, position_ - start));
        return token;
    }

    if (c == '\'' || c == '"' || c == '$') {
        std::string_view rest = input_.substr(position_);
        std::size_t length = stringTokenLength(rest);
        position_ += length;
        token.code = kTokenString;
        token.text = environment_.expandString(rest.substr(0, length));
        return token;
    }

    auto two = [&](int code) {
        position_ += 2;
        token.code = code;
        return token;
    };
    if (c == '!' && after == '=') return two(kTokenNotEqual);
    if (c == '<' && after == '>') return two(kTokenNotEqual);
    if (c == '<' && after == '=') return two(kTokenLessEqual);
    if (c == '>' && after == '=') return two(kTokenGreaterEqual);
    if (c == '=' && after == '=') return two(kTokenEqual);
    if (c == '&' && after == '&') return two(kTokenAnd);
    if (c == '|' && after == '|') return two(kTokenOr);

    ++position_;
    switch (c) {
    case '=': token.code = kTokenEqual; break;
    case '&': token.code = kTokenAnd; break;
    case '|': token.code = kTokenOr; break;
    default: token.code = static_cast<unsigned char>(c); break;
    }
    return token;
}

}  // namespace vc
