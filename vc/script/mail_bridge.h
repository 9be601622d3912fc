// Mail through the CMC library (vx_init, vx_exit, vx_sendmail in vc.h).
//
// The CMC library is loaded by name when mail is first needed: the mail
// profile (WIN.INI in the settings directory) must hold a nonzero value
// "CMC" in section "Mail"; "CMCDLLNAME" names the library (default
// "cmc.dll", which is this system's libcmc.so; taken whole, also when it is a
// long path). A library name without a directory is looked for beside this
// library first. A failed attempt is remembered for the life of the process.
#pragma once

#include <string>

namespace vc {

inline constexpr const char* kMailProfileFileName = "WIN.INI";

// The file to load for a CMCDLLNAME value: "cmc.dll" (any case) is
// libcmc.so; another "NAME.dll" without a directory is libNAME.so; anything
// else is taken as it stands (backslashes as "/").
std::string mailLibraryFile(const std::string& profileName);

// Forgets every attempt: unloads the library and allows the notice again.
// For tests; the library itself never retries.
void resetMailState();

}  // namespace vc
