// The instance table, the parts of an instance, the clean-up hooks, and the
// small exports that read the instance's own state. Start-up and clean-up of
// a calling process's instance bind the security database and so live with
// it (security/instance_startup.cpp).
#include "vc/instance/instance.h"

#include "vc/error_codes.h"
#include "vc/instance/seams.h"

#include <array>
#include <atomic>
#include <cstring>

namespace vc {
namespace {

std::array<std::unique_ptr<VcInstance>, kInstanceSlots> g_slots;

int (*g_ending)() = nullptr;

std::vector<CleanupHook>& cleanupHooks() {
  static std::vector<CleanupHook> hooks;
  return hooks;
}

int slotOf(std::uint32_t pid) {
  for (int i = 0; i < kInstanceSlots; ++i)
    if (g_slots[i] && g_slots[i]->identity.processId == pid) return i;
  return -1;
}

}  // namespace

VcInstance::~VcInstance() {
  for (auto it = partsMade.rbegin(); it != partsMade.rend(); ++it)
    parts[static_cast<std::size_t>(*it)].reset();
}

int newInstancePartSlot() {
  static std::atomic<int> next{0};
  return next++;
}

int slotOfCallingProcess() { return slotOf(seams().processId()); }

int makeInstance(std::uint32_t processId) {
  for (int i = 0; i < kInstanceSlots; ++i) {
    if (!g_slots[i]) {
      g_slots[i] = std::make_unique<VcInstance>();
      g_slots[i]->identity.processId = processId;
      return i;
    }
  }
  return -1;
}

int endCallingInstance() { return g_ending ? g_ending() : err::kBadCaller; }

void setInstanceEnding(int (*ending)()) { g_ending = ending; }

void runCleanupHooks(VcInstance& inst) {
  for (CleanupHook hook : cleanupHooks()) hook(inst);
}

void freeInstance(int slot) {
  if (slot >= 0 && slot < kInstanceSlots) g_slots[slot].reset();
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
