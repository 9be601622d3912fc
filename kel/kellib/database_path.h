// From the path a caller names to the base path of a database (the files
// B.dat and B.lok).
#pragma once

#include <string>
#include <string_view>

namespace kel {

// The path with "\" turned into "/" and a trailing ".dat" (any case) dropped.
std::string databaseBase(std::string_view path);

// The base path of the database that path leads to, for opening. A path that
// names a redirector ("red" or another extension, or a base path beside
// which a ".red" file lies) is followed by the redirector module.
int resolveDatabasePath(std::string_view path, bool readOnly, std::string& base);

}  // namespace kel
