// The settings directory (see settings_dir.h).
#include "settings_dir.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace orv::profile {

std::string settingsDirectory(bool create) {
  std::string dir;
  const char* explicitDir = std::getenv("ORV_SETTINGS");
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (explicitDir && *explicitDir) {
    dir = explicitDir;
  } else if (xdg && *xdg) {
    dir = std::string(xdg) + "/orv";
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      struct passwd* pw = ::getpwuid(::geteuid());
      home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || !*home) return {};
    dir = std::string(home) + "/.config/orv";
  }
  if (create) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
  }
  return dir;
}

}  // namespace orv::profile
