// Roles and permission resolution: kelGetRoles, kelResolvePermission and
// kelResolvePermissionInSO.
//
// A role entry prefixed "No" is a refusal: resolution stops at it and
// answers 22 with the "No" flag, so that a caller taking result 0 as
// "granted" never grants what the entry turns off.
#include "kel/kellib/roles.h"

#include "kel/kellib/entry_text.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"
#include "kel/kellib/scope.h"
#include "kel/kellib/well_known_names.h"

#include <algorithm>
#include <cstring>

namespace kel {
namespace {

void addOnce(TextList& list, const std::string& name) {
  if (!name.empty() && std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
}

TextList firstListOf(const ObjectRecord& rec) {
  auto lists = rec.lists();
  return lists.empty() ? TextList{} : lists[0];
}

// Adds the roles of the scope's groups that list name as a member.
int addGroupRoles(const ObjectRecord& scope, const std::string& name, TextList& out) {
  ObjectScan groups(rookdb::Selection::ofTypeUnder(KEL_GROUP, scope.id()));
  ObjectRecord group, member;
  int rc;
  while ((rc = groups.next(group)) == KEL_SUCCESS) {
    int found = findObject(KEL_GROUP_MEMBER, group.id(), name, member);
    if (found == KEL_NOT_FOUND) continue;
    if (found) return found;
    for (const auto& role : firstListOf(group)) addOnce(out, role);
  }
  return rc == rookdb::kNotFound ? KEL_SUCCESS : rc;
}

char* listBlock(const TextList& list) {
  std::size_t size = 1;
  for (const auto& s : list) size += s.size() + 1;
  char* block = static_cast<char*>(kelMalloc(static_cast<long>(size)));
  if (!block) return nullptr;
  char* p = block;
  for (const auto& s : list) {
    std::memcpy(p, s.c_str(), s.size() + 1);
    p += s.size() + 1;
  }
  *p = '\0';
  return block;
}

enum class Verdict { Granted, Refused, NoHit };

// Looks permission up in each role; the first hit decides.
Verdict resolveIn(const ObjectRecord& scope, const char* user, const char* permission, EntryLookup& hit, int& last) {
  TextList roles;
  if (int rc = rolesOf(scope, KEL_USER, user, true, roles)) {
    last = rc;
    return Verdict::NoHit;
  }
  for (const auto& role : roles) {
    EntryLookup found;
    int rc = lookupEntry(scope, KEL_ROLE, role.c_str(), permission, found);
    if (rc == KEL_SUCCESS) {
      hit = std::move(found);
      return (hit.flags & kEntryNo) ? Verdict::Refused : Verdict::Granted;
    }
    last = rc;
  }
  return Verdict::NoHit;
}

int resolve(int scopeKind, const char* scopeName, const char* user, const char* permission, char** value,
            int* flags, bool globalStep) {
  if (value) *value = nullptr;
  if (flags) *flags = kEntryNotFound;
  if (int rc = requireInitialised()) return rc;
  if (!scopeName || !user || !permission) return KEL_INVALID_ARGUMENT;
  if (int rc = requireOpen()) return rc;

  int last = KEL_NOT_FOUND;
  EntryLookup hit;
  Verdict verdict = Verdict::NoHit;
  if (globalStep) {
    ObjectRecord global;
    if (int rc = findScope(KEL_GLOBAL_MODULE, nullptr, global)) return rc;
    verdict = resolveIn(global, user, permission, hit, last);
  }
  if (verdict == Verdict::NoHit && scopeKind == KEL_PROJECT) {
    ObjectRecord project;
    int rc = findScope(KEL_PROJECT, scopeName, project);
    if (rc == KEL_SUCCESS)
      verdict = resolveIn(project, user, permission, hit, last);
    else
      last = rc;
  }
  if (verdict == Verdict::NoHit) return last;
  if (flags) *flags = hit.flags;
  if (verdict == Verdict::Refused) return KEL_NOT_FOUND;
  if (value && hit.value) {
    *value = kelStrdup(hit.value->c_str());
    if (!*value) return KEL_OUT_OF_MEMORY;
  }
  return KEL_SUCCESS;
}

}  // namespace

int rolesOf(const ObjectRecord& scope, int objectKind, const char* name, bool withGroups, TextList& out) {
  out.clear();
  if (!name || !*name) return KEL_INVALID_ARGUMENT;
  ObjectRecord object;
  int rc = findObject(objectKind, scope.id(), name, object);
  if (rc == KEL_NOT_FOUND && objectKind == KEL_USER && scope.type() == KEL_GLOBAL_MODULE) {
    out.push_back(kDefaultUnregisteredUserRole);
    return KEL_SUCCESS;
  }
  if (rc) return rc;
  for (const auto& role : firstListOf(object)) addOnce(out, role);
  if (objectKind != KEL_USER) return KEL_SUCCESS;
  if (withGroups)
    if ((rc = addGroupRoles(scope, name, out))) return rc;
  if (out.empty()) out.push_back(kDefaultRegisteredUserRole);
  return KEL_SUCCESS;
}

int lookupEntry(const ObjectRecord& scope, int objectKind, const char* objectName, const char* key,
                EntryLookup& out) {
  if (!objectName || !*objectName || !key) return KEL_INVALID_ARGUMENT;
  ObjectRecord object;
  if (int rc = findObject(objectKind, scope.id(), objectName, object)) return rc;
  const TextList entries = firstListOf(object);
  const std::string* entry = findEntry(entries, key);
  if (!entry) return KEL_NOT_FOUND;
  EntryParts parts = splitEntry(*entry);
  out.flags = parts.flags;
  out.value.reset();
  if (parts.value) out.value = std::string(*parts.value);
  return KEL_SUCCESS;
}

}  // namespace kel

extern "C" KEL_API kelResult kelGetRoles(int scopeKind, const char* scopeName, int objectKind,
                                         const char* objectName, char** list, int noGroups) {
  return kel::exportBarrier([&]() -> int {
    if (list) *list = nullptr;
    if (int rc = kel::requireInitialised()) return rc;
    if (objectKind != KEL_USER && objectKind != KEL_ROLE) return KEL_INVALID_ARGUMENT;
    kel::ObjectRecord scope;
    if (int rc = kel::findScope(scopeKind, scopeName, scope)) return rc;
    kel::TextList roles;
    if (int rc = kel::rolesOf(scope, objectKind, objectName, noGroups == 0, roles)) return rc;
    if (list && !(*list = kel::listBlock(roles))) return KEL_OUT_OF_MEMORY;
    return KEL_SUCCESS;
  });
}

extern "C" KEL_API kelResult kelResolvePermission(int scopeKind, const char* scopeName, const char* user,
                                                  const char* permission, char** value, int* flags) {
  return kel::exportBarrier([&]() -> int {
    if (scopeKind != KEL_GLOBAL_MODULE && scopeKind != KEL_PROJECT) {
      if (value) *value = nullptr;
      if (flags) *flags = kel::kEntryNotFound;
      if (int rc = kel::requireInitialised()) return rc;
      return KEL_INVALID_ARGUMENT;
    }
    return kel::resolve(scopeKind, scopeName, user, permission, value, flags, true);
  });
}

extern "C" KEL_API kelResult kelResolvePermissionInSO(int scopeKind, const char* scopeName, const char* user,
                                                      const char* permission, char** value, int* flags) {
  return kel::exportBarrier([&]() -> int {
    if (scopeKind != KEL_PROJECT) {
      if (value) *value = nullptr;
      if (flags) *flags = kel::kEntryNotFound;
      if (int rc = kel::requireInitialised()) return rc;
      return KEL_INVALID_ARGUMENT;
    }
    return kel::resolve(scopeKind, scopeName, user, permission, value, flags, false);
  });
}
