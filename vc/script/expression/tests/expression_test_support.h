// A small environment for expression tests: variables from a map and a text
// expansion that understands quotes, "$(name)", "$$", "$#", "$\"" and the
// function "$upper(...)", recording every token it was handed.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "vc/script/expression/expression.h"

namespace vc::test {

class TestEnvironment : public ExpressionEnvironment {
public:
    std::map<std::string, std::string> variables;
    std::vector<std::string> expandedTokens;

    std::optional<std::string> variableValue(std::string_view name) override
    {
        auto found = variables.find(std::string(name));
        if (found == variables.end())
            return std::nullopt;
        return found->second;
    }

    std::string expandString(std::string_view token) override
    {
        expandedTokens.emplace_back(token);
        std::string_view body = token;
        if (!body.empty() && (body.front() == '"' || body.front() == '\'')) {
            char quote = body.front();
            body.remove_prefix(1);
            if (!body.empty() && body.back() == quote)
                body.remove_suffix(1);
        }
        std::string out;
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i] != '$') {
                out += body[i];
                continue;
            }
            std::string_view rest = body.substr(i + 1);
            if (!rest.empty() && (rest[0] == '$' || rest[0] == '#' || rest[0] == '"')) {
                out += rest[0];
                ++i;
            } else if (rest.rfind("(", 0) == 0) {
                std::size_t close = rest.find(')');
                if (close == std::string_view::npos)
                    throw ScriptError("Bad $(<variable>)");
                auto value = variableValue(rest.substr(1, close - 1));
                out += value.value_or("");
                i += close + 1;
            } else if (rest.rfind("upper(", 0) == 0 && rest.back() == ')') {
                for (char c : rest.substr(6, rest.size() - 7))
                    out += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
                i = body.size();
            } else {
                throw ScriptError("Bad $");
            }
        }
        return out;
    }
};

}  // namespace vc::test
