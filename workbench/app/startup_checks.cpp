// Start-up decisions that need no window and no library.
#include "workbench/app/startup_checks.h"

#include "workbench/app/messages.h"

namespace orv::workbench::app {

std::string settingsFilePath(std::string_view dir) {
  std::string path(dir);
  if (!path.empty() && path.back() != '/') path.push_back('/');
  return path + "ORVTY.INI";
}

std::optional<std::string> libraryLevelProblem(int found) {
  if (found >= kRequiredLibraryLevel) return std::nullopt;
  return formatText(
      "Incorrect REVLIB.DLL level.\nNeed level %d, found level %d.\nCheck your system for an "
      "older version of REVLIB.DLL, and remove it.",
      kRequiredLibraryLevel, found);
}

bool showSplash(std::string_view commandLine) {
  return commandLine.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace orv::workbench::app
