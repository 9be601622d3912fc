// The location checks of Create Project and Create Sandbox (see
// project_locations.h).
#include "workbench/dialogs/project_locations.h"

#include <sys/stat.h>

#include <filesystem>

#include "workbench/app/messages.h"

namespace orv::workbench::dialogs {

namespace {

enum class Kind { missing, file, directory };

Kind kindOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return Kind::missing;
  return S_ISDIR(st.st_mode) ? Kind::directory : Kind::file;
}

bool absolute(const std::string& path) { return !path.empty() && path.front() == '/'; }
bool hasWildcards(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }
// A path that ends in '/' names a directory, not a file.
bool namesFile(const std::string& path) { return !path.empty() && path.back() != '/'; }

LocationCheck fail(int focus, std::string message) { return {false, std::move(message), focus}; }

std::string normalised(const std::string& dir) {
  std::string out = std::filesystem::path(dir).lexically_normal().string();
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

}  // namespace

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool sameDirectory(const std::string& dirA, const std::string& dirB) {
  if (normalised(dirA) == normalised(dirB)) return true;
  struct stat a {}, b {};
  return ::stat(dirA.c_str(), &a) == 0 && ::stat(dirB.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

LocationCheck checkProjectLocations(const std::string& p, const std::string& s, int projectId, int sandboxId) {
  const char* const projectAbsolute = "You must specify an absolute path to the project file %s.";
  if (!absolute(p) || !namesFile(p)) return fail(projectId, app::formatText(projectAbsolute, p.c_str()));
  if (hasWildcards(p)) return fail(projectId, app::formatText("Wildcards are not allowed in filename %s", p.c_str()));
  switch (kindOf(p)) {
    case Kind::file: return fail(projectId, app::formatText("Project %s already exists.", p.c_str()));
    case Kind::directory: return fail(projectId, app::formatText(projectAbsolute, p.c_str()));
    case Kind::missing: break;
  }
  if (s.empty()) return {};
  const char* const sandboxAbsolute = "You must specify an absolute path to the sandbox file %s.";
  if (!absolute(s) || !namesFile(s)) return fail(sandboxId, app::formatText(sandboxAbsolute, s.c_str()));
  if (hasWildcards(s)) return fail(sandboxId, app::formatText("Wildcards are not allowed in filename %s", s.c_str()));
  switch (kindOf(s)) {
    case Kind::file: return fail(sandboxId, app::formatText("Sandbox file %s already exists.", s.c_str()));
    case Kind::directory: return fail(sandboxId, app::formatText(sandboxAbsolute, s.c_str()));
    case Kind::missing: break;
  }
  if (sameDirectory(directoryOf(p), directoryOf(s)))
    return fail(sandboxId, "The project file and sandbox file must be located in different directories.");
  return {};
}

LocationCheck checkSandboxLocation(const std::string& s, const std::string& master, int sandboxId) {
  const char* const notAbsolute = "You must specify an absolute path to the file %s.";
  if (!absolute(s) || !namesFile(s)) return fail(sandboxId, app::formatText(notAbsolute, s.c_str()));
  if (hasWildcards(s)) return fail(sandboxId, app::formatText("Wildcards are not allowed in filename %s", s.c_str()));
  switch (kindOf(s)) {
    case Kind::file: return fail(sandboxId, app::formatText("Sandbox file %s already exists.", s.c_str()));
    case Kind::directory: return fail(sandboxId, app::formatText(notAbsolute, s.c_str()));
    case Kind::missing: break;
  }
  const std::string masterDir = directoryOf(master);
  if (sameDirectory(directoryOf(s), masterDir))
    return fail(sandboxId, app::formatText("Cannot create sandbox in project directory %s.", masterDir.c_str()));
  return {};
}

}  // namespace orv::workbench::dialogs
