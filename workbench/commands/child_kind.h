// The kinds of the frame's document windows, as the command tables and the
// window registry name them.
#pragma once

#include "workbench/layers.h"

namespace orv::workbench::commands {

enum class ChildKind {
  none = 0,     // no document window is active
  archive = 1,  // an archive window
  project = 2,  // a project or sandbox window
};

}  // namespace orv::workbench::commands
