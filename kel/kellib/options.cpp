// Options and policies kept as entries of policy statements and roles:
// kelGetOption, kelSetOption, kelGetPolicy and kelAddDefaultPolicy.
#include "kel/kellib/entry_text.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_calls.h"
#include "kel/kellib/object_store.h"
#include "kel/kellib/roles.h"
#include "kel/kellib/scope.h"
#include "kel/kellib/scope_password.h"
#include "kel/kellib/well_known_names.h"

#include <cstring>

namespace kel {
namespace {

bool isPolicyHolder(int kind) { return kind == KEL_POLICY_STATEMENT || kind == KEL_ROLE; }

int getOption(int scopeKind, const char* scopeName, int objectKind, const char* objectName, const char* key,
              char** value, int* flags) {
  if (value) *value = nullptr;
  if (flags) *flags = kEntryNotFound;
  if (int rc = requireInitialised()) return rc;
  if (!isPolicyHolder(objectKind) || !key || !*key) return KEL_INVALID_ARGUMENT;
  ObjectRecord scope;
  if (int rc = findScope(scopeKind, scopeName, scope)) return rc;
  EntryLookup found;
  if (int rc = lookupEntry(scope, objectKind, objectName, key, found)) return rc;
  if (flags) *flags = found.flags;
  if (value && found.value && !(*value = kelStrdup(found.value->c_str()))) return KEL_OUT_OF_MEMORY;
  return KEL_SUCCESS;
}

int setOption(int scopeKind, const char* scopeName, int objectKind, const char* objectName, const char* entry,
              const char* value) {
  if (int rc = requireWritable()) return rc;
  if (!isPolicyHolder(objectKind) || !entry || !*entry) return KEL_INVALID_ARGUMENT;
  std::string text = entry;
  if (value) text += std::string("=") + value;
  const int kind = objectKind == KEL_POLICY_STATEMENT ? KEL_POLICY_LINE : KEL_PERMISSION;
  return addObject(scopeKind, scopeName, objectKind, objectName, kind, text.c_str(), 0);
}

int getPolicy(int scopeKind, const char* scopeName, int objectKind, const char* objectName, char** lists) {
  if (lists) *lists = nullptr;
  if (int rc = requireInitialised()) return rc;
  if (!isPolicyHolder(objectKind) || !lists || !objectName) return KEL_INVALID_ARGUMENT;
  ObjectRecord scope, object;
  if (int rc = findScope(scopeKind, scopeName, scope)) return rc;
  if (int rc = findObject(objectKind, scope.id(), objectName, object)) return rc;
  const std::size_t size = object.size() - ObjectRecord::kFixedSize;
  // A record without lists still has its one closing byte; be safe for none.
  char* block = static_cast<char*>(kelMalloc(static_cast<long>(size ? size : 1)));
  if (!block) return KEL_OUT_OF_MEMORY;
  block[0] = '\0';
  if (size) std::memcpy(block, object.image().data() + ObjectRecord::kFixedSize, size);
  *lists = block;
  return KEL_SUCCESS;
}

int addDefaultPolicy(const char* lines) {
  if (int rc = requireWritable()) return rc;
  const auto list = nameList(lines, 1);
  if (list.empty()) return KEL_INVALID_ARGUMENT;
  ObjectRecord global;
  if (int rc = findScope(KEL_GLOBAL_MODULE, nullptr, global)) return rc;
  if (int rc = checkScope(global)) return rc;

  Change change;
  if (int rc = change.begin()) return rc;
  ObjectRecord statement;
  if (int rc = findObject(KEL_POLICY_STATEMENT, 0, kDefaultPolicyStatementName, statement)) return rc;
  auto all = statement.lists();
  all.resize(std::max<std::size_t>(all.size(), 2));
  for (const auto& line : list) putEntry(all[0], line);
  if (int rc = statement.setLists(all)) return rc;
  if (int rc = rewriteObject(statement)) return rc;
  return change.commit();
}

}  // namespace
}  // namespace kel

extern "C" KEL_API kelResult kelGetOption(int scopeKind, const char* scopeName, int objectKind,
                                          const char* objectName, const char* key, char** value, int* flags) {
  return kel::exportBarrier(
      [&]() -> int { return kel::getOption(scopeKind, scopeName, objectKind, objectName, key, value, flags); });
}

extern "C" KEL_API kelResult kelSetOption(int scopeKind, const char* scopeName, int objectKind,
                                          const char* objectName, const char* entry, const char* value) {
  return kel::exportBarrier(
      [&]() -> int { return kel::setOption(scopeKind, scopeName, objectKind, objectName, entry, value); });
}

extern "C" KEL_API kelResult kelGetPolicy(int scopeKind, const char* scopeName, int objectKind,
                                          const char* objectName, char** lists) {
  return kel::exportBarrier([&]() -> int { return kel::getPolicy(scopeKind, scopeName, objectKind, objectName, lists); });
}

extern "C" KEL_API kelResult kelAddDefaultPolicy(const char* lines) {
  return kel::exportBarrier([&]() -> int { return kel::addDefaultPolicy(lines); });
}
