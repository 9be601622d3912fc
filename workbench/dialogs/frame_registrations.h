// The frame's registration table: every dialog flow and window service
// the frame's commands and windows run, each registered by a function
// beside its code (see workbench/commands/frame_registry.h). A new dialog
// adds its registration here.
#pragma once

#include <span>

#include "workbench/commands/frame_registry.h"

namespace orv::workbench::dialogs {

// The registrations, in the order the frame runs them.
std::span<const commands::FrameRegistration> frameRegistrations();

}  // namespace orv::workbench::dialogs
