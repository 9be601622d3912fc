// Loading libkel32.so and binding its entry points by name.
#include "vc/security/kel_binding.h"

#include "platform/dynlib/dynlib.h"
#include "vc/error_codes.h"

namespace vc::kel {
namespace {

orv::dynlib::Library g_library;
Api g_api{};
bool g_bound = false;
bool g_databaseOpen = false;
void (*g_unbindHook)() = nullptr;

template <class Fn>
bool take(Fn& slot, const char* name) {
  slot = reinterpret_cast<Fn>(g_library.symbol(name));
  return slot != nullptr;
}

}  // namespace

int bind() {
  if (g_bound) return 0;
  static int anchor;
  if (!orv::dynlib::openBesideModule(g_library, kLibraryName, &anchor, kOverrideVariable))
    return err::kSecurityLoadFailed;
  Api a{};
  bool ok = take(a.kelInit, "kelInit") && take(a.kelGetDefaultDatabase, "kelGetDefaultDatabase") &&
            take(a.kelExtraError, "kelExtraError") && take(a.kelExit, "kelExit") &&
            take(a.kelErrorStr, "kelErrorStr") &&
            take(a.kelResolvePermission, "kelResolvePermission") &&
            take(a.kelResolvePermissionInSO, "kelResolvePermissionInSO") &&
            take(a.kelGetObject, "kelGetObject") && take(a.kelEnumInfo, "kelEnumInfo") &&
            take(a.kelGetRoles, "kelGetRoles") && take(a.kelFree, "kelFree") &&
            take(a.kelGetFrag, "kelGetFrag") &&
            take(a.kelAppendRedirector, "kelAppendRedirector") && take(a.kelOpenDB, "kelOpenDB") &&
            take(a.kelCloseDB, "kelCloseDB") &&
            take(a.kelEnumBuiltinPolicy, "kelEnumBuiltinPolicy");
  if (!ok) {
    g_library.close();
    return err::kSecurityLoadFailed;
  }
  g_api = a;
  g_bound = true;
  return 0;
}

const Api* api() { return g_bound ? &g_api : nullptr; }

void unbind() {
  if (g_unbindHook) g_unbindHook();
  g_api = Api{};
  g_bound = false;
  g_databaseOpen = false;
  g_library.close();
}

bool databaseIsOpen() { return g_databaseOpen; }
void setDatabaseOpen(bool open) { g_databaseOpen = open; }
void setUnbindHook(void (*hook)()) { g_unbindHook = hook; }

}  // namespace vc::kel
