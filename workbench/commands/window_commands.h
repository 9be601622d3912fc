// The menu commands that act on the active window's selection, or on its
// archive or project, and then bring the window up to date: lock and
// unlock, freeze and thaw, delete revisions, edit the working file, the
// archive, revision and project information dialogs, selecting and
// labelling members, refresh, and the personal configuration sheet.
//
// An archive operation may leave the window's archive closed (its handle
// 0): the window is then closed instead of refreshed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "vc/include/vc.h"
#include "workbench/app/execute_command.h"
#include "workbench/app/temp_names.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/open_create_commands.h"
#include "workbench/layers.h"

namespace orv::workbench::commands {

// Revision items of the lock commands.
constexpr int kLockRevisionItem = VC_REVISION_ITEM_LOCK;
constexpr int kUnlockRevisionItem = VC_REVISION_ITEM_UNLOCK;

// Dialogs of the information commands.
enum InformationDialog : int {
  kProjectInformationDialog = 316,
  kFrozenProjectInformationDialog = 352,
  kHistoricalProjectInformationDialog = 353,
  kSandboxInformationDialog = 329,
  kFrozenSandboxInformationDialog = 354,
  kHistoricalSandboxInformationDialog = 355,
};

// The dialogs and services the commands hand work to. An empty entry does
// nothing (a dialog that is not there answers Cancel).
struct WindowCommandServices {
  // Opens path in the configured editor.
  std::function<void(const std::string& path)> viewOrEdit;
  // The Archive Information dialog over archive: reads the record, runs,
  // writes the changes after OK.
  std::function<void(OpenArchive&)> archiveInformation;
  // The Revision Information dialog for revision: its answer (1 OK, after
  // the changes were written).
  std::function<int(OpenArchive&, const std::string& revision)> revisionInformation;
  // The project or sandbox information dialog of the given resource: the
  // dialog's change field (-1: every member row changed).
  std::function<int(OpenProject&, int dialog)> projectInformation;
  // The Select Members dialog; after OK it selects the matching rows.
  std::function<void(ProjectWindow&)> selectMembers;
  // The Label Members dialog; after OK it labels the rows.
  std::function<void(ProjectWindow&, std::vector<int>& rows)> labelMembers;
  // The configuration sheet, run modally.
  std::function<void()> configurationSheet;
  // Shows the tool bar again for the active window's file (none without).
  std::function<void(const std::optional<std::string>& file)> showToolbar;
  // Refuses every command-server request while the configuration sheet
  // runs; none: no command server.
  ExecuteServer* commandServer = nullptr;
};

class WindowCommands {
 public:
  WindowCommands(ui::Ui& ui, WindowRegistry& windows, OpenCreateCommands& opening, TempFiles& tempFiles,
                 WindowCommandServices services)
      : ui_(ui), windows_(windows), opening_(opening), tempFiles_(tempFiles), services_(std::move(services)) {}

  // Lock Revision, Unlock Revision, and the member Lock and Unlock: item 18
  // locks, 23 unlocks.
  void setLock(int item);
  // Freeze Project and Thaw Project.
  void freezeProject(bool freeze);
  // The member Freeze and Thaw.
  void freezeMembers(bool freeze);
  void deleteRevisions();
  // Edit Working File of both windows.
  void editWorkingFile();
  void archiveInformation();
  void revisionInformation();
  void projectInformation();
  void selectMembers();
  void labelMembers();
  void refresh();
  void configuration();

  // The dialogs and services the commands hand work to.
  const WindowCommandServices& services() const { return services_; }

 private:
  void editArchiveFile(ArchiveWindow& window);
  void editMemberFile(ProjectWindow& window);
  // Refreshes window's revisions, or closes it when its archive was closed;
  // false when it was closed.
  bool refreshOrClose(ArchiveWindow& window);
  // The library's current project and archive, as the active window has
  // them.
  void publishActiveWindow();

  ui::Ui& ui_;
  WindowRegistry& windows_;
  OpenCreateCommands& opening_;
  TempFiles& tempFiles_;
  WindowCommandServices services_;
};

}  // namespace orv::workbench::commands
