// Attributes of objects: kelGetAttribute and kelSetAttribute. Attribute 0 is
// the 64-byte Text (a scope's password hash), 1 to 4 are Attrib1-Attrib4.
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_calls.h"
#include "kel/kellib/object_store.h"
#include "kel/kellib/scope.h"
#include "kel/kellib/scope_password.h"

#include <cstddef>
#include <cstring>

namespace kel {
namespace {

constexpr int kScopeItself = 0;

std::size_t fieldOffset(int attribute) {
  return attribute == 0 ? offsetof(kelObjectRecord, Text)
                        : offsetof(kelObjectRecord, Attrib1) + 4 * static_cast<std::size_t>(attribute - 1);
}
std::size_t fieldSize(int attribute) { return attribute == 0 ? ObjectRecord::kTextSize : 4; }

// The scope whose password guards the object: the global module for products.
int attributeScope(int scopeKind, const char* scopeName, int objectKind, ObjectRecord& scope) {
  if (objectKind == KEL_PRODUCT) return findScope(KEL_GLOBAL_MODULE, nullptr, scope);
  return findScope(scopeKind, scopeName, scope);
}

int findAttributeObject(const ObjectRecord& scope, int objectKind, const char* objectName, ObjectRecord& out) {
  if (objectKind == KEL_PRODUCT) return findTopLevel(KEL_PRODUCT, objectName, out);
  if (objectKind == kScopeItself) return readObject(scope.id(), out);
  if (!objectName || !*objectName) return KEL_INVALID_ARGUMENT;
  return findObject(objectKind, scope.id(), objectName, out);
}

int getAttribute(int scopeKind, const char* scopeName, int objectKind, const char* objectName, int attribute,
                 void* buffer, int length) {
  if (int rc = requireInitialised()) return rc;
  if (!buffer || attribute < 0 || attribute > 4) return KEL_INVALID_ARGUMENT;
  if (length < 0 || static_cast<std::size_t>(length) < fieldSize(attribute)) return KEL_BUFFER_TOO_SMALL;
  ObjectRecord scope, object;
  if (int rc = attributeScope(scopeKind, scopeName, objectKind, scope)) return rc;
  if (int rc = findAttributeObject(scope, objectKind, objectName, object)) return rc;
  std::memcpy(buffer, object.image().data() + fieldOffset(attribute), fieldSize(attribute));
  return KEL_SUCCESS;
}

int setAttribute(int scopeKind, const char* scopeName, int objectKind, const char* objectName, int attribute,
                 const void* value, int length) {
  if (int rc = requireWritable()) return rc;
  if (!value || attribute < 0 || attribute > 4 || length < 0) return KEL_INVALID_ARGUMENT;
  ObjectRecord scope;
  if (int rc = attributeScope(scopeKind, scopeName, objectKind, scope)) return rc;
  if (int rc = checkScope(scope)) return rc;

  Change change;
  if (int rc = change.begin()) return rc;
  ObjectRecord object;
  if (int rc = findAttributeObject(scope, objectKind, objectName, object)) return rc;
  const std::size_t n = std::min(static_cast<std::size_t>(length), fieldSize(attribute));
  std::memcpy(object.image().data() + fieldOffset(attribute), value, n);
  if (int rc = rewriteObject(object)) return rc;
  return change.commit();
}

}  // namespace
}  // namespace kel

extern "C" KEL_API kelResult kelGetAttribute(int scopeKind, const char* scopeName, int objectKind,
                                             const char* objectName, int attribute, void* buffer, int length) {
  return kel::exportBarrier([&]() -> int {
    return kel::getAttribute(scopeKind, scopeName, objectKind, objectName, attribute, buffer, length);
  });
}

extern "C" KEL_API kelResult kelSetAttribute(int scopeKind, const char* scopeName, int objectKind,
                                             const char* objectName, int attribute, const void* value, int length) {
  return kel::exportBarrier([&]() -> int {
    return kel::setAttribute(scopeKind, scopeName, objectKind, objectName, attribute, value, length);
  });
}
