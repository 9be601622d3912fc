// Reopening a recent file (see recent_file_command.h).
#include "workbench/commands/recent_file_command.h"

#include "vc/include/vc.h"
#include "workbench/app/messages.h"
#include "workbench/archive/archive_revisions.h"

namespace orv::workbench::commands {

namespace {

constexpr int kProjectKinds = 4 | 8 | 16;
constexpr int kArchiveKind = 2;

int probeLibraryProject(const std::string& path) {
  int project = 0;
  const int code = vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY, &project, 0);
  if (code == VC_E_SUCCESS) vcCloseProject(project);
  return code;
}

}  // namespace

void recentFileCommand(ui::Ui& ui, const RecentFiles& recent, int commandId, const WindowOpeners& open) {
  const int n = commandId - kFirstRecentFileCommand;
  if (n < 0 || static_cast<std::size_t>(n) >= recent.entries().size()) return;
  const RecentFile entry = recent.entries()[static_cast<std::size_t>(n)];
  BusyCursor busy(ui);
  if (entry.kind & kProjectKinds) {
    open.openProjectWindow(entry.path);
    return;
  }
  if (entry.kind & kArchiveKind) {
    open.openArchiveWindow(entry.path);
    return;
  }
  const int code = open.probeProject ? open.probeProject(entry.path) : probeLibraryProject(entry.path);
  if (code == VC_E_SUCCESS) {
    open.openProjectWindow(entry.path);
  } else if (code == VC_E_ENCRYPTED_FILE) {
    showText(ui, ui::MessageIcon::warning, formatText(kEncryptedSandboxText, entry.path.c_str()));
  } else {
    open.openArchiveWindow(entry.path);
  }
}

}  // namespace orv::workbench::commands
