// The exported calls of the security-database bridge: asking a permission,
// reading a permission's policy value, and writing a redirector file that
// leads to a database.
#include "vc/paths/path_file_system.h"
#include "vc/config/option_list.h"
#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "platform/sys/system_calls.h"
#include "vc/security/kel_binding.h"
#include "vc/security/permissions.h"
#include "vc/paths/path_name.h"
#include "vc/security/security_state.h"
#include "platform/fs/path_separators.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>

namespace vc {
namespace {

// The file that kelAppendRedirector writes for a redirector name: the name
// itself when it has an extension other than ".dat", else base + ".red".
std::string redirectorFileOf(const std::string& name) {
  const std::size_t slash = name.find_last_of('/');
  const std::size_t dot = name.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  if (!hasExtension) return name + ".red";
  const std::string ext = name.substr(dot + 1);
  if (equalsNoCase(ext, "dat")) return name.substr(0, dot) + ".red";
  return name;
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return orv::sys::calls().lstat(path.c_str(), &st) == 0;
}

int redirectorFailed(VcInstance& inst, int securityError, int extra) {
  securityOf(inst).error = securityError;
  inst.extraError = extra;
  inst.lastError = err::kRedirectorFailed;
  return err::kRedirectorFailed;
}

// Writes a fresh redirector. An existing redirector file is set aside
// first and put back when the new one cannot be written, so a failure never
// leaves the user without the redirector that worked before.
int createRedirector(VcInstance& inst, const char* databaseArg, const char* redirectorArg) {
  if (!databaseArg || !*databaseArg) return fail(inst, err::kBadArgument);
  const std::string database = orv::fs::forward_slashes(databaseArg);
  std::string redirector;
  if (redirectorArg && *redirectorArg) {
    redirector = orv::fs::forward_slashes(redirectorArg);
  } else {
    redirector = securityOf(inst).databasePath;  // VC_SYSINFO_SECURITY_DATABASE
    if (redirector.empty()) return fail(inst, err::kBadArgument);
  }
  const kel::Api* k = kel::api();
  if (!k) return fail(inst, err::kSecurityLoadFailed);

  if (int e = makeDirectoriesFor(redirector)) return redirectorFailed(inst, 0, e);
  const std::string file = redirectorFileOf(redirector);
  const std::string aside = file + ".old";
  bool setAside = false;
  if (fileExists(file)) {
    setWritable(file);  // a read-only redirector is replaced all the same
    if (orv::sys::calls().rename(file.c_str(), aside.c_str()) != 0)
      return redirectorFailed(inst, 0, errno);
    setAside = true;
  }
  if (int rc = k->kelAppendRedirector(redirector.c_str(), database.c_str())) {
    const int extra = k->kelExtraError();
    if (setAside) {
      orv::sys::calls().unlink(file.c_str());
      orv::sys::calls().rename(aside.c_str(), file.c_str());
    }
    return redirectorFailed(inst, rc, extra);
  }
  if (setAside) orv::sys::calls().unlink(aside.c_str());
  securityOf(inst).error = 0;
  return 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcGetPerm(const char* permission) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!permission) return fail(*inst, err::kBadArgument);
    return hasPermission(*inst, permission) ? 0 : VC_PERM_DENIED;
  });
}

VC_API VcError vcGetPermValue(const char* permission, char* buffer, int length) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!permission || !buffer || length < 1) return fail(*inst, err::kBadArgument);
    if (!hasPermission(*inst, permission)) return fail(*inst, err::kUnknownOption);
    return copyResult(inst, permissionValue(*inst, permission), buffer, length);
  });
}

VC_API VcError vcKELCreateRedirector(const char* databasePath, const char* redirectorFile) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return createRedirector(*inst, databasePath, redirectorFile);
  });
}

}  // extern "C"
