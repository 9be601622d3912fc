// The settings directory (see settings_dir.h).
#include "platform/profile/settings_dir.h"

#include "platform/sys/system_calls.h"

#include <cerrno>
#include <pwd.h>
#include <vector>

namespace orv::profile {
namespace {

// The home directory of the effective user from the password database.
std::string accountHome() {
  auto& os = sys::calls();
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> scratch(16384);
  if (os.getpwuid_r(os.geteuid(), &pw, scratch.data(), scratch.size(), &found) != 0 || !found ||
      !found->pw_dir)
    return {};
  return found->pw_dir;
}

// Creates dir and the directories above it that are missing; failures are
// left to whoever then writes a file there.
void createDirectories(const std::string& dir) {
  for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    const std::string prefix = dir.substr(0, slash);
    if (!prefix.empty() && sys::calls().mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return;
    if (slash == std::string::npos) return;
  }
}

}  // namespace

std::string settingsDirectory(bool create) {
  std::string dir;
  const char* explicitDir = sys::calls().getenv("ORV_SETTINGS");
  const char* xdg = sys::calls().getenv("XDG_CONFIG_HOME");
  if (explicitDir && *explicitDir) {
    dir = explicitDir;
  } else if (xdg && *xdg) {
    dir = std::string(xdg) + "/orv";
  } else {
    const char* homeVar = sys::calls().getenv("HOME");
    const std::string home = homeVar && *homeVar ? std::string(homeVar) : accountHome();
    if (home.empty()) return {};
    dir = home + "/.config/orv";
  }
  if (create) createDirectories(dir);
  return dir;
}

}  // namespace orv::profile
