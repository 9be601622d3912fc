// The parameter text of vcExpression: "name=value" entries separated by ",".
#include "vc/script/expression/expression_environment.h"

namespace vc {
namespace {

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalWithoutCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<std::string> findExpressionParameter(std::string_view parameters,
                                                     std::string_view name)
{
    while (!parameters.empty()) {
        std::size_t comma = parameters.find(',');
        std::string_view entry = parameters.substr(0, comma);
        parameters = comma == std::string_view::npos ? std::string_view{} : parameters.substr(comma + 1);
        std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (equalWithoutCase(trimBlanks(entry.substr(0, equals)), name))
            return std::string(entry.substr(equals + 1));
    }
    return std::nullopt;
}

}  // namespace vc
