// Default archive hooks: archive events run through the event language
// (vcArchiveEvent); until the security bridge is linked in, every permission
// is granted and every security object admits.
//
// The event language learns of open archives here too: its archive sources
// resolve a handle to the archive's name and a revision to its state.
#include "archive_events.h"

#include "archive_record.h"
#include "event_sources.h"
#include "include/vc.h"

namespace vc {
namespace {

int archiveEvent(VcInstance&, VcArchive* archive, const char* event, const char* revision) {
  return vcArchiveEvent(archive ? archive->handle : 0, event, revision);
}

int eventArchive(VcInstance& inst, int handle, EventArchive& out) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return rc;
  out.name = a->path;
  out.options = nullptr;
  return 0;
}

std::string revisionState(VcInstance& inst, int handle, const char* revision) {
  VcArchive* a = nullptr;
  if (!revision || lookupArchive(inst, handle, a) != 0 || readArchiveHeader(inst, *a) != 0) return {};
  const orv::archive::DeltaRecord* d = a->file.lookup(revision);
  return d ? d->state : std::string();
}

struct SourceRegistration {
  SourceRegistration() {
    eventSources().archive = &eventArchive;
    eventSources().revisionState = &revisionState;
  }
} g_sourceRegistration;
bool grant(VcInstance&, const char*, VcArchive*) { return true; }
bool admit(VcInstance&, const std::vector<std::string>&) { return true; }

ArchiveHooks defaults() { return ArchiveHooks{archiveEvent, grant, admit}; }

ArchiveHooks g_hooks = defaults();

}  // namespace

ArchiveHooks& archiveHooks() { return g_hooks; }
void resetArchiveHooks() { g_hooks = defaults(); }

}  // namespace vc
