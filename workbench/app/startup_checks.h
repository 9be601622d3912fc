// The small decisions of the workbench's start-up: where ORVTY.INI lives,
// whether the revision library is recent enough, and whether the splash
// window shows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "vc/include/vc.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

// Exit code of a start whose revision library could not be used.
constexpr int kExitLibraryFailure = -14;
// The lowest library level the workbench works with (system item 51).
constexpr int kRequiredLibraryLevel = VC_LIBRARY_LEVEL;

// dir and "ORVTY.INI" joined by exactly one '/'.
std::string settingsFilePath(std::string_view dir);
// The message for a library of level found (nothing when it will do).
std::optional<std::string> libraryLevelProblem(int found);
// The splash shows only for a start without a command line.
bool showSplash(std::string_view commandLine);

}  // namespace orv::workbench::app
