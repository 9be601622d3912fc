// Shortening a path to a width by putting "..." in its middle, as the
// windows do for titles, status texts and menu items: the head (the first
// component, or "//server" of a network name) stays, then "/...", then as
// many of the last components as fit. The width of a text is measured by a
// function the caller gives (font metrics on screen, a count in tests).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "workbench/layers.h"

namespace orv::workbench::app {

using MeasureText = std::function<int(std::string_view)>;

struct FittedText {
  std::string text;
  bool fits = false;  // false: text is the last component alone, or empty
};

// The fitted form of text for width. A text longer than maxBytes gives an
// empty result that does not fit.
FittedText fitTextWithEllipsis(std::string_view text, int width, const MeasureText& measure,
                               std::size_t maxBytes = 275);

}  // namespace orv::workbench::app
