// Names of the objects every database holds.
#pragma once

namespace kel {

inline constexpr const char* kGlobalModuleName = "Global Module";
inline constexpr const char* kPolicyStatementName = "Policy Statement";
inline constexpr const char* kDefaultPolicyStatementName = "Default Policy Statement";
inline constexpr const char* kDefaultRegisteredUserRole = "DefaultRegisteredUser";
inline constexpr const char* kDefaultUnregisteredUserRole = "DefaultUnregisteredUser";

}  // namespace kel
