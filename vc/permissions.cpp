// The default permission bridge: everything granted, no values.
#include "permissions.h"

namespace vc {
namespace {

bool grantAll(VcInstance&, const char*) { return true; }
std::string noValue(VcInstance&, const char*) { return {}; }

PermissionBridge g_bridge{grantAll, noValue};

}  // namespace

PermissionBridge& permissionBridge() { return g_bridge; }
void resetPermissionBridge() { g_bridge = PermissionBridge{grantAll, noValue}; }

}  // namespace vc
