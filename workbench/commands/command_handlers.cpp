// The handler of every command, over the core's commands and the dialog
// flows the frame's registration table fills.
#include "workbench/commands/command_handlers.h"

#include "vc/include/vc.h"
#include "workbench/commands/command_table.h"
#include "workbench/external/file_choices.h"
#include "workbench/external/file_filters.h"
#include "workbench/external/revision_comparison.h"

namespace orv::workbench::commands {

namespace {

constexpr int kProjectArchiveNameSize = 1024;
constexpr int kNothingToRefresh = 5;

// Runs flow when it is there; a command without its flow is disabled, so
// only a caller that skips the enabling finds none.
template <class Flow, class... Args>
void run(const Flow& flow, Args&&... args) {
  if (flow) flow(std::forward<Args>(args)...);
}

// What every group of handlers registers with: the router, the context, and
// the ways to the window a command acts on.
class Handlers {
 public:
  Handlers(CommandRouter& commandRouter, CommandContext& context) : router(commandRouter), c(context) {}

  void on(int id, std::function<void()> handler) {
    router.setHandler(id, [handler = std::move(handler)](int) { handler(); });
  }
  // A command that runs a dialog or service of the registration table: it
  // can run only when that entry is filled.
  template <class Entry>
  void on(int id, const Entry& entry, std::function<void()> handler) {
    on(id, std::move(handler));
    router.setAvailability(id, [&entry] { return static_cast<bool>(entry); });
  }
  // The active window of a kind; a window of the other kind gets the beep.
  ArchiveWindow* archiveWindow() const {
    ArchiveWindow* window = activeArchiveWindow(c.windows);
    if (!window) c.ui.beep();
    return window;
  }
  ProjectWindow* projectWindow() const {
    ProjectWindow* window = activeProjectWindow(c.windows);
    if (!window) c.ui.beep();
    return window;
  }
  // Runs work over the selected rows of the active project window; an
  // empty selection has been told by the window.
  void withSelection(const std::function<void(ProjectWindow&, std::vector<int>&)>& work) const {
    ProjectSelection selection = activeProjectSelection(c.windows, true);
    if (selection) work(*selection.window, selection.rows);
  }
  void withOneMember(const std::function<void(ProjectWindow&, int)>& work) const {
    ProjectWindow* window = projectWindow();
    int row = -1;
    if (window && singleMember(c.ui, *window, nullptr, row)) work(*window, row);
  }

  CommandRouter& router;
  CommandContext& c;
};

// Opening, creating and closing archives and projects.
void registerOpenCreateCommands(Handlers& h) {
  CommandContext& c = h.c;
  h.on(kCommandCreateArchive, [&c] { c.opening.createArchive(); });
  h.on(kCommandOpenArchive, [&c] { c.opening.openArchive(); });
  h.on(kCommandCreateProject, [&c] { c.opening.createProject(); });
  h.on(kCommandOpenProject, [&c] { c.opening.openProject(); });
  h.on(kCommandOpenMemberArchive, [&c] { c.opening.openMemberArchives(); });
  h.on(kCommandOpenProjectArchive, [&c, h] {
    ProjectWindow* window = h.projectWindow();
    if (!window) return;
    char name[kProjectArchiveNameSize] = {};
    if (vcGetProject(window->project().project, VC_PROJECT_ITEM_FILE, name, sizeof name) == 0 && name[0])
      c.opening.openArchiveWindow(name, false, false);
  });
  h.on(kCommandClose, [&c] {
    if (DocumentWindow* window = c.windows.activeChild()) window->close();
  });
  for (int id = kCommandRecentFile1; id <= kCommandRecentFile8; ++id)
    h.router.setHandler(id, [&c](int entry) { recentFileCommand(c.ui, c.recent, entry, c.openers); });
}

// The programs started outside: the editor, vardel32 over files, revisions
// and members, the user tools, the importers and the reports.
void registerExternalPrograms(Handlers& h) {
  CommandContext& c = h.c;
  h.on(kCommandCompareFiles, [&c] { compareFilesCommand(c.starts); });
  h.on(kCommandEditor, [&c] { startEditor(c.starts); });
  for (int id = kCommandUserTool1; id <= kCommandUserTool5; ++id)
    h.router.setHandler(id, [&c](int tool) { userToolCommand(c.starts, tool); });
  h.on(kCommandImportArchive, [&c] {
    importArchiveCommand(c.ui, c.importers, fileDialogFilters(kMemberFileFilter));
  });
  h.on(kCommandCompareRevisions, [&c, h] {
    if (ArchiveWindow* window = h.archiveWindow())
      compareRevisionsCommand(c.starts, window->archive(), c.temps, window->selectedRows());
  });
  h.on(kCommandMemberDifferences, [&c] {
    ProjectSelection selection = activeProjectSelection(c.windows, true);
    if (!selection) return;
    ProjectWindow& window = *selection.window;
    memberDifferencesCommand(c.starts, window.project(), window.members(), c.temps,
                             selection.rows.data(), selection.count());
  });
  h.on(kCommandArchiveReport, [&c] {
    ArchiveWindow* window = activeArchiveWindow(c.windows);
    DocumentWindow* active = c.windows.activeChild();
    archiveReportCommand(c.starts, c.temps, c.exporter, active ? active->kind() : ChildKind::none,
                         window ? &window->archive() : nullptr, active ? active->name() : "");
  });
  h.on(kCommandProjectReport, [&c] {
    ProjectWindow* window = activeProjectWindow(c.windows);
    DocumentWindow* active = c.windows.activeChild();
    projectReportCommand(c.starts, c.temps, c.exporter, active ? active->kind() : ChildKind::none,
                         window ? &window->project() : nullptr, active ? active->name() : "");
  });
}

// The item commands of both windows: locks, freezing, deletion, editing,
// information, selection, labels, refresh and configuration.
void registerWindowCommands(Handlers& h) {
  CommandContext& c = h.c;
  h.on(kCommandLockRevision, [&c] { c.items.setLock(VC_REVISION_ITEM_LOCK); });
  h.on(kCommandLockMembers, [&c] { c.items.setLock(VC_REVISION_ITEM_LOCK); });
  h.on(kCommandUnlockRevision, [&c] { c.items.setLock(VC_REVISION_ITEM_UNLOCK); });
  h.on(kCommandUnlockMembers, [&c] { c.items.setLock(VC_REVISION_ITEM_UNLOCK); });
  h.on(kCommandFreezeProject, [&c] { c.items.freezeProject(true); });
  h.on(kCommandThawProject, [&c] { c.items.freezeProject(false); });
  h.on(kCommandFreezeMembers, [&c] { c.items.freezeMembers(true); });
  h.on(kCommandThawMembers, [&c] { c.items.freezeMembers(false); });
  h.on(kCommandDeleteRevision, [&c] { c.items.deleteRevisions(); });
  h.on(kCommandViewEdit, c.items.services().viewOrEdit, [&c] { c.items.editWorkingFile(); });
  h.on(kCommandEditMember, c.items.services().viewOrEdit, [&c] { c.items.editWorkingFile(); });
  h.on(kCommandArchiveInfo, c.items.services().archiveInformation, [&c] { c.items.archiveInformation(); });
  h.on(kCommandRevisionInfo, c.items.services().revisionInformation, [&c] { c.items.revisionInformation(); });
  h.on(kCommandProjectInfo, c.items.services().projectInformation, [&c] { c.items.projectInformation(); });
  h.on(kCommandSelectMembers, c.items.services().selectMembers, [&c] { c.items.selectMembers(); });
  h.on(kCommandLabelMembers, c.items.services().labelMembers, [&c] { c.items.labelMembers(); });
  h.on(kCommandRefresh, [&c] { c.items.refresh(); });
  h.on(kCommandConfiguration, c.items.services().configurationSheet, [&c] { c.items.configuration(); });
}

// The archive window's operation dialogs: check-in, check-out, and
// promotion of a revision (or of the project in a project window).
void registerArchiveDialogs(Handlers& h) {
  CommandContext& c = h.c;
  h.on(kCommandCheckIn, c.flows.checkInArchive, [&c, h] {
    if (ArchiveWindow* window = h.archiveWindow()) run(c.flows.checkInArchive, *window);
  });
  h.on(kCommandCheckOut, c.flows.checkOutArchive, [&c, h] {
    ArchiveWindow* window = h.archiveWindow();
    if (!window || !c.flows.checkOutArchive) return;
    std::string revision;
    singleSelection(c.ui, *window, revision, false);
    const int answer = c.flows.checkOutArchive(*window, revision);
    if (window->archive().handle() == 0)
      window->close();
    else if (answer != kNothingToRefresh && !window->refreshRevisions())
      window->close();
  });
  for (const bool promote : {true, false}) {
    const int id = promote ? kCommandPromoteRevision : kCommandDemoteRevision;
    h.on(id, [&c, promote] {
      if (ArchiveWindow* window = activeArchiveWindow(c.windows)) {
        std::string revision;
        if (singleSelection(c.ui, *window, revision, true)) run(c.flows.promoteRevision, *window, revision, promote);
      } else if (ProjectWindow* project = activeProjectWindow(c.windows)) {
        run(c.flows.promoteProject, *project, promote);
      }
    });
    // In an archive window the revision's flow runs, in a project window
    // the project's.
    h.router.setAvailability(id, [&c] {
      return activeArchiveWindow(c.windows) ? static_cast<bool>(c.flows.promoteRevision)
                                            : static_cast<bool>(c.flows.promoteProject);
    });
  }
}

// The project window's promotion commands, member operations and flows.
void registerProjectCommands(Handlers& h) {
  CommandContext& c = h.c;
  for (const bool promote : {true, false}) {
    h.on(promote ? kCommandPromoteProject : kCommandDemoteProject, c.flows.promoteProject, [&c, h, promote] {
      if (ProjectWindow* window = h.projectWindow()) run(c.flows.promoteProject, *window, promote);
    });
    h.on(promote ? kCommandPromoteMembers : kCommandDemoteMembers, c.flows.promoteMembers, [&c, h, promote] {
      h.withSelection([&c, promote](ProjectWindow& window, std::vector<int>& rows) {
        run(c.flows.promoteMembers, window, rows, promote);
      });
    });
  }
  h.on(kCommandAddMembers, c.flows.addMembers, [&c] { run(c.flows.addMembers); });
  h.on(kCommandRemoveMembers, [h] {
    h.withSelection([](ProjectWindow& window, std::vector<int>& rows) {
      window.memberOperations().removeMembers(rows.data(), static_cast<int>(rows.size()), true);
    });
  });
  h.on(kCommandUpdateToHead, [h] {
    h.withSelection([](ProjectWindow& window, std::vector<int>& rows) {
      window.memberOperations().updateMembersToHead(rows.data(), static_cast<int>(rows.size()));
    });
  });
  h.on(kCommandCheckInMembers, [h] {
    h.withSelection([](ProjectWindow& window, std::vector<int>& rows) {
      window.memberOperations().checkInMembers(rows.data(), static_cast<int>(rows.size()));
    });
  });
  h.on(kCommandCheckOutMembers, [h] {
    h.withSelection([](ProjectWindow& window, std::vector<int>& rows) {
      window.memberOperations().checkOutMembers(rows.data(), static_cast<int>(rows.size()));
    });
  });
  h.on(kCommandResynchronize, c.flows.resynchronize, [&c, h] {
    h.withSelection([&c](ProjectWindow& window, std::vector<int>& rows) { run(c.flows.resynchronize, window, rows); });
  });
  h.on(kCommandViewLog, [h] {
    if (ProjectWindow* window = h.projectWindow()) window->memberOperations().viewProjectLog();
  });
  h.on(kCommandMemberInfo, c.flows.memberInformation, [&c, h] {
    h.withOneMember([&c](ProjectWindow& window, int row) { run(c.flows.memberInformation, window, row); });
  });
  h.on(kCommandDependencies, c.flows.memberDependencies, [&c, h] {
    h.withOneMember([&c](ProjectWindow& window, int row) { run(c.flows.memberDependencies, window, row); });
  });
  h.on(kCommandBuild, c.flows.build, [&c, h] {
    if (ProjectWindow* window = h.projectWindow()) run(c.flows.build, *window);
  });
  h.on(kCommandCheckpoint, c.flows.checkpoint, [&c, h] {
    if (ProjectWindow* window = h.projectWindow()) run(c.flows.checkpoint, *window);
  });
  h.on(kCommandRemoveUnusedLocks, c.flows.removeUnusedLocks, [&c, h] {
    if (ProjectWindow* window = h.projectWindow()) run(c.flows.removeUnusedLocks, *window);
  });
  h.on(kCommandCreateSandbox, c.flows.createSandbox, [&c, h] {
    if (ProjectWindow* window = h.projectWindow()) run(c.flows.createSandbox, *window);
  });
  h.on(kCommandProjectNothing, [] {});
}

}  // namespace

void registerCommandHandlers(CommandRouter& router, CommandContext& c) {
  Handlers h(router, c);
  registerOpenCreateCommands(h);
  registerExternalPrograms(h);
  registerWindowCommands(h);
  registerArchiveDialogs(h);
  registerProjectCommands(h);
  h.on(kCommandAbout, [&c] { run(c.flows.about); });
}

}  // namespace orv::workbench::commands
