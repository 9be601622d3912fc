// Makes a project the instance's current one for the length of a call, so
// that the archive search and option lookups of the call see its lists, and
// puts the previous current project back afterwards.
#pragma once

#include "vc/instance/instance.h"
#include "vc/project/project_handles.h"

#include <array>

namespace vc {

class CurrentProjectScope {
 public:
  CurrentProjectScope(VcInstance& inst, VcProject& p) : work_(inst.work), project_(work_.project) {
    for (int i = 0; i < 3; ++i) lists_[static_cast<std::size_t>(i)] = work_.projectOptions[i];
    work_.project = &p;
    work_.projectOptions[0] = &p.policies;
    work_.projectOptions[1] = &p.file.options;
    work_.projectOptions[2] = p.throughSandbox ? &p.sandbox.options : nullptr;
  }
  ~CurrentProjectScope() {
    work_.project = project_;
    for (int i = 0; i < 3; ++i) work_.projectOptions[i] = lists_[static_cast<std::size_t>(i)];
  }
  CurrentProjectScope(const CurrentProjectScope&) = delete;
  CurrentProjectScope& operator=(const CurrentProjectScope&) = delete;

 private:
  VcCurrentWork& work_;
  VcProject* project_;
  std::array<VcOptionList*, 3> lists_{};
};

}  // namespace vc
