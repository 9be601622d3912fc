// Loading the security database's policy statements as options.
#pragma once

#include "instance.h"

namespace vc {

// Feeds the policy statements of a scope (1 global with scope "", 2 a
// project or security object) through the line processor into target with
// the policy flag. 0; 5 after `return` (extra error = value); 28 after a
// script error.
int loadPolicyStatements(VcInstance& inst, VcOptionList& target, int scopeKind,
                         const char* scopeName);

}  // namespace vc
