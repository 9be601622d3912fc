// Absolute archive names (see archive_name.h).
#include "archive_name.h"

#include "error_codes.h"
#include "instance.h"

namespace vc {

int absoluteArchiveName(const VcInstance& inst, const std::string& name, std::string& out) {
  std::string p = name;
  for (char& c : p)
    if (c == '\\') c = '/';
  const bool drive = p.size() >= 2 && p[1] == ':' &&
                     ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
  if (!p.empty() && (p[0] == '/' || drive)) {
    out = p;
  } else {
    std::string base = inst.currentDirectory;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    std::size_t at = 0;
    for (;;) {
      if (p.compare(at, 2, "./") == 0) {
        at += 2;
      } else if (p.compare(at, 3, "../") == 0) {
        at += 3;
        std::size_t slash = base.find_last_of('/');
        base = slash == std::string::npos || slash == 0 ? std::string("/") : base.substr(0, slash);
      } else {
        break;
      }
      while (at < p.size() && p[at] == '/') ++at;
    }
    out = base == "/" ? "/" + p.substr(at) : base + "/" + p.substr(at);
  }
  return out.size() >= 512 ? err::kInternalBufferExceeded : 0;
}

}  // namespace vc
