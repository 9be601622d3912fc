// Makes a project the instance's current one for the length of a call, so
// that the archive search and option lookups of the call see its lists, and
// puts the previous current project back afterwards.
#pragma once

#include "vc/config/option_state.h"
#include "vc/instance/instance.h"
#include "vc/project/project_handles.h"
#include "vc/project/project_work.h"

#include <array>

namespace vc {

class CurrentProjectScope {
 public:
  CurrentProjectScope(VcInstance& inst, VcProject& p)
      : work_(projectWorkOf(inst)), options_(optionsOf(inst)), project_(work_.project) {
    for (int i = 0; i < 3; ++i) lists_[static_cast<std::size_t>(i)] = options_.project[i];
    work_.project = &p;
    options_.project[0] = &p.policies;
    options_.project[1] = &p.file.options;
    options_.project[2] = p.throughSandbox ? &p.sandbox.options : nullptr;
  }
  ~CurrentProjectScope() {
    work_.project = project_;
    for (int i = 0; i < 3; ++i) options_.project[i] = lists_[static_cast<std::size_t>(i)];
  }
  CurrentProjectScope(const CurrentProjectScope&) = delete;
  CurrentProjectScope& operator=(const CurrentProjectScope&) = delete;

 private:
  VcProjectWork& work_;
  VcOptionState& options_;
  VcProject* project_;
  std::array<VcOptionList*, 3> lists_{};
};

}  // namespace vc
