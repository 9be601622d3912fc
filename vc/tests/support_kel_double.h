// Points the revision library at the security-database test double before
// an instance starts. Test programs get KEL_DOUBLE_PATH from the build.
#pragma once

#include <cstdlib>

inline void useKelDouble() { ::setenv("ORV_KEL_LIBRARY", KEL_DOUBLE_PATH, 1); }
