// Archive hooks in force: archive events run through the event language
// (vcArchiveEvent), permissions come from the security-database bridge, and
// an archive's security objects load their policy lines into the archive's
// option list when its header is read.
//
// The event language learns of open archives here too: its archive sources
// resolve a handle to the archive's name and options, and a revision to its
// state.
#include "vc/archive/archive_events.h"

#include "vc/archive/archive_handles.h"
#include "vc/archive/event_sources.h"
#include "vc/include/vc.h"
#include "vc/security/permissions.h"

namespace vc {
namespace {

int archiveEvent(VcInstance&, VcArchive* archive, const char* event, const char* revision) {
  return vcArchiveEvent(archive ? archive->handle : 0, event, revision);
}

bool holds(VcInstance& inst, const char* permission, VcArchive*) { return hasPermission(inst, permission); }

bool admits(VcInstance& inst, VcArchive& archive, const std::vector<std::string>& securityObjects) {
  if (securityObjects.empty()) return true;
  return loadSecurityObjectPolicies(inst, archive.options, securityObjects) == 0;
}

ArchiveHooks defaults() { return ArchiveHooks{archiveEvent, holds, admits}; }

ArchiveHooks g_hooks = defaults();

}  // namespace

int openArchiveEventSource(VcInstance& inst, int handle, EventArchive& out) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return rc;
  out.name = a->path;
  out.options = &a->options;
  return 0;
}

std::string openArchiveRevisionState(VcInstance& inst, int handle, const char* revision) {
  VcArchive* a = nullptr;
  if (!revision || lookupArchive(inst, handle, a) != 0 || readArchiveHeader(inst, *a) != 0) return {};
  const vc::archive::DeltaRecord* d = a->file.lookup(revision);
  return d ? d->state : std::string();
}

ArchiveHooks& archiveHooks() { return g_hooks; }
void resetArchiveHooks() { g_hooks = defaults(); }

}  // namespace vc
