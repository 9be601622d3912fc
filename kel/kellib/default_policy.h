// The policy lines a new database puts into its "Default Policy Statement".
#pragma once

#include <span>

namespace kel {

std::span<const char* const> defaultPolicyLines();

}  // namespace kel
