// Instance information items: vcGetSysInfo and vcSetSysInfo.
#include "vc/project/system_info.h"

#include "vc/archive/archive_handles.h"
#include "vc/error_codes.h"
#include "vc/archive/user_locks.h"
#include "vc/config/item_values.h"
#include "vc/instance/instance.h"
#include "vc/config/user_name.h"
#include "vc/instance/seams.h"
#include "vc/config/option_state.h"
#include "vc/security/kel_binding.h"
#include "vc/security/security_state.h"
#include "vc/archive/current_work.h"
#include "vc/project/project_work.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vc {
namespace {

inline constexpr int kLibraryLevel = VC_LIBRARY_LEVEL;

int noHandle(VcInstance&, VcProject*) { return 0; }
int noProject(VcInstance&, int) { return err::kBadProjectHandle; }

ProjectHandleHooks g_projects{noHandle, noProject};

int put32(VcInstance& inst, char* buf, int len, int value) {
  if (len < 4) return fail(inst, err::kBadArgument);
  const std::int32_t v = value;
  std::memcpy(buf, &v, 4);
  return 0;
}

// A decimal handle; false for text that is not one.
bool decimal(const char* text, int& out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < 0 || v > 0x7fffffff) return false;
  out = static_cast<int>(v);
  return true;
}

int getSysInfo(int item, char* buf, int len) {
  if (!buf || len < 1) return err::kBadArgument;
  if (item == VC_SYSINFO_LIBRARY_LEVEL) {
    buf[0] = static_cast<char>(kLibraryLevel);
    return 0;
  }
  VcInstance* ip = currentInstance();
  if (!ip) {
    if (item != VC_SYSINFO_USER) return err::kBadCaller;
    return seams().systemUserName(buf, static_cast<std::size_t>(len));
  }
  VcInstance& inst = *ip;
  switch (item) {
    case VC_SYSINFO_CURRENT_DIR: return copyResult(&inst, inst.identity.currentDirectory, buf, len);
    case VC_SYSINFO_USER: return copyResult(&inst, currentUserName(inst), buf, len);
    case VC_SYSINFO_LOGIN_NAME: return copyResult(&inst, loginName(inst), buf, len);
    case VC_SYSINFO_SECURITY_DATABASE: return copyResult(&inst, securityOf(inst).databasePath, buf, len);
    case VC_SYSINFO_START_USER: return copyResult(&inst, startUpUserName(inst), buf, len);
    case VC_SYSINFO_CURRENT_PROJECT:
      return put32(inst, buf, len,
                   projectWorkOf(inst).project ? g_projects.handleOf(inst, projectWorkOf(inst).project) : 0);
    case VC_SYSINFO_CURRENT_ARCHIVE:
      return put32(inst, buf, len, archiveWorkOf(inst).archive ? archiveWorkOf(inst).archive->handle : 0);
    case VC_SYSINFO_USER_REGISTERED: {
      // A user the database does not know gets only what it grants to
      // unregistered users; the workbench tells the user so at start-up.
      const kel::Api* k = kel::api();
      if (!k || !kel::databaseIsOpen()) return fail(inst, err::kBadArgument);
      const std::string user = currentUserName(inst);
      const bool known = !user.empty() && k->kelGetObject(KEL_GLOBAL_MODULE, "", KEL_USER, user.c_str(), nullptr) == 0;
      return copyResult(&inst, known ? "1" : "0", buf, len);
    }
    default: return fail(inst, err::kBadArgument);
  }
}

int setSysInfo(int item, const char* value) {
  if (item == VC_SYSINFO_TAKE_INSTANCE && instanceInSlot(0)) {
    adoptSlotZero();
    return 0;
  }
  VcInstance* ip = currentInstance();
  if (!ip) return err::kBadCaller;
  VcInstance& inst = *ip;
  if (!value) return fail(inst, err::kBadArgument);
  const std::string v = value;
  switch (item) {
    case VC_SYSINFO_SET_CURRENT_DIR: inst.identity.currentDirectory = v; return 0;
    case VC_SYSINFO_SET_LOGNAME:
      setOption(optionsOf(inst).local, "logname", v.empty() ? std::string("unknown") : v, 0);
      return 0;
    case VC_SYSINFO_SET_RESERVED: return 0;
    case VC_SYSINFO_SET_CURRENT_PROJECT: {
      int handle = 0;
      // An empty text, as the workbench writes it, means no project.
      if (*value && !decimal(value, handle)) return fail(inst, err::kBadProjectHandle);
      if (handle == 0) {
        projectWorkOf(inst).project = nullptr;
        for (auto& list : optionsOf(inst).project) list = nullptr;
        return 0;
      }
      const int rc = g_projects.select(inst, handle);
      return rc ? fail(inst, rc) : 0;
    }
    case VC_SYSINFO_SET_CURRENT_ARCHIVE: {
      int handle = 0;
      if (*value && !decimal(value, handle)) return fail(inst, err::kBadArchiveHandle);
      if (handle == 0) {
        archiveWorkOf(inst).archive = nullptr;
        optionsOf(inst).archive = nullptr;
        return 0;
      }
      VcArchive* a = nullptr;
      if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
      archiveWorkOf(inst).archive = a;
      return 0;
    }
    case VC_SYSINFO_SET_SECURITY: securityOf(inst).on = byteValue(value) & 1; return 0;
    case VC_SYSINFO_SET_AUTHENTICATED_USER:
      if (v.empty() || v.size() >= kUserNameSize) return fail(inst, err::kBadArgument);
      std::memcpy(inst.identity.userName, v.c_str(), v.size() + 1);
      inst.flags |= kInstSystemUser;
      return 0;
    default: return fail(inst, err::kBadArgument);
  }
}

}  // namespace

ProjectHandleHooks& projectHandleHooks() { return g_projects; }
void resetProjectHandleHooks() { g_projects = ProjectHandleHooks{noHandle, noProject}; }

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcGetSysInfo(int item, char* buffer, int length) {
  return guarded([&] { return getSysInfo(item, buffer, length); });
}

VC_API VcError vcSetSysInfo(int item, const char* value) {
  return guarded([&] { return setSysInfo(item, value); });
}

}  // extern "C"
