// The projects and sandboxes an instance has open and the one it works on.
// The project modules keep these in step when they open, choose and close
// projects and sandboxes; the current project's lists are the instance's
// project lists (config/option_state.h). A part of the instance
// (projectWorkOf).
#pragma once

#include <vector>

namespace vc {

struct VcInstance;
struct VcProject;  // an open project or sandbox (project/project_handles.h)

struct VcProjectWork {
  VcProject* project = nullptr;
  std::vector<VcProject*> projects;
  std::vector<VcProject*> sandboxes;
};

// The instance's open projects and sandboxes.
VcProjectWork& projectWorkOf(VcInstance& inst);

}  // namespace vc
