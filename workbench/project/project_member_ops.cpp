#include "workbench/project/project_member_ops.h"

#include <cstring>
#include <memory>
#include <optional>

#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/app/custom_message_box.h"
#include "workbench/app/library_settings.h"
#include "workbench/project/member_location.h"
#include "workbench/project/member_walks.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/progress_window.h"
#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"

namespace orv::workbench::project {

namespace {

constexpr int kTextSize = 1024;

std::string currentMemberText(int project, int item) {
  char buffer[kTextSize] = {};
  if (vcGetMember(project, item, buffer, sizeof buffer - 1) != 0) return {};
  return buffer;
}

std::string workNameOf(int project) {
  char buffer[kTextSize] = {};
  if (vcMemberWorkName(project, nullptr, nullptr, buffer, sizeof buffer - 1) != 0) return {};
  return buffer;
}

void markFrom(int* rows, int from, int count) {
  for (int j = from; j < count; ++j) rows[j] = -1;
}

bool isSubprojectRow(const MemberRow& row) { return row.type == 'i' || row.type == 's'; }

// The progress window of a run, made when first needed.
class RunProgress {
 public:
  RunProgress(ui::Ui& ui, int textId, int steps) : ui_(ui), textId_(textId), steps_(steps) {}
  void make() {
    if (!window_) window_ = std::make_unique<ProgressWindow>(ui_, loadString(textId_), steps_);
  }
  bool exists() const { return window_ != nullptr; }
  // -1 when the user cancelled.
  int notify(const std::string& text) { return window_ ? notifyStatus(text.c_str()) : 0; }
  void hide() {
    if (window_) ui_.hideProgress();
  }
  void show() {
    if (window_) ui_.showProgress(window_->view());
  }

 private:
  ui::Ui& ui_;
  int textId_;
  unsigned steps_;
  std::unique_ptr<ProgressWindow> window_;
};

// What became of one member of a check-in or check-out run.
enum class Outcome {
  done,           // worked on: its row is refreshed
  skipped,        // skipped or failed; the run goes on
  stop,           // the run ends before this member
  stopAfterThis,  // the run ends after this member, which was worked on
};

// Marks the row entries outcome leaves out (see the header): true when the
// run goes on with the next member.
bool markOutcome(Outcome outcome, int* rows, int i, int count) {
  switch (outcome) {
    case Outcome::done:
      return true;
    case Outcome::skipped:
      rows[i] = -1;
      return true;
    case Outcome::stop:
      markFrom(rows, i, count);
      return false;
    case Outcome::stopAfterThis:
      markFrom(rows, i + 1, count);
      return false;
  }
  return false;
}

// Reads row's state again after an operation on it; archive (when not 0)
// is its open archive.
void recomputeRow(OpenProject& project, MemberRow& row, int archive, unsigned walkOptions) {
  project.walkOptions = walkOptions;
  if ((row.changeFlags & kLocked) && project.lockedCount > 0) --project.lockedCount;
  row.changeFlags = 0;
  updateMemberStatus(project, row, archive);
  if (row.changeFlags & kLocked) ++project.lockedCount;
  project.walkOptions = 0;
}

}  // namespace

void ProjectMemberOperations::finish(bool changed, const int* rows, int count) {
  if (!changed) return;
  if (project_.save() == kReported) project_.reopen();
  view_.refreshMembers(rows, count);
}

// ---- Check in ----

namespace {

// One check-in run over the selected members: the records its dialogs
// fill and what it has done so far.
struct CheckInRun {
  CheckInRun(OpenProject& owner, const MemberDialogs& runDialogs, int members, bool mayModify)
      : project(owner), ui(owner.ui()), dialogs(runDialogs), count(members), modify(mayModify),
        progress(owner.ui(), kStrCheckingIn, members) {
    ci.allFiles = cp.allSubprojects = count < 2 ? kCheckInBoxDisabled : 0;
  }

  OpenProject& project;
  ui::Ui& ui;
  const MemberDialogs& dialogs;
  const int count;
  const bool modify;  // the user may modify the project
  const bool plainSandbox = (project.kind & kProjectKindSandbox) && !(project.kind & kProjectKindVariant);
  TCiTransferStruct ci;
  TCpTransferStruct cp;
  bool firstPass = true;  // each member is still asked about
  bool changed = false;
  bool cacheUsed = false;       // reference copies went to the work cache
  bool referenceQuiet = false;  // failed reference copies are no longer reported
  RunProgress progress;
  std::string proposedNumber;

  // With both All boxes set the progress window stays up while a dialog shows.
  bool bothAll() const { return ci.allFiles == 1 && cp.allSubprojects == 1; }
};

// A number the user typed serves every member; a proposed one only this.
void forgetProposedNumber(CheckInRun& run) {
  if (fieldText(run.ci.number) == run.proposedNumber) run.ci.number[0] = '\0';
}

// Checkpoints a subproject member, and gives it the new revision.
Outcome checkpointSubprojectMember(CheckInRun& run, MemberRow& row, const std::string& reference) {
  std::string newRevision;
  const bool bothAll = run.bothAll();
  if (!bothAll) run.progress.hide();
  const int rc = run.dialogs.checkpointMembers ? run.dialogs.checkpointMembers(run.project, row.name, newRevision,
                                                                               run.cp.allSubprojects != 1, run.cp)
                                               : 0;
  if (!bothAll) run.progress.show();
  if (rc == -1) {
    run.progress.notify(reference);
    return Outcome::stop;
  }
  if (rc == 0) return run.ci.cancelAll || run.cp.cancelAll ? Outcome::stop : Outcome::skipped;
  run.changed = true;
  if (run.ci.allFiles == 1 || run.cp.allSubprojects == 1) {
    if (run.ci.allFiles == 1) run.firstPass = false;
    run.progress.make();
    if (run.progress.notify(reference) == -1) return Outcome::stopAfterThis;
  }
  row.revision = newRevision;
  if (run.modify) run.project.setMember(VC_MEMBER_ITEM_SET_REVISION, newRevision.c_str());
  run.project.setMember(VC_MEMBER_ITEM_SET_RECORDED_REVISION, newRevision.c_str());
  recomputeRow(run.project, row, 0, 4);
  return Outcome::done;
}

// On the first pass the Check In dialog asks how to check the member in
// (All Files ends the first pass); later members only show in the
// progress window. Nothing when the check-in goes ahead.
std::optional<Outcome> askHowToCheckIn(CheckInRun& run, const MemberRow& row, OpenArchive& archive) {
  if (!run.firstPass) {
    if (run.progress.notify(archive.archiveName()) == -1) return Outcome::stop;
    return std::nullopt;
  }
  const int prepared = run.dialogs.prepareCheckIn ? run.dialogs.prepareCheckIn(archive, run.project, run.ci) : 1;
  if (prepared == 3) return Outcome::stop;
  if (prepared == 2) return Outcome::skipped;
  if (run.project.historical || row.frozen) run.ci.updateMember = kCheckInBoxDisabled;
  if (run.count == 1) run.ci.allFiles = kCheckInBoxDisabled;
  run.proposedNumber = fieldText(run.ci.number);
  const bool bothAll = run.bothAll();
  if (!bothAll) run.progress.hide();
  const int answer =
      run.dialogs.checkInDialog ? run.dialogs.checkInDialog(archive, run.project, run.ci, run.cp) : ui::kAnswerCancel;
  if (!bothAll) run.progress.show();
  if (answer != ui::kAnswerOk) return run.ci.cancelAll ? Outcome::stop : Outcome::skipped;
  if (run.ci.allFiles == 1) {
    run.firstPass = false;
    run.progress.make();
    if (run.progress.notify(archive.archiveName()) == -1) return Outcome::stop;
  }
  return std::nullopt;
}

// A plain member just checked in is linked to its new archive, and becomes
// an archived member when the member is to be updated.
void linkPlainMemberToItsArchive(CheckInRun& run, MemberRow& row, OpenArchive& archive) {
  int rc = vcWriteLock(archive.handle());
  if (rc == 0) rc = vcAddProjectLink(run.project.project, archive.handle());
  if (rc == 0) rc = vcCommitArchive(archive.handle(), VC_COMMIT_KEEP_OPEN);
  if (rc != 0) {
    rcsErrorMessage(run.ui, kStyleError, rc,
                    formatString(kStrCannotAssociate, archive.archiveName().c_str(), run.project.name.c_str()));
  }
  if (run.ci.updateMember == 1) {
    row.type = 'a';
    if (run.modify) run.project.setMember(VC_MEMBER_ITEM_SET_KIND, "a");
  }
}

// Gives the member the new revision (as its revision only when the member
// is to be updated) and reads its row again.
void recordCheckedInRevision(CheckInRun& run, MemberRow& row, OpenArchive& archive, const char* newRevision) {
  unsigned walkOptions = kWalkUpdateWorkRecord;
  if (run.ci.updateMember == 1) {
    row.revision = newRevision;
    if (run.modify) run.project.setMember(VC_MEMBER_ITEM_SET_REVISION, newRevision);
    walkOptions = kWalkUpdateRevisionRecord;
  }
  if (row.type == 'a') run.project.setMember(VC_MEMBER_ITEM_SET_RECORDED_REVISION, newRevision);
  recomputeRow(run.project, row, archive.handle(), walkOptions);
}

// In a plain sandbox, the master project's reference copy of a member
// checked in from elsewhere takes the new revision too.
void updateReferenceCopy(CheckInRun& run, OpenArchive& archive, const std::string& reference,
                         const char* newRevision) {
  const std::string workFile = archive.workFileName();
  if (!run.plainSandbox || vcPathSame(workFile.c_str(), reference.c_str()) == 0 || !archive.reopenReadOnly()) return;
  const int rc = vcCoProjectReference(run.project.project, archive.handle(), newRevision, reference.c_str(), 0);
  if (rc == 0) {
    if (isStrictLocking(archive.handle())) makeReadOnly(reference);
    vcAppendReferenceWorkCache(run.project.project, nullptr, reference.c_str(), newRevision);
    run.cacheUsed = true;
  } else if (rc != VC_E_UNKNOWN_OPTION && !run.referenceQuiet) {
    std::string shown = reference;
    for (char& c : shown)
      if (c == '/') c = '\\';
    if (rcsMessage(run.ui, kStyleErrorCancel, formatString(kStrCannotUpdateReference, shown.c_str())) ==
        ui::kAnswerCancel)
      run.referenceQuiet = true;
  }
  vcKeepClosed(archive.handle());
}

// Checks the member's working file in as the archive's new revision.
Outcome checkInWorkFile(CheckInRun& run, MemberRow& row, OpenArchive& archive, const std::string& reference) {
  char newRevision[kRevisionBufferSize] = {};
  int answer = 1;
  if (checkInRevision(archive, run.project.project, run.ci, newRevision, sizeof newRevision, answer, 0) != 0) {
    if (answer == ui::kAnswerCancel) return Outcome::stop;
    forgetProposedNumber(run);
    return Outcome::skipped;
  }
  run.changed = true;
  if (row.type == 'f') linkPlainMemberToItsArchive(run, row, archive);
  recordCheckedInRevision(run, row, archive, newRevision);
  updateReferenceCopy(run, archive, reference, newRevision);
  forgetProposedNumber(run);
  return Outcome::done;
}

Outcome checkInMember(CheckInRun& run, MemberRow& row) {
  const std::string reference = currentMemberText(run.project.project, VC_MEMBER_ITEM_NAME);
  setMemberVariables(row.type, reference);
  if (isSubprojectRow(row)) return checkpointSubprojectMember(run, row, reference);

  OpenArchive archive(run.ui, reference, VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE, run.project.project);
  if (archive.status() != 0) {
    const int answer = archive.showArchiveOpenError(run.count > 1 ? kStyleErrorCancel : kStyleError);
    return answer == ui::kAnswerCancel ? Outcome::stop : Outcome::skipped;
  }
  archive.setWorkFileName(workNameOf(run.project.project));
  if (const auto outcome = askHowToCheckIn(run, row, archive)) return *outcome;
  return checkInWorkFile(run, row, archive, reference);
}

}  // namespace

void ProjectMemberOperations::checkInMembers(int* rows, int count) {
  if (project_.makeCurrent() != 1) return;
  const bool modify = hasPermission("ModifyProject");
  if (modify && !project_.lock(false)) return;
  CheckInRun run(project_, dialogs_, count, modify);
  for (int i = 0; i < count; ++i) {
    MemberRow* row = view_.findMemberItem(rows[i], true);
    const Outcome outcome = row ? checkInMember(run, *row) : Outcome::skipped;
    if (!markOutcome(outcome, rows, i, count)) break;
  }
  if (run.cacheUsed) vcDoneAppendReferenceWorkCache(project_.project);
  finish(run.changed, rows, count);
  if (modify) project_.dropWriteLock();
}

// ---- Check out ----

namespace {

// One check-out run over the selected members: the record its dialog
// fills and what it has done so far.
struct CheckOutRun {
  CheckOutRun(OpenProject& owner, const MemberDialogs& runDialogs, int members, bool mayModify)
      : project(owner), ui(owner.ui()), dialogs(runDialogs), count(members), modify(mayModify),
        progress(owner.ui(), kStrCheckingOut, members) {}

  OpenProject& project;
  ui::Ui& ui;
  const MemberDialogs& dialogs;
  const int count;
  const bool modify;  // the user may modify the project
  TCoTransferStruct co;
  bool firstPass = true;  // each member is still asked about
  bool changed = false;
  bool directoryChanged = false;  // every working file goes to targetDirectory
  std::string targetDirectory;
  RunProgress progress;
};

// Plain and subproject members have no revision to check out, nor has a
// member without revision: reported. Nothing when the member has one.
std::optional<Outcome> refuseMemberWithoutRevision(ui::Ui& ui, const MemberRow& row, const std::string& reference) {
  int refusal = 0;
  if (row.type == 'f') refusal = kStrNotArchivedMember;
  if (isSubprojectRow(row)) refusal = kStrCannotCheckOutSubproject;
  if (refusal) {
    return rcsMessage(ui, kStyleErrorCancel, formatString(refusal, reference.c_str())) == ui::kAnswerCancel
               ? Outcome::stop
               : Outcome::skipped;
  }
  if (!row.hasRevision()) {
    rcsMessage(ui, kStyleError, formatString(kStrNoMemberRevision, reference.c_str()));
    return Outcome::skipped;
  }
  return std::nullopt;
}

// With All Files, a target other than the proposed working file names the
// directory every member goes to: false when it cannot be made (reported).
bool takeTargetDirectoryForAllFiles(CheckOutRun& run, const std::string& proposed) {
  std::string target = fieldText(run.co.workFile);
  if (target == proposed) return true;
  run.directoryChanged = true;
  if (baseName(target) == baseName(proposed)) target = stripLastPathComponent(target);
  if (!makeDirectories(target)) {
    rcsMessage(run.ui, kStyleError, formatString(kStrCannotCreateDir, target.c_str()));
    return false;
  }
  run.targetDirectory = target;
  return true;
}

// On the first pass the Check Out dialog asks how to check the member out
// (All Files ends the first pass); later members take their own working
// file and only show in the progress window. Nothing when the check-out
// goes ahead.
std::optional<Outcome> askHowToCheckOut(CheckOutRun& run, const MemberRow& row, OpenArchive& archive) {
  if (!run.firstPass) {
    setField(run.co.workFile, archive.workFileName());
    if (run.progress.notify(archive.archiveName()) == -1) return Outcome::stop;
    return std::nullopt;
  }
  if (run.dialogs.checkOutDefaults && !run.dialogs.checkOutDefaults(archive, run.co)) return Outcome::skipped;
  if (run.project.historical || row.frozen) run.co.updateMember = kCheckOutBoxDisabled;
  run.co.defaultChoice = 118;
  if (run.count == 1) run.co.allFiles = kCheckOutBoxDisabled;
  const std::string proposed = fieldText(run.co.workFile);
  const int answer =
      run.dialogs.checkOutDialog ? run.dialogs.checkOutDialog(archive, run.project, run.co) : ui::kAnswerCancel;
  if (answer != ui::kAnswerOk) return run.co.cancelAll ? Outcome::stop : Outcome::skipped;
  if (run.co.allFiles == 1) {
    if (!takeTargetDirectoryForAllFiles(run, proposed)) return Outcome::stop;
    run.firstPass = false;
    run.progress.make();
    if (run.progress.notify(archive.archiveName()) == -1) return Outcome::stop;
  }
  return std::nullopt;
}

// Gives the member the checked-out revision (as its revision only when
// the member is to be updated) and reads its row again.
void recordCheckedOutRevision(CheckOutRun& run, MemberRow& row) {
  const std::string revision = fieldText(run.co.checkedOutRevision);
  // Without ModifyProject the member's revision stays; the run goes on.
  if (run.co.updateMember == 1 && run.modify) run.project.setMember(VC_MEMBER_ITEM_SET_REVISION, revision.c_str());
  run.project.setMember(VC_MEMBER_ITEM_SET_RECORDED_REVISION, revision.c_str());
  recomputeRow(run.project, row, 0, 8);
}

// Checks the chosen revision out to the working file (the run's target
// directory when All Files chose one), locking it when asked.
Outcome checkOutToWorkFile(CheckOutRun& run, MemberRow& row, OpenArchive& archive) {
  if (run.directoryChanged) {
    setField(run.co.workFile, joinPath(run.targetDirectory, baseName(archive.workFileName())));
  }
  if (run.co.locked == 1 && !archive.writeLock()) return Outcome::skipped;
  int answer = 1;
  archive.setStatus(checkOutRevision(archive, run.project.project, run.co, answer));
  const bool checkedOut = archive.status() == 0;
  // Cancel at a writable working file ends the run.
  if (run.co.writableAnswer == ui::kAnswerCancel) {
    if (!checkedOut) return Outcome::stop;
    run.changed = true;
    return Outcome::stopAfterThis;
  }
  if (!checkedOut) return answer == ui::kAnswerCancel ? Outcome::stop : Outcome::skipped;
  run.changed = true;
  recordCheckedOutRevision(run, row);
  return Outcome::done;
}

Outcome checkOutMember(CheckOutRun& run, MemberRow& row) {
  const std::string reference = currentMemberText(run.project.project, VC_MEMBER_ITEM_NAME);
  if (const auto refused = refuseMemberWithoutRevision(run.ui, row, reference)) return *refused;
  OpenArchive archive(run.ui, reference, VC_ARCHIVE_OPEN_READ, run.project.project);
  if (archive.status() != 0) {
    archive.showError(kStyleError);
    return Outcome::skipped;
  }
  setMemberVariables(row.type, reference);
  archive.setWorkFileName(workNameOf(run.project.project));
  if (const auto outcome = askHowToCheckOut(run, row, archive)) return *outcome;
  return checkOutToWorkFile(run, row, archive);
}

}  // namespace

void ProjectMemberOperations::checkOutMembers(int* rows, int count) {
  if (project_.makeCurrent() != 1) return;
  const bool modify = hasPermission("ModifyProject");
  if (modify && !project_.lock(false)) return;
  CheckOutRun run(project_, dialogs_, count, modify);
  for (int i = 0; i < count; ++i) {
    MemberRow* row = view_.findMemberItem(rows[i], true);
    const Outcome outcome = row ? checkOutMember(run, *row) : Outcome::skipped;
    if (!markOutcome(outcome, rows, i, count)) break;
  }
  finish(run.changed, rows, count);
  if (modify) project_.dropWriteLock();
}

// ---- Locks ----

void ProjectMemberOperations::setMemberLocks(int* rows, int count, int item) {
  ui::Ui& ui = project_.ui();
  bool changed = false, projectLocked = false;
  RunProgress progress(ui, item == VC_REVISION_ITEM_LOCK ? kStrLocking : kStrUnlocking, count);
  for (int i = 0; i < count; ++i) {
    MemberRow* row = view_.findMemberItem(rows[i], true);
    if (!row || row->type == 'f') {
      rows[i] = -1;
      continue;
    }
    const std::string reference = currentMemberText(project_.project, VC_MEMBER_ITEM_NAME);
    if (!row->hasRevision()) {
      rcsMessage(ui, kStyleError, formatString(kStrNoMemberRevision, reference.c_str()));
      rows[i] = -1;
      continue;
    }
    setMemberVariables(row->type, reference);
    OpenArchive archive(ui, reference, VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE, project_.project);
    if (archive.status() != 0) {
      archive.showArchiveOpenError(kStyleError);
      rows[i] = -1;
      continue;
    }
    setWorkFileVariable(archive.workFileName());
    std::string revision = *row->revision;
    if (row->changeFlags & kReReadRevision) {
      const std::string reread = currentMemberText(project_.project, VC_MEMBER_ITEM_REVISION);
      if (!reread.empty()) revision = reread;
    }
    progress.make();
    if (progress.notify(archive.archiveName()) == -1) {
      markFrom(rows, i, count);
      break;
    }
    char newRevision[kRevisionBufferSize] = {};
    const int rc = archive.setLock(revision.c_str(), item, newRevision, sizeof newRevision);
    if (rc == 2) {
      markFrom(rows, i, count);
      break;
    }
    if (rc != 1) {
      rows[i] = -1;
      continue;
    }
    if (newRevision[0]) {
      if (!projectLocked) projectLocked = project_.lock(false);
      if (projectLocked) project_.setMember(VC_MEMBER_ITEM_SET_REVISION, newRevision);
    }
    changed = true;
  }
  finish(changed, rows, count);
  if (projectLocked) project_.dropWriteLock();
}

// ---- Freeze and thaw ----

void ProjectMemberOperations::freezeMembers(int* rows, int count, bool freeze) {
  ui::Ui& ui = project_.ui();
  if (!project_.lock(false)) return;
  if (count == 0) {
    const int n = view_.rowCount();
    const unsigned members = project_.memberCount, locked = project_.lockedCount,
                   selected = project_.selectedCount;
    project_.status = vcSetProject(project_.project, freeze ? VC_PROJECT_ITEM_FREEZE : VC_PROJECT_ITEM_THAW, nullptr);
    if (project_.status == 0) {
      const bool saved = project_.save() == 0;
      project_.reopen();
      if (saved) {
        project_.frozen = freeze;
        view_.updateCaption();
      }
      if (n > 0) {
        project_.memberCount = members;
        project_.lockedCount = locked;
        project_.selectedCount = selected;
        view_.refreshMembers(nullptr, 0);
      }
    } else {
      project_.showError(kStyleError);
    }
  } else {
    bool changed = false;
    {
      RunProgress progress(ui, freeze ? kStrFreezing : kStrThawing, count);
      progress.make();
      for (int i = 0; i < count; ++i) {
        MemberRow* row = view_.findMemberItem(rows[i], true);
        if (!row) {
          rows[i] = -1;
          continue;
        }
        if (progress.notify(row->name) == -1) {
          markFrom(rows, i, count);
          break;
        }
        if (row->type == 'f' || row->frozen == freeze) {
          rows[i] = -1;
          continue;
        }
        if (project_.setMember(freeze ? VC_MEMBER_ITEM_FREEZE : VC_MEMBER_ITEM_THAW, nullptr) == 0) {
          changed = true;
        } else {
          rows[i] = -1;
        }
      }
    }
    finish(changed, rows, count);
  }
  project_.dropWriteLock();
}

// ---- Update to head ----

bool ProjectMemberOperations::updateMembersToHead(int* rows, int count) {
  ui::Ui& ui = project_.ui();
  if (project_.makeCurrent() != 1 || !project_.lock(false)) return false;
  bool changed = false;
  {
    BusyCursor busy(ui);
    RunProgress progress(ui, kStrUpdating, count);
    progress.make();
    // The remembered answers belong to this run only.
    MemberWalk walk;
    for (int i = 0; i < count; ++i) {
      MemberRow* row = view_.findMemberItem(rows[i], true);
      if (!row) {
        rows[i] = -1;
        continue;
      }
      const int rc = updateToHeadRevision(project_, walk);
      if (rc == 0) {
        rows[i] = -1;
      } else if (rc == -1) {
        markFrom(rows, i, count);
        break;
      } else {
        row->changeMark = 2;
        changed = true;
      }
    }
  }
  finish(changed, rows, count);
  project_.dropWriteLock();
  return changed;
}

// ---- Remove ----

void ProjectMemberOperations::removeMembers(int* rows, int count, bool confirm) {
  ui::Ui& ui = project_.ui();
  if (!project_.lock(false)) return;
  bool changed = false;
  int lastAnswer = 0;
  for (int i = 0; i < count; ++i) {
    MemberRow* row = view_.findMemberItem(rows[i], true);
    if (!row) continue;
    if (row->frozen) {
      const unsigned style = i + 1 < count ? kStyleErrorCancel : kStyleError;
      if (rcsMessage(ui, style, formatString(kStrFrozenNoRemove, row->name.c_str())) == ui::kAnswerCancel) break;
      continue;
    }
    if (confirm && lastAnswer != kAnswerYesToAll) {
      lastAnswer = customMessageBox(ui, 0, formatString(kStrConfirmRemove, row->name.c_str()));
      if (lastAnswer == ui::kAnswerNo) continue;
      if (lastAnswer == kAnswerNoToAll || lastAnswer == ui::kAnswerCancel) break;
    }
    if (removeProjectMember(project_, row->name) == 0) changed = true;
  }
  if (changed) {
    if (project_.save() == 0) {
      view_.refreshMembers(nullptr, 0);
    } else {
      project_.reopen();
      view_.refreshMembers(rows, count);
    }
  }
  project_.dropWriteLock();
}

// ---- Project log and drops ----

std::string projectLogText(const std::string& file) {
  std::string text;
  if (file.empty() || sys::readWholeFile(file, text) != 0 || text.empty()) return std::string(kProjectLogEmpty);
  // The log keeps CR LF line ends; the window shows lines.
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  return lines;
}

void ProjectMemberOperations::viewProjectLog() {
  if (project_.makeCurrent() != 1) return;
  char file[512] = {};
  if (vcGetProject(project_.project, VC_PROJECT_ITEM_LOG_FILE, file, sizeof file - 1) != 0) file[0] = '\0';
  project_.text = file;
  if (dialogs_.showText) {
    dialogs_.showText("Project Log - " + project_.name, projectLogText(project_.text));
  } else if (dialogs_.viewFile && file[0]) {
    dialogs_.viewFile(project_.text);
  }
}

void ProjectMemberOperations::dropFiles(const std::vector<std::string>& files, const MemberAddServices& services) {
  BusyCursor busy(project_.ui());
  if (!project_.lock(false)) return;
  bool changed = false;
  int inaccessible = 0, alreadyIn = 0;
  // The drops are a batch of their own: answers of an earlier batch do not
  // apply to them, whichever file is the first to reach a question.
  resetMemberAddMemories();
  bool first = true;
  for (const std::string& file : files) {
    project_.status = addProjectMembers(project_, foldFileNameCase(file), false, &inaccessible, &alreadyIn, first,
                                        false, false, nullptr, services);
    first = false;
    if (project_.status == 0) changed = true;
    if (inaccessible == ui::kAnswerCancel || alreadyIn == ui::kAnswerCancel) break;
  }
  if (changed) {
    if (project_.save() == kReported) project_.reopen();
    view_.refreshMembers(nullptr, 0);
  }
  project_.dropWriteLock();
}

}  // namespace orv::workbench::project
