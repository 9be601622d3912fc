// Where the main frame opens, from ORVTY.INI [General]
// FrameWindowCoordinates "x,y,width,height": a size below 1 or not smaller
// than the screen gives four fifths of the screen, a position below 1 or
// not inside it centres the frame. Also the status hint of the user tools.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/dialog_description.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

using ui::Rect;

// The frame's rectangle for the stored value (nothing stored: "").
Rect framePlacement(const std::string& stored, int screenWidth, int screenHeight);
// The value to store at exit; nothing when the frame is not in its normal
// state (maximised or minimised frames leave the stored value alone).
std::optional<std::string> storedPlacement(const Rect& normal, bool normalState);

// The hint of a user tool: "Launches <text>\n<text>" from its description,
// else its command; nothing when both are empty.
std::optional<std::string> userToolHint(const std::string& description, const std::string& command);

}  // namespace orv::workbench::app
