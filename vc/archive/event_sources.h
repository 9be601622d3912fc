// What the event calls (vcArchiveEvent, vcProjectEvent) need to know of
// archives and projects, and the pre-event rule that operations use.
//
// The archive and project modules install their look-ups here; until they
// do, archive handle 0 stands for "no archive", every other archive handle is
// invalid (7) and every project handle is invalid (60).
#pragma once

#include "vc/config/option_list.h"
#include "vc/instance/instance.h"

#include <string>

namespace vc {

struct EventArchive {
  std::string name;                // the archive's name, for the option "archive"
  VcOptionList* options = nullptr; // its option list, walked by the event's block
};

struct EventProject {
  VcInstance* instance = nullptr;      // the instance that opened it
  std::string name;                    // for the option "ProjectName"
  bool sandbox = false;
  std::string sandboxName;             // for the option "sandbox" (a sandbox only)
  VcOptionList* lists[3] = {nullptr, nullptr, nullptr};  // first, second, sandbox
};

struct EventSources {
  // Resolves an archive handle of the calling instance (not 0): 0 and the
  // description; 7 for a bad handle; the archive's own error when it is not
  // usable.
  int (*archive)(VcInstance& inst, int handle, EventArchive& out);
  // The state of a revision of that archive ("" when unknown).
  std::string (*revisionState)(VcInstance& inst, int handle, const char* revision);
  // The project or sandbox behind a project handle; false for a bad handle.
  bool (*project)(int handle, EventProject& out);
  // The instance's current project; false when it has none.
  bool (*currentProject)(VcInstance& inst, EventProject& out);
};

EventSources& eventSources();
void resetEventSources();

// The pre-event rule around an operation: raises "pre" + operation on the
// archive (0 for none). Answers 0 when the operation may go on, the refusal
// code (above VC_E_NO_MESSAGE) when a permission gate refused, or
// VC_E_EVENT_HALTED when the event's block ended with `return 0`.
int runPreEvent(int archive, const std::string& operation, const char* revision);
// After the operation: raises the plain name; the result is ignored.
void runPostEvent(int archive, const std::string& operation, const char* revision);

}  // namespace vc
