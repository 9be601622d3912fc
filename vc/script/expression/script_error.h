// The error that a script statement, a text expansion or an expression raises.
//
// Script errors unwind to the innermost block run, expression or file reader,
// which reports the text through the echo/trace callback (kind 2) with the
// source name and line number. The text is the message exactly as the user
// sees it ("Syntax error", "Bad $", ...).
#pragma once

#include <stdexcept>
#include <string>

namespace vc {

class ScriptError : public std::runtime_error {
public:
    explicit ScriptError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vc
