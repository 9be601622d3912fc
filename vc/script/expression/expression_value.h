// Values of the expression language: null, a 32-bit number or a text.
//
// Numbers are 32-bit two's complement; sums and long literals wrap. A text
// read as a number follows atoi rules (leading white space, an optional sign,
// then digits up to the first non-digit), also wrapping.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vc {

struct ExpressionValue {
    enum class Kind { Null, Number, Text };

    Kind kind = Kind::Null;
    std::int32_t number = 0;
    std::string text;

    static ExpressionValue null() { return {}; }
    static ExpressionValue ofNumber(std::int32_t n) { return {Kind::Number, n, {}}; }
    static ExpressionValue ofText(std::string t) { return {Kind::Text, 0, std::move(t)}; }

    bool isNull() const { return kind == Kind::Null; }
    bool isNumber() const { return kind == Kind::Number; }
    bool isText() const { return kind == Kind::Text; }
};

// Null is false, a number is true when nonzero, a text when not empty.
bool expressionTruth(const ExpressionValue& value);

// A number's value, a text read with atoi rules, null as 0.
std::int32_t expressionInteger(const ExpressionValue& value);

// A number in decimal, a text as it is, null as the empty text.
std::string expressionText(const ExpressionValue& value);

// atoi rules with 32-bit wrap instead of undefined overflow.
std::int32_t textToInteger(std::string_view text);

// Adds with 32-bit two's-complement wrap.
std::int32_t wrappingAdd(std::int32_t a, std::int32_t b);

}  // namespace vc
