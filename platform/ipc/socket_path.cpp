// The socket's path and the checks on its directory.
#include "platform/ipc/socket_path.h"

#include <cerrno>
#include <sys/stat.h>

#include "platform/sys/system_calls.h"

namespace orv::ipc {

namespace {

std::string env(const char* name) {
  const char* v = sys::calls().getenv(name);
  return v ? v : "";
}

// Makes dir (mode 0700) unless it exists; then it must be a directory, not
// a link, owned by us and closed to group and others.
bool ownPrivateDirectory(const std::string& dir) {
  if (sys::calls().mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (sys::calls().lstat(dir.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != sys::calls().geteuid() || (st.st_mode & 077) != 0) {
    errno = EPERM;
    return false;
  }
  return true;
}

}  // namespace

std::string displayKey() {
  std::string key = env("ORVTY_INSTANCE_KEY");
  if (key.empty()) key = env("WAYLAND_DISPLAY");
  if (key.empty()) {
    key = env("DISPLAY");
    for (char& c : key) {
      if (c == ':') c = 'x';
    }
  }
  if (key.empty()) key = "nodisplay";
  for (char& c : key) {
    if (c == '/') c = '_';
  }
  return key;
}

std::string prepareSocketPath(const std::string& program) {
  std::string base = env("XDG_RUNTIME_DIR");
  if (base.empty()) {
    base = "/tmp/orv-" + std::to_string(sys::calls().geteuid());
    if (!ownPrivateDirectory(base)) return {};
  }
  std::string dir = base + "/" + program;
  if (!ownPrivateDirectory(dir)) return {};
  return dir + "/" + displayKey() + ".sock";
}

}  // namespace orv::ipc
