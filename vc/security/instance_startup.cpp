// Start-up and clean-up of a calling process's instance (vcAPIinit,
// vcAPIinitRegister, vcAPIcleanup): the instance binds and opens the security
// database, takes the global policy statements as options, and at its end
// closes the database after every clean-up hook has run.
#include "vc/config/option_lookup.h"
#include "vc/config/option_state.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/security/kel_binding.h"
#include "vc/security/security_policies.h"
#include "vc/security/security_state.h"

#include "platform/dynlib/dynlib.h"
#include "platform/fs/path_separators.h"

#include <list>
#include <optional>
#include <string>

namespace vc {
namespace {

void putDefaults(VcOptionList& global) {
  // In this order; each goes in front, so the list ends newest first.
  for (const char* flag : {"textdiff", "century", "keywordexpand", "writeprotect"})
    setOption(global, flag, std::nullopt, 0);
  setOption(global, "logformat", std::string("%C %u %r %f %D %l"), 0);
  setOption(global, "rcspath", std::string("%v%d\\rcs\\%f"), 0);
  setOption(global, "newline", std::string("\n"), 0);
  setOption(global, "os", std::string("linux"), 0);
}

// Puts every entry that does not come from a policy statement at the head,
// in walking order (so they end reversed); policy entries keep their order.
void reorderGlobalList(VcOptionList& global) {
  std::list<VcOption> policy;
  std::list<VcOption> others;
  for (VcOption& o : global.options) {
    if (o.flags & kOptPolicy)
      policy.push_back(std::move(o));
    else
      others.push_front(std::move(o));
  }
  global.options = std::move(others);
  global.options.splice(global.options.end(), policy);
  global.index.forget();
}

// Releases what the instance in slot holds and frees the slot.
// The clean-up hooks run first, then the security database closes (with the
// last instance), then the instance ends with its parts (its option lists).
void destroySlot(int slot) {
  VcInstance& inst = *instanceInSlot(slot);
  runCleanupHooks(inst);
  const kel::Api* k = kel::api();
  const bool last = attachedInstanceCount() == 1;
  if (k && last) {
    if (kel::databaseIsOpen()) k->kelCloseDB();
    k->kelExit();
  }
  freeInstance(slot);
  if (last) kel::unbind();
}

int commonStartUp(VcInstance& inst, const char* name) {
  VcSecurityState& security = securityOf(inst);
  // 1. The security database library.
  if (kel::bind() != 0) {
    security.error = 0;
    inst.extraError = 0;
    return fail(inst, err::kSecurityLoadFailed);
  }
  const kel::Api& k = *kel::api();

  // 2. The name handed to the security database: the caller's, else this
  //    library's own file.
  std::string path = name && *name ? orv::fs::forward_slashes(name) : std::string();
  if (path.empty()) {
    path = orv::dynlib::pathOfModuleContaining(reinterpret_cast<const void*>(&vcAPIinit));
  }

  // 3. The default database.
  char database[4096] = {};  // the longest path a database record holds
  if (k.kelGetDefaultDatabase(path.c_str(), inst.identity.currentDirectory.c_str(), database,
                              static_cast<int>(sizeof database)) != 0) {
    security.error = 0;
    inst.extraError = 0;
    return fail(inst, err::kNoDefaultDatabase);
  }
  database[sizeof database - 1] = '\0';

  // 4. The user: the system's name for it, the authenticated user of the
  //    user-name rules (config/user_name.h) until
  //    VC_SYSINFO_SET_AUTHENTICATED_USER names another.
  if (seams().systemUserName(inst.identity.userName, sizeof inst.identity.userName) == 0) {
    inst.flags |= kInstSystemUser;
  } else {
    inst.identity.userName[0] = '\0';
    inst.flags &= ~kInstSystemUser;
  }

  // 5-7. Start the security database and open it (once per loaded library).
  security.databasePath = database;
  if (int rc = k.kelInit(path.c_str())) {
    security.error = rc;
    inst.extraError = k.kelExtraError();
    return fail(inst, err::kSecurityInitFailed, inst.extraError);
  }
  if (!kel::databaseIsOpen()) {
    if (int rc = k.kelOpenDB(security.databasePath.c_str(), 1)) {
      security.error = rc;
      inst.extraError = k.kelExtraError();
      k.kelExit();
      return fail(inst, err::kDatabaseOpenFailed, inst.extraError);
    }
    kel::setDatabaseOpen(true);
  }

  // 8-10. Security on; the global policy statements as options.
  security.databaseOpen = 1;
  security.on = 1;
  security.error = 0;
  loadPolicyStatements(inst, optionsOf(inst).global, 1, "");
  reorderGlobalList(optionsOf(inst).global);
  // 11. The current directory keeps its case on this system (paths are
  //     case-sensitive), so there is nothing to normalise again.
  return 0;
}

int initInstance(const char* name, VcEchoTraceFn echo, VcQueryFn query) {
  const std::uint32_t pid = seams().processId();
  setInstanceEnding(&vcAPIcleanup);
  if (slotOfCallingProcess() >= 0) return 0;  // already attached: nothing changes
  int slot = -1;
  try {
    slot = makeInstance(pid);
    if (slot < 0) return err::kNoInstanceSlot;
    VcInstance& inst = *instanceInSlot(slot);
    inst.scratch.assign(kScratchSize, '\0');
    std::string cwd;
    if (!seams().currentDirectory(cwd) || cwd.empty()) {
      destroySlot(slot);
      return err::kNoCurrentDirectory;
    }
    inst.identity.currentDirectory = orv::fs::forward_slashes(cwd);
    putDefaults(optionsOf(inst).global);
    inst.callbacks.echoTrace = echo;
    inst.callbacks.query = query;
    return commonStartUp(inst, name);
  } catch (const std::bad_alloc&) {
    if (instanceInSlot(slot)) destroySlot(slot);
    return err::kNoMemory;
  }
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcAPIinit(void) {
  return guarded([] { return initInstance(nullptr, nullptr, nullptr); });
}

VC_API VcError vcAPIinitRegister(const char* name, VcEchoTraceFn echo, VcQueryFn query) {
  return guarded([&] { return initInstance(name, echo, query); });
}

VC_API VcError vcAPIcleanup(void) {
  return guarded([] {
    int slot = slotOfCallingProcess();
    if (slot < 0) return err::kBadCaller;
    destroySlot(slot);
    return 0;
  });
}

VC_API int vcKELError(void) {
  VcInstance* inst = currentInstance();
  return inst ? securityOf(*inst).error : -1;
}

}  // extern "C"
