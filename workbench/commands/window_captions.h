// The captions and window class names of the archive and project windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "workbench/layers.h"

namespace orv::workbench::commands {

// "Archive <name>", or for an archive opened from a project "Archive <name>
// (from <project file's last component>)".
std::string archiveCaption(std::string_view archiveName,
                           std::optional<std::string_view> projectFile = std::nullopt);

// The caption of a project or sandbox window named name, by the project's
// kind bits (sandbox 8, variant sandbox 16) and its frozen and historical
// flags; the first that applies: variant sandbox, frozen, normal,
// historical.
std::string projectCaption(std::string_view name, unsigned kind, bool frozen, bool historical);

// The window classes: "TMDIArchive", and "TMDISandbox" or "TMDIProject".
std::string_view archiveWindowClass();
std::string_view projectWindowClass(unsigned kind);

}  // namespace orv::workbench::commands
