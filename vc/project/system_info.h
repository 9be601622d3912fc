// What the instance items need of the project module: the handle of the
// current project (vcGetSysInfo 81) and the choice of the current project by
// handle (vcSetSysInfo 52). The project module installs its functions here;
// until it does, no project exists (handle 0; any other handle answers
// VC_E_BAD_PROJECT_HANDLE).
#pragma once

namespace vc {

struct VcInstance;
struct VcProject;

struct ProjectHandleHooks {
  // The handle of an open project of the instance (0 when none).
  int (*handleOf)(VcInstance& inst, VcProject* project);
  // Makes the project with that handle current: 0, or VC_E_BAD_PROJECT_HANDLE
  // for an unknown handle.
  int (*select)(VcInstance& inst, int handle);
};

ProjectHandleHooks& projectHandleHooks();
void resetProjectHandleHooks();

}  // namespace vc
