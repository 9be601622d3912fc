// Importing users and groups into a scope (the global module or a project):
// kelImportUsersNT, kelImportGroupsNT, kelImportUsersNetWare and
// kelImportGroupsNetWare.
//
// The "NT" calls read ordinary accounts (account_source.h): from the
// system's account database when no server is named, else from the
// directory the server names. There is no NetWare client on this system, so
// the NetWare calls answer 15. Users become kind 3 records in the scope,
// groups kind 4, members kind 7 under their group; an object that exists
// already counts as success, so importing twice adds nothing. The progress
// callback hears the name of each user or group that was added.
#include "absolute_path.h"
#include "account_source.h"
#include "kel.h"
#include "kel_state.h"
#include "object_store.h"

#include <algorithm>

namespace kel {
namespace {

// The scope's record id, or a code: 5 bad kind or name, 22/202.
int findScope(int scopeKind, const char* scopeName, std::int32_t& scopeId) {
  if (scopeKind == KEL_GLOBAL_MODULE) {
    scopeId = database().globalId();
    return KEL_SUCCESS;
  }
  if (scopeKind != KEL_PROJECT || !scopeName || !*scopeName) return KEL_INVALID_ARGUMENT;
  ObjectRecord project;
  if (int rc = findObject(KEL_PROJECT, 0, scopeName, project)) return rc;
  scopeId = project.id();
  return KEL_SUCCESS;
}

// Changes inside a scope that carries a password need that password, which
// the import has no way to ask for here: such a scope is refused (20)
// rather than changed without it. A scope without password (24 zero bytes)
// lets the import through.
int scopeAllowsImport(std::int32_t scopeId) {
  ObjectRecord scope;
  if (int rc = readObject(scopeId, scope)) return rc;
  const char* hash = scope.textField();
  bool none = std::all_of(hash, hash + 24, [](char c) { return c == '\0'; });
  return none ? KEL_SUCCESS : KEL_INCORRECT_PASSWORD;
}

// Adds one record; 21 (exists) counts as success. added tells whether it
// is new; the record (new or existing) is returned in rec.
int addImported(std::int32_t parent, int kind, const std::string& name, bool& added, ObjectRecord& rec) {
  int rc = addObjectRecord(parent, kind, name, &rec);
  added = rc == KEL_SUCCESS;
  if (rc == KEL_OBJECT_EXISTS) return findObject(kind, parent, name, rec);
  return rc;
}

// Gates, scope and source shared by both imports.
int prepareImport(int scopeKind, const char* scopeName, const char* server, std::int32_t& scopeId,
                  AccountDatabase& accounts) {
  if (int rc = requireWritable()) return rc;
  if (int rc = findScope(scopeKind, scopeName, scopeId)) return rc;
  if (int rc = scopeAllowsImport(scopeId)) return rc;
  int err = server && *server ? readAccountFiles(forwardSlashes(server), accounts) : readSystemAccounts(accounts);
  if (err) {
    setExtraError(err);
    return KEL_NT_ERROR;
  }
  return KEL_SUCCESS;
}

int importUsers(int scopeKind, const char* scopeName, kelImportCallback callback, const char* server) {
  std::int32_t scopeId = 0;
  AccountDatabase accounts;
  if (int rc = prepareImport(scopeKind, scopeName, server, scopeId, accounts)) return rc;
  for (const Account* user : ordinaryUsers(accounts)) {
    bool added = false;
    ObjectRecord rec;
    if (int rc = addImported(scopeId, KEL_USER, user->name, added, rec)) return rc;
    if (added && callback) callback(user->name.c_str());
  }
  return KEL_SUCCESS;
}

int importGroups(int scopeKind, const char* scopeName, kelImportCallback callback, const char* server,
                 bool withMembers) {
  std::int32_t scopeId = 0;
  AccountDatabase accounts;
  if (int rc = prepareImport(scopeKind, scopeName, server, scopeId, accounts)) return rc;
  for (const AccountGroup* group : ordinaryGroups(accounts)) {
    bool added = false;
    ObjectRecord rec;
    if (int rc = addImported(scopeId, KEL_GROUP, group->name, added, rec)) return rc;
    if (added && callback) callback(group->name.c_str());
    if (!withMembers) continue;
    const std::int32_t groupId = rec.id();
    for (const std::string& member : ordinaryMembers(accounts, *group)) {
      bool memberAdded = false;
      ObjectRecord memberRec;
      if (int rc = addImported(groupId, KEL_GROUP_MEMBER, member, memberAdded, memberRec)) return rc;
    }
  }
  return KEL_SUCCESS;
}

}  // namespace
}  // namespace kel

extern "C" KEL_API kelResult kelImportUsersNT(int scopeKind, const char* scopeName, kelImportCallback callback,
                                              const char* server) {
  return kel::exportBarrier([&]() -> int { return kel::importUsers(scopeKind, scopeName, callback, server); });
}

extern "C" KEL_API kelResult kelImportGroupsNT(int scopeKind, const char* scopeName, kelImportCallback callback,
                                               const char* server, int withMembers) {
  return kel::exportBarrier(
      [&]() -> int { return kel::importGroups(scopeKind, scopeName, callback, server, withMembers != 0); });
}

extern "C" KEL_API kelResult kelImportUsersNetWare(int, const char*, kelImportCallback, const char*) {
  return KEL_NOT_AVAILABLE;
}

extern "C" KEL_API kelResult kelImportGroupsNetWare(int, const char*, kelImportCallback, const char*, int) {
  return KEL_NOT_AVAILABLE;
}
