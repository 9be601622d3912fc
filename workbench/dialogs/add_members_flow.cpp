// The Add Members command (see add_members_flow.h).
#include "workbench/dialogs/add_members_flow.h"

#include <optional>

#include "workbench/app/library_settings.h"
#include "workbench/app/progress_window.h"
#include "workbench/dialogs/create_project_flow.h"
#include "workbench/external/file_filters.h"
#include "workbench/external/file_choices.h"

namespace orv::workbench::dialogs {

bool addChosenMembers(commands::ProjectWindow& window, const FileListAnswer& answer,
                      const project::MemberAddServices& services) {
  project::OpenProject& project = window.project();
  archive::TCreateArchiveTransferStruct record;
  record.allFiles = answer.members.size() < 2 ? 2 : 0;
  std::optional<app::ProgressWindow> progress;
  int inaccessible = 0, alreadyIn = 0;
  bool refresh = false;
  for (std::size_t i = 0; i < answer.members.size(); ++i) {
    const std::string& path = answer.members[i];
    if (!progress && (!answer.createArchives || answer.automatic || record.allFiles == 1)) {
      progress.emplace(project.ui(), "Adding Project Members...", static_cast<unsigned>(answer.members.size() - i));
      progress->setStepping(true);
    }
    if (progress && project::notifyStatus(path.c_str()) == -1) break;
    if (record.allFiles != 1) record.openArchive = 0;
    project.status = project::addProjectMembers(project, path, true, &inaccessible, &alreadyIn, i == 0,
                                                answer.createArchives, answer.automatic, &record, services);
    refresh = true;
    if (inaccessible == ui::kAnswerCancel || alreadyIn == ui::kAnswerCancel) break;
    if (record.cancelAll == 1) break;
  }
  return refresh;
}

void addMembersCommand(commands::ProjectWindow& window, const project::MemberAddServices& services) {
  project::OpenProject& project = window.project();
  ui::Ui& ui = project.ui();
  if (!project.lock(false)) return;
  FileListRequest request;
  request.caption = "Add Members";
  request.directory = !project.workDirectory.empty() ? project.workDirectory : project.projectDirectory;
  request.filters = external::fileDialogFilters(external::kMemberFileFilter);
  request.addCaption = "&Add";
  request.listCaption = "Files to &add:";
  request.archiveChoices = true;
  const bool mayCreate = app::hasPermission("CreateArchive");
  request.archiveChoicesEnabled = mayCreate;
  request.createArchives = mayCreate;
  request.automatic = true;
  const auto answer = runFileListDialog(ui, request);
  bool refresh = false;
  if (answer) {
    FileListAnswer chosen = *answer;
    if (!mayCreate) chosen.createArchives = false;
    refresh = addChosenMembers(window, chosen, services);
  }
  project.dropWriteLock();
  if (refresh) window.members().refreshMembers(nullptr, 0);
}

void registerAddMembers(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  commands::WindowRegistry* windows = context.windows;
  if (!windows) return;
  ui::Ui& ui = context.ui;
  registry.flows.addMembers = [windows, &ui, services = frameMemberAddServices()] {
    commands::ProjectWindow* window = commands::activeProjectWindow(*windows);
    if (!window) {
      ui.beep();
      return;
    }
    addMembersCommand(*window, services);
  };
}

}  // namespace orv::workbench::dialogs
