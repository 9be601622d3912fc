// The option lists of an instance: the two it owns (global and local), the
// lists of its current archive and project, and the set of lists that an
// option or block lookup walks. A part of the instance (optionsOf).
#pragma once

#include "vc/config/option_list.h"

namespace vc {

// The lists a lookup walks, in walking order: global, archive, project first
// (security-database list), project second (its own list), sandbox, local.
// Absent lists are null.
struct VcListSet {
  VcOptionList* global = nullptr;
  VcOptionList* archive = nullptr;
  VcOptionList* project[3] = {nullptr, nullptr, nullptr};
  VcOptionList* local = nullptr;
};

// The instance's own lists: the global list (configuration file, security
// database policies) and the local list (vcSetConfig and friends); and the
// lists of the current archive and project, which the archive and project
// modules keep in step when they open, choose and close them (null when
// there is none).
struct VcOptionState {
  VcOptionList global;
  VcOptionList local;
  VcOptionList* archive = nullptr;
  VcOptionList* project[3] = {nullptr, nullptr, nullptr};
};

struct VcInstance;

// The instance's option lists.
VcOptionState& optionsOf(VcInstance& inst);

// The lists of the instance and of its current archive and project.
VcListSet currentLists(VcInstance& inst);

}  // namespace vc
