#include "workbench/project/project_member_ops.h"

#include <cstring>
#include <memory>

#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/app/custom_message_box.h"
#include "workbench/app/library_settings.h"
#include "workbench/project/member_location.h"
#include "workbench/project/member_walks.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/progress_window.h"
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

}  // namespace

void ProjectMemberOperations::finish(bool changed, const int* rows, int count) {
  if (!changed) return;
  if (project_.save() == kReported) project_.reopen();
  view_.refreshMembers(rows, count);
}

void ProjectMemberOperations::recompute(MemberRow& row, int archive, unsigned walkOptions) {
  project_.walkOptions = walkOptions;
  if ((row.changeFlags & kLocked) && project_.lockedCount > 0) --project_.lockedCount;
  row.changeFlags = 0;
  updateMemberStatus(project_, row, archive);
  if (row.changeFlags & kLocked) ++project_.lockedCount;
  project_.walkOptions = 0;
}

// ---- Check in ----

void ProjectMemberOperations::checkInMembers(int* rows, int count) {
  ui::Ui& ui = project_.ui();
  if (project_.makeCurrent() != 1) return;
  TCiTransferStruct ci;
  TCpTransferStruct cp;
  ci.allFiles = cp.allSubprojects = count < 2 ? kCheckInBoxDisabled : 0;
  const bool modify = hasPermission("ModifyProject");
  if (modify && !project_.lock(false)) return;
  const bool plainSandbox = (project_.kind & kProjectKindSandbox) && !(project_.kind & kProjectKindVariant);

  bool firstPass = true, changed = false, cacheUsed = false, referenceQuiet = false;
  RunProgress progress(ui, kStrCheckingIn, count);
  std::string proposedNumber;
  for (int i = 0; i < count; ++i) {
    MemberRow* row = view_.findMemberItem(rows[i], true);
    if (!row) {
      rows[i] = -1;
      continue;
    }
    const std::string reference = currentMemberText(project_.project, 100);
    setMemberVariables(row->type, reference);

    if (isSubprojectRow(*row)) {
      std::string newRevision;
      const bool bothAll = ci.allFiles == 1 && cp.allSubprojects == 1;
      if (!bothAll) progress.hide();
      const int rc = dialogs_.checkpointMembers
                         ? dialogs_.checkpointMembers(project_, row->name, newRevision, cp.allSubprojects != 1, cp)
                         : 0;
      if (!bothAll) progress.show();
      if (rc == -1) {
        progress.notify(reference);
        markFrom(rows, i, count);
        break;
      }
      if (rc == 0) {
        if (ci.cancelAll || cp.cancelAll) {
          markFrom(rows, i, count);
          break;
        }
        rows[i] = -1;
        continue;
      }
      changed = true;
      if (ci.allFiles == 1 || cp.allSubprojects == 1) {
        if (ci.allFiles == 1) firstPass = false;
        progress.make();
        if (progress.notify(reference) == -1) {
          markFrom(rows, i + 1, count);
          break;
        }
      }
      row->revision = newRevision;
      if (modify) project_.setMember(127, newRevision.c_str());
      project_.setMember(128, newRevision.c_str());
      recompute(*row, 0, 4);
      continue;
    }

    OpenArchive archive(ui, reference, 6, project_.project);
    if (archive.status() != 0) {
      const int answer = archive.showArchiveOpenError(count > 1 ? kStyleErrorCancel : kStyleError);
      rows[i] = -1;
      if (answer == ui::kAnswerCancel) {
        markFrom(rows, i, count);
        break;
      }
      continue;
    }
    archive.setWorkFileName(workNameOf(project_.project));

    if (!firstPass) {
      if (progress.notify(archive.archiveName()) == -1) {
        markFrom(rows, i, count);
        break;
      }
    } else {
      const int prepared = dialogs_.prepareCheckIn ? dialogs_.prepareCheckIn(archive, project_, ci) : 1;
      if (prepared == 3) {
        markFrom(rows, i, count);
        break;
      }
      if (prepared == 2) {
        rows[i] = -1;
        continue;
      }
      if (project_.historical || row->frozen) ci.updateMember = kCheckInBoxDisabled;
      if (count == 1) ci.allFiles = kCheckInBoxDisabled;
      proposedNumber = fieldText(ci.number);
      const bool bothAll = ci.allFiles == 1 && cp.allSubprojects == 1;
      if (!bothAll) progress.hide();
      const int answer = dialogs_.checkInDialog ? dialogs_.checkInDialog(archive, project_, ci, cp) : ui::kAnswerCancel;
      if (!bothAll) progress.show();
      if (answer != ui::kAnswerOk) {
        if (ci.cancelAll) {
          markFrom(rows, i, count);
          break;
        }
        rows[i] = -1;
        continue;
      }
      if (ci.allFiles == 1) {
        firstPass = false;
        progress.make();
        if (progress.notify(archive.archiveName()) == -1) {
          markFrom(rows, i, count);
          break;
        }
      }
    }

    char newRevision[kRevisionBufferSize] = {};
    int answer = 1;
    if (checkInRevision(archive, project_.project, ci, newRevision, sizeof newRevision, answer, 0) != 0) {
      rows[i] = -1;
      if (answer == ui::kAnswerCancel) {
        markFrom(rows, i, count);
        break;
      }
      if (fieldText(ci.number) == proposedNumber) ci.number[0] = '\0';
      continue;
    }
    changed = true;
    if (row->type == 'f') {
      int rc = vcWriteLock(archive.handle());
      if (rc == 0) rc = vcAddProjectLink(project_.project, archive.handle());
      if (rc == 0) rc = vcCommitArchive(archive.handle(), 0);
      if (rc != 0) {
        rcsErrorMessage(ui, kStyleError, rc,
                        formatString(kStrCannotAssociate, archive.archiveName().c_str(), project_.name.c_str()));
      }
      if (ci.updateMember == 1) {
        row->type = 'a';
        if (modify) project_.setMember(125, "a");
      }
    }
    unsigned walkOptions = 8;
    if (ci.updateMember == 1) {
      row->revision = newRevision;
      if (modify) project_.setMember(127, newRevision);
      walkOptions = 4;
    }
    if (row->type == 'a') project_.setMember(128, newRevision);
    recompute(*row, archive.handle(), walkOptions);

    const std::string workFile = archive.workFileName();
    if (plainSandbox && vcPathSame(workFile.c_str(), reference.c_str()) != 0 && archive.reopenReadOnly()) {
      const int rc = vcCoProjectReference(project_.project, archive.handle(), newRevision, reference.c_str(), 0);
      if (rc == 0) {
        if (isStrictLocking(archive.handle())) makeReadOnly(reference);
        vcAppendReferenceWorkCache(project_.project, nullptr, reference.c_str(), newRevision);
        cacheUsed = true;
      } else if (rc != 30 && !referenceQuiet) {
        std::string shown = reference;
        for (char& c : shown)
          if (c == '/') c = '\\';
        if (rcsMessage(ui, kStyleErrorCancel, formatString(kStrCannotUpdateReference, shown.c_str())) ==
            ui::kAnswerCancel)
          referenceQuiet = true;
      }
      vcKeepClosed(archive.handle());
    }
    // A number the user typed serves every member; a proposed one only this.
    if (fieldText(ci.number) == proposedNumber) ci.number[0] = '\0';
  }
  if (cacheUsed) vcDoneAppendReferenceWorkCache(project_.project);
  finish(changed, rows, count);
  if (modify) project_.dropWriteLock();
}

// ---- Check out ----

void ProjectMemberOperations::checkOutMembers(int* rows, int count) {
  ui::Ui& ui = project_.ui();
  if (project_.makeCurrent() != 1) return;
  TCoTransferStruct co;
  const bool modify = hasPermission("ModifyProject");
  if (modify && !project_.lock(false)) return;
  bool firstPass = true, directoryChanged = false, changed = false;
  std::string targetDirectory;
  RunProgress progress(ui, kStrCheckingOut, count);
  for (int i = 0; i < count; ++i) {
    MemberRow* row = view_.findMemberItem(rows[i], true);
    if (!row) {
      rows[i] = -1;
      continue;
    }
    const std::string reference = currentMemberText(project_.project, 100);
    int refusal = 0;
    if (row->type == 'f') refusal = kStrNotArchivedMember;
    if (isSubprojectRow(*row)) refusal = kStrCannotCheckOutSubproject;
    if (refusal) {
      rows[i] = -1;
      if (rcsMessage(ui, kStyleErrorCancel, formatString(refusal, reference.c_str())) == ui::kAnswerCancel) {
        markFrom(rows, i, count);
        break;
      }
      continue;
    }
    if (!row->hasRevision()) {
      rows[i] = -1;
      rcsMessage(ui, kStyleError, formatString(kStrNoMemberRevision, reference.c_str()));
      continue;
    }
    OpenArchive archive(ui, reference, 1, project_.project);
    if (archive.status() != 0) {
      archive.showError(kStyleError);
      rows[i] = -1;
      continue;
    }
    setMemberVariables(row->type, reference);
    archive.setWorkFileName(workNameOf(project_.project));

    if (!firstPass) {
      setField(co.workFile, archive.workFileName());
      if (progress.notify(archive.archiveName()) == -1) {
        markFrom(rows, i, count);
        break;
      }
    } else {
      if (dialogs_.checkOutDefaults && !dialogs_.checkOutDefaults(archive, co)) {
        rows[i] = -1;
        continue;
      }
      if (project_.historical || row->frozen) co.updateMember = kCheckOutBoxDisabled;
      co.defaultChoice = 118;
      if (count == 1) co.allFiles = kCheckOutBoxDisabled;
      const std::string proposed = fieldText(co.workFile);
      const int answer = dialogs_.checkOutDialog ? dialogs_.checkOutDialog(archive, project_, co) : ui::kAnswerCancel;
      if (answer != ui::kAnswerOk) {
        if (co.cancelAll) {
          markFrom(rows, i, count);
          break;
        }
        rows[i] = -1;
        continue;
      }
      if (co.allFiles == 1) {
        std::string target = fieldText(co.workFile);
        if (target != proposed) {
          directoryChanged = true;
          if (baseName(target) == baseName(proposed)) target = stripLastPathComponent(target);
          if (!makeDirectories(target)) {
            rcsMessage(ui, kStyleError, formatString(kStrCannotCreateDir, target.c_str()));
            markFrom(rows, i, count);
            break;
          }
          targetDirectory = target;
        }
        firstPass = false;
        progress.make();
        if (progress.notify(archive.archiveName()) == -1) {
          markFrom(rows, i, count);
          break;
        }
      }
    }
    if (directoryChanged) setField(co.workFile, joinPath(targetDirectory, baseName(archive.workFileName())));
    if (co.locked == 1 && !archive.writeLock()) {
      rows[i] = -1;
      continue;
    }
    int answer = 1;
    archive.setStatus(checkOutRevision(archive, project_.project, co, answer));
    if (co.writableAnswer == ui::kAnswerCancel) {
      if (archive.status() != 0) rows[i] = -1;
      markFrom(rows, i + 1, count);
      if (archive.status() == 0) changed = true;
      break;
    }
    if (archive.status() == 0) {
      changed = true;
      const std::string revision = fieldText(co.checkedOutRevision);
      // Without ModifyProject the member's revision stays; the run goes on.
      if (co.updateMember == 1 && modify) project_.setMember(127, revision.c_str());
      project_.setMember(128, revision.c_str());
      recompute(*row, 0, 8);
    } else {
      rows[i] = -1;
      if (answer == ui::kAnswerCancel) {
        markFrom(rows, i, count);
        break;
      }
    }
  }
  finish(changed, rows, count);
  if (modify) project_.dropWriteLock();
}

// ---- Locks ----

void ProjectMemberOperations::setMemberLocks(int* rows, int count, int item) {
  ui::Ui& ui = project_.ui();
  bool changed = false, projectLocked = false;
  RunProgress progress(ui, item == 18 ? kStrLocking : kStrUnlocking, count);
  for (int i = 0; i < count; ++i) {
    MemberRow* row = view_.findMemberItem(rows[i], true);
    if (!row || row->type == 'f') {
      rows[i] = -1;
      continue;
    }
    const std::string reference = currentMemberText(project_.project, 100);
    if (!row->hasRevision()) {
      rcsMessage(ui, kStyleError, formatString(kStrNoMemberRevision, reference.c_str()));
      rows[i] = -1;
      continue;
    }
    setMemberVariables(row->type, reference);
    OpenArchive archive(ui, reference, 3, project_.project);
    if (archive.status() != 0) {
      archive.showArchiveOpenError(kStyleError);
      rows[i] = -1;
      continue;
    }
    setWorkFileVariable(archive.workFileName());
    std::string revision = *row->revision;
    if (row->changeFlags & kReReadRevision) {
      const std::string reread = currentMemberText(project_.project, 101);
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
      if (projectLocked) project_.setMember(127, newRevision);
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
    project_.status = vcSetProject(project_.project, freeze ? 171 : 172, nullptr);
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
        if (project_.setMember(freeze ? 129 : 130, nullptr) == 0) {
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
    bool first = true;
    for (int i = 0; i < count; ++i) {
      MemberRow* row = view_.findMemberItem(rows[i], true);
      if (!row) {
        rows[i] = -1;
        continue;
      }
      // The remembered answers belong to this run only.
      const int rc = updateToHeadRevision(project_, first);
      first = false;
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

void ProjectMemberOperations::viewProjectLog() {
  if (project_.makeCurrent() != 1) return;
  char file[512] = {};
  if (vcGetProject(project_.project, 147, file, sizeof file - 1) == 0 && dialogs_.viewFile) {
    project_.text = file;
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
