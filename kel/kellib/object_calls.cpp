// Getting, adding and deleting objects: kelGetObject, kelAddObject and
// kelDeleteObject.
//
// Adding and deleting follow one order: the scope is found and its password
// checked (the password callback runs here, before any write transaction is
// taken), then one change covers finding the parent, the containment rule
// and the writes, so a read-modify-write of a list never loses a concurrent
// writer's entries.
#include "kel/kellib/object_calls.h"

#include "kel/kellib/entry_text.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"
#include "kel/kellib/scope.h"
#include "kel/kellib/scope_password.h"
#include "kel/kellib/security_objects.h"
#include "kel/kellib/well_known_names.h"

#include <algorithm>
#include <cstring>

namespace kel {
namespace {

bool topLevelKind(int kind) { return kind == KEL_PROJECT || kind == KEL_PRODUCT || kind == KEL_SECURITY_OBJECT; }

// The scope of an add or delete: the global module for top-level kinds.
int changeScope(int scopeKind, const char* scopeName, int kind, ObjectRecord& scope) {
  if (topLevelKind(kind)) return findScope(KEL_GLOBAL_MODULE, nullptr, scope);
  return findScope(scopeKind, scopeName, scope);
}

bool isScopeItself(const ObjectRecord& scope, int parentKind, const char* parentName) {
  if (parentKind != scope.type()) return false;
  if (parentKind == KEL_GLOBAL_MODULE) return true;
  return parentName && storedName(parentName) == scope.name();
}

// The record under which kind goes; parent is a zeroed record (type 0, id 0)
// for products and security objects. A project is checked as a child of
// the global module but stored at the top level (recordParent).
int findParent(const ObjectRecord& scope, int parentKind, const char* parentName, int kind, ObjectRecord& parent) {
  parent = ObjectRecord();
  if (parentKind != 0 && !isScopeItself(scope, parentKind, parentName)) {
    if (!parentName || !*parentName) return KEL_INVALID_ARGUMENT;
    return findObject(parentKind, scope.id(), parentName, parent);
  }
  if (kind == KEL_PRODUCT || kind == KEL_SECURITY_OBJECT) return KEL_SUCCESS;
  if (kind == KEL_POLICY_LINE) {
    ObjectScan statements(rookdb::Selection::ofTypeUnder(KEL_POLICY_STATEMENT, scope.id()));
    int rc = statements.next(parent);
    if (rc == rookdb::kNotFound) return readFailure(rc);
    return rc;
  }
  parent = scope;
  return KEL_SUCCESS;
}

std::int32_t recordParent(const ObjectRecord& parent, int kind) { return topLevelKind(kind) ? 0 : parent.id(); }

// Whether the add or delete works on entries of the parent's first list.
bool isEntryChange(int parentType, int kind) {
  return (kind == KEL_ROLE && (parentType == KEL_USER || parentType == KEL_GROUP)) ||
         (kind == KEL_POLICY_LINE && parentType == KEL_POLICY_STATEMENT) ||
         (kind == KEL_PERMISSION && parentType == KEL_ROLE);
}

TextList firstList(const ObjectRecord& rec) {
  auto lists = rec.lists();
  return lists.empty() ? TextList{} : lists[0];
}

int replaceFirstList(ObjectRecord& rec, TextList list) {
  auto lists = rec.lists();
  if (lists.empty()) lists.resize(1);
  lists[0] = std::move(list);
  return rec.setLists(lists);
}

int addEntries(ObjectRecord& parent, int kind, const std::vector<std::string>& names) {
  TextList list = firstList(parent);
  for (const auto& name : names) {
    if (kind == KEL_ROLE) {
      // A role is listed once; the list keeps the order roles were given in.
      if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
    } else {
      putEntry(list, name);
    }
  }
  if (int rc = replaceFirstList(parent, std::move(list))) return rc;
  return rewriteObject(parent);
}

int removeEntries(ObjectRecord& parent, int kind, const std::vector<std::string>& names) {
  TextList list = firstList(parent);
  for (const auto& name : names) {
    bool removed;
    if (kind == KEL_ROLE) {
      auto end = std::remove(list.begin(), list.end(), name);
      removed = end != list.end();
      list.erase(end, list.end());
    } else {
      removed = removeEntry(list, name);
    }
    if (!removed) return KEL_NOT_FOUND;
  }
  if (int rc = replaceFirstList(parent, std::move(list))) return rc;
  return rewriteObject(parent);
}

bool isDefaultRole(const ObjectRecord& parent, int kind, const std::string& name) {
  return kind == KEL_ROLE && parent.type() == KEL_GLOBAL_MODULE &&
         (name == kDefaultRegisteredUserRole || name == kDefaultUnregisteredUserRole);
}

// Everything of one add or delete after the scope check, in one change.
template <typename Body>
int inChange(int failCode, Body&& body) {
  Change change;
  if (int rc = change.begin(failCode)) return rc;
  int rc = body();
  int commit = change.commit(failCode);
  return rc ? rc : commit;
}

}  // namespace

std::vector<std::string> nameList(const char* names, int several) {
  std::vector<std::string> out;
  if (!names) return out;
  const char* p = names;
  while (*p) {
    out.emplace_back(p);
    if (!several) break;
    p += std::strlen(p) + 1;
  }
  return out;
}

int findTopLevel(int kind, const char* name, ObjectRecord& out) {
  if (int rc = requireOpen()) return rc;
  if (kind == KEL_GLOBAL_MODULE) return readObject(database().globalId(), out);
  if (!name || !*name) return KEL_INVALID_ARGUMENT;
  if (kind == KEL_SECURITY_OBJECT) {
    std::string path;
    if (securityObjectPath(name, path) != KEL_SUCCESS) path = name;
    return findObject(kind, 0, path, out);
  }
  return findObject(kind, 0, name, out);
}

namespace {

// The frame of an add or delete: the names (at least one), the scope
// (checked), then in one change the parent they go under, on which `body`
// runs with the names.
template <typename Body>
int changeUnderParent(int scopeKind, const char* scopeName, int parentKind, const char* parentName, int kind,
                      const char* names, int several, Body&& body) {
  if (int rc = requireWritable()) return rc;
  const auto list = nameList(names, several);
  if (list.empty()) return KEL_INVALID_ARGUMENT;
  ObjectRecord scope;
  if (int rc = changeScope(scopeKind, scopeName, kind, scope)) return rc;
  if (int rc = checkScope(scope)) return rc;

  return inChange(KEL_CANNOT_WRITE, [&]() -> int {
    ObjectRecord parent;
    if (int rc = findParent(scope, parentKind, parentName, kind, parent)) return rc;
    return body(parent, list);
  });
}

}  // namespace

int addObject(int scopeKind, const char* scopeName, int parentKind, const char* parentName, int kind,
              const char* names, int several) {
  return changeUnderParent(scopeKind, scopeName, parentKind, parentName, kind, names, several,
                           [&](ObjectRecord& parent, const std::vector<std::string>& list) -> int {
    if (int rc = containmentCheck(parent.type(), kind)) return rc;
    if (isEntryChange(parent.type(), kind)) return addEntries(parent, kind, list);
    for (const auto& name : list) {
      std::string stored = name;
      if (kind == KEL_SECURITY_OBJECT)
        if (int rc = securityObjectPath(name, stored)) return rc;
      // Each name stands alone: those before a failing one stay added.
      if (int rc = addObjectRecord(recordParent(parent, kind), kind, stored)) return rc;
    }
    return KEL_SUCCESS;
  });
}

int deleteObject(int scopeKind, const char* scopeName, int parentKind, const char* parentName, int kind,
                 const char* names, int several) {
  return changeUnderParent(scopeKind, scopeName, parentKind, parentName, kind, names, several,
                           [&](ObjectRecord& parent, const std::vector<std::string>& list) -> int {
    int k = kind;
    if (k == KEL_USER && parent.type() == KEL_GROUP) k = KEL_GROUP_MEMBER;
    if (int rc = containmentCheck(parent.type(), k)) return rc;
    if (isEntryChange(parent.type(), k)) return removeEntries(parent, k, list);
    for (const auto& name : list) {
      if (isDefaultRole(parent, k, name)) return KEL_NOT_DELETED;
      std::string stored = name;
      if (k == KEL_SECURITY_OBJECT)
        if (int rc = securityObjectPath(name, stored)) return rc;
      ObjectRecord victim;
      if (int rc = findObject(k, recordParent(parent, k), stored, victim)) return rc;
      if (k == KEL_PROJECT)
        if (int rc = forgetProjectInSecurityObjects(victim.name())) return rc;
      if (int rc = deleteObjectTree(victim.id())) return rc;
    }
    return KEL_SUCCESS;
  });
}

}  // namespace kel

extern "C" KEL_API kelResult kelGetObject(int kind, const char* name, int childKind, const char* childName,
                                          kelObjectRecord** record) {
  return kel::exportBarrier([&]() -> int {
    if (record) *record = nullptr;
    kel::ObjectRecord rec;
    if (childKind == KEL_PRODUCT || childKind == KEL_SECURITY_OBJECT) {
      if (int rc = kel::findTopLevel(childKind, childName, rec)) return rc;
    } else {
      if (int rc = kel::findTopLevel(kind, name, rec)) return rc;
      if (childKind != 0) {
        if (!childName || !*childName) return KEL_INVALID_ARGUMENT;
        kel::ObjectRecord child;
        if (int rc = kel::findObject(childKind, rec.id(), childName, child)) return rc;
        rec = std::move(child);
      }
    }
    if (record && !(*record = rec.copyForCaller())) return KEL_OUT_OF_MEMORY;
    return KEL_SUCCESS;
  });
}

extern "C" KEL_API kelResult kelAddObject(int scopeKind, const char* scopeName, int parentKind,
                                          const char* parentName, int kind, const char* names, int several) {
  return kel::exportBarrier(
      [&]() -> int { return kel::addObject(scopeKind, scopeName, parentKind, parentName, kind, names, several); });
}

extern "C" KEL_API kelResult kelDeleteObject(int scopeKind, const char* scopeName, int parentKind,
                                             const char* parentName, int kind, const char* names, int several) {
  return kel::exportBarrier([&]() -> int {
    return kel::deleteObject(scopeKind, scopeName, parentKind, parentName, kind, names, several);
  });
}
