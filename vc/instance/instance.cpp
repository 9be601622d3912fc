// The instance table, start-up and clean-up of a calling process's instance,
// and the small exports that read the instance's state.
#include "vc/instance/instance.h"
#include "platform/sys/system_calls.h"

#include "dynlib/dynlib.h"
#include "vc/error_codes.h"
#include "vc/security/kel_binding.h"
#include "vc/security/security_policies.h"
#include "vc/instance/seams.h"
#include "vc/paths/path_name.h"
#include "fs/path_separators.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace vc {
namespace {

std::array<std::unique_ptr<VcInstance>, kInstanceSlots> g_slots;

std::vector<CleanupHook>& cleanupHooks() {
  static std::vector<CleanupHook> hooks;
  return hooks;
}

int slotOf(std::uint32_t pid) {
  for (int i = 0; i < kInstanceSlots; ++i)
    if (g_slots[i] && g_slots[i]->identity.processId == pid) return i;
  return -1;
}

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
}

// Releases what the instance in slot holds and frees the slot.
void destroySlot(int slot) {
  VcInstance& inst = *g_slots[slot];
  for (CleanupHook hook : cleanupHooks()) hook(inst);
  const kel::Api* k = kel::api();
  const bool last = attachedInstanceCount() == 1;
  if (k && last) {
    if (kel::databaseIsOpen()) k->kelCloseDB();
    k->kelExit();
  }
  g_slots[slot].reset();
  if (last) kel::unbind();
}

int commonStartUp(VcInstance& inst, const char* name) {
  // 1. The security database library.
  if (kel::bind() != 0) {
    inst.security.error = 0;
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
    inst.security.error = 0;
    inst.extraError = 0;
    return fail(inst, err::kNoDefaultDatabase);
  }
  database[sizeof database - 1] = '\0';

  // 4. The user: the system's name for it, the authenticated user of the
  //    user-name rules (instance/user_name.h) until item 99 names another.
  if (seams().systemUserName(inst.identity.userName, sizeof inst.identity.userName) == 0) {
    inst.flags |= kInstSystemUser;
  } else {
    inst.identity.userName[0] = '\0';
    inst.flags &= ~kInstSystemUser;
  }

  // 5-7. Start the security database and open it (once per loaded library).
  inst.security.databasePath = database;
  if (int rc = k.kelInit(path.c_str())) {
    inst.security.error = rc;
    inst.extraError = k.kelExtraError();
    return fail(inst, err::kSecurityInitFailed, inst.extraError);
  }
  if (!kel::databaseIsOpen()) {
    if (int rc = k.kelOpenDB(inst.security.databasePath.c_str(), 1)) {
      inst.security.error = rc;
      inst.extraError = k.kelExtraError();
      k.kelExit();
      return fail(inst, err::kDatabaseOpenFailed, inst.extraError);
    }
    kel::setDatabaseOpen(true);
  }

  // 8-10. Security on; the global policy statements as options.
  inst.security.databaseOpen = 1;
  inst.security.on = 1;
  inst.security.error = 0;
  loadPolicyStatements(inst, inst.options.global, 1, "");
  reorderGlobalList(inst.options.global);
  // 11. The current directory keeps its case on this system (paths are
  //     case-sensitive), so there is nothing to normalise again.
  return 0;
}

int initInstance(const char* name, VcEchoTraceFn echo, VcQueryFn query) {
  const std::uint32_t pid = seams().processId();
  if (slotOf(pid) >= 0) return 0;  // already attached: nothing changes
  int slot = -1;
  for (int i = 0; i < kInstanceSlots && slot < 0; ++i)
    if (!g_slots[i]) slot = i;
  if (slot < 0) return err::kNoInstanceSlot;

  try {
    g_slots[slot] = std::make_unique<VcInstance>();
    VcInstance& inst = *g_slots[slot];
    inst.identity.processId = pid;
    inst.scratch.assign(kScratchSize, '\0');
    std::string cwd;
    if (!seams().currentDirectory(cwd) || cwd.empty()) {
      destroySlot(slot);
      return err::kNoCurrentDirectory;
    }
    inst.identity.currentDirectory = orv::fs::forward_slashes(cwd);
    putDefaults(inst.options.global);
    inst.callbacks.echoTrace = echo;
    inst.callbacks.query = query;
    return commonStartUp(inst, name);
  } catch (const std::bad_alloc&) {
    if (g_slots[slot]) destroySlot(slot);
    return err::kNoMemory;
  }
}

}  // namespace

VcListSet VcInstance::currentLists() {
  VcListSet set;
  set.global = &options.global;
  set.archive = work.archiveOptions;
  for (int i = 0; i < 3; ++i) set.project[i] = work.projectOptions[i];
  set.local = &options.local;
  return set;
}

VcInstance* currentInstance() {
  int slot = slotOf(seams().processId());
  return slot >= 0 ? g_slots[slot].get() : nullptr;
}

VcInstance* instanceInSlot(int slot) {
  return slot >= 0 && slot < kInstanceSlots ? g_slots[slot].get() : nullptr;
}

void adoptSlotZero() {
  if (g_slots[0]) g_slots[0]->identity.processId = seams().processId();
}

int attachedInstanceCount() {
  int n = 0;
  for (const auto& s : g_slots) n += s ? 1 : 0;
  return n;
}

int fail(VcInstance& inst, int code, int extra) {
  inst.lastError = code;
  if (extra) inst.extraError = extra;
  return code;
}

int copyResult(VcInstance* inst, const std::string& text, char* buf, int len) {
  if (!buf || len < 1) return err::kBadArgument;
  const std::size_t room = static_cast<std::size_t>(len);
  if (text.size() < room) {
    std::memcpy(buf, text.c_str(), text.size() + 1);
    return 0;
  }
  std::memcpy(buf, text.data(), room - 1);
  buf[room - 1] = '\0';
  if (inst) {
    inst->neededLength = static_cast<int>(text.size() + 1);
    inst->lastError = err::kBufferTooSmall;
  }
  return err::kBufferTooSmall;
}

void addCleanupHook(CleanupHook hook) { cleanupHooks().push_back(hook); }

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
    int slot = slotOf(seams().processId());
    if (slot < 0) return err::kBadCaller;
    destroySlot(slot);
    return 0;
  });
}

VC_API VcError vcSetCBHandle(unsigned int value, unsigned int* previous) {
  VcInstance* inst = currentInstance();
  if (!inst) return err::kBadArchiveHandle;
  if (previous) *previous = inst->callbacks.handle;
  inst->callbacks.handle = value;
  return 0;
}

VC_API VcError vcGetCBHandle(unsigned int* value) {
  VcInstance* inst = currentInstance();
  if (!inst) return err::kBadArchiveHandle;
  if (!value) return err::kBadArgument;
  *value = inst->callbacks.handle;
  return 0;
}

VC_API int vcBufferLenQ(void) {
  VcInstance* inst = currentInstance();
  return inst ? inst->neededLength : -1;
}

VC_API int vcExtraError(void) {
  VcInstance* inst = currentInstance();
  return inst ? inst->extraError : -1;
}

VC_API int vcKELError(void) {
  VcInstance* inst = currentInstance();
  return inst ? inst->security.error : -1;
}

VC_API VcError vcConfigRegisterEchoTrace(VcEchoTraceFn echo) {
  VcInstance* inst = currentInstance();
  if (!inst) return err::kBadCaller;
  inst->callbacks.echoTrace = echo;
  return 0;
}

VC_API VcError vcConfigRegisterQuery(VcQueryFn query) {
  VcInstance* inst = currentInstance();
  if (!inst) return err::kBadCaller;
  inst->callbacks.query = query;
  return 0;
}

VC_API VcError vcRegisterPasswdCallback(VcPasswordFn callback) {
  VcInstance* inst = currentInstance();
  if (!inst) return err::kBadCaller;
  inst->callbacks.password = callback;
  return 0;
}

VC_API VcError vcProjectVariableRegister(VcProjectVariableFn callback) {
  VcInstance* inst = currentInstance();
  if (!inst) return err::kBadCaller;
  inst->callbacks.projectVariable = callback;
  return 0;
}

}  // extern "C"
