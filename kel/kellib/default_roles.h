// The permissions a new database grants through its role
// "DefaultRegisteredUser" (the role "DefaultUnregisteredUser" grants none).
#pragma once

#include <span>

namespace kel {

std::span<const char* const> defaultRegisteredUserPermissions();

}  // namespace kel
