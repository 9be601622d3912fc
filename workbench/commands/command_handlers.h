// Which code runs for each menu and tool-bar command: the handlers the
// frame registers in its command router. Opening and creating, the item
// commands, comparisons, import, reports, user tools and recent files are
// the core's own; the operation dialogs (check-in and check-out of an
// archive, promotion, member information, build and the others) are handed
// in as flows (filled by the frame's registration table, frame_registry.h),
// so that the frame can run them on its dialogs and a test on its fakes.
//
// The router has already checked that the window a command needs is
// active; each handler still finds that window itself and does nothing
// without it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workbench/app/temp_names.h"
#include "workbench/commands/command_router.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/open_create_commands.h"
#include "workbench/commands/recent_file_command.h"
#include "workbench/commands/window_commands.h"
#include "workbench/external/archive_import.h"
#include "workbench/external/archive_reports.h"
#include "workbench/external/program_starts.h"
#include "workbench/layers.h"

namespace orv::workbench::commands {

// The operation dialogs' flows. A command whose flow is empty is disabled.
struct DialogFlows {
  std::function<void(ArchiveWindow&)> checkInArchive;
  // Check-out of revision (empty: not exactly one selected): the flow's
  // answer (5: nothing to refresh).
  std::function<int(ArchiveWindow&, const std::string& revision)> checkOutArchive;
  std::function<void(ArchiveWindow&, const std::string& revision, bool promote)> promoteRevision;
  std::function<void(ProjectWindow&, bool promote)> promoteProject;
  std::function<void(ProjectWindow&, std::vector<int>& rows, bool promote)> promoteMembers;
  std::function<void()> addMembers;
  std::function<void(ProjectWindow&, int row)> memberInformation;
  std::function<void(ProjectWindow&, int row)> memberDependencies;
  std::function<void(ProjectWindow&)> build;
  std::function<void(ProjectWindow&)> checkpoint;
  std::function<void(ProjectWindow&, std::vector<int>& rows)> resynchronize;
  std::function<void(ProjectWindow&)> removeUnusedLocks;
  std::function<void(ProjectWindow&)> createSandbox;
  std::function<void()> about;
};

// What the handlers work with.
struct CommandContext {
  ui::Ui& ui;
  WindowRegistry& windows;
  OpenCreateCommands& opening;
  WindowCommands& items;
  ProgramStarts& starts;
  TempFiles& temps;
  const ArchiveImporters& importers;
  const ReportExporter& exporter;
  const RecentFiles& recent;
  // How a recent file opens its window.
  WindowOpeners openers;
  DialogFlows flows;
};

// Registers a handler for every command of the command table in router.
// context must outlive router's use of the handlers.
void registerCommandHandlers(CommandRouter& router, CommandContext& context);

}  // namespace orv::workbench::commands
