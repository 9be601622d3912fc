// The option lists an instance owns (global and local), and the set of lists
// that an option or block lookup walks.
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
// database policies) and the local list (vcSetConfig and friends).
struct VcOptionState {
  VcOptionList global;
  VcOptionList local;
};

}  // namespace vc
