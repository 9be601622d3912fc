// Default archive hooks: until the event language and the security bridge
// are linked in, events run nothing and every permission is granted.
#include "archive_events.h"

namespace vc {
namespace {

int noEvent(VcInstance&, VcArchive*, const char*, const char*) { return 0; }
bool grant(VcInstance&, const char*, VcArchive*) { return true; }
bool admit(VcInstance&, const std::vector<std::string>&) { return true; }

ArchiveHooks defaults() { return ArchiveHooks{noEvent, grant, admit}; }

ArchiveHooks g_hooks = defaults();

}  // namespace

ArchiveHooks& archiveHooks() { return g_hooks; }
void resetArchiveHooks() { g_hooks = defaults(); }

}  // namespace vc
