// Which buttons the two tool bars carry: the archive bar (archive windows)
// and the project bar (project and sandbox windows). Each is read from
// ORVTY.INI [Archive Toolbar] / [Project Toolbar] Button1..Button42 by
// button name (without case, among the buttons allowed on that bar); when
// no name matches, the bar gets its default layout. Also which program
// gives the View/Edit button its icon.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/profile/profile.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

enum class ToolbarKind { archive, project };

struct ToolbarButton {
  std::string name;
  int commandId = 0;  // 0: a separator
  int iconId = 0;
};

// The buttons of kind's bar for the settings, in order.
std::vector<ToolbarButton> resolveToolbar(ToolbarKind kind, const profile::ProfileFile& settings);

// The program whose icon the View/Edit button shows: the program associated
// with the file when associations are on ([System]
// UseFileManagerAssociations other than "no") and one was found, else the
// editor; one pair of surrounding double quotes and trailing blanks go.
std::string viewButtonProgram(const std::string& useAssociations,
                              const std::optional<std::string>& associatedProgram,
                              const std::string& editor);

}  // namespace orv::workbench::app
