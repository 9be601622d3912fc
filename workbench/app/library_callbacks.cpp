// Echo, trace, query and project-variable answers.
#include "workbench/app/library_callbacks.h"

#include <cstring>

#include "platform/sys/system_calls.h"
#include "workbench/app/messages.h"

namespace orv::workbench::app {

namespace {

// Copies text into buffer of length bytes, cut to fit with its terminator.
void copyOut(const std::string& text, char* buffer, int length) {
  if (!buffer || length <= 0) return;
  std::size_t n = std::min(text.size(), static_cast<std::size_t>(length) - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

EchoRedirect splitEchoRedirect(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '>' || (i > 0 && text[i - 1] == '\\')) continue;
    std::string_view name = text.substr(i + 1);
    while (!name.empty() && isBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
    return {std::string(text.substr(0, i)), std::string(name)};
  }
  return {std::string(text), std::nullopt};
}

int LibraryCallbacks::echoTrace(const char* text, const char* file, int line, int kind) {
  std::string_view body = text ? text : "";
  if (kind == 0) return echo(body);
  if (tracingOff_) return 0;
  std::string caption = formatText("Tracing Config File %s", file ? file : "");
  std::string shown = cutForDisplay(
      formatText("Line %d: %.*s", line, static_cast<int>(body.size()), body.data()));
  if (kind == 2) {
    ui_.messageBox(ui::okBox(caption, shown, ui::MessageIcon::warning));
  } else if (ui_.messageBox(ui::okCancelBox(caption, shown, ui::MessageIcon::information)) ==
             ui::kAnswerCancel) {
    tracingOff_ = true;
  }
  return 0;
}

int LibraryCallbacks::echo(std::string_view text) {
  EchoRedirect r = splitEchoRedirect(text);
  if (!r.file) {
    ui_.messageBox(ui::okBox("Configuration Echo", cutForDisplay(r.message),
                             ui::MessageIcon::information));
    return 0;
  }
  int fd = sys::calls().open(r.file->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) {
    showText(ui_, ui::MessageIcon::warning, formatText("Cannot open %s.", r.file->c_str()));
    return 1;
  }
  std::string line = r.message + "\n";
  bool written = sys::writeAll(fd, line.data(), line.size());
  bool closed = sys::calls().close(fd) == 0;
  if (!written || !closed) {
    showText(ui_, ui::MessageIcon::warning, formatText("Cannot open %s.", r.file->c_str()));
    return 1;
  }
  return 0;
}

bool LibraryCallbacks::query(char* buffer, int length) {
  if (!buffer || length <= 0) return false;
  auto answer = ui_.inputLine("Configuration Query", buffer, "");
  copyOut(answer.value_or(""), buffer, length);
  return buffer[0] != '\0';
}

bool LibraryCallbacks::projectVariable(const char* name, const char* defaultValue, char* value,
                                       int length) {
  if (!value || length <= 0) return false;
  value[0] = '\0';
  auto answer = askVariable_ ? askVariable_(name ? name : "", defaultValue ? defaultValue : "")
                             : std::nullopt;
  copyOut(answer.value_or(""), value, length);
  return value[0] != '\0';
}

}  // namespace orv::workbench::app
