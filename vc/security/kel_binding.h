// Run-time binding of the security database library (libkel32.so).
//
// The library is loaded by name once per loaded copy of the revision library:
// from $ORV_KEL_LIBRARY when set, else beside librevlib32.so, else through
// the system's search path; its sixteen entry points are bound by name.
// The slot types are taken from the library's own header, so a binding whose
// signature drifts from the library fails to compile.
#pragma once

#include "kel/kellib/include/kel.h"

#include <cstdint>

namespace vc::kel {

inline constexpr const char* kLibraryName = "libkel32.so";
inline constexpr const char* kOverrideVariable = "ORV_KEL_LIBRARY";

// The security database's one record kind: a 148-byte fixed part followed
// by its variable data (lists of NUL-terminated texts, each list ended by an
// empty text).
using ObjectRecord = ::kelObjectRecord;
static_assert(sizeof(ObjectRecord) == KEL_VARDATA_OFFSET, "the record's fixed part is 148 bytes");

inline const char* varData(const ObjectRecord* r) {
  return reinterpret_cast<const char*>(r) + KEL_VARDATA_OFFSET;
}

inline constexpr int kKindPolicyStatement = KEL_POLICY_STATEMENT;
inline constexpr int kKindSecurityObject = KEL_SECURITY_OBJECT;

// kelEnumInfo goes on while its callback answers 1; kelEnumBuiltinPolicy
// goes on while its callback answers 0.
using EnumCallback = ::kelEnumCallback;
using BuiltinPolicyCallback = ::kelBuiltinPolicyCallback;
using BuiltinPolicy = ::kelBuiltinPolicy;

struct Api {
  decltype(&::kelInit) kelInit;
  decltype(&::kelGetDefaultDatabase) kelGetDefaultDatabase;
  decltype(&::kelExtraError) kelExtraError;
  decltype(&::kelExit) kelExit;
  decltype(&::kelErrorStr) kelErrorStr;
  decltype(&::kelResolvePermission) kelResolvePermission;
  decltype(&::kelResolvePermissionInSO) kelResolvePermissionInSO;
  decltype(&::kelGetObject) kelGetObject;
  decltype(&::kelEnumInfo) kelEnumInfo;
  decltype(&::kelGetRoles) kelGetRoles;
  decltype(&::kelFree) kelFree;
  decltype(&::kelGetFrag) kelGetFrag;
  decltype(&::kelAppendRedirector) kelAppendRedirector;
  decltype(&::kelOpenDB) kelOpenDB;
  decltype(&::kelCloseDB) kelCloseDB;
  decltype(&::kelEnumBuiltinPolicy) kelEnumBuiltinPolicy;
};

// Loads and binds the library once; 0, or VC_E_SECURITY_LOAD_FAILED when it or
// an entry point is missing. A second call is a no-op.
int bind();
// The bound entry points, or null when not bound.
const Api* api();
// Frees the permission caches and the binding, and unloads the library.
void unbind();

// The database is opened once per loaded library and stays open until the
// last instance ends.
bool databaseIsOpen();
void setDatabaseOpen(bool open);

// Called by unbind so that the permission bridge drops what it cached from
// the library that goes away (set by the bridge).
void setUnbindHook(void (*hook)());

}  // namespace vc::kel
