// Run-time binding of the security database library (libkel32.so).
//
// The library is loaded by name once per loaded copy of the revision library:
// from $ORV_KEL_LIBRARY when set, else beside librevlib32.so, else through
// the system's search path; its sixteen entry points are bound by name.
#pragma once

#include <cstdint>

namespace vc::kel {

inline constexpr const char* kLibraryName = "libkel32.so";
inline constexpr const char* kOverrideVariable = "ORV_KEL_LIBRARY";

// Fixed part of the security database's one record kind; its variable data
// (lists of NUL-terminated texts, each list ended by an empty text) follows
// directly behind these 148 bytes.
struct ObjectRecord {
  std::int32_t objectId;
  std::int32_t objectType;
  std::int32_t parentId;
  char name[56];
  char text[64];
  std::int32_t attrib1;
  std::int32_t attrib2;
  std::int32_t attrib3;
  std::int32_t attrib4;
};
static_assert(sizeof(ObjectRecord) == 148, "the record's fixed part is 148 bytes");

inline const char* varData(const ObjectRecord* r) {
  return reinterpret_cast<const char*>(r) + sizeof(ObjectRecord);
}

inline constexpr int kKindPolicyStatement = 5;
inline constexpr int kKindSecurityObject = 9;

using EnumCallback = int (*)(int kind, const char* name, ObjectRecord* record);
using BuiltinPolicyCallback = int (*)(const void* row);

struct Api {
  int (*kelInit)(const char* name);
  int (*kelGetDefaultDatabase)(const char* program, const char* currentDir, char* out, int length);
  int (*kelExtraError)(void);
  int (*kelExit)(void);
  int (*kelErrorStr)(int code, char* buffer, int length);
  int (*kelResolvePermission)(int scopeKind, const char* scope, const char* user,
                              const char* permission, char** value, int* flags);
  int (*kelResolvePermissionInSO)(int scopeKind, const char* scope, const char* user,
                                  const char* permission, char** value, int* flags);
  int (*kelGetObject)(int kind, const char* name, int childKind, const char* childName,
                      ObjectRecord** record);
  int (*kelEnumInfo)(int scopeKind, const char* scope, int kind, EnumCallback callback);
  int (*kelGetRoles)(int scopeKind, const char* scope, const char* user, char** roles);
  void (*kelFree)(void* block);
  int (*kelGetFrag)(int scopeKind, const char* scope, const char* statement, const char* fragment,
                    ObjectRecord** record);
  int (*kelAppendRedirector)(const char* redirector, const char* database);
  int (*kelOpenDB)(const char* path, int readOnly);
  int (*kelCloseDB)(void);
  int (*kelEnumBuiltinPolicy)(const char* product, const char* kind, const char* category,
                              BuiltinPolicyCallback callback);
};

// Loads and binds the library once; 0, or 270 when it or an entry point is
// missing. A second call is a no-op.
int bind();
// The bound entry points, or null when not bound.
const Api* api();
// Frees the binding and unloads the library.
void unbind();

// The database is opened once per loaded library and stays open until the
// last instance ends.
bool databaseIsOpen();
void setDatabaseOpen(bool open);

}  // namespace vc::kel
