// The library instance: one record per calling process, kept in a table of
// ten slots keyed by process id. Every export starts by finding the caller's
// instance (currentInstance()); results, extra errors and needed lengths are
// recorded in it. A concern that keeps per-instance state (option lists,
// the current archive and project, the security bridge, the NetWare bridge)
// owns it as a part of the instance (instancePart below), reaches it through
// an accessor in its own header, and releases what it holds through a
// clean-up hook.
#pragma once

#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/instance/instance_callbacks.h"
#include "vc/instance/instance_identity.h"

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

// The base of the parts that concerns keep in an instance.
struct VcInstancePart {
  virtual ~VcInstancePart() = default;
};

// Gives a part type its slot, the same in every instance (instancePart).
int newInstancePartSlot();

// One calling process's instance. The results of the last call are the
// instance's own; everything else is a part owned by the folder of its
// concern, so code that needs only a part includes only that part's header.
struct VcInstance {
  VcInstance() = default;
  VcInstance(const VcInstance&) = delete;
  VcInstance& operator=(const VcInstance&) = delete;
  // Parts go in the reverse order of their making.
  ~VcInstance();

  // Results of the last call.
  int lastError = 0;
  int extraError = 0;
  std::uint32_t flags = 0;
  std::vector<char> scratch;  // kScratchSize working bytes
  int neededLength = 0;       // kept after a call answered 4 (vcBufferLenQ)

  VcIdentity identity;        // instance/instance_identity.h
  VcCallbacks callbacks;      // instance/instance_callbacks.h

  // The concerns' parts by slot (null until first used), and the slots in
  // the order the parts were made.
  std::vector<std::unique_ptr<VcInstancePart>> parts;
  std::vector<int> partsMade;
};

// The part of type T of an instance, made (value-initialised) on first use.
// Each concern calls this from the accessor in its own header, for example
// optionsOf() in config/option_state.h, so a part exists whenever code that
// uses it is linked; it lives until the instance ends, after the clean-up
// hooks have run. References stay valid while other parts are made.
template <class T>
T& instancePart(VcInstance& inst) {
  struct Holder final : VcInstancePart {
    T value{};
  };
  static const int slot = newInstancePartSlot();
  const std::size_t at = static_cast<std::size_t>(slot);
  if (inst.parts.size() <= at) inst.parts.resize(at + 1);
  if (!inst.parts[at]) {
    // Made before it is put in place: making a part may make others.
    auto made = std::make_unique<Holder>();
    inst.partsMade.reserve(inst.partsMade.size() + 1);
    inst.parts[at] = std::move(made);
    inst.partsMade.push_back(slot);
  }
  return static_cast<Holder*>(inst.parts[at].get())->value;
}

// The calling process's instance, or null.
VcInstance* currentInstance();
// Instance in a slot (0-9) or null; for modules that walk all instances.
VcInstance* instanceInSlot(int slot);
// Gives slot 0, when in use, to the calling process (VC_SYSINFO_TAKE_INSTANCE).
void adoptSlotZero();
// Number of attached instances in this process's copy of the library.
int attachedInstanceCount();

// For the start-up and clean-up of instances (security/instance_startup.cpp):
// the slot of the calling process's instance (-1 without one); a new
// instance of processId in a free slot (its slot, -1 when none is free); the
// clean-up hooks over an instance; the end of the instance in a slot, with
// its parts.
int slotOfCallingProcess();
int makeInstance(std::uint32_t processId);
void runCleanupHooks(VcInstance& inst);
void freeInstance(int slot);

// Ends the calling process's instance the way vcAPIcleanup does, for the
// script statement `exit`; the start-up module installs the ending when it
// starts an instance (without one there is nothing to end: err::kBadCaller).
int endCallingInstance();
void setInstanceEnding(int (*ending)());

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

// Collects programs started by scripts that have ended (through the spawner
// of seams.h).
void reapFinishedPrograms() noexcept;

// Runs the body of an export so that no C++ exception leaves the library:
// an allocation failure answers err::kNoMemory (recorded in the caller's
// instance), anything else err::kUnknownError. Each entry also reaps
// finished script programs.
template <class Body>
int guarded(Body&& body) noexcept {
  reapFinishedPrograms();
  try {
    return body();
  } catch (const std::bad_alloc&) {
    if (VcInstance* inst = currentInstance()) inst->lastError = err::kNoMemory;
    return err::kNoMemory;
  } catch (...) {
    if (VcInstance* inst = currentInstance()) inst->lastError = err::kUnknownError;
    return err::kUnknownError;
  }
}

}  // namespace vc
