// The File menu's recent-file items: each reopens its entry as a project
// window or an archive window, as its kind says, else as the revision
// library recognises the file.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/ui.h"
#include "workbench/app/recent_files.h"
#include "workbench/layers.h"

namespace orv::workbench::commands {

// How the frame opens the two kinds of window.
struct WindowOpeners {
  std::function<void(const std::string& path)> openProjectWindow;
  std::function<void(const std::string& path)> openArchiveWindow;
  // How a path of no recorded kind is tried as a project: the library's
  // code (vcOpenProject's, the project closed again) when left empty.
  std::function<int(const std::string& path)> probeProject;
};

inline constexpr const char* kEncryptedSandboxText =
    "Sandbox %s cannot be opened because its project archive is encrypted. Sandboxes cannot be used "
    "with encrypted project archives.";

// Recent-file item commandId (1564 to 1571): kinds 4, 8 and 16 open a
// project window, kind 2 an archive window; any other kind is tried as a
// project by the library (an encrypted sandbox's project archive gets its
// message, every other failure opens an archive window). An item without
// an entry does nothing.
void recentFileCommand(ui::Ui& ui, const RecentFiles& recent, int commandId, const WindowOpeners& open);

}  // namespace orv::workbench::commands
