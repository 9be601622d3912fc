// Adding, renaming and deleting members: vcAddMember,
// vcAddMemberFromSandbox, vcRenameMember and vcDeleteMember.
//
// Every refusal is checked before anything changes. A new member's path is
// stored relative to a variable; through a sandbox, a file in the sandbox's
// work tree is placed at the same spot of the master's tree, and a file
// outside both trees may be copied where the caller's location callback
// says. A rename moves the member record itself to its new place, so its
// dependency record and every reference to it stay whole; a delete removes
// every reference to the member before the record goes.
#include "vc/project/project_members.h"

#include "vc/project/project_uses.h"
#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "vc/instance/instance.h"
#include "vc/paths/name_parts.h"
#include "vc/paths/path_name.h"
#include "vc/security/permissions.h"
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace vc {
namespace {

bool holdsBlank(const char* text) { return text && std::strchr(text, ' '); }

// Splits a stored path at its last "/" into the member's directory and name.
void splitStored(const std::string& stored, VcMember& m) {
  const std::size_t slash = stored.rfind('/');
  m.directory = slash == std::string::npos ? std::string() : stored.substr(0, slash);
  m.name = slash == std::string::npos ? stored : stored.substr(slash + 1);
}

// The refusals every add and rename share for the new name.
int checkNewName(VcInstance& inst, VcProject& p, const char* name, std::string& absolute,
                 const VcMember* renamed) {
  MemberIt existing;
  const int rc = findMember(inst, p, name, existing, &absolute);
  if (rc == 0 && &*existing != renamed) return renamed ? err::kMemberNameExists : err::kAlreadyMember;
  if (rc != 0 && rc != err::kNotMember) return rc;
  if (pathsEqual(absolute, p.path) || (p.throughSandbox && pathsEqual(absolute, p.sandboxPath)))
    return err::kProjectInOwnJournal;
  return 0;
}

struct Placement {
  VcLocationFn location = nullptr;
  VcYesNoFn yesNo = nullptr;
};

// Through a sandbox: a file outside the sandbox's and the master's trees
// may be copied where the location callback says. 0, err::kCancelled or the
// copy's failure; absolute names the member's file afterwards.
int placeOutsideFile(VcInstance& inst, VcProject& p, const Placement& how, std::string& absolute) {
  const std::string projectDir = trimRoot(projectDirectory(inst, p));
  std::vector<char> result(kScratchSize, '\0');
  const std::string proposed = projectDir + "/" + namePart(absolute);
  std::strncpy(result.data(), proposed.c_str(), result.size() - 1);
  const int answer = how.location(absolute.c_str(), projectDir.c_str(), result.data(), 0);
  if (answer == -1) return err::kCancelled;
  if (answer != 1) return 0;
  result.back() = '\0';
  const std::string target = makeAbsoluteName(projectDir, normalizePath(result.data(), true));
  if (!pathsEqual(target, absolute))
    if (int rc = copyFile(&inst, absolute, target, false, how.yesNo)) return rc;
  absolute = target;
  return 0;
}

// The stored path of a new member at absolute (a caller's "$(name)..." path
// is kept as given).
int newMemberPath(VcInstance& inst, VcProject& p, const char* given, std::string& absolute,
                  const Placement& how, std::string& stored) {
  const std::string asGiven = normalizePath(given, true);
  std::string variable;
  std::size_t length = 0;
  if (leadingVariable(asGiven, variable, length)) {
    stored = asGiven;
    if (!variableValue(inst, p, variable, false)) askProjectVariable(inst, p, variable, asGiven.substr(length));
    return 0;
  }
  if (p.throughSandbox) {
    const std::string workDir = trimRoot(projectWorkDirectory(inst, p));
    if (pathWithin(workDir, absolute) && absolute.size() > workDir.size()) {
      stored = "$(projectdir)" + absolute.substr(workDir.size());
      return 0;
    }
    if (how.location && !pathWithin(projectDirectory(inst, p), absolute))
      if (int rc = placeOutsideFile(inst, p, how, absolute)) return rc;
  }
  return storedMemberPath(inst, p, absolute, stored);
}

int addMember(VcInstance& inst, int handle, char kind, const char* name, const char* revision,
              const char* rules, const Placement& how) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!p->openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (!name || !*name || holdsBlank(revision) || holdsBlank(rules)) return fail(inst, err::kBadArgument);
  if (!kind || !std::strchr("asif", kind)) return fail(inst, err::kBadArgument);
  if (p->frozen()) return fail(inst, err::kProjectFrozen);
  if (int rc = requirePermission(inst, "addmember", err::kDenyAddMember)) return rc;
  std::string absolute;
  if (int rc = checkNewName(inst, *p, name, absolute, nullptr)) return fail(inst, rc);
  const int projectHandle = p->handle;
  std::string stored;
  if (int rc = newMemberPath(inst, *p, name, absolute, how, stored)) return fail(inst, rc);
  if (lookupProject(inst, projectHandle, p)) return fail(inst, err::kBadProjectHandle);  // closed by a callback
  VcMember m;
  splitStored(stored, m);
  m.kind = kind;
  if (revision && *revision && m.kind != 'f') m.revision = revision;
  if (rules && *rules) m.rules = rules;
  const std::string full = fullMemberName(inst, *p, m);
  MemberIt existing;
  if (findMember(inst, *p, full.c_str(), existing) == 0) return fail(inst, err::kAlreadyMember);
  const MemberIt at = placeMember(p->file, std::move(m));
  VcMember& added = *at;
  p->currentMember = at;
  takePresentState(inst, *p, added);
  p->modified = true;
  p->usesChanged = true;
  addLogEntry(*p, fullMemberName(inst, *p, added),
              added.revision ? "add " + *added.revision : std::string("add"));
  return inst.lastError = 0;
}

int renameMember(VcInstance& inst, int handle, const char* oldName, const char* newName, char* buf,
                 int len) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!p->openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (p->frozen()) return fail(inst, err::kProjectFrozen);
  if (!newName || !*newName) return fail(inst, err::kBadArgument);
  MemberIt it;
  if (int rc = findMember(inst, *p, oldName, it)) return fail(inst, rc);
  if (rulesFreeze(it->rules)) return fail(inst, err::kMemberFrozen);
  std::string absolute;
  if (int rc = checkNewName(inst, *p, newName, absolute, &*it)) return fail(inst, rc);
  if (int rc = requirePermission(inst, "addmember", err::kDenyAddMember)) return rc;
  if (int rc = requirePermission(inst, "removemember", err::kDenyRemoveMember)) return rc;
  std::string stored;
  if (int rc = newMemberPath(inst, *p, newName, absolute, Placement{}, stored)) return fail(inst, rc);
  if (lookupProject(inst, handle, p)) return fail(inst, err::kBadProjectHandle);
  settleUses(inst, *p);  // the node goes with the member, its cache record too
  const std::string oldFull = fullMemberName(inst, *p, *it);
  unfileMember(p->file, it);
  splitStored(stored, *it);
  if (it->node && p->uses) {
    // A node shared with a member of the old name in another letter case
    // stays with that member; this one gets its own when next asked.
    if (it->node->memberLinks > 1) forgetMemberNode(*p, *it);
    else p->uses->rename(it->node, fullMemberName(inst, *p, *it));
  }
  // To its place in member order under the new name.
  replaceMember(p->file, it);
  p->currentMember = it;
  p->modified = true;
  p->usesChanged = true;
  const std::string newFull = fullMemberName(inst, *p, *it);
  addLogEntry(*p, newFull, it->revision ? "add " + *it->revision : std::string("add"));
  addLogEntry(*p, oldFull, std::string("drop"));
  if (buf) return copyResult(&inst, newFull, buf, len);
  return inst.lastError = 0;
}

int deleteMember(VcInstance& inst, int handle, const char* name) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!p->openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (p->frozen()) return fail(inst, err::kProjectFrozen);
  MemberIt it;
  if (int rc = findMember(inst, *p, name, it)) return fail(inst, rc);
  if (rulesFreeze(it->rules)) return fail(inst, err::kMemberFrozen);
  if (int rc = requirePermission(inst, "removemember", err::kDenyRemoveMember)) return rc;
  addLogEntry(*p, fullMemberName(inst, *p, *it), std::string("drop"));
  if (p->currentMember == it) p->currentMember.reset();
  // A walk standing on the member goes on with the one after it.
  if (p->walkCursor == it)
    p->walkCursor = it == p->file.members.begin() ? p->file.members.end() : std::prev(it);
  forgetMemberInComparisons(inst, *p, it);
  settleUses(inst, *p);  // its node and the links to it go with it
  forgetMemberNode(*p, *it);
  removeMember(p->file, it);
  p->modified = true;
  p->usesChanged = true;
  return inst.lastError = 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcAddMember(int project, char kind, const char* name, const char* revision,
                           const char* rules) {
  return withInstance(err::kBadProjectHandle, 
      [&](VcInstance& i) { return addMember(i, project, kind, name, revision, rules, Placement{}); });
}

VC_API VcError vcAddMemberFromSandbox(int project, char kind, const char* name,
                                      const char* revision, const char* rules, VcLocationFn location,
                                      VcYesNoFn yesNo) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) {
    return addMember(i, project, kind, name, revision, rules, Placement{location, yesNo});
  });
}

VC_API VcError vcRenameMember(int project, const char* oldName, const char* newName, char* buffer,
                              int length) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return renameMember(i, project, oldName, newName, buffer, length); });
}

VC_API VcError vcDeleteMember(int project, const char* name) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return deleteMember(i, project, name); });
}

}  // extern "C"
