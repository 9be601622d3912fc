// Default implementations behind the system seams.
#include "vc/instance/seams.h"
#include "platform/sys/system_calls.h"

#include "vc/instance/user_name.h"
#include "platform/spawn/spawner.h"

#include <cerrno>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace vc {
namespace {

std::uint32_t realProcessId() { return static_cast<std::uint32_t>(orv::sys::calls().getpid()); }

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

}  // namespace vc
