// Finding the scope object of a call.
#include "kel/kellib/scope.h"

#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"

namespace kel {

int findScope(int kind, const char* name, ObjectRecord& out) {
  if (int rc = requireOpen()) return rc;
  if (kind == KEL_GLOBAL_MODULE) return readObject(database().globalId(), out);
  if (kind != KEL_PROJECT || !name || !*name) return KEL_INVALID_ARGUMENT;
  return findObject(KEL_PROJECT, 0, name, out);
}

std::string scopeKey(const ObjectRecord& scope) {
  return scope.type() == KEL_GLOBAL_MODULE ? std::string() : scope.name();
}

}  // namespace kel
