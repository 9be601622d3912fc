// Separator normalisation of path names (see path_separators.h). Kept in an
// object file of its own so that a library linking only this rule pulls in
// nothing else of the file services.
#include "platform/fs/path_separators.h"

namespace orv::fs {

std::string forward_slashes(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

}  // namespace orv::fs
