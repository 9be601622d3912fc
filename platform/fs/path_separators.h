// The one separator rule of path names given by callers: names arrive in the
// old platform's spelling, where "\" and "/" both separate, and every part of
// the system (the revision library, the security database, the differencers)
// turns "\" into "/" on entry. A literal "\" in a Linux file name therefore
// cannot be expressed.
#pragma once

#include <string>
#include <string_view>

namespace orv::fs {

// The name with every "\" turned into "/".
std::string forward_slashes(std::string_view name);

}  // namespace orv::fs
