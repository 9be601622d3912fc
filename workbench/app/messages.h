// Message boxes of the workbench: every box is captioned with the
// application title; texts are formatted without a fixed buffer and, when
// they are longer than a box shows, cut with "..." rather than stopping the
// program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

// The longest text a box shows, in bytes.
constexpr std::size_t kMessageLimit = 510;

// printf-style formatting into a string of any length.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// text itself when it has at most limit bytes, else its first bytes and
// "..." within limit.
std::string cutForDisplay(std::string_view text, std::size_t limit = kMessageLimit);

// Shows request captioned with the application title, its text cut for
// display; the answer of the box.
int showMessage(ui::Ui& ui, ui::MessageRequest request);
// The same with two new lines and libraryText (the revision library's text
// for a result code) appended to the request's text.
int showErrorMessage(ui::Ui& ui, ui::MessageRequest request, std::string_view libraryText);

// An OK box with icon and text, captioned with the application title.
int showText(ui::Ui& ui, ui::MessageIcon icon, std::string text);

}  // namespace orv::workbench::app
