// Formatting, cutting and showing the workbench's message boxes.
#include "workbench/app/messages.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

#include "workbench/app/string_table.h"

namespace orv::workbench::app {

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, again);
    out.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
  return out;
}

std::string cutForDisplay(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  constexpr std::string_view kDots = "...";
  std::size_t keep = limit > kDots.size() ? limit - kDots.size() : 0;
  // Do not leave half of a UTF-8 sequence before the dots.
  while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80) --keep;
  return std::string(text.substr(0, keep)) + std::string(kDots.substr(0, limit - keep));
}

int showMessage(ui::Ui& ui, ui::MessageRequest request) {
  request.caption = std::string(loadString(kStrAppTitle));
  request.text = cutForDisplay(request.text);
  return ui.messageBox(request);
}

int showErrorMessage(ui::Ui& ui, ui::MessageRequest request, std::string_view libraryText) {
  request.text += "\n\n";
  request.text += libraryText;
  return showMessage(ui, std::move(request));
}

int showText(ui::Ui& ui, ui::MessageIcon icon, std::string text) {
  return showMessage(ui, ui::okBox("", std::move(text), icon));
}

}  // namespace orv::workbench::app
