// The library instance: one record per calling process, kept in a table of
// ten slots keyed by process id. Every export starts by finding the caller's
// instance (currentInstance()); results, extra errors and needed lengths are
// recorded in it. Modules that keep per-instance state (archives, projects,
// sandboxes, the security bridge) reach it through this header and release
// what they hold through a clean-up hook.
#pragma once

#include "vc/archive/current_work.h"
#include "vc/config/option_state.h"
#include "vc/include/vc.h"
#include "vc/instance/instance_callbacks.h"
#include "vc/instance/instance_identity.h"
#include "vc/netware/netware_state.h"
#include "vc/security/security_state.h"

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace vc {

// Instance flags.
inline constexpr std::uint32_t kInstCreatedFile = 1;  // the last file open had to create the file
inline constexpr std::uint32_t kInstSystemUser = 2;   // identity.userName holds the authenticated user

inline constexpr int kInstanceSlots = 10;
inline constexpr std::size_t kScratchSize = 2048;

// One calling process's instance. The results of the last call are the
// instance's own; everything else is a part owned by the folder of its
// concern, so code that needs only a part includes only that part's header.
struct VcInstance {
  // Results of the last call.
  int lastError = 0;
  int extraError = 0;
  std::uint32_t flags = 0;
  std::vector<char> scratch;  // kScratchSize working bytes
  int neededLength = 0;       // kept after a call answered 4 (vcBufferLenQ)

  VcIdentity identity;        // instance/instance_identity.h
  VcCallbacks callbacks;      // instance/instance_callbacks.h
  VcOptionState options;      // config/option_state.h
  VcCurrentWork work;         // archive/current_work.h
  VcSecurityState security;   // security/security_state.h
  VcNetWareState netware;     // netware/netware_state.h

  // The lists of this instance's current archive and project.
  VcListSet currentLists();
};

// The calling process's instance, or null.
VcInstance* currentInstance();
// Instance in a slot (0-9) or null; for modules that walk all instances.
VcInstance* instanceInSlot(int slot);
// Gives slot 0, when in use, to the calling process (item 100 of vcSetSysInfo).
void adoptSlotZero();
// Number of attached instances in this process's copy of the library.
int attachedInstanceCount();

// Records code as the instance's last error and answers it.
int fail(VcInstance& inst, int code, int extra = 0);
// Copies text into (buf, len): 0, or 4 with the first len - 1 characters and
// the needed length kept in the instance. len below 1 or a null buffer: 56.
int copyResult(VcInstance* inst, const std::string& text, char* buf, int len);

// Something a module must release when an instance ends (open archives,
// projects, sandboxes). Hooks run in registration order before the option
// lists and the security database are closed.
using CleanupHook = void (*)(VcInstance& inst);
void addCleanupHook(CleanupHook hook);

// Registers a clean-up hook from a module's static initialiser:
//   static vc::CleanupRegistration reg(&closeArchivesOf);
struct CleanupRegistration {
  explicit CleanupRegistration(CleanupHook hook) { addCleanupHook(hook); }
};

}  // namespace vc

namespace vc {

// Collects programs started by scripts that have ended (program_starts.h).
void reapFinishedPrograms() noexcept;

// Runs the body of an export so that no C++ exception leaves the library:
// an allocation failure answers 201 (recorded in the caller's instance),
// anything else 221. Each entry also reaps finished script programs.
template <class Body>
int guarded(Body&& body) noexcept {
  reapFinishedPrograms();
  try {
    return body();
  } catch (const std::bad_alloc&) {
    if (VcInstance* inst = currentInstance()) inst->lastError = 201;
    return 201;
  } catch (...) {
    if (VcInstance* inst = currentInstance()) inst->lastError = 221;
    return 221;
  }
}

}  // namespace vc
