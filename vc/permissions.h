// The permission questions that library operations ask the security
// database. Operations call hasPermission and permissionValue; what answers
// them is the permission bridge, installed by the security-bridge module.
// Until it is, every permission is granted and every value is empty.
#pragma once

#include "instance.h"

#include <string>

namespace vc {

struct PermissionBridge {
  // True when the instance's user holds the permission (name as spelled,
  // compared without case by the bridge).
  bool (*granted)(VcInstance& inst, const char* permission);
  // The permission's policy value ("" when none or not granted).
  std::string (*value)(VcInstance& inst, const char* permission);
};

// The bridge in force; a module (or a test) replaces its entries.
PermissionBridge& permissionBridge();
// Back to the grant-everything bridge.
void resetPermissionBridge();

inline bool hasPermission(VcInstance& inst, const char* permission) {
  return permissionBridge().granted(inst, permission);
}
inline std::string permissionValue(VcInstance& inst, const char* permission) {
  return permissionBridge().value(inst, permission);
}

}  // namespace vc
