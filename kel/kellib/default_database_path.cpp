// kelGetDefaultDatabase: the default database derived from the program path.
// The file checks and the running program's path go through the system-call
// seam.
#include "kel/kellib/default_database_path.h"

#include "kel/kellib/absolute_path.h"
#include "kel/kellib/caller_buffer.h"
#include "platform/dynlib/dynlib.h"
#include "platform/fs/path_separators.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "platform/sys/system_calls.h"

#include <climits>
#include <sys/stat.h>

namespace kel {
namespace {

constexpr std::string_view kDatabaseDirectory = "orvkel/orvkel";

bool isAbsolute(std::string_view p) {
  if (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')))
    p.remove_prefix(2);
  return !p.empty() && p.front() == '/';
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return orv::sys::calls().stat(path.c_str(), &st) == 0;
}

std::string baseName(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::string runningProgramPath() {
  char buf[PATH_MAX];
  ssize_t n = orv::sys::calls().readlink("/proc/self/exe", buf, sizeof buf);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf) return {};
  return std::string(buf, static_cast<std::size_t>(n));
}

int defaultDatabasePath(std::string_view programArg, std::string_view currentDirectory, std::string& out) {
  std::string program = orv::fs::forward_slashes(programArg);
  if (program.empty()) return KEL_NOT_FOUND;

  if (!isAbsolute(program) && program.find('/') == std::string::npos) {
    // A bare name is how a shell starts a program found through PATH: when
    // no such file lies in the current directory, take the running program.
    std::string here = std::string(currentDirectory) + "/" + program;
    if (currentDirectory.empty() || !fileExists(here)) {
      std::string self = runningProgramPath();
      if (!self.empty() && baseName(self) == program) program = self;
    }
  }

  std::string absolute;
  if (int err = makeAbsolutePath(program, currentDirectory, absolute)) {
    setExtraError(err);
    return KEL_NOT_FOUND;
  }
  // Replace the last two components (program directory and program name).
  std::size_t last = absolute.rfind('/');
  std::size_t secondLast = last == 0 || last == std::string::npos ? std::string::npos : absolute.rfind('/', last - 1);
  if (secondLast == std::string::npos)
    out = kDatabaseDirectory;
  else
    out = absolute.substr(0, secondLast + 1) + std::string(kDatabaseDirectory);
  return KEL_SUCCESS;
}

}  // namespace kel

extern "C" KEL_API kelResult kelGetDefaultDatabase(const char* program, const char* currentDirectory, char* out,
                                                   int length) {
  return kel::exportBarrier([&]() -> int {
    if (!out) return KEL_INVALID_ARGUMENT;
    std::string name = program ? program : "";
    if (name.empty()) {
      // Without a name the database lies beside this library's directory.
      name = orv::dynlib::pathOfModuleContaining(reinterpret_cast<const void*>(&kelGetDefaultDatabase));
      if (name.empty()) name = kel::runningProgramPath();
    }
    std::string path;
    if (int rc = kel::defaultDatabasePath(name, currentDirectory ? currentDirectory : "", path)) return rc;
    return kel::copyToCaller(path, out, length);
  });
}
