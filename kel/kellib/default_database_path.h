// The default database of a program: the directory "orvkel" beside the
// program's directory, database base name "orvkel".
#pragma once

#include <string>
#include <string_view>

namespace kel {

// The path of the running program (/proc/self/exe), or "" when unknown.
std::string runningProgramPath();

// Derives <parent of the program's directory>/orvkel/orvkel from program.
// A relative program is taken below currentDirectory (the process's own
// when empty); a bare name that is not found there but names the running
// program (found through PATH) is the running program's file. "." and ".."
// components are resolved. A program directly in the root gives
// "orvkel/orvkel". Answers 0 or 22 (no program path).
int defaultDatabasePath(std::string_view program, std::string_view currentDirectory, std::string& out);

}  // namespace kel
