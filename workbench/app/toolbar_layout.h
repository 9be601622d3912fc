// Which buttons the two tool bars carry: the archive bar (archive windows)
// and the project bar (project and sandbox windows). Each is read from
// ORVTY.INI [Archive Toolbar] / [Project Toolbar] Button1..Button42 by
// button name (without case, among the buttons allowed on that bar); when
// no name matches, the bar gets its default layout. Also which program
// gives the View/Edit button its icon.
#pragma once

#include <optional>
#include <span>
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

// The button catalogue: every button a bar may carry, row 0 the separator.
// Some names (CheckIn, CheckOut, Report, LockRevision, UnLockRevision,
// Vardel) appear twice, once per bar, with that bar's command.
enum class BarMembership { both, archiveOnly, projectOnly };
struct CatalogueRow {
  const char* name;
  int commandId;  // 0: the separator
  int iconId;
  BarMembership bars;
};
std::span<const CatalogueRow> toolbarCatalogue();
bool rowOnBar(const CatalogueRow& row, ToolbarKind kind);
// The catalogue rows of kind's default layout.
std::span<const int> defaultToolbarRows(ToolbarKind kind);
// "Archive Toolbar" or "Project Toolbar".
const char* toolbarSection(ToolbarKind kind);

// A bar holds at most this many buttons, separators included.
inline constexpr int kMaxToolbarButtons = 42;

// One button of a bar as a catalogue row; fromDefaults when the bar's
// section named no button and the default layout took its place.
struct ToolbarRowRef {
  int row = 0;
  bool fromDefaults = false;
  bool operator==(const ToolbarRowRef&) const = default;
};
// The rows of kind's section: Button1.. up to the first missing or empty
// key (at most kMaxToolbarButtons), each the first catalogue row on the bar
// whose name matches without case; unknown names are skipped.
std::vector<ToolbarRowRef> readToolbarRows(ToolbarKind kind, const profile::ProfileFile& settings);

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
