// The root project of a working directory (vcRootProject) and the
// enumeration of a project's or the instance's option lists (vcEnumConfig).
//
// The root project is the file the option `rootproject` names: as given,
// else the first such file met walking up from the current directory, else
// one in the root directory. The enumeration hands each list to the
// caller's function entry by entry, with the list's scope word and number
// added to the entry's kind bits.
#include "vc/config/option_walk.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/paths/path_name.h"
#include "vc/project/project_handles.h"
#include "vc/config/option_state.h"
#include "platform/sys/system_calls.h"

#include <fcntl.h>

#include <utility>
#include <vector>

namespace vc {
namespace {

bool readable(const std::string& name) {
  auto& sys = orv::sys::calls();
  const int fd = sys.open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return false;
  sys.close(fd);
  return true;
}

std::string rootProjectOption(VcInstance& inst) {
  for (const VcOptionList* list : {&optionsOf(inst).local, &optionsOf(inst).global}) {
    const VcOption* o = list->find("rootproject");
    if (o && o->value && !o->value->empty() && !(o->flags & kOptNo)) return normalizePath(*o->value, true);
  }
  return {};
}

// The first readable "<dir>/name" walking up from dir; empty when none.
std::string searchUpwards(std::string dir, const std::string& name) {
  while (!dir.empty()) {
    const std::size_t slash = dir.find_last_of('/');
    if (slash == std::string::npos) break;
    const std::string candidate = dir + "/" + name;
    if (readable(candidate)) return candidate;
    if (dir.size() == volumeLength(dir)) break;  // a drive's root: "X:" + "/" + name was tried
    dir.resize(slash);
  }
  return {};
}

int rootProject(VcInstance& inst, char* buf, int len) {
  if (!buf || len < 1) return fail(inst, err::kBadArgument);
  const std::string name = rootProjectOption(inst);
  if (name.empty()) return fail(inst, err::kUnknownOption);
  // A relative name is looked for from the current directory upwards.
  if (name.front() == '/' && readable(name)) return copyResult(&inst, name, buf, len);
  const std::optional<std::string> cwd = InstancePathEnvironment(inst).currentDirectory();
  std::string found = cwd ? searchUpwards(trimRoot(*cwd), name) : std::string();
  if (found.empty() && cwd && !cwd->empty() && cwd->front() == '/' && readable("/" + name)) found = "/" + name;
  if (found.empty()) return fail(inst, err::kArchiveMissing);
  return copyResult(&inst, found, buf, len);
}

struct ScopedList {
  const VcOptionList* list;
  const char* word;
  int scope;
};

int enumConfig(VcInstance& inst, int handle, VcBlockLineFn callback) {
  if (!callback) return fail(inst, err::kBadArgument);
  std::vector<ScopedList> lists;
  if (handle) {
    VcProject* p = nullptr;
    if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
    if (p->throughSandbox) lists.push_back({&p->sandbox.options, "sandbox", VC_SCOPE_SANDBOX});
    lists.push_back({&p->file.options, "project - local", VC_SCOPE_PROJECT});
    lists.push_back({&p->policies, "project - kel", VC_SCOPE_PROJECT_KEL});
  } else {
    lists.push_back({&optionsOf(inst).local, "instance - local", VC_SCOPE_INSTANCE_LOCAL});
    lists.push_back({&optionsOf(inst).global, "instance - global", VC_SCOPE_INSTANCE_GLOBAL});
  }
  // Copies: the callback may change the lists it is shown, or close the project.
  std::vector<VcOptionList> copies;
  for (const ScopedList& s : lists) copies.push_back(*s.list);
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const ScopedList& s = lists[i];
    const int rc = walkOptionList(copies[i], [&](int kind, const std::string& keyword, const std::string& text) {
      return callback(kind | s.scope, s.word, keyword.c_str(), text.c_str());
    });
    if (rc) return rc;
  }
  return inst.lastError = 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcRootProject(char* buffer, int length) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? rootProject(*inst, buffer, length) : err::kBadCaller;
  });
}

VC_API VcError vcEnumConfig(int project, VcBlockLineFn callback) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? enumConfig(*inst, project, callback) : err::kBadCaller;
  });
}

}  // extern "C"
