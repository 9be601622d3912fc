// The locks users hold in an archive (see user_locks.h).
#include "vc/archive/user_locks.h"

#include "vc/config/option_list.h"

namespace vc {

using vc::archive::ArchiveFile;

bool sameUser(const std::string& a, const std::string& b) { return equalsNoCase(a, b); }

const vc::archive::Lock* lockOn(const ArchiveFile& a, const std::string& revision) {
  for (const auto& l : a.locks)
    if (l.revision == revision) return &l;
  return nullptr;
}

const vc::archive::Lock* lockOf(const ArchiveFile& a, const std::string& user) {
  for (const auto& l : a.locks)
    if (sameUser(l.user, user)) return &l;
  return nullptr;
}

}  // namespace vc
