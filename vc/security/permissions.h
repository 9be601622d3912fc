// The permission questions that library operations ask the security
// database, and what the bridge needs to know of archives and projects to
// answer them.
//
// Operations call requirePermission (or hasPermission and permissionValue).
// The bridge in force is the security-database bridge (security_bridge.cpp):
// it asks libkel32.so once per scope and permission and caches the answer
// for the life of the loaded library. Tests may replace its entries.
#pragma once

#include "vc/config/option_list.h"
#include "vc/instance/instance.h"

#include <optional>
#include <string>
#include <vector>

namespace vc {

struct PermissionBridge {
  // True when the instance's user holds the permission (name compared
  // without case).
  bool (*granted)(VcInstance& inst, const char* permission);
  // The permission's accumulated policy value ("" when none or not granted).
  std::string (*value)(VcInstance& inst, const char* permission);
};

// The bridge in force; a module (or a test) may replace its entries.
PermissionBridge& permissionBridge();
// Back to the security-database bridge.
void resetPermissionBridge();

inline bool hasPermission(VcInstance& inst, const char* permission) {
  return permissionBridge().granted(inst, permission);
}
inline std::string permissionValue(VcInstance& inst, const char* permission) {
  return permissionBridge().value(inst, permission);
}

// 0 when the user holds the permission; otherwise the refusal code (one of
// 236 to 277), recorded as the instance's last error with the security and
// extra errors cleared, as every refusal reports it.
int requirePermission(VcInstance& inst, const char* permission, int refusal);

// What the bridge asks of the archive and project modules about the
// instance's current archive and project. They install their look-ups here;
// until they do, there is no current archive or project.
struct SecurityScopeSources {
  // The security-object names of the current archive (the "access" names
  // that carried the security-object prefix), in archive order; empty when
  // there is no current archive or it has none.
  std::vector<std::string> (*archiveSecurityObjects)(VcInstance& inst);
  // The current project's file path (its alternative path when the project
  // record says so), absolute with '/' separators; none without a project.
  std::optional<std::string> (*projectPath)(VcInstance& inst);
};

SecurityScopeSources& securityScopeSources();
void resetSecurityScopeSources();

// The archive module installs its archiveSecurityObjects here when it loads
// (until then, and without it, there is no current archive); the reset above
// keeps it.
void setArchiveSecurityObjectsSource(std::vector<std::string> (*source)(VcInstance& inst));

// Loads the policy statements of each security object (a project name of
// the security database) into target, in order; for an archive when its
// header is read, for a project's first option list when it is opened.
// 0, or the first load's nonzero result (5 after `return`, 28 after a
// script error).
int loadSecurityObjectPolicies(VcInstance& inst, VcOptionList& target,
                               const std::vector<std::string>& securityObjects);

// The gate of opening a project: loads the policy statements of the security
// objects registered for the project file into the project's first option list
// (`firstList`), then refuses with VC_E_PROJECT_DENIED ("You are denied access
// to this project") only when that list, or a list it is walked with, defines
// `openproject` with "No" (or, when opened for change, `modifyproject` with
// "No"). An empty security database therefore locks nobody out. 0 when the
// project may be opened.
int projectOpenGate(VcInstance& inst, VcOptionList& firstList, const std::string& projectPath,
                    bool forChange);

// Drops every cached answer (the caches also go when the library unbinds).
void clearPermissionCaches();

}  // namespace vc
