// The Create Project flow (see create_project_flow.h).
#include "workbench/dialogs/create_project_flow.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <optional>

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/app/progress_window.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/commands/document_windows.h"
#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/create_archive_flow.h"
#include "workbench/dialogs/project_locations.h"
#include "workbench/dialogs/sandbox_variables.h"
#include "workbench/external/file_choices.h"
#include "workbench/project/member_walks.h"

namespace orv::workbench::dialogs {

namespace {

constexpr int kNameSize = 512;

std::string currentDirectory() {
  char buffer[PATH_MAX] = {};
  return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

// Keyword expansion on for one check-in. The option is put back as the
// user's own configuration had it; when it came from elsewhere (or was not
// set at all) the user's configuration is left without it, as before.
class KeywordExpansionOn {
 public:
  KeywordExpansionOn() {
    personal_ = vcGetConfigFlags("KeywordExpand", &flags_) == 0 && (flags_ & VC_OPTION_SAVED) != 0;
    vcSetConfig("KeywordExpand", nullptr);
  }
  ~KeywordExpansionOn() {
    if (!personal_) {
      vcDropConfig("KeywordExpand");
      return;
    }
    vcSetConfig((flags_ & VC_OPTION_NO) ? "NoKeywordExpand" : "KeywordExpand", nullptr);
    vcSetConfigFlags("KeywordExpand", flags_);
  }
  KeywordExpansionOn(const KeywordExpansionOn&) = delete;
  KeywordExpansionOn& operator=(const KeywordExpansionOn&) = delete;

 private:
  unsigned flags_ = 0;
  bool personal_ = false;
};

// Adds the request's members to project: false when the run was cancelled
// so that no sandbox follows.
bool addMembers(project::OpenProject& project, const CreateProjectRequest& request,
                const project::MemberAddServices& services) {
  archive::TCreateArchiveTransferStruct record;
  record.allFiles = request.members.size() < 2 ? 2 : 0;
  std::optional<app::ProgressWindow> progress;
  int inaccessible = 0, alreadyIn = 0;
  bool first = true;
  for (std::size_t i = 0; i < request.members.size(); ++i) {
    const std::string& entry = request.members[i];
    if (!progress && (!request.createArchives || request.automatic || record.allFiles == 1)) {
      progress.emplace(project.ui(), "Adding Project Members...", static_cast<unsigned>(request.members.size() - i));
      progress->setStepping(true);
    }
    if (progress && project::notifyStatus(entry.c_str()) == -1) return false;
    if (record.allFiles != 1) record.openArchive = 0;
    project::addProjectMembers(project, entry, false, &inaccessible, &alreadyIn, first, request.createArchives,
                               request.automatic, &record, services);
    first = false;
    if (inaccessible == ui::kAnswerCancel || alreadyIn == ui::kAnswerCancel) return true;
    if (record.cancelAll == 1) return false;
  }
  return true;
}

}  // namespace

bool checkInProjectFile(project::OpenProject& project) {
  ui::Ui& ui = project.ui();
  const std::string file = project.name;
  char found[kNameSize] = {};
  if (vcFindArchiveName(file.c_str(), found, sizeof found, nullptr, VC_ARCHIVE_OPEN_READ) == 0) {
    app::rcsMessage(ui, app::kStyleError, app::formatText("Archive %s already exists.", found));
    return false;
  }
  bool checkedIn = false;
  {
    archive::OpenArchive archive(ui, file, 7);
    if (archive.status() != 0) {
      archive.showArchiveOpenError(app::kStyleError);
      return false;
    }
    if (!archive.writeLock()) return false;
    archive::TCiTransferStruct record;
    if (prepareCheckIn(archive, nullptr, nullptr, record) == kPrepareGoOn && project.lock(false)) {
      // The file checked in records the revision it becomes; the check-in
      // writes that revision back over it.
      std::string proposed = archive::fieldText(record.number);
      if (proposed.empty()) proposed = "1.1";
      vcSetProject(project.project, VC_PROJECT_ITEM_SET_REVISION, proposed.c_str());
      if (project.save() == 0) {
        archive::setField(record.description, "Initial revision");
        record.keepWorkFile = 1;
        const char off[2] = {0, 0};
        vcSetArchiveInfo(archive.handle(), VC_ARCHIVE_ITEM_SET_STRICT_LOCKING, off, nullptr);
        char newRevision[archive::kRevisionBufferSize] = {};
        int answer = ui::kAnswerOk;
        int rc = 0;
        {
          KeywordExpansionOn keywords;
          rc = archive::checkInRevision(archive, 0, record, newRevision, sizeof newRevision, answer, 0);
        }
        checkedIn = rc == 0;
        if (checkedIn) vcCheckpointLog(project.project, newRevision);
        project.reopen();
        // A failed check-in, or one that gave another number, is recorded
        // as it turned out.
        const std::string recorded = checkedIn ? newRevision : "";
        if (recorded != proposed && project.lock(false)) {
          vcSetProject(project.project, VC_PROJECT_ITEM_SET_REVISION, recorded.c_str());
          project.save();
        }
      }
      project.dropWriteLock();
    }
    if (archive.handle()) archive.dropWriteLock();
  }
  // The object holds the file as it now is.
  project.reopen();
  return checkedIn;
}

void populateSandbox(project::OpenProject& sandbox, bool variant) {
  char member[kNameSize] = {};
  if (vcGetMember(sandbox.project, VC_MEMBER_ITEM_FIRST, member, sizeof member - 1) != 0) return;
  unsigned count = 0;
  char countBytes[sizeof count] = {};
  if (vcGetProject(sandbox.project, VC_PROJECT_ITEM_MEMBER_COUNT, countBytes, sizeof countBytes) == 0)
    std::memcpy(&count, countBytes, sizeof count);
  sandbox.walkOptions = project::kWalkArchiveChanges;
  {
    app::ProgressWindow progress(sandbox.ui(), "Creating Sandbox...", count);
    progress.setStepping(true);
    sandbox.ui().pushBusyCursor();
    project::MemberWalk walk;
    do {
      if (project::resynchronizeMembers(sandbox, member, walk, variant, true) == -1) break;
      member[0] = '\0';
    } while (vcGetMember(sandbox.project, VC_MEMBER_ITEM_NEXT, member, sizeof member - 1) == 0);
    sandbox.ui().popCursor();
  }
  sandbox.walkOptions = 0;
  vcSaveUses(sandbox.project);
}

int createProjectFromRequest(ui::Ui& ui, const CreateProjectRequest& request, const ProjectFlowServices& services) {
  const std::string projectDir = directoryOf(request.project);
  if (!project::makeDirectories(projectDir)) {
    app::rcsMessage(ui, app::kStyleError, app::formatText("Could not create directory %s.", projectDir.c_str()));
    return 0;
  }
  project::OpenProject project(ui, request.project.c_str(),
                               VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE | VC_PROJECT_OPEN_CREATE);
  if (project.status != 0) {
    project.showError(app::kStyleError);
    return 0;
  }
  std::string sandboxFile = request.sandbox;
  if (!addMembers(project, request, services.add)) sandboxFile.clear();
  if (project.save() != 0) return 0;
  vcProjectEvent(project.project, "createproject");
  project.dropWriteLock();
  if (request.checkInProject) checkInProjectFile(project);
  if (sandboxFile.empty() ||
      project::createSubprojectSandbox(project, sandboxFile, VC_PROJECT_OPEN_CREATE, request.project, nullptr) != 0) {
    if (services.openWindow) services.openWindow(request.project);
    return 1;
  }
  project::OpenProject sandbox(ui, sandboxFile.c_str(), VC_PROJECT_OPEN_MODIFY);
  if (sandbox.status != 0) {
    sandbox.showError(app::kStyleError);
    return 0;
  }
  if (sandbox.makeCurrent() != 1) return 0;
  resolveSandboxVariables(sandbox);
  if (project::projectFlag(sandbox.project, VC_PROJECT_ITEM_CHANGED) ||
      project::projectFlag(sandbox.project, VC_PROJECT_ITEM_SANDBOX_CHANGED)) {
    sandbox.status = vcSaveProject(sandbox.project);
    sandbox.showError(app::kStyleError);
  }
  populateSandbox(sandbox, false);
  if (services.openWindow) services.openWindow(sandboxFile);
  return 1;
}

int createProjectCommand(ui::Ui& ui, const std::vector<std::string>& files, const ProjectFlowServices& services) {
  app::saveLibraryContext();
  if (!app::hasPermission("CreateProject")) {
    app::rcsMessage(ui, app::kStyleError,
                    "You do not have permission to create projects.\nContact your system administrator, or see "
                    "ORV Tessalyworkbench documentation for more information.");
    app::restoreLibraryContext();
    return 0;
  }
  int result = 0;
  std::string windowFile;
  {
    // The current directory is the caller's again before the new window
    // opens (and makes its own folder current).
    external::CurrentDirectoryKeeper keeper;
    std::string directory = files.empty() ? currentDirectory() : directoryOf(files.front());
    if (directory.empty()) directory = currentDirectory();
    CreateProjectRequest request;
    CreateProjectDialog logic(ui, directory, files, request);
    ProjectFlowServices deferred = services;
    deferred.openWindow = [&windowFile](const std::string& file) { windowFile = file; };
    if (ui.runDialog(createProjectDialogDescription(), logic) == ui::kAnswerOk)
      result = createProjectFromRequest(ui, request, deferred);
  }
  if (!windowFile.empty() && services.openWindow) services.openWindow(windowFile);
  if (result == 0) app::restoreLibraryContext();
  return result;
}

project::MemberAddServices frameMemberAddServices() {
  project::MemberAddServices services;
  setMemberCreateArchiveDialogs(services);
  services.prepareCheckIn = [](archive::OpenArchive& archive, project::OpenProject& project,
                               archive::TCiTransferStruct& record) {
    return prepareCheckIn(archive, &project, nullptr, record);
  };
  return services;
}

void registerCreateProject(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  ui::Ui& ui = context.ui;
  ProjectFlowServices services;
  services.add = frameMemberAddServices();
  if (commands::WindowRegistry* windows = context.windows) {
    services.openWindow = [windows](const std::string& file) {
      if (commands::DocumentWindow* open = commands::findChild(*windows, commands::ChildKind::project, file)) {
        open->raise();
        return;
      }
      commands::ProjectWindowRequest request;
      request.name = file;
      request.remember = true;
      windows->buildProjectWindow(request);
    };
  }
  registry.opening.createProject = [&ui, services](const std::optional<std::string>& first,
                                                   const std::optional<std::string>& second) {
    std::vector<std::string> files;
    if (first) files.push_back(*first);
    if (second) files.push_back(*second);
    createProjectCommand(ui, files, services);
  };
  registry.execute[app::ExecuteVerb::createProject] = {true, [&ui, services](const std::vector<std::string>& words) {
                                                          createProjectCommand(ui, words, services);
                                                        }};
}

}  // namespace orv::workbench::dialogs
