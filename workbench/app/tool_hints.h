// Button and menu hints. A hint is "status text\ntool-tip text"; a hint
// without a line feed has no tool tip. The hint mode ([User] HintMode)
// says where the hints of tool-bar buttons go:
//   0 "Tool Tips"        the tip only
//   1 "Status Bar Tips"  the status bar only
//   2 "Both"             both (the default)
//   3 "None"             neither
// Menu hints always reach the status bar.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/profile/profile.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

enum HintMode : int { kHintToolTips = 0, kHintStatusBar = 1, kHintBoth = 2, kHintNone = 3 };
inline constexpr const char* kHintModeNames[] = {"Tool Tips", "Status Bar Tips", "Both", "None"};

// A stored hint mode; anything outside 0-3 is the default, Both.
int hintModeFrom(long stored);
// [User] HintMode of the settings.
int hintModeOf(const profile::ProfileFile& settings);

struct HintParts {
  std::string status;
  std::optional<std::string> tip;  // none without a line feed
  bool operator==(const HintParts&) const = default;
};
// Splits a hint at its first line feed.
HintParts splitHint(std::string_view hint);

struct HintRoute {
  bool status = false;
  bool tip = false;
  bool operator==(const HintRoute&) const = default;
};
// Where a hint goes in mode: fromBar for a tool-bar button, else a menu item.
HintRoute routeHint(int mode, bool fromBar);

// The hint of a catalogue command ("status\ntip"); empty for an unknown id.
std::string commandHint(int commandId);
// The hint of a tool-bar button under the settings: a user button's from
// its [User] description (else its program) as "Launches <text>\n<text>",
// any other from commandHint. A user button with neither has
// "User <n>" as its tip.
std::string buttonHint(int commandId, const profile::ProfileFile& settings);
// The short text of a catalogue row in the Toolbar page's lists: the tip
// part of its hint ("Separator" for the separator).
std::string catalogueText(int commandId);

// The merge program's status line repeats nothing: a text equal to the one
// it shows is dropped (a pointer moving over one button). A cleared line
// keeps nothing, so every text after a clear shows.
class StatusRepeatFilter {
 public:
  // Whether text should be shown; an empty text clears.
  bool pass(const std::string& text);
  void clear() { kept_.reset(); }

 private:
  std::optional<std::string> kept_;
};

}  // namespace orv::workbench::app
