// Project information items: vcGetProject and vcSetProject read and change
// an open project's names, directories, state flags, option-list walks,
// member count and frozen state by item number.
//
// The option walks (VC_PROJECT_ITEM_FIRST_OPTION to _SECURITY_NEXT_WORKTOARCH)
// go through the project's own list, the list of its security objects'
// policies and its sandbox's list, in the entry form of the configuration
// walks ("name=value", "worktoarch name=value"), oldest first. One walk marker serves the process: a "next"
// item continues the walk a "first" item of the same group and project
// started, and anything else starts afresh.
#include "vc/project/project_handles.h"

#include "vc/config/option_lookup.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/paths/name_parts.h"
#include "vc/project/project_log.h"
#include "vc/security/permissions.h"

#include <cstring>
#include <string>
#include <vector>

namespace vc {
namespace {

struct ProjectWalk {
  int handle = 0;
  int group = 0;  // the walk's first item
  std::size_t listIndex = 0;
  std::size_t position = 0;
  // The entries of the list being walked, as they were when the walk came
  // to it: each step is a look-up, however long the list.
  std::vector<std::string> entries;
  bool taken = false;
};
ProjectWalk g_walk;

// The lists a walk item goes through, in order.
std::vector<const VcOptionList*> walkLists(const VcProject& p, int item) {
  if (item < VC_PROJECT_ITEM_SANDBOX_FIRST_OPTION) return {&p.file.options, &p.policies};
  if (item < VC_PROJECT_ITEM_OWN_FIRST_OPTION) return {&p.sandbox.options};
  if (item < VC_PROJECT_ITEM_SECURITY_FIRST_OPTION) return {&p.file.options};
  return {&p.policies};
}

int walkItem(VcInstance& inst, const VcProject& p, int item, char* buf, int len) {
  // The even items (FIRST_...) start a walk, the odd ones (NEXT_...) continue it;
  // of each four, the first two walk options and the last two worktoarch pairs.
  const int group = item & ~1;
  const bool pairs = (item - VC_PROJECT_ITEM_FIRST_OPTION) % 4 >= 2;
  if (item == group || g_walk.handle != p.handle || g_walk.group != group) g_walk = ProjectWalk{p.handle, group, 0, 0, {}, false};
  const std::vector<const VcOptionList*> lists = walkLists(p, item);
  while (g_walk.listIndex < lists.size()) {
    if (!g_walk.taken) {
      g_walk.entries = walkTexts(*lists[g_walk.listIndex], pairs);
      g_walk.taken = true;
    }
    if (g_walk.position < g_walk.entries.size()) return copyResult(&inst, g_walk.entries[g_walk.position++], buf, len);
    ++g_walk.listIndex;
    g_walk.position = 0;
    g_walk.taken = false;
  }
  return fail(inst, err::kUnknownOption);
}

// A directory option of the project's lists, else its default.
std::string directoryItem(VcInstance& inst, VcProject& p, const char* option, const std::string& fallback) {
  const OptionHit hit = lookupOption(projectLists(inst, p), option);
  if (hit.option && hit.option->value && !hit.option->value->empty()) return *hit.option->value;
  return fallback;
}

// True when some member's directory is written without a variable.
bool pathsWithoutVariables(const VcProject& p) {
  for (const VcMember& m : p.file.members)
    if (!m.directory.empty() && m.directory.compare(0, 2, "$(") != 0) return true;
  return false;
}

int flagOut(VcInstance& inst, bool flag, char* buf) {
  buf[0] = flag ? 1 : 0;
  inst.lastError = 0;
  return 0;
}

int textItem(VcInstance& inst, VcProject& p, int item, std::string& out) {
  const std::string projectDir = directoryPart(p.path);
  switch (item) {
    case VC_PROJECT_ITEM_FILE: out = p.fromRevision ? p.revisionCopy.path : p.path; return 0;
    case VC_PROJECT_ITEM_REVISION: out = p.file.revision.value_or(""); return 0;
    case VC_PROJECT_ITEM_PROJECT_DIR: out = directoryItem(inst, p, "projectdir", projectDir); return 0;
    case VC_PROJECT_ITEM_WORK_DIR:
      out = directoryItem(inst, p, "workdir", p.throughSandbox ? directoryPart(p.sandboxPath) : projectDir);
      return 0;
    case VC_PROJECT_ITEM_SANDBOX:
      if (!p.throughSandbox) return err::kDone;
      out = p.sandboxPath;
      return 0;
    case VC_PROJECT_ITEM_LOG_FILE: out = projectLogName(p.path); return 0;
    case VC_PROJECT_ITEM_OPENED_NAME: out = p.path; return 0;
    default: return err::kBadArgument;
  }
}

int getProject(VcInstance& inst, int handle, int item, char* buf, int len) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!buf || len < 1) return fail(inst, err::kBadArgument);
  if (item >= VC_PROJECT_ITEM_FIRST_OPTION && item <= VC_PROJECT_ITEM_SECURITY_NEXT_WORKTOARCH)
    return walkItem(inst, *p, item, buf, len);
  switch (item) {
    case VC_PROJECT_ITEM_NEW: return flagOut(inst, !p->existsOnDisk, buf);
    case VC_PROJECT_ITEM_CHANGED: return flagOut(inst, p->modified || p->optionsModified, buf);
    case VC_PROJECT_ITEM_VARIANT: return flagOut(inst, p->variant, buf);
    case VC_PROJECT_ITEM_THROUGH_SANDBOX: return flagOut(inst, p->throughSandbox, buf);
    case VC_PROJECT_ITEM_USES_CHANGED: return flagOut(inst, p->usesChanged, buf);
    case VC_PROJECT_ITEM_USES_CACHE: return flagOut(inst, p->usesCache, buf);
    case VC_PROJECT_ITEM_LOG_ON: return flagOut(inst, p->logEnabled, buf);
    case VC_PROJECT_ITEM_SANDBOX_CHANGED: return flagOut(inst, p->sandboxModified, buf);
    case VC_PROJECT_ITEM_NO_VARIABLES: return flagOut(inst, pathsWithoutVariables(*p), buf);
    case VC_PROJECT_ITEM_FROZEN: return flagOut(inst, p->frozen(), buf);
    case VC_PROJECT_ITEM_MEMBER_COUNT: {
      if (len < 4) return fail(inst, err::kBufferTooSmall);
      const auto n = static_cast<std::int32_t>(p->file.members.size());
      std::memcpy(buf, &n, sizeof n);
      inst.lastError = 0;
      return 0;
    }
    default: break;
  }
  std::string text;
  if (int rc = textItem(inst, *p, item, text)) return fail(inst, rc);
  return copyResult(&inst, text, buf, len);
}

// Sets (or, with an empty text, drops) a directory option of the project.
void setDirectory(VcProject& p, const char* option, const std::string& value) {
  if (value.empty())
    p.file.options.dropOption(option);
  else
    setOption(p.file.options, option, value, 0);
  p.optionsModified = true;
}

int freeze(VcInstance& inst, VcProject& p, bool on) {
  if (p.frozen() == on) return 0;
  if (int rc = on ? requirePermission(inst, "freezeproject", err::kDenyFreezeProject)
                  : requirePermission(inst, "thawproject", err::kDenyThawProject))
    return rc;
  if (on) {
    setOption(p.file.options, "frozen", std::nullopt, 0);
  } else {
    while (p.file.options.dropOption("frozen")) {
    }
    // A sandbox may hold the word too; thawing takes it from there as well.
    while (p.sandbox.options.dropOption("frozen")) p.sandboxModified = true;
  }
  p.optionsModified = true;
  addLogEntry(p, on ? "frozen" : "thawed", std::nullopt);
  return 0;
}

int setFlag(VcProject& p, int item, bool on) {
  switch (item) {
    case VC_PROJECT_ITEM_SET_NEW: p.existsOnDisk = !on; return 0;
    case VC_PROJECT_ITEM_SET_CHANGED:
      p.modified = on;
      if (!on) p.optionsModified = false;
      return 0;
    case VC_PROJECT_ITEM_SET_USES_CHANGED: p.usesChanged = on; return 0;
    case VC_PROJECT_ITEM_SET_USES_CACHE: p.usesCache = on; return 0;
    case VC_PROJECT_ITEM_SET_LOG_ON:
      p.logEnabled = on;
      if (!on) p.pending.clear();
      return 0;
    case VC_PROJECT_ITEM_SET_SANDBOX_CHANGED: p.sandboxModified = on; return 0;
    default: return err::kBadArgument;
  }
}

int setProject(VcInstance& inst, int handle, int item, const char* value) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!p->openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (item == VC_PROJECT_ITEM_FREEZE || item == VC_PROJECT_ITEM_THAW) {
    const int rc = freeze(inst, *p, item == VC_PROJECT_ITEM_FREEZE);
    return rc ? fail(inst, rc) : 0;
  }
  if (!value) return fail(inst, err::kBadArgument);
  if (p->frozen()) return fail(inst, err::kProjectFrozen);
  switch (item) {
    case VC_PROJECT_ITEM_SET_FILE: {
      std::string absolute;
      if (int rc = absoluteLibraryName(inst, value, absolute)) return fail(inst, rc);
      p->path = absolute;
      p->modified = true;
      return 0;
    }
    case VC_PROJECT_ITEM_SET_REVISION:
      if (*value)
        p->file.revision = value;
      else
        p->file.revision.reset();
      p->modified = true;
      return 0;
    case VC_PROJECT_ITEM_SET_PROJECT_DIR: setDirectory(*p, "projectdir", value); return 0;
    case VC_PROJECT_ITEM_SET_WORK_DIR: setDirectory(*p, "workdir", value); return 0;
    default: break;
  }
  const int rc = setFlag(*p, item, (static_cast<unsigned char>(value[0]) & 1) != 0);
  return rc ? fail(inst, rc) : 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcGetProject(int project, int item, char* buffer, int length) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return getProject(i, project, item, buffer, length); });
}

VC_API VcError vcSetProject(int project, int item, const char* value) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return setProject(i, project, item, value); });
}

}  // extern "C"
