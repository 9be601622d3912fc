// Conversions between the value kinds of the expression language.
#include "vc/script/expression/expression_value.h"

namespace vc {

bool expressionTruth(const ExpressionValue& value)
{
    switch (value.kind) {
    case ExpressionValue::Kind::Number: return value.number != 0;
    case ExpressionValue::Kind::Text: return !value.text.empty();
    case ExpressionValue::Kind::Null: break;
    }
    return false;
}

std::int32_t expressionInteger(const ExpressionValue& value)
{
    switch (value.kind) {
    case ExpressionValue::Kind::Number: return value.number;
    case ExpressionValue::Kind::Text: return textToInteger(value.text);
    case ExpressionValue::Kind::Null: break;
    }
    return 0;
}

std::string expressionText(const ExpressionValue& value)
{
    switch (value.kind) {
    case ExpressionValue::Kind::Number: return std::to_string(value.number);
    case ExpressionValue::Kind::Text: return value.text;
    case ExpressionValue::Kind::Null: break;
    }
    return {};
}

std::int32_t textToInteger(std::string_view text)
{
    std::size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t accumulated = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        accumulated = accumulated * 10u + static_cast<std::uint32_t>(text[i] - '0');
        ++i;
    }
    if (negative)
        accumulated = 0u - accumulated;
    return static_cast<std::int32_t>(accumulated);
}

std::int32_t wrappingAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace vc
