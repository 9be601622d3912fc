// Loading the security database's policy statements as options.
#pragma once

#include "vc/config/option_list.h"
#include "vc/instance/instance.h"

#include <string>
#include <vector>

namespace vc {

// Feeds the policy statements of a scope (1 global with scope "", 2 a
// project or security object) through the line processor into target with
// the policy flag. 0; 5 after `return` (extra error = value); 28 after a
// script error.
int loadPolicyStatements(VcInstance& inst, VcOptionList& target, int scopeKind,
                         const char* scopeName);

// The security objects (project names of the security database) registered
// for a project file, from the bridge's library-wide scope cache.
std::vector<std::string> projectSecurityObjects(const std::string& projectPath);

// Merges a granted policy value into an accumulated one (words separated by
// ",", blank or tab; a new word is appended after a blank; the total stays
// below 200 characters).
void mergePermissionValue(std::string& acc, const std::string& value);

}  // namespace vc
