// Tests and parts of path names (see name_parts.h): pure string work.
#include "vc/paths/name_parts.h"

namespace vc {

int absoluteNameKind(const char* name) {
  if (!name || !*name) return 0;
  if (name[0] == '/' || name[0] == '\\') return -1;
  return name[1] == ':' ? 1 : 0;
}

bool isDriveRoot(const char* name) {
  if (!name) return false;
  bool letter = (name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z');
  if (!letter || name[1] != ':') return false;
  if (name[2] == '\0') return true;
  return (name[2] == '/' || name[2] == '\\') && name[3] == '\0';
}

std::string directoryPart(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string namePart(const std::string& path) {
  const std::size_t last = path.find_last_of("/\\:");
  if (last == std::string::npos || last == 0) return path;
  return path.substr(last + 1);
}

}  // namespace vc
