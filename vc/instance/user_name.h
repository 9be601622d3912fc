// The system's name for the user the process runs as.
#pragma once

#include <cstddef>

namespace vc {

// Account name of the effective user into buf: 0; 4 when len leaves room for
// fewer than 49 characters (a name needs 1 to 49); 5 when there is no name
// (no account entry, or a longer name than fits).
int systemUserName(char* buf, std::size_t len);

}  // namespace vc
