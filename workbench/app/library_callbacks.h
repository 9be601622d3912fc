// The workbench's answers to the revision library's callbacks: echoed text
// (shown, or appended to a file named after '>'), trace lines and script
// errors (until the user cancels tracing), one-line queries, and the value
// of a project variable that has none.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

// An echo text split at its redirection: the first '>' at the start or not
// after a backslash ends the message; the file name follows after white
// space (trailing blanks cut).
struct EchoRedirect {
  std::string message;
  std::optional<std::string> file;  // nothing: no redirection
};
EchoRedirect splitEchoRedirect(std::string_view text);

// Asks for a project variable: (name, proposed value) -> the answer, or
// nothing when cancelled.
using AskProjectVariable =
    std::function<std::optional<std::string>(const std::string&, const std::string&)>;

class LibraryCallbacks {
 public:
  LibraryCallbacks(ui::Ui& ui, AskProjectVariable askVariable)
      : ui_(ui), askVariable_(std::move(askVariable)) {}

  // The echo/trace callback: kind 0 echo, 1 trace line, 2 script error;
  // file may be null. 1 when an echo file cannot be opened, else 0.
  int echoTrace(const char* text, const char* file, int line, int kind);
  // The query callback: buffer holds the prompt and receives the answer
  // (cut to length with its terminator). True when the answer is not empty.
  bool query(char* buffer, int length);
  // The project-variable callback, with the same buffer rules.
  bool projectVariable(const char* name, const char* defaultValue, char* value, int length);

  bool tracingOff() const { return tracingOff_; }

 private:
  int echo(std::string_view text);

  ui::Ui& ui_;
  AskProjectVariable askVariable_;
  bool tracingOff_ = false;
};

}  // namespace orv::workbench::app
