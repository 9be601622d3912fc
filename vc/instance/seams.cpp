// Default implementations behind the system seams, and the reaping of
// ended programs that every export does first.
#include "vc/instance/seams.h"
#include "platform/sys/system_calls.h"

#include "vc/instance/instance.h"
#include "platform/spawn/spawner.h"

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace vc {
namespace {

// Every call of the library asks for the process id (its instance is kept
// per process): it is asked of the system once, and again in a child after
// a fork.
std::atomic<std::uint32_t> g_processId{0};

void forgetProcessId() { g_processId.store(0, std::memory_order_relaxed); }

std::uint32_t realProcessId() {
  std::uint32_t pid = g_processId.load(std::memory_order_relaxed);
  if (pid != 0) return pid;
  static const bool watched = ::pthread_atfork(nullptr, nullptr, forgetProcessId) == 0;
  pid = static_cast<std::uint32_t>(orv::sys::calls().getpid());
  if (watched) g_processId.store(pid, std::memory_order_relaxed);
  return pid;
}

std::int64_t realNow() { return static_cast<std::int64_t>(orv::sys::calls().time(nullptr)); }

bool realCurrentDirectory(std::string& out) {
  std::vector<char> buf(4096);
  for (;;) {
    if (orv::sys::calls().getcwd(buf.data(), buf.size())) {
      out = buf.data();
      return true;
    }
    if (errno != ERANGE || buf.size() > (1u << 20)) return false;
    buf.resize(buf.size() * 2);
  }
}

orv::platform::Spawner* processSpawner() {
  // Lives as long as the process: children still running at exit go on.
  static orv::platform::PosixSpawner* spawner = new orv::platform::PosixSpawner();
  return spawner;
}

Seams defaults() {
  return Seams{realProcessId, realNow, systemUserName, realCurrentDirectory, processSpawner()};
}

Seams g_seams = defaults();

}  // namespace

Seams& seams() { return g_seams; }
void resetSeams() { g_seams = defaults(); }

int systemUserName(char* buf, std::size_t len) {
  if (!buf || len < 50) return err::kBufferTooSmall;
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> scratch(16384);
  auto& os = orv::sys::calls();
  if (os.getpwuid_r(os.geteuid(), &pw, scratch.data(), scratch.size(), &found) != 0 || !found ||
      !found->pw_name || !*found->pw_name)
    return err::kDone;
  std::size_t n = std::strlen(found->pw_name);
  if (n >= len) return err::kDone;
  std::memcpy(buf, found->pw_name, n + 1);
  return 0;
}

void reapFinishedPrograms() noexcept {
  try {
    if (orv::platform::Spawner* spawner = seams().spawner) spawner->reap();
  } catch (...) {
    // Reaping is housekeeping; a failure here must not fail the call.
  }
}

}  // namespace vc
