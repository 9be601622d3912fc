// The handler of every command, over the shell's commands and the dialog
// flows the frame hands in.
#include "workbench/commands/command_handlers.h"

#include "vc/include/vc.h"
#include "workbench/commands/command_table.h"
#include "workbench/external/file_choices.h"
#include "workbench/external/file_filters.h"
#include "workbench/external/revision_comparison.h"

namespace orv::workbench::commands {

namespace {

constexpr int kLockItem = 18;
constexpr int kUnlockItem = 23;
constexpr int kProjectArchiveItem = 140;
constexpr int kProjectArchiveNameSize = 1024;
constexpr int kNothingToRefresh = 5;

// Runs flow when it is there, else says that it is not.
template <class Flow, class... Args>
void run(const CommandContext& c, const Flow& flow, Args&&... args) {
  if (flow)
    flow(std::forward<Args>(args)...);
  else if (c.flows.missing)
    c.flows.missing();
}

}  // namespace

void registerCommandHandlers(CommandRouter& router, CommandContext& c) {
  auto on = [&router](int id, std::function<void()> handler) {
    router.setHandler(id, [handler = std::move(handler)](int) { handler(); });
  };
  // The active window of a kind; a window of the other kind gets the beep.
  auto archiveWindow = [&c]() -> ArchiveWindow* {
    ArchiveWindow* window = activeArchiveWindow(c.windows);
    if (!window) c.ui.beep();
    return window;
  };
  auto projectWindow = [&c]() -> ProjectWindow* {
    ProjectWindow* window = activeProjectWindow(c.windows);
    if (!window) c.ui.beep();
    return window;
  };
  // Runs work over the selected rows of the active project window; an
  // empty selection has been told by the window.
  auto withSelection = [&c](const std::function<void(ProjectWindow&, std::vector<int>&)>& work) {
    ProjectSelection selection = activeProjectSelection(c.windows, true);
    if (selection) work(*selection.window, selection.rows);
  };
  auto withOneMember = [&c, projectWindow](const std::function<void(ProjectWindow&, int)>& work) {
    ProjectWindow* window = projectWindow();
    int row = -1;
    if (window && singleMember(c.ui, *window, nullptr, row)) work(*window, row);
  };

  // Opening and creating.
  on(kCommandCreateArchive, [&c] { c.opening.createArchive(); });
  on(kCommandOpenArchive, [&c] { c.opening.openArchive(); });
  on(kCommandCreateProject, [&c] { c.opening.createProject(); });
  on(kCommandOpenProject, [&c] { c.opening.openProject(); });
  on(kCommandOpenMemberArchive, [&c] { c.opening.openMemberArchives(); });
  on(kCommandOpenProjectArchive, [&c, projectWindow] {
    ProjectWindow* window = projectWindow();
    if (!window) return;
    char name[kProjectArchiveNameSize] = {};
    if (vcGetProject(window->project().project, kProjectArchiveItem, name, sizeof name) == 0 && name[0])
      c.opening.openArchiveWindow(name, false, false);
  });
  on(kCommandClose, [&c] {
    if (DocumentWindow* window = c.windows.activeChild()) window->close();
  });

  // The programs started outside.
  on(kCommandCompareFiles, [&c] { compareFilesCommand(c.starts); });
  on(kCommandEditor, [&c] { startEditor(c.starts); });
  for (int id = kCommandUserTool1; id <= kCommandUserTool5; ++id)
    router.setHandler(id, [&c](int tool) { userToolCommand(c.starts, tool); });
  on(kCommandImportArchive, [&c] {
    importArchiveCommand(c.ui, c.importers, fileDialogFilters(kMemberFileFilter));
  });
  on(kCommandCompareRevisions, [&c, archiveWindow] {
    if (ArchiveWindow* window = archiveWindow())
      compareRevisionsCommand(c.starts, window->archive(), c.temps, window->selectedRows());
  });
  on(kCommandMemberDifferences, [&c] {
    ProjectSelection selection = activeProjectSelection(c.windows, true);
    if (!selection) return;
    ProjectWindow& window = *selection.window;
    memberDifferencesCommand(c.starts, window.project(), window.members(), c.temps,
                             selection.rows.data(), selection.count());
  });
  on(kCommandArchiveReport, [&c] {
    ArchiveWindow* window = activeArchiveWindow(c.windows);
    DocumentWindow* active = c.windows.activeChild();
    archiveReportCommand(c.starts, c.temps, c.exporter, active ? active->kind() : ChildKind::none,
                         window ? &window->archive() : nullptr, active ? active->name() : "");
  });
  on(kCommandProjectReport, [&c] {
    ProjectWindow* window = activeProjectWindow(c.windows);
    DocumentWindow* active = c.windows.activeChild();
    projectReportCommand(c.starts, c.temps, c.exporter, active ? active->kind() : ChildKind::none,
                         window ? &window->project() : nullptr, active ? active->name() : "");
  });
  for (int id = kCommandRecentFile1; id <= kCommandRecentFile8; ++id)
    router.setHandler(id, [&c](int entry) { recentFileCommand(c.ui, c.recent, entry, c.openers); });

  // The item commands of both windows.
  on(kCommandLockRevision, [&c] { c.items.setLock(kLockItem); });
  on(kCommandLockMembers, [&c] { c.items.setLock(kLockItem); });
  on(kCommandUnlockRevision, [&c] { c.items.setLock(kUnlockItem); });
  on(kCommandUnlockMembers, [&c] { c.items.setLock(kUnlockItem); });
  on(kCommandFreezeProject, [&c] { c.items.freezeProject(true); });
  on(kCommandThawProject, [&c] { c.items.freezeProject(false); });
  on(kCommandFreezeMembers, [&c] { c.items.freezeMembers(true); });
  on(kCommandThawMembers, [&c] { c.items.freezeMembers(false); });
  on(kCommandDeleteRevision, [&c] { c.items.deleteRevisions(); });
  on(kCommandViewEdit, [&c] { c.items.editWorkingFile(); });
  on(kCommandEditMember, [&c] { c.items.editWorkingFile(); });
  on(kCommandArchiveInfo, [&c] { c.items.archiveInformation(); });
  on(kCommandRevisionInfo, [&c] { c.items.revisionInformation(); });
  on(kCommandProjectInfo, [&c] { c.items.projectInformation(); });
  on(kCommandSelectMembers, [&c] { c.items.selectMembers(); });
  on(kCommandLabelMembers, [&c] { c.items.labelMembers(); });
  on(kCommandRefresh, [&c] { c.items.refresh(); });
  on(kCommandConfiguration, [&c] { c.items.configuration(); });

  // The archive window's operation dialogs.
  on(kCommandCheckIn, [&c, archiveWindow] {
    if (ArchiveWindow* window = archiveWindow()) run(c, c.flows.checkInArchive, *window);
  });
  on(kCommandCheckOut, [&c, archiveWindow] {
    ArchiveWindow* window = archiveWindow();
    if (!window) return;
    if (!c.flows.checkOutArchive) {
      if (c.flows.missing) c.flows.missing();
      return;
    }
    std::string revision;
    singleSelection(c.ui, *window, revision, false);
    const int answer = c.flows.checkOutArchive(*window, revision);
    if (window->archive().handle() == 0)
      window->close();
    else if (answer != kNothingToRefresh && !window->refreshRevisions())
      window->close();
  });
  for (const bool promote : {true, false}) {
    on(promote ? kCommandPromoteRevision : kCommandDemoteRevision, [&c, promote] {
      if (ArchiveWindow* window = activeArchiveWindow(c.windows)) {
        std::string revision;
        if (singleSelection(c.ui, *window, revision, true)) run(c, c.flows.promoteRevision, *window, revision, promote);
      } else if (ProjectWindow* project = activeProjectWindow(c.windows)) {
        run(c, c.flows.promoteProject, *project, promote);
      }
    });
    on(promote ? kCommandPromoteProject : kCommandDemoteProject, [&c, projectWindow, promote] {
      if (ProjectWindow* window = projectWindow()) run(c, c.flows.promoteProject, *window, promote);
    });
    on(promote ? kCommandPromoteMembers : kCommandDemoteMembers, [&c, withSelection, promote] {
      withSelection([&c, promote](ProjectWindow& window, std::vector<int>& rows) {
        run(c, c.flows.promoteMembers, window, rows, promote);
      });
    });
  }

  // The project window's member operations and flows.
  on(kCommandAddMembers, [&c] { run(c, c.flows.addMembers); });
  on(kCommandRemoveMembers, [withSelection] {
    withSelection([](ProjectWindow& window, std::vector<int>& rows) {
      window.memberOperations().removeMembers(rows.data(), static_cast<int>(rows.size()), true);
    });
  });
  on(kCommandUpdateToHead, [withSelection] {
    withSelection([](ProjectWindow& window, std::vector<int>& rows) {
      window.memberOperations().updateMembersToHead(rows.data(), static_cast<int>(rows.size()));
    });
  });
  on(kCommandCheckInMembers, [withSelection] {
    withSelection([](ProjectWindow& window, std::vector<int>& rows) {
      window.memberOperations().checkInMembers(rows.data(), static_cast<int>(rows.size()));
    });
  });
  on(kCommandCheckOutMembers, [withSelection] {
    withSelection([](ProjectWindow& window, std::vector<int>& rows) {
      window.memberOperations().checkOutMembers(rows.data(), static_cast<int>(rows.size()));
    });
  });
  on(kCommandResynchronize, [&c, withSelection] {
    withSelection([&c](ProjectWindow& window, std::vector<int>& rows) { run(c, c.flows.resynchronize, window, rows); });
  });
  on(kCommandViewLog, [projectWindow] {
    if (ProjectWindow* window = projectWindow()) window->memberOperations().viewProjectLog();
  });
  on(kCommandMemberInfo, [&c, withOneMember] {
    withOneMember([&c](ProjectWindow& window, int row) { run(c, c.flows.memberInformation, window, row); });
  });
  on(kCommandDependencies, [&c, withOneMember] {
    withOneMember([&c](ProjectWindow& window, int row) { run(c, c.flows.memberDependencies, window, row); });
  });
  on(kCommandBuild, [&c, projectWindow] {
    if (ProjectWindow* window = projectWindow()) run(c, c.flows.build, *window);
  });
  on(kCommandCheckpoint, [&c, projectWindow] {
    if (ProjectWindow* window = projectWindow()) run(c, c.flows.checkpoint, *window);
  });
  on(kCommandRemoveUnusedLocks, [&c, projectWindow] {
    if (ProjectWindow* window = projectWindow()) run(c, c.flows.removeUnusedLocks, *window);
  });
  on(kCommandCreateSandbox, [&c, projectWindow] {
    if (ProjectWindow* window = projectWindow()) run(c, c.flows.createSandbox, *window);
  });
  on(kCommandProjectNothing, [] {});
  on(kCommandAbout, [&c] { run(c, c.flows.about); });
}

}  // namespace orv::workbench::commands
