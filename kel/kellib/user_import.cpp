// Importing users and groups into a scope (the global module or a project):
// kelImportUsersNT, kelImportGroupsNT, kelImportUsersNetWare and
// kelImportGroupsNetWare.
//
// The "NT" calls read ordinary accounts (account_source.h): from the
// system's account database when no server is named, else from the
// directory the server names. There is no NetWare client on this system, so
// the NetWare calls answer 15. Users become kind 3 records in the scope,
// groups kind 4, members kind 7 under their group; an object that exists
// already counts as success, so importing twice adds nothing. Every object
// goes through the ordinary add, so a scope with a password asks the
// registered password callback once, as any change would. The progress
// callback hears the name of each user or group that was added.
#include "kel/kellib/absolute_path.h"
#include "kel/kellib/account_source.h"
#include "platform/fs/path_separators.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_calls.h"
#include "kel/kellib/scope.h"

namespace kel {
namespace {

// Adds one object through the ordinary add, so the scope's password is
// asked for (and cached) exactly as for any other change; an object that
// exists already (21) counts as success. added tells whether it is new.
int addImported(int scopeKind, const char* scopeName, int parentKind, const char* parentName, int kind,
                const std::string& name, bool& added) {
  int rc = addObject(scopeKind, scopeName, parentKind, parentName, kind, name.c_str(), 0);
  added = rc == KEL_SUCCESS;
  return rc == KEL_OBJECT_EXISTS ? KEL_SUCCESS : rc;
}

// Gates, scope and source shared by both imports: the scope must exist
// before the accounts are read.
int prepareImport(int scopeKind, const char* scopeName, const char* server, AccountDatabase& accounts) {
  if (int rc = requireWritable()) return rc;
  ObjectRecord scope;
  if (int rc = findScope(scopeKind, scopeName, scope)) return rc;
  int err = server && *server ? readAccountFiles(orv::fs::forward_slashes(server), accounts)
                               : readSystemAccounts(accounts);
  if (err) {
    setExtraError(err);
    return KEL_NT_ERROR;
  }
  return KEL_SUCCESS;
}

int importUsers(int scopeKind, const char* scopeName, kelImportCallback callback, const char* server) {
  AccountDatabase accounts;
  if (int rc = prepareImport(scopeKind, scopeName, server, accounts)) return rc;
  for (const Account* user : ordinaryUsers(accounts)) {
    bool added = false;
    if (int rc = addImported(scopeKind, scopeName, 0, nullptr, KEL_USER, user->name, added)) return rc;
    if (added && callback) callback(user->name.c_str());
  }
  return KEL_SUCCESS;
}

int importGroups(int scopeKind, const char* scopeName, kelImportCallback callback, const char* server,
                 bool withMembers) {
  AccountDatabase accounts;
  if (int rc = prepareImport(scopeKind, scopeName, server, accounts)) return rc;
  for (const AccountGroup* group : ordinaryGroups(accounts)) {
    bool added = false;
    if (int rc = addImported(scopeKind, scopeName, 0, nullptr, KEL_GROUP, group->name, added)) return rc;
    if (added && callback) callback(group->name.c_str());
    if (!withMembers) continue;
    for (const std::string& member : ordinaryMembers(accounts, *group)) {
      bool memberAdded = false;
      if (int rc = addImported(scopeKind, scopeName, KEL_GROUP, group->name.c_str(), KEL_GROUP_MEMBER, member,
                               memberAdded))
        return rc;
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
