// The Create Project dialog (see create_project_dialog.h).
#include "workbench/dialogs/create_project_dialog.h"

#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/dialogs/project_locations.h"
#include "workbench/external/file_choices.h"
#include "workbench/external/file_filters.h"
#include "workbench/project/member_location.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kProjectFileName = "project.pj";
constexpr const char* kSandboxFileName = "sandbox.pj";

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kCreateProjectDialogId;
  d.title = "Create Project";
  d.helpContext = kCreateProjectHelpContext;
  d.controls = {
      {kCpProjectCaption, K::label, "Project &Location:", 1},
      {kCpProject, K::lineEdit, "", 1},
      {kCpProjectBrowse, K::pushButton, "&Browse...", 1},
      {kCpSandboxCaption, K::label, "&Sandbox Location:", 1},
      {kCpSandbox, K::lineEdit, "", 1},
      {kCpSandboxBrowse, K::pushButton, "Bro&wse...", 1},
      {kCpMemberCaption, K::label, "Member &list:", 2},
      {kCpMemberList, K::multiSelectListBox, "", 2},
      {kCpAddFiles, K::pushButton, "&Add Files...", 2},
      {kCpRemove, K::pushButton, "&Remove", 2},
      {kCpArchivesGroup, K::groupBox, "Create Archives For", 3},
      {kCpMembersArchives, K::checkBox, "&Members", 3},
      {kCpAutomatic, K::radioButton, "A&utomatically", 3},
      {kCpInteractive, K::radioButton, "&Interactively", 3},
      {kCpProjectArchive, K::checkBox, "Pr&oject", 3},
      {kCpOk, K::defaultButton, "OK", 0},
      {kCpCancel, K::pushButton, "Cancel", 0},
      {kCpHelp, K::pushButton, "&Help", 0},
  };
  return d;
}

}  // namespace

const ui::DialogDescription& createProjectDialogDescription() {
  static const ui::DialogDescription d = describe();
  return d;
}

void CreateProjectDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kCpProject, project::joinPath(directory_, kProjectFileName));
  surface.setText(kCpSandbox, "");
  surface.setEnabled(kCpRemove, false);
  if (!app::hasPermission("CreateSandbox"))
    for (int id : {kCpSandboxCaption, kCpSandbox, kCpSandboxBrowse}) surface.setEnabled(id, false);
  mayAddMembers_ = app::hasPermission("AddMember");
  mayCreateArchives_ = app::hasPermission("CreateArchive") && app::hasPermission("CheckIn");
  if (mayAddMembers_) {
    for (const std::string& file : files_) members_.add(file);
  } else {
    for (int id : {kCpMemberCaption, kCpMemberList, kCpAddFiles, kCpMembersArchives, kCpAutomatic, kCpInteractive})
      surface.setEnabled(id, false);
  }
  surface.setChecked(kCpProjectArchive, mayCreateArchives_);
  if (!mayCreateArchives_)
    for (int id : {kCpMembersArchives, kCpAutomatic, kCpInteractive, kCpProjectArchive}) surface.setEnabled(id, false);
  const bool archives = mayAddMembers_ && mayCreateArchives_;
  surface.setChecked(kCpMembersArchives, archives);
  surface.setChecked(kCpAutomatic, archives);
  surface.setChecked(kCpInteractive, false);
  showMembers(surface);
  updateArchiveChoices(surface);
}

void CreateProjectDialog::showMembers(ui::DialogSurface& surface) {
  surface.setListItems(kCpMemberList, members_.paths());
  surface.setEnabled(kCpRemove, !surface.selection(kCpMemberList).empty());
}

void CreateProjectDialog::updateArchiveChoices(ui::DialogSurface& surface) {
  const bool on = mayAddMembers_ && mayCreateArchives_ && surface.isChecked(kCpMembersArchives);
  surface.setEnabled(kCpAutomatic, on);
  surface.setEnabled(kCpInteractive, on);
}

void CreateProjectDialog::addFiles(ui::DialogSurface& surface) {
  FileListRequest request;
  request.caption = "Add Project Members";
  request.directory = directoryOf(surface.text(kCpProject));
  if (request.directory.empty()) request.directory = directory_;
  request.filters = external::fileDialogFilters(external::kMemberFileFilter);
  request.members = members_.paths();
  const auto answer = runFileListDialog(ui_, request);
  if (!answer) return;
  members_ = MemberList();
  for (const std::string& path : answer->members) members_.add(path);
  showMembers(surface);
  surface.setFocus(kCpOk);
}

void CreateProjectDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kCpProjectBrowse:
    case kCpSandboxBrowse: {
      const bool project = controlId == kCpProjectBrowse;
      const int edit = project ? kCpProject : kCpSandbox;
      std::string start = surface.text(edit);
      if (start.empty()) start = project::joinPath(directory_, kSandboxFileName);
      const auto chosen = external::browseForDirectory(
          ui_, project ? "Select Project Directory" : "Select Sandbox Directory", start,
          project ? kProjectFileName : kSandboxFileName);
      if (chosen) surface.setText(edit, *chosen);
      surface.setFocus(edit);
      break;
    }
    case kCpAddFiles: addFiles(surface); break;
    case kCpRemove:
      members_.remove(surface.selection(kCpMemberList));
      showMembers(surface);
      surface.setFocus(kCpOk);
      break;
    case kCpMemberList: surface.setEnabled(kCpRemove, !surface.selection(kCpMemberList).empty()); break;
    case kCpMembersArchives: updateArchiveChoices(surface); break;
    default: break;
  }
}

bool CreateProjectDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  const std::string p = surface.text(kCpProject);
  const std::string s = surface.isEnabled(kCpSandbox) ? surface.text(kCpSandbox) : "";
  const LocationCheck check = checkProjectLocations(p, s, kCpProject, kCpSandbox);
  if (!check.ok) {
    app::rcsMessage(ui_, app::kStyleError, check.message);
    surface.setFocus(check.focus);
    return false;
  }
  request_.project = p;
  request_.sandbox = s;
  request_.members = members_.paths();
  request_.createArchives = mayCreateArchives_ && surface.isChecked(kCpMembersArchives);
  request_.automatic = !surface.isChecked(kCpInteractive);
  request_.checkInProject = mayCreateArchives_ && surface.isChecked(kCpProjectArchive);
  return true;
}

}  // namespace orv::workbench::dialogs
