// The check-in flows (see check_in_flows.h).
#include "workbench/dialogs/check_in_flows.h"

#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/dialogs/check_in_dialog.h"

namespace orv::workbench::dialogs {

namespace {

bool memberFrozen(project::OpenProject& project, const std::string& workFile) {
  if (vcInProject(project.project, workFile.c_str()) != 0) return false;
  char frozen = 0;
  return vcGetMember(project.project, VC_MEMBER_ITEM_FROZEN, &frozen, 1) == 0 && frozen != 0;
}

// Records newRevision as the member's working-file revision, and as its
// revision when the user asked, then saves the project.
void updateMember(project::OpenProject& project, archive::OpenArchive& archive, const archive::TCiTransferStruct& record,
                  const char* newRevision) {
  if (!project.lock(false)) return;
  const int p = project.project;
  vcInProject(p, archive.workFileName().c_str());
  const bool revisionChanged = record.updateMember == 1;
  if (revisionChanged) project.setMember(VC_MEMBER_ITEM_SET_REVISION, newRevision);
  project.setMember(VC_MEMBER_ITEM_SET_RECORDED_REVISION, newRevision);
  const char* workDir = project.workDirectory.c_str();
  vcMemberWorkChanges(p, nullptr, workDir);
  vcMemberRevChanges(p, nullptr, workDir);
  vcMemberWorkUpdate(p, nullptr);
  if (revisionChanged) vcMemberRevUpdate(p, nullptr);
  vcMemberAnyArchiveChanges(archive.handle());
  // A failed save was shown; the object then holds the file as on disk.
  if (project.save() != 0) project.reopen();
  project.dropWriteLock();
}

// Runs the Check In dialog over record. A number left as proposed is
// emptied, so that the check-in gives the file the next number of its own
// (the same one for this file; its own for each further file of a run); a
// number the user typed stays.
int showCheckInDialog(archive::OpenArchive& archive, project::OpenProject* project, archive::TCiTransferStruct& record) {
  const std::string proposed = archive::fieldText(record.number);
  CheckInDialog logic(archive.ui(), record, archive, project);
  const int answer = archive.ui().runDialog(checkInDialogDescription(), logic);
  if (answer == ui::kAnswerOk && archive::fieldText(record.number) == proposed) record.number[0] = '\0';
  return answer;
}

}  // namespace

int runCheckInDialog(archive::OpenArchive& archive, project::OpenProject* project, archive::TCiTransferStruct& record) {
  if (showCheckInDialog(archive, project, record) != ui::kAnswerOk) return ui::kAnswerCancel;
  int answer = ui::kAnswerOk;
  char newRevision[archive::kRevisionBufferSize] = {};
  const int rc = archive::checkInRevision(archive, project ? project->project : 0, record, newRevision,
                                        sizeof newRevision, answer, 0);
  if (rc == 0 && project) updateMember(*project, archive, record, newRevision);
  return ui::kAnswerOk;
}

bool checkInOpenArchive(archive::OpenArchive& archive, project::OpenProject* project) {
  archive::TCiTransferStruct record;
  if (prepareCheckIn(archive, project, nullptr, record) != kPrepareGoOn) return false;
  if (project && (project->historical || memberFrozen(*project, archive.workFileName())))
    record.updateMember = archive::kCheckInBoxDisabled;
  record.allFiles = archive::kCheckInBoxDisabled;
  return runCheckInDialog(archive, project, record) == ui::kAnswerOk;
}

void archiveCheckIn(commands::ArchiveWindow& window) {
  archive::OpenArchive& archive = window.archive();
  if (!archive.writeLock()) {
    // No handle: the user declined to reload an archive another user changed.
    if (archive.handle() == 0)
      window.close();
    else
      window.refreshRevisions();
    return;
  }
  archive::TCiTransferStruct record;
  if (prepareCheckIn(archive, nullptr, nullptr, record) == kPrepareGoOn) {
    record.allFiles = archive::kCheckInBoxDisabled;
    if (runCheckInDialog(archive, nullptr, record) == ui::kAnswerOk) window.refreshRevisions();
  }
  archive.dropWriteLock();
}

void ddeCheckIn(ui::Ui& ui, const std::vector<std::string>& names) {
  if (names.size() == 1) {
    archive::OpenArchive archive(ui, names.front(), 6);
    if (archive.status() != 0) {
      archive.showArchiveOpenError(app::kStyleError);
      return;
    }
    checkInOpenArchive(archive, nullptr);
    return;
  }
  archive::TCiTransferStruct record;
  bool ask = true;
  for (const std::string& name : names) {
    archive::OpenArchive archive(ui, name, 6);
    if (archive.status() != 0) {
      archive.showArchiveOpenError(app::kStyleError);
      continue;
    }
    if (ask) {
      const int prepared = prepareCheckIn(archive, nullptr, nullptr, record);
      if (prepared == kPrepareStop) return;
      if (prepared == kPrepareSkip) continue;
      if (showCheckInDialog(archive, nullptr, record) != ui::kAnswerOk) {
        if (record.cancelAll == 1) return;
        continue;
      }
      if (record.allFiles == 1) ask = false;
    }
    int answer = ui::kAnswerOk;
    archive::checkInRevision(archive, 0, record, nullptr, 0, answer, 0);
    if (answer == ui::kAnswerCancel) return;
  }
}

void setMemberCheckInDialogs(project::MemberDialogs& dialogs) {
  dialogs.prepareCheckIn = [](archive::OpenArchive& archive, project::OpenProject& project,
                              archive::TCiTransferStruct& record) {
    return prepareCheckIn(archive, &project, nullptr, record);
  };
  dialogs.checkInDialog = [](archive::OpenArchive& archive, project::OpenProject& project,
                             archive::TCiTransferStruct& record, project::TCpTransferStruct&) {
    return showCheckInDialog(archive, &project, record);
  };
}

void registerCheckInFlows(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  registry.flows.checkInArchive = archiveCheckIn;
  setMemberCheckInDialogs(registry.memberDialogs);
  ui::Ui& ui = context.ui;
  registry.execute[app::ExecuteVerb::checkIn] = {true, [&ui](const std::vector<std::string>& names) {
                                                   ddeCheckIn(ui, names);
                                                 }};
}

}  // namespace orv::workbench::dialogs
