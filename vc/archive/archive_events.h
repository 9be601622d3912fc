// What opening and committing archives ask of the script language and the
// security database: running an archive event, and whether the current user
// holds a permission or is admitted by an archive's security objects.
//
// The archive code calls only archiveHooks(); the entries are plain function
// pointers so that the event language and the security bridge plug in their
// own functions, and tests can refuse a permission or count events.
#pragma once

#include <string>
#include <vector>

namespace vc {

struct VcInstance;
struct VcArchive;

struct ArchiveHooks {
  // Runs the archive event `event` ("commit", ...) for the archive; revision
  // may be null. Answers the event's result: 0 goes on, 82 halts, a code of
  // 235 and above is a refusal.
  int (*runEvent)(VcInstance& inst, VcArchive* archive, const char* event, const char* revision);
  // Whether the current user holds the permission (lower-case name such as
  // "openarchive"); archive, when given, scopes the question.
  bool (*holdsPermission)(VcInstance& inst, const char* permission, VcArchive* archive);
  // Whether the archive's security objects admit the current user; their
  // policy lines go to the archive's option list.
  bool (*securityAdmits)(VcInstance& inst, VcArchive& archive,
                         const std::vector<std::string>& securityObjects);
};

ArchiveHooks& archiveHooks();
void resetArchiveHooks();

// What the event language asks of open archives (the default archive sources
// of event_sources.h): an archive handle's name and option list (7 for a bad
// handle), and the state of one of its revisions ("" when unknown).
struct EventArchive;
int openArchiveEventSource(VcInstance& inst, int handle, EventArchive& out);
std::string openArchiveRevisionState(VcInstance& inst, int handle, const char* revision);

}  // namespace vc
