// Archive hooks in force: permissions come from the security-database bridge,
// and an archive's security objects load their policy lines into the
// archive's option list when its header is read.
#include "archive_events.h"

#include "archive_record.h"
#include "permissions.h"

namespace vc {
namespace {

int noEvent(VcInstance&, VcArchive*, const char*, const char*) { return 0; }

bool holds(VcInstance& inst, const char* permission, VcArchive*) { return hasPermission(inst, permission); }

bool admits(VcInstance& inst, VcArchive& archive, const std::vector<std::string>& securityObjects) {
  if (securityObjects.empty()) return true;
  return loadSecurityObjectPolicies(inst, archive.options, securityObjects) == 0;
}

ArchiveHooks defaults() {
  return ArchiveHooks{noEvent, holds, admits};
}

ArchiveHooks g_hooks = defaults();

}  // namespace

ArchiveHooks& archiveHooks() { return g_hooks; }
void resetArchiveHooks() { g_hooks = defaults(); }

}  // namespace vc
