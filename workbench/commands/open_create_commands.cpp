// Opening windows by name, the open and create commands, and the Create
// Archive run.
#include "workbench/commands/open_create_commands.h"

#include <memory>
#include <unistd.h>

#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/name_sizes.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/external/file_choices.h"

namespace orv::workbench::commands {

namespace {

constexpr int kRecentArchive = 2;

bool fileExists(const std::string& path) { return sys::calls().access(path.c_str(), F_OK) == 0; }

bool isArchivedType(char type) { return type == 'a' || type == 'i' || type == 's'; }

ui::FileRequest openRequest(std::string caption, std::string_view filter) {
  ui::FileRequest request;
  request.caption = std::move(caption);
  request.filters = fileDialogFilters(filter);
  request.multiple = true;
  return request;
}

std::vector<std::string> foldedNames(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  out.reserve(names.size());
  for (const std::string& n : names) out.push_back(foldFileNameCase(n));
  return out;
}

}  // namespace

bool createOneArchive(OpenArchive& archive, TCreateArchiveTransferStruct& record,
                      const CreateArchiveServices& services, int& answer) {
  TCiTransferStruct checkIn;
  const bool initial = services.initialRevision && services.initialRevision(record, checkIn);
  if (!services.applySettings || !services.applySettings(archive, record, answer)) return false;
  if (initial && checkInRevision(archive, 0, checkIn, nullptr, 0, answer, 0) != 0) return false;
  const int rc = archive.close();
  if (rc != 0) {
    archive.setStatus(rc);
    answer = archive.showError(kStyleError);
    return false;
  }
  return answer != ui::kAnswerCancel;
}

std::function<int(OpenArchive&, TCreateArchiveTransferStruct&)> memberCreateArchiveStep(
    CreateArchiveServices services) {
  return [services = std::move(services)](OpenArchive& archive, TCreateArchiveTransferStruct& record) {
    int answer = ui::kAnswerOk;
    return createOneArchive(archive, record, services, answer) ? 0 : kReported;
  };
}

std::string withProjectExtension(std::string name) {
  const std::size_t slash = name.rfind('/');
  const std::size_t last = slash == std::string::npos ? 0 : slash + 1;
  if (name.find('.', last) == std::string::npos) name += ".pj";
  return name;
}

bool OpenCreateCommands::openArchiveWindow(const std::string& name, bool remember, bool saveContext) {
  if (DocumentWindow* open = findChild(windows_, ChildKind::archive, name)) {
    open->raise();
    return true;
  }
  BusyCursor busy(ui_);
  if (saveContext) saveLibraryContext();
  const bool built = windows_.buildArchiveWindow(name, remember);
  // A new window publishes its own archive; the old context returns only
  // when none came.
  if (saveContext && !built) restoreLibraryContext();
  return built;
}

bool OpenCreateCommands::openProjectWindow(ProjectWindowRequest request) {
  if (DocumentWindow* open = findChild(windows_, ChildKind::project, request.name)) {
    open->raise();
    return true;
  }
  if (request.createNew) request.name = withProjectExtension(std::move(request.name));
  BusyCursor busy(ui_);
  saveLibraryContext();
  const bool built = windows_.buildProjectWindow(request);
  if (!built) restoreLibraryContext();
  return built;
}

void OpenCreateCommands::openCommandLineNames(const std::vector<std::string>& names) {
  for (const std::string& name : foldedNames(names)) {
    if (name.empty()) continue;
    BusyCursor busy(ui_);
    int project = 0;
    if (vcOpenProject(name.c_str(), VC_PROJECT_OPEN_MODIFY, &project, 0) == 0) {
      vcCloseProject(project);
      ProjectWindowRequest request;
      request.name = name;
      openProjectWindow(std::move(request));
    } else {
      openArchiveWindow(name, false, true);
    }
  }
}

void OpenCreateCommands::openArchive() {
  for (const std::string& name : foldedNames(ui_.chooseFiles(openRequest("Open Archive", kMemberFileFilter))))
    openArchiveWindow(name, true, true);
}

void OpenCreateCommands::openProject() {
  const auto chosen = ui_.chooseFiles(openRequest("Open Project/Sandbox", kProjectFileFilter));
  for (const std::string& name : foldedNames(chosen)) {
    ProjectWindowRequest request;
    request.name = name;
    request.remember = true;
    openProjectWindow(std::move(request));
  }
}

void OpenCreateCommands::createArchive() {
  const auto chosen = ui_.chooseFiles(openRequest("Create Archive", kMemberFileFilter));
  if (!chosen.empty()) createArchives(foldedNames(chosen), Origin::menu);
}

void OpenCreateCommands::createProject() {
  if (services_.createProject) services_.createProject(std::nullopt, std::nullopt);
}

bool OpenCreateCommands::ddeOpenArchive(const std::vector<std::string>& names) {
  for (const std::string& name : names) openArchiveWindow(name, false, true);
  return true;
}

bool OpenCreateCommands::ddeOpenProject(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    ProjectWindowRequest request;
    request.name = name;
    openProjectWindow(std::move(request));
  }
  return true;
}

bool OpenCreateCommands::ddeCreateArchive(const std::vector<std::string>& names) {
  return createArchives(names, Origin::commandServer);
}

bool OpenCreateCommands::ddeCreateProject(const std::string& first, const std::string& second) {
  if (services_.createProject) services_.createProject(first, second);
  return true;
}

std::optional<int> OpenCreateCommands::precheck(const std::string& name) {
  if (DocumentWindow* open = findChild(windows_, ChildKind::archive, name)) {
    open->raise();
    return ui::kAnswerOk;
  }
  int status = 0;
  std::string archiveName;
  {
    OpenArchive probe(ui_, name, 1);
    status = probe.status();
    archiveName = probe.archiveName();
  }
  switch (status) {
    case VC_E_ARCHIVE_MISSING:
      return std::nullopt;
    case VC_E_SUCCESS:
      return rcsMessage(ui_, kStyleErrorCancel, formatString(kStrArchiveExists, archiveName.c_str()));
    case VC_E_NOT_VERSION_FILE:
      return rcsMessage(ui_, kStyleErrorCancel, formatString(kStrNotValidArchive, name.c_str()));
    case VC_E_PVCS_ARCHIVE:
      return rcsMessage(ui_, kStyleErrorCancel, formatString(kStrPvcsArchiveExists, archiveName.c_str()));
    case VC_E_SCCS_ARCHIVE:
      return rcsMessage(ui_, kStyleErrorCancel, formatString(kStrSccsArchiveExists, archiveName.c_str()));
    default:
      return showArchiveError(ui_, status, name, kStyleErrorCancel);
  }
}

bool OpenCreateCommands::createArchives(const std::vector<std::string>& files, Origin origin) {
  const bool fromMenu = origin == Origin::menu;
  const bool several = files.size() > 1;
  const CreateArchiveServices& create = services_.createArchive;
  TCreateArchiveTransferStruct record;
  record.openArchive = several ? 0 : 1;
  saveLibraryContext();
  bool askEach = true;
  bool windowOpened = false;
  bool cancelledAll = false;

  for (const std::string& file : files) {
    if (const auto skipped = precheck(file)) {
      if (*skipped == ui::kAnswerCancel) break;
      continue;
    }
    auto archive = std::make_unique<OpenArchive>(ui_, file, 6);
    if (archive->status() != 0) {
      if (archive->showArchiveOpenError(several ? kStyleErrorCancel : kStyleError) == ui::kAnswerCancel)
        break;
      continue;
    }
    if (askEach) {
      if (create.fillDefaults && !create.fillDefaults(*archive, record)) continue;
      const bool workExists = fileExists(archive->workFileName());
      record.allFiles = !several || (fromMenu && !workExists) ? kCreateAllFilesNotOffered : 0;
      const int answer =
          create.dialog ? create.dialog(*archive, record, fromMenu ? workExists : true) : ui::kAnswerCancel;
      if (answer != ui::kAnswerOk) {
        if (create.done) create.done(record);
        if (record.cancelAll == 1) {
          cancelledAll = true;
          break;
        }
        continue;
      }
      if (record.allFiles == 1) askEach = false;
    }
    int answer = ui::kAnswerOk;
    const bool created = createOneArchive(*archive, record, create, answer);
    if (record.openArchive && created) {
      const std::string workFile = archive->workFileName();
      archive.reset();
      if (fromMenu && services_.addRecentFile) services_.addRecentFile(workFile, kRecentArchive);
      if (openArchiveWindow(workFile, fromMenu, false)) windowOpened = true;
    }
    archive.reset();
    if (answer == ui::kAnswerCancel) break;
  }

  if (!askEach && create.done) create.done(record);
  if (!windowOpened) restoreLibraryContext();
  return !cancelledAll;
}

void OpenCreateCommands::openMemberArchives() {
  ProjectSelection selection = activeProjectSelection(windows_, true);
  if (!selection.window) {
    ui_.beep();
    return;
  }
  OpenProject& project = selection.window->project();
  for (const int row : selection.rows) {
    const MemberRow* member = selection.window->members().findMemberItem(row, true);
    if (!member) continue;
    char fullName[kNameBufferSize + 1] = {};
    if (vcGetMember(project.project, VC_MEMBER_ITEM_NAME, fullName, kNameBufferSize) != 0) {
      rcsMessage(ui_, kStyleError, formatString(kStrNoFullMemberName, member->name.c_str()));
      continue;
    }
    if (!isArchivedType(member->type)) {
      rcsMessage(ui_, kStyleError, formatString(kStrMemberNotArchived, member->name.c_str()));
      continue;
    }
    if (DocumentWindow* open = findChild(windows_, ChildKind::archive, fullName)) {
      open->raise();
      continue;
    }
    BusyCursor busy(ui_);
    windows_.buildMemberArchiveWindow(fullName, project);
  }
}

}  // namespace orv::workbench::commands
