// Where a new project and a new sandbox may go: the checks of the Create
// Project and Create Sandbox dialogs over the paths the user typed, each
// failure with its message and the control that takes the focus. A path is
// absolute when it begins with '/'; two paths name the same directory when
// their normalised forms are equal or, when both exist, they are the same
// inode.
#pragma once

#include <string>

namespace orv::workbench::dialogs {

struct LocationCheck {
  bool ok = true;
  std::string message;  // the text shown when not ok
  int focus = 0;        // the control that takes the focus then
};

// Create Project: the project file P (control projectId) and the sandbox
// file S (control sandboxId, empty for none). The first failing rule wins.
LocationCheck checkProjectLocations(const std::string& p, const std::string& s, int projectId, int sandboxId);

// Create Sandbox: the sandbox file S of the master project file master.
LocationCheck checkSandboxLocation(const std::string& s, const std::string& master, int sandboxId);

// Whether dirA and dirB are the same directory (see above).
bool sameDirectory(const std::string& dirA, const std::string& dirB);

// path up to its last '/' ("/" for a file of the root).
std::string directoryOf(const std::string& path);

}  // namespace orv::workbench::dialogs
