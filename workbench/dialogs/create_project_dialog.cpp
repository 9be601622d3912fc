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
      {kCrpProjectCaption, K::label, "Project &Location:", 1},
      {kCrpProject, K::lineEdit, "", 1},
      {kCrpProjectBrowse, K::pushButton, "&Browse...", 1},
      {kCrpSandboxCaption, K::label, "&Sandbox Location:", 1},
      {kCrpSandbox, K::lineEdit, "", 1},
      {kCrpSandboxBrowse, K::pushButton, "Bro&wse...", 1},
      {kCrpMemberCaption, K::label, "Member &list:", 2},
      {kCrpMemberList, K::multiSelectListBox, "", 2},
      {kCrpAddFiles, K::pushButton, "&Add Files...", 2},
      {kCrpRemove, K::pushButton, "&Remove", 2},
      {kCrpArchivesGroup, K::groupBox, "Create Archives For", 3},
      {kCrpMembersArchives, K::checkBox, "&Members", 3},
      {kCrpAutomatic, K::radioButton, "A&utomatically", 3},
      {kCrpInteractive, K::radioButton, "&Interactively", 3},
      {kCrpProjectArchive, K::checkBox, "Pr&oject", 3},
      {kCrpOk, K::defaultButton, "OK", 0},
      {kCrpCancel, K::pushButton, "Cancel", 0},
      {kCrpHelp, K::pushButton, "&Help", 0},
  };
  return d;
}

}  // namespace

const ui::DialogDescription& createProjectDialogDescription() {
  static const ui::DialogDescription d = describe();
  return d;
}

void CreateProjectDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kCrpProject, project::joinPath(directory_, kProjectFileName));
  surface.setText(kCrpSandbox, "");
  surface.setEnabled(kCrpRemove, false);
  if (!app::hasPermission("CreateSandbox"))
    for (int id : {kCrpSandboxCaption, kCrpSandbox, kCrpSandboxBrowse}) surface.setEnabled(id, false);
  mayAddMembers_ = app::hasPermission("AddMember");
  mayCreateArchives_ = app::hasPermission("CreateArchive") && app::hasPermission("CheckIn");
  if (mayAddMembers_) {
    for (const std::string& file : files_) members_.add(file);
  } else {
    for (int id : {kCrpMemberCaption, kCrpMemberList, kCrpAddFiles, kCrpMembersArchives, kCrpAutomatic, kCrpInteractive})
      surface.setEnabled(id, false);
  }
  surface.setChecked(kCrpProjectArchive, mayCreateArchives_);
  if (!mayCreateArchives_)
    for (int id : {kCrpMembersArchives, kCrpAutomatic, kCrpInteractive, kCrpProjectArchive}) surface.setEnabled(id, false);
  const bool archives = mayAddMembers_ && mayCreateArchives_;
  surface.setChecked(kCrpMembersArchives, archives);
  surface.setChecked(kCrpAutomatic, archives);
  surface.setChecked(kCrpInteractive, false);
  showMembers(surface);
  updateArchiveChoices(surface);
}

void CreateProjectDialog::showMembers(ui::DialogSurface& surface) {
  surface.setListItems(kCrpMemberList, members_.paths());
  surface.setEnabled(kCrpRemove, !surface.selection(kCrpMemberList).empty());
}

void CreateProjectDialog::updateArchiveChoices(ui::DialogSurface& surface) {
  const bool on = mayAddMembers_ && mayCreateArchives_ && surface.isChecked(kCrpMembersArchives);
  surface.setEnabled(kCrpAutomatic, on);
  surface.setEnabled(kCrpInteractive, on);
}

void CreateProjectDialog::addFiles(ui::DialogSurface& surface) {
  FileListRequest request;
  request.caption = "Add Project Members";
  request.directory = directoryOf(surface.text(kCrpProject));
  if (request.directory.empty()) request.directory = directory_;
  request.filters = external::fileDialogFilters(external::kMemberFileFilter);
  request.members = members_.paths();
  const auto answer = runFileListDialog(ui_, request);
  if (!answer) return;
  members_ = MemberList();
  for (const std::string& path : answer->members) members_.add(path);
  showMembers(surface);
  surface.setFocus(kCrpOk);
}

void CreateProjectDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kCrpProjectBrowse:
    case kCrpSandboxBrowse: {
      const bool project = controlId == kCrpProjectBrowse;
      const int edit = project ? kCrpProject : kCrpSandbox;
      std::string start = surface.text(edit);
      if (start.empty()) start = project::joinPath(directory_, kSandboxFileName);
      const auto chosen = external::browseForDirectory(
          ui_, project ? "Select Project Directory" : "Select Sandbox Directory", start,
          project ? kProjectFileName : kSandboxFileName);
      if (chosen) surface.setText(edit, *chosen);
      surface.setFocus(edit);
      break;
    }
    case kCrpAddFiles: addFiles(surface); break;
    case kCrpRemove:
      members_.remove(surface.selection(kCrpMemberList));
      showMembers(surface);
      surface.setFocus(kCrpOk);
      break;
    case kCrpMemberList: surface.setEnabled(kCrpRemove, !surface.selection(kCrpMemberList).empty()); break;
    case kCrpMembersArchives: updateArchiveChoices(surface); break;
    default: break;
  }
}

bool CreateProjectDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  const std::string p = surface.text(kCrpProject);
  const std::string s = surface.isEnabled(kCrpSandbox) ? surface.text(kCrpSandbox) : "";
  const LocationCheck check = checkProjectLocations(p, s, kCrpProject, kCrpSandbox);
  if (!check.ok) {
    app::rcsMessage(ui_, app::kStyleError, check.message);
    surface.setFocus(check.focus);
    return false;
  }
  request_.project = p;
  request_.sandbox = s;
  request_.members = members_.paths();
  request_.createArchives = mayCreateArchives_ && surface.isChecked(kCrpMembersArchives);
  request_.automatic = !surface.isChecked(kCrpInteractive);
  request_.checkInProject = mayCreateArchives_ && surface.isChecked(kCrpProjectArchive);
  return true;
}

}  // namespace orv::workbench::dialogs
