// The check-out flows (see check_out_flows.h).
#include "workbench/dialogs/check_out_flows.h"

#include <sys/stat.h>

#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/dialogs/check_out_dialog.h"

namespace orv::workbench::dialogs {

namespace {

bool fileExists(const std::string& path) {
  struct stat st {};
  return sys::calls().stat(path.c_str(), &st) == 0;
}

// Records the checked-out revision as the member's working-file revision,
// and as its revision when the user asked, then saves the project. Nothing
// happens for a working file that is not a member of the project.
void updateMember(project::OpenProject& project, archive::OpenArchive& archive,
                  const archive::TCoTransferStruct& record) {
  if (!project.lock(false)) return;
  const int p = project.project;
  if (vcInProject(p, archive.workFileName().c_str()) == 0) {
    const char* revision = record.checkedOutRevision;
    if (record.updateMember == 1) project.setMember(VC_MEMBER_ITEM_SET_REVISION, revision);
    project.setMember(VC_MEMBER_ITEM_SET_RECORDED_REVISION, revision);
    const char* workDir = project.workDirectory.c_str();
    vcMemberWorkChanges(p, nullptr, workDir);
    vcMemberRevChanges(p, nullptr, workDir);
    vcMemberWorkUpdate(p, nullptr);
    vcMemberAnyArchiveChanges(archive.handle());
    // A failed save was shown; the object then holds the file as on disk.
    if (project.save() != 0) project.reopen();
  }
  project.dropWriteLock();
}

// A locked check-out took the archive's write lock: the window's archive
// lets it go again (a failure to hold it was reported by the core).
void letWriteLockGo(archive::OpenArchive& archive) {
  if (!archive.handle()) return;
  vcDropWriteLock(archive.handle());
  vcKeepClosed(archive.handle());
}

// One archive of the command server's run, opened for reading and writing;
// false, reported, when it cannot be.
bool openForRun(archive::OpenArchive& archive) {
  if (archive.status() == 0) return true;
  archive.showArchiveOpenError(app::kStyleError);
  return false;
}

}  // namespace

int showCheckOutDialog(archive::OpenArchive& archive, project::OpenProject* project, archive::TCoTransferStruct& record,
                       bool projectWindowParent) {
  CheckOutDialog logic(archive.ui(), record, archive, project, projectWindowParent);
  const int answer = archive.ui().runDialog(checkOutDialogDescription(), logic);
  takeListSelection(record, logic.selectedLabelLine());
  return answer;
}

int runCheckOutDialog(archive::OpenArchive& archive, project::OpenProject* project, archive::TCoTransferStruct& record) {
  if (showCheckOutDialog(archive, project, record, false) != ui::kAnswerOk) return kCheckOutCancelled;
  int answer = ui::kAnswerOk;
  const int rc = archive::checkOutRevision(archive, project ? project->project : 0, record, answer);
  if (rc == 0 && project) updateMember(*project, archive, record);
  return rc;
}

int archiveCheckOut(commands::ArchiveWindow& window, const std::string& revision) {
  archive::OpenArchive& archive = window.archive();
  archive::TCoTransferStruct record;
  if (!setCheckOutDefaults(archive, record)) return 0;
  // The window holds no project object: a member's archive window checks
  // out without touching the member.
  if (archive.project() != 0) record.updateMember = archive::kCheckOutBoxDisabled;
  archive::setField(record.choice, revision);
  record.allFiles = archive::kCheckOutBoxDisabled;
  const std::vector<commands::RevisionRow> rows = window.selectedRows();
  const bool workFileRow = rows.size() == 1 && rows.front().isWorkFile();
  record.defaultChoice = workFileRow && fileExists(archive.workFileName()) ? kCoDefaultRev : kCoRevision;
  const int rc = runCheckOutDialog(archive, nullptr, record);
  if (rc != kCheckOutCancelled && record.locked == 1) letWriteLockGo(archive);
  return rc;
}

void ddeCheckOut(ui::Ui& ui, const std::vector<std::string>& names) {
  archive::TCoTransferStruct record;
  if (names.size() == 1) {
    archive::OpenArchive archive(ui, names.front(), VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE);
    if (!openForRun(archive)) return;
    setCheckOutDefaults(archive, record);
    record.allFiles = archive::kCheckOutBoxDisabled;
    record.defaultChoice = kCoRevision;
    runCheckOutDialog(archive, nullptr, record);
    return;
  }
  bool ask = true;
  for (const std::string& name : names) {
    archive::OpenArchive archive(ui, name, VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE);
    if (!openForRun(archive)) continue;
    if (ask) {
      // The answer to the writable-file question holds for the whole run.
      const std::uint8_t carried = record.writableAnswer;
      record.defaultChoice = kCoRevision;
      setCheckOutDefaults(archive, record);
      record.writableAnswer = carried;
      if (showCheckOutDialog(archive, nullptr, record, false) != ui::kAnswerOk) {
        if (record.cancelAll == 1) return;
        continue;
      }
      if (record.allFiles == 1) ask = false;
    } else {
      archive::setField(record.workFile, archive.workFileName());
    }
    int answer = ui::kAnswerOk;
    archive::checkOutRevision(archive, 0, record, answer);
    if (record.writableAnswer == ui::kAnswerCancel) return;
  }
}

void setMemberCheckOutDialogs(project::MemberDialogs& dialogs) {
  dialogs.checkOutDefaults = [](archive::OpenArchive& archive, archive::TCoTransferStruct& record) {
    // The run's answer to the writable-file question is kept.
    const std::uint8_t carried = record.writableAnswer;
    const bool ok = setCheckOutDefaults(archive, record);
    record.writableAnswer = carried;
    return ok;
  };
  dialogs.checkOutDialog = [](archive::OpenArchive& archive, project::OpenProject& project,
                              archive::TCoTransferStruct& record) {
    return showCheckOutDialog(archive, &project, record, true);
  };
}

void registerCheckOutFlows(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  registry.flows.checkOutArchive = archiveCheckOut;
  setMemberCheckOutDialogs(registry.memberDialogs);
  ui::Ui& ui = context.ui;
  registry.execute[app::ExecuteVerb::checkOut] = {true, [&ui](const std::vector<std::string>& names) {
                                                    ddeCheckOut(ui, names);
                                                  }};
}

}  // namespace orv::workbench::dialogs
