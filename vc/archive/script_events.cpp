// Events: the permission gates of archive events, the block that an
// `autoaction` pair attaches to an event, the temporary options a block
// sees while it runs, and the pre-event rule.
//
// The temporary options ("sandbox", "projectname", "archive", "revision",
// "event") go into the instance's local list for the run only. A user's own
// local option of the same name is taken out for that time and put back at
// its place afterwards, so an event never destroys it.
#include "vc/archive/archive_events.h"
#include "vc/error_codes.h"
#include "vc/archive/event_sources.h"
#include "vc/config/option_lookup.h"
#include "vc/security/permissions.h"
#include "vc/script/script_context.h"
#include "vc/config/option_state.h"
#include "vc/security/security_state.h"

#include <iterator>
#include <optional>

namespace vc {
namespace {

bool noProject(int, EventProject&) { return false; }
bool noCurrentProject(VcInstance&, EventProject&) { return false; }

EventSources g_sources{openArchiveEventSource, openArchiveRevisionState, noProject, noCurrentProject};

struct Gate {
  const char* event;
  const char* permission;
  int refusal;
};

constexpr Gate kGates[] = {
    {"precheckin", "checkin", err::kDenyCheckin},
    {"precheckout", "checkout", err::kDenyCheckout},
    {"prelock", "lock", err::kDenyLock},
    {"preaddlabel", "addlabel", err::kDenyAddLabel},
    {"predroplabel", "deletelabel", err::kDenyDeleteLabel},
};

bool isListSeparator(char c) { return c == ',' || c == ' ' || c == '\t'; }

bool stateInList(const std::string& state, const std::string& list) {
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && isListSeparator(list[i])) ++i;
    std::size_t e = i;
    while (e < list.size() && !isListSeparator(list[e])) ++e;
    if (e > i && equalsNoCase(list.substr(i, e - i), state)) return true;
    i = e;
  }
  return false;
}

int permissionGate(VcInstance& inst, int handle, const std::string& event, const char* revision) {
  for (const Gate& gate : kGates) {
    if (!equalsNoCase(event, gate.event)) continue;
    if (!hasPermission(inst, gate.permission)) return gate.refusal;
    if (equalsNoCase(event, "prelock")) {
      const std::string states = permissionValue(inst, "lockstates");
      if (!states.empty() &&
          !stateInList(g_sources.revisionState(inst, handle, revision ? revision : ""), states))
        return err::kDenyLockAtState;
    }
    return 0;
  }
  return 0;
}

// The block named by the event's autoaction pair: sandbox list, project
// second and first lists, local list, global list; names compared exactly.
std::optional<std::string> eventBlock(const VcListSet& lists, const std::string& event) {
  for (VcOptionList* list :
       {lists.project[2], lists.project[1], lists.project[0], lists.local, lists.global}) {
    if (!list) continue;
    if (const VcPair* pair = list->findPair(PairKind::AutoAction, event)) {
      if (pair->value.empty()) return std::nullopt;
      return pair->value;
    }
  }
  return std::nullopt;
}

// Sets the event's temporary options in the local list and undoes them.
class TemporaryOptions {
 public:
  explicit TemporaryOptions(VcOptionList& local) : local_(local) {}
  TemporaryOptions(const TemporaryOptions&) = delete;
  TemporaryOptions& operator=(const TemporaryOptions&) = delete;

  void set(const char* name, const std::string& value) {
    Saved saved{name, std::nullopt, 0};
    auto& options = local_.options;
    for (auto it = options.begin(); it != options.end(); ++it, ++saved.position) {
      if (it->name == name) {
        saved.option = std::move(*it);
        local_.index.forget();
        options.erase(it);
        break;
      }
    }
    saved_.push_back(std::move(saved));
    setOption(local_, name, value, kOptTemporary);
  }

  ~TemporaryOptions() {
    auto& options = local_.options;
    local_.index.forget();
    for (auto s = saved_.rbegin(); s != saved_.rend(); ++s) {
      for (auto it = options.begin(); it != options.end(); ++it) {
        if (it->name == s->name) {
          options.erase(it);
          break;
        }
      }
      if (s->option) {
        auto at = options.begin();
        std::advance(at, std::min(s->position, options.size()));
        options.insert(at, std::move(*s->option));
      }
    }
    local_.optionCursor = 0;
  }

 private:
  struct Saved {
    std::string name;
    std::optional<VcOption> option;
    std::size_t position;
  };
  VcOptionList& local_;
  std::vector<Saved> saved_;
};

// Steps 3 and 4 of an event: find the block and run it with the temporary
// options in place.
int runEventBlock(VcInstance& inst, const VcListSet& lists, const std::string& event,
                  const EventProject* project, const EventArchive* archive,
                  const char* revision) {
  std::optional<std::string> block = eventBlock(lists, event);
  if (!block) return fail(inst, err::kUnknownOption);
  TemporaryOptions temporaries(optionsOf(inst).local);
  if (project && project->sandbox) temporaries.set("sandbox", project->sandboxName);
  if (project) temporaries.set("projectname", project->name);
  if (archive) temporaries.set("archive", archive->name);
  if (revision && *revision) temporaries.set("revision", revision);
  temporaries.set("event", event);
  return runBlock(inst, lists, *block, false, false);
}

int archiveEvent(VcInstance& inst, int handle, const std::string& event, const char* revision) {
  VcListSet lists = currentLists(inst);
  EventArchive archive;
  if (handle != 0) {
    if (int rc = g_sources.archive(inst, handle, archive)) return fail(inst, rc);
    lists.archive = archive.options;
  }
  securityOf(inst).error = 0;
  inst.extraError = 0;
  if (int refusal = permissionGate(inst, handle, event, revision)) return fail(inst, refusal);
  EventProject project;
  const bool haveProject = g_sources.currentProject(inst, project);
  return runEventBlock(inst, lists, event, haveProject ? &project : nullptr,
                       handle != 0 ? &archive : nullptr, revision);
}

}  // namespace

EventSources& eventSources() { return g_sources; }
void resetEventSources() { g_sources = EventSources{openArchiveEventSource, openArchiveRevisionState, noProject, noCurrentProject}; }

int runPreEvent(int archive, const std::string& operation, const char* revision) {
  VcInstance* inst = currentInstance();
  if (!inst) return err::kBadCaller;
  const int rc = archiveEvent(*inst, archive, "pre" + operation, revision);
  if (rc > err::kNoMessage) return rc;
  if (rc == err::kDone && inst->extraError == 0) return err::kEventHalted;
  return 0;
}

void runPostEvent(int archive, const std::string& operation, const char* revision) {
  if (VcInstance* inst = currentInstance()) archiveEvent(*inst, archive, operation, revision);
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcArchiveEvent(int archive, const char* eventName, const char* revision) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!eventName) return err::kBadArgument;
    return archiveEvent(*inst, archive, eventName, revision);
  });
}

VC_API VcError vcProjectEvent(int projectHandle, const char* eventName) {
  return guarded([&] {
    EventProject project;
    if (!g_sources.project(projectHandle, project) || !project.instance)
      return err::kBadProjectHandle;
    VcInstance& inst = *project.instance;
    if (!eventName) return fail(inst, err::kBadArgument);
    VcListSet lists;
    lists.global = &optionsOf(inst).global;
    for (int i = 0; i < 3; ++i) lists.project[i] = project.lists[i];
    lists.local = &optionsOf(inst).local;
    return runEventBlock(inst, lists, eventName, &project, nullptr, nullptr);
  });
}

}  // extern "C"
