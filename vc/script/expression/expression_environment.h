// What an expression needs from the script language around it.
//
// The expression language reads variables and expands string tokens, but both
// belong to the script language: variables are the parameter text of the
// running context followed by the option lookup over the instance's lists, and
// string tokens are expanded with the script's text expansion (with its
// functions, which may ask questions or start programs). The script module
// implements this interface; tests use FunctionExpressionEnvironment.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vc {

class ExpressionEnvironment {
public:
    virtual ~ExpressionEnvironment() = default;

    // The value of the variable `name` (letters and digits, as written), or
    // nullopt when it is undefined or has no value; nullopt is the null value.
    virtual std::optional<std::string> variableValue(std::string_view name) = 0;

    // Expands one string token with the script's text expansion and returns
    // the text. The token is exactly as it stands in the expression: either
    // quoted (it begins with "'" or "\"" and runs to the closing quote, which
    // is included when present) or one unquoted "$" escape ("$(name)",
    // "$fn(...)" with balanced parentheses, "$$", "$#", "$\""). May throw
    // ScriptError ("Bad $", "unknown operator", ...), which ends the
    // evaluation with that error.
    virtual std::string expandString(std::string_view token) = 0;
};

// An environment made of two functions; an empty function means "undefined"
// for variables and "the token as written" for expansion.
class FunctionExpressionEnvironment : public ExpressionEnvironment {
public:
    using VariableFn = std::function<std::optional<std::string>(std::string_view)>;
    using ExpandFn = std::function<std::string(std::string_view)>;

    FunctionExpressionEnvironment(VariableFn variables, ExpandFn expand)
        : variables_(std::move(variables)), expand_(std::move(expand)) {}

    std::optional<std::string> variableValue(std::string_view name) override
    {
        if (!variables_)
            return std::nullopt;
        return variables_(name);
    }

    std::string expandString(std::string_view token) override
    {
        if (!expand_)
            return std::string(token);
        return expand_(token);
    }

private:
    VariableFn variables_;
    ExpandFn expand_;
};

// Finds `name` in a parameter text of vcExpression: entries "name=value"
// separated by ",", names compared without case (ASCII), first match wins.
// Blanks around a name are ignored; the value runs to the next ",".
std::optional<std::string> findExpressionParameter(std::string_view parameters,
                                                     std::string_view name);

}  // namespace vc
