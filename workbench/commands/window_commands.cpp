// The revision, member and window commands over the active window.
#include "workbench/commands/window_commands.h"

#include <cstdio>
#include <unistd.h>

#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/project/member_walks.h"

namespace orv::workbench::commands {

namespace {

bool fileExists(const std::string& path) { return sys::calls().access(path.c_str(), F_OK) == 0; }

std::string handleText(int handle) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", handle);
  return text;
}

int informationDialogFor(const OpenProject& project) {
  const bool sandbox = (project.kind & kProjectKindSandbox) != 0;
  if (project.frozen) return sandbox ? kFrozenSandboxInformationDialog : kFrozenProjectInformationDialog;
  if (project.historical)
    return sandbox ? kHistoricalSandboxInformationDialog : kHistoricalProjectInformationDialog;
  return sandbox ? kSandboxInformationDialog : kProjectInformationDialog;
}

}  // namespace

bool WindowCommands::refreshOrClose(ArchiveWindow& window) {
  if (!window.archive().handle()) {
    window.close();
    return false;
  }
  window.refreshRevisions();
  return true;
}

void WindowCommands::setLock(int item) {
  if (ArchiveWindow* window = activeArchiveWindow(windows_)) {
    std::string revision;
    if (!singleSelection(ui_, *window, revision, true) || revision.empty()) return;
    window->archive().setLock(revision.c_str(), item);
    if (refreshOrClose(*window) && window->listForm()) window->reselectRevision(revision);
    return;
  }
  ProjectSelection selection = activeProjectSelection(windows_, true);
  if (selection)
    selection.window->memberOperations().setMemberLocks(selection.rows.data(), selection.count(), item);
}

void WindowCommands::freezeProject(bool freeze) {
  if (ProjectWindow* window = activeProjectWindow(windows_))
    window->memberOperations().freezeMembers(nullptr, 0, freeze);
}

void WindowCommands::freezeMembers(bool freeze) {
  ProjectSelection selection = activeProjectSelection(windows_, true);
  if (selection)
    selection.window->memberOperations().freezeMembers(selection.rows.data(), selection.count(), freeze);
}

void WindowCommands::deleteRevisions() {
  ArchiveWindow* window = activeArchiveWindow(windows_);
  if (!window) return;
  const std::vector<std::string> revisions = selectedRevisions(*window);
  if (revisions.empty()) return;
  OpenArchive& archive = window->archive();
  archive.deleteRevisions(revisions);
  if (archive.handle()) archive.reopen();
  refreshOrClose(*window);
}

void WindowCommands::editWorkingFile() {
  if (ArchiveWindow* window = activeArchiveWindow(windows_)) {
    editArchiveFile(*window);
  } else if (ProjectWindow* project = activeProjectWindow(windows_)) {
    editMemberFile(*project);
  } else {
    ui_.beep();
  }
}

void WindowCommands::editArchiveFile(ArchiveWindow& window) {
  std::string revision;
  if (!singleSelection(ui_, window, revision, true)) return;
  OpenArchive& archive = window.archive();
  std::string path = archive.workFileName();
  if (!revision.empty()) {
    if (!hasPermission("CheckOut")) {
      ui_.beep();
      return;
    }
    const std::optional<std::string> temporary = tempFiles_.make(archive.workFileName());
    if (!temporary) {
      rcsMessage(ui_, kStyleError, std::string(loadString(kStrNoTempFile)));
      return;
    }
    // A failed check-out was reported; the empty file it leaves is no
    // revision to show.
    if (!archive.checkOutToTemporary(revision.c_str(), temporary->c_str())) return;
    makeReadOnly(*temporary);
    path = *temporary;
  }
  if (fileExists(path) && services_.viewOrEdit) {
    services_.viewOrEdit(path);
  } else {
    ui_.beep();
  }
}

void WindowCommands::editMemberFile(ProjectWindow& window) {
  std::string name;
  int row = 0;
  if (!singleMember(ui_, window, &name, row)) return;
  const MemberRow* member = window.members().findMemberItem(row, true);
  if (!member) return;
  if (member->type == 'a' || member->type == 'f') {
    if (fileExists(name) && services_.viewOrEdit) {
      services_.viewOrEdit(name);
    } else {
      ui_.beep();
    }
    return;
  }
  // A subproject or subsandbox opens in a window of its own.
  OpenProject& project = window.project();
  project.makeCurrent();
  ProjectWindowRequest request;
  request.name = name;
  request.historical = historicalInForce(project);
  request.frozenRequested = member->frozen;
  if ((request.historical || member->frozen) && member->revision) request.revision = *member->revision;
  opening_.openProjectWindow(std::move(request));
}

void WindowCommands::archiveInformation() {
  if (!windows_.activeChild()) {
    ui_.beep();
    return;
  }
  ArchiveWindow* window = activeArchiveWindow(windows_);
  if (!window) return;
  if (services_.archiveInformation) services_.archiveInformation(window->archive());
  window->archive().dropWriteLock();
}

void WindowCommands::revisionInformation() {
  ArchiveWindow* window = activeArchiveWindow(windows_);
  if (!window) {
    ui_.beep();
    return;
  }
  std::string revision;
  if (!singleSelection(ui_, *window, revision, true) || revision.empty()) return;
  const int answer = services_.revisionInformation ? services_.revisionInformation(window->archive(), revision)
                                                   : ui::kAnswerCancel;
  if (answer == ui::kAnswerOk) {
    if (!refreshOrClose(*window)) return;
    if (window->listForm()) window->reselectRevision(revision);
  }
  window->archive().dropWriteLock();
}

void WindowCommands::projectInformation() {
  ProjectWindow* window = activeProjectWindow(windows_);
  if (!window) {
    ui_.beep();
    return;
  }
  OpenProject& project = window->project();
  const bool locked = hasPermission("ModifyProject");
  if (locked && !project.lock(false)) return;
  const int changes =
      services_.projectInformation ? services_.projectInformation(project, informationDialogFor(project)) : 0;
  if (locked) project.dropWriteLock();
  if (changes == -1) window->members().refreshMembers(nullptr, 0);
}

void WindowCommands::selectMembers() {
  ProjectWindow* window = activeProjectWindow(windows_);
  if (!window) {
    ui_.beep();
    return;
  }
  if (services_.selectMembers) services_.selectMembers(*window);
}

void WindowCommands::labelMembers() {
  ProjectSelection selection = activeProjectSelection(windows_, true);
  if (!selection.window) {
    ui_.beep();
    return;
  }
  if (!selection) return;
  const MemberRow* first = selection.window->members().findMemberItem(selection.rows.front(), true);
  if (first && first->type != 'f' && !first->hasRevision()) {
    rcsMessage(ui_, kStyleError, formatString(kStrNoMemberRevision, first->name.c_str()));
    return;
  }
  if (services_.labelMembers) services_.labelMembers(*selection.window, selection.rows);
}

void WindowCommands::refresh() {
  if (ArchiveWindow* window = activeArchiveWindow(windows_)) {
    window->archive().reopen();
    refreshOrClose(*window);
  } else if (ProjectWindow* project = activeProjectWindow(windows_)) {
    project->reloadMembers();
  } else {
    ui_.beep();
  }
}

void WindowCommands::configuration() {
  if (services_.commandServer) services_.commandServer->setBusy(true);
  if (services_.configurationSheet) services_.configurationSheet();
  if (services_.commandServer) services_.commandServer->setBusy(false);
  publishActiveWindow();
  if (!services_.showToolbar) return;
  std::optional<std::string> file;
  if (ArchiveWindow* archive = activeArchiveWindow(windows_)) {
    file = archive->archive().archiveName();
  } else if (ProjectWindow* project = activeProjectWindow(windows_)) {
    const std::vector<int> rows = project->selection(false);
    if (rows.size() == 1) {
      if (const MemberRow* member = project->members().findMemberItem(rows.front(), false)) file = member->name;
    }
  }
  services_.showToolbar(file);
}

void WindowCommands::publishActiveWindow() {
  if (ArchiveWindow* archiveWindow = activeArchiveWindow(windows_)) {
    const OpenArchive& archive = archiveWindow->archive();
    vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, handleText(archive.handle()).c_str());
    vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, archive.project() ? handleText(archive.project()).c_str() : "");
  } else if (ProjectWindow* projectWindow = activeProjectWindow(windows_)) {
    vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, handleText(projectWindow->project().project).c_str());
    vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, "");
  }
}

}  // namespace orv::workbench::commands
