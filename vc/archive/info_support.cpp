// User names and the locks held by users (see info_support.h).
#include "vc/archive/info_support.h"

#include "vc/archive/archive_handles.h"
#include "vc/tokens/safe_names.h"
#include "vc/instance/instance.h"
#include "vc/config/option_lookup.h"

namespace vc {
namespace {

using orv::archive::ArchiveFile;

std::string authenticatedUser(VcInstance& inst) {
  return (inst.flags & kInstSystemUser) ? std::string(inst.identity.userName) : std::string();
}

}  // namespace

std::string currentUserName(VcInstance& inst) {
  std::string name = authenticatedUser(inst);
  if (name.empty()) name = optionString(inst, "logname", "unknown");
  return sanitizeName(name);
}

std::string loginName(VcInstance& inst) {
  std::string fallback = authenticatedUser(inst);
  if (fallback.empty()) fallback = "unknown";
  return sanitizeName(optionString(inst, "logname", fallback));
}

bool sameUser(const std::string& a, const std::string& b) { return equalsNoCase(a, b); }

const orv::archive::Lock* lockOn(const ArchiveFile& a, const std::string& revision) {
  for (const auto& l : a.locks)
    if (l.revision == revision) return &l;
  return nullptr;
}

const orv::archive::Lock* lockOf(const ArchiveFile& a, const std::string& user) {
  for (const auto& l : a.locks)
    if (sameUser(l.user, user)) return &l;
  return nullptr;
}

}  // namespace vc
