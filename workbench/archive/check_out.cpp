// Checking a revision out: resolving the revision, choosing the target,
// the lock, the pre-event and event, and the commit of a locked check-out.
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "platform/sys/system_calls.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "vc/include/vc.h"

namespace orv::workbench::archive {

namespace {

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

enum class Target { none, readOnly, writable };

// One check-out in progress: what it was asked, what it has settled so far,
// and what must be undone when it fails.
struct CheckOut {
  CheckOut(OpenArchive& openArchive, int projectHandle, TCoTransferStruct& coRecord, int& answerCell)
      : archive(openArchive), ui(openArchive.ui()), project(projectHandle), record(coRecord), answer(answerCell),
        style(errorStyleFor(coRecord.allFiles)), handle(openArchive.handle()), target(openArchive.workFileName()) {}

  OpenArchive& archive;
  ui::Ui& ui;
  const int project;  // a library project handle, 0 for none
  TCoTransferStruct& record;
  int& answer;
  const unsigned style;
  const int handle;
  std::string target;
  char revision[kRevisionBufferSize] = {};
  bool resolved = false;
  bool changed = false;    // the archive holds a change of ours in memory
  Target kind = Target::none;
  mode_t targetMode = 0;   // of a read-only target
  mode_t restoreMode = 0;  // a read-only target made writable for the check-out
};

// Resolves the revision the record asks for (the member's, the one typed
// or chosen, else the archive's default) into c.revision.
int resolveRevision(CheckOut& c) {
  char request[kRevisionBufferSize] = {};
  if (c.record.defaultRev) {
    // nothing requested
  } else if (c.record.memberRev && c.project) {
    vcGetMember(c.project, VC_MEMBER_ITEM_REVISION, request, sizeof request);
  } else if (c.record.revision || c.record.label) {
    setField(request, fieldText(c.record.choice));
  }
  if (request[0] == '\0') return getRevisionTitle(c.handle, c.revision, sizeof c.revision);
  char expanded[kRevisionBufferSize] = {};
  int rc = vcExpandRevision(c.handle, request, expanded, sizeof expanded);
  if (rc == 0) rc = vcGetRevInfo(c.handle, VC_REVISION_ITEM_NUMBER, expanded, c.revision, sizeof c.revision);
  return rc;
}

// Without a lock the archive is only read, and the target is the file or
// directory the record names (its path made when missing), else the
// working file.
int chooseTargetWithoutLock(CheckOut& c) {
  if (!c.archive.reopenReadOnly()) return kReported;
  const std::string wanted = c.record.workFile[0] ? fieldText(c.record.workFile) : c.target;
  struct stat st {};
  if (sys::calls().stat(wanted.c_str(), &st) != 0) {
    if (vcMakePath(wanted.c_str()) != 0) return VC_E_CANNOT_OPEN_WORK_FILE;
    c.target = wanted;
  } else if (S_ISDIR(st.st_mode)) {
    c.target = wanted + (wanted.back() == '/' ? "" : "/") + baseName(c.archive.workFileName());
  } else if (S_ISREG(st.st_mode)) {
    c.target = wanted;
  } else {
    return VC_E_NOT_VERSION_FILE;
  }
  return 0;
}

// A locked check-out takes the archive's write lock, and (when the record
// asks) refuses a revision whose state cannot be locked.
int lockArchiveForCheckOut(CheckOut& c) {
  if (c.record.lockStateCheck) {
    char state[40] = {};
    vcGetRevInfo(c.handle, VC_REVISION_ITEM_STATE, c.revision, state, sizeof state);
    if (!isLockableState(state)) {
      c.answer = rcsMessage(c.ui, c.style,
                            formatString(kStrLockStateRefused, c.revision, c.archive.archiveName().c_str(), state));
      return kReported;
    }
  }
  return c.archive.writeLock() ? 0 : kReported;
}

// A writable target is overwritten only when the user agrees, now or to
// all; a read-only one is noted with its mode.
int askWhetherToReplaceWorkingFile(CheckOut& c) {
  struct stat st {};
  if (sys::calls().stat(c.target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  if (!(st.st_mode & 0222)) {
    c.kind = Target::readOnly;
    c.targetMode = st.st_mode & 07777;
    return 0;
  }
  if (c.record.writableAnswer == kAnswerNoToAll) return kReported;
  if (c.record.writableAnswer != kAnswerYesToAll) {
    const std::string question = formatString(kStrOverwriteWritable, c.target.c_str());
    const int a = c.record.allFiles == 1 ? customMessageBox(c.ui, 0, question)
                                         : rcsMessage(c.ui, kStyleQuestion, question);
    c.record.writableAnswer = static_cast<std::uint8_t>(a);
    c.answer = a;
    if (a != ui::kAnswerYes && a != kAnswerYesToAll) return kReported;
  }
  c.kind = Target::writable;
  return 0;
}

// The configured pre-checkout event may refuse the check-out (reported).
int runPreCheckOutEvent(CheckOut& c) {
  setWorkFileVariable(c.archive.workFileName());
  const int event = vcArchiveEvent(c.handle, "precheckout", c.revision);
  if (preEventGoesOn(event)) return 0;
  c.answer = showPreEventRefusal(c.archive, event, kStrPreCheckoutFailed, kStrCannotCheckOut, c.revision, c.style);
  return event == VC_E_DONE ? VC_E_DONE : kReported;
}

// The check-out replaces the target in one step, so a writable target
// stays whole until then; a read-only one is made writable so that the
// new file does not inherit its mode.
void letCheckOutReplaceReadOnlyTarget(CheckOut& c) {
  if (c.kind != Target::readOnly) return;
  c.restoreMode = c.targetMode;
  sys::calls().chmod(c.target.c_str(), c.restoreMode | S_IWUSR);
}

// Locks the revision in memory. A variant project checking out its head
// revision locked first makes a new revision on top of it, and locks that.
int lockRevision(CheckOut& c) {
  char variant = 0;
  char head[kRevisionBufferSize] = {};
  if (c.project && vcGetProject(c.project, VC_PROJECT_ITEM_VARIANT, &variant, 1) == 0 && variant &&
      vcGetArchiveInfo(c.handle, VC_ARCHIVE_ITEM_HEAD, head, sizeof head) == 0 && std::strcmp(head, c.revision) == 0) {
    c.changed = true;
    const int rc = checkInNewRevision(c.handle, c.revision, c.revision, sizeof c.revision, 0);
    if (rc != 0) return rc;
  }
  c.changed = true;
  return vcSetRevInfo(c.handle, VC_REVISION_ITEM_LOCK, c.revision, nullptr);
}

// Writes the revision to the target and runs the checkout event; the
// file's time and mode follow the options, and a lock is committed.
int writeWorkingFile(CheckOut& c) {
  int rc = vcCheckOutRevision(c.handle, c.revision, c.target.c_str(),
                              c.record.expandKeywords ? VC_CHECKOUT_EXPAND_KEYWORDS : VC_CHECKOUT_NO_KEYWORDS);
  if (rc != 0) return rc;
  c.restoreMode = 0;
  vcArchiveEvent(c.handle, "checkout", c.revision);
  if (c.record.restoreTimestamp) setFileTimeFromRevision(c.handle, c.target, c.revision);
  if (!c.record.locked && isStrictLocking(c.handle)) sys::calls().chmod(c.target.c_str(), 0444);
  if (c.record.locked) rc = vcCommitArchive(c.handle, VC_COMMIT_KEEP_OPEN);
  return rc;
}

// The check-out's steps in order: 0, or the result of the one that ended it.
int runCheckOut(CheckOut& c) {
  if (const int rc = resolveRevision(c); rc != 0) return rc;
  c.resolved = true;
  if (const int rc = c.record.locked ? lockArchiveForCheckOut(c) : chooseTargetWithoutLock(c); rc != 0) return rc;
  if (const int rc = askWhetherToReplaceWorkingFile(c); rc != 0) return rc;
  if (const int rc = runPreCheckOutEvent(c); rc != 0) return rc;
  letCheckOutReplaceReadOnlyTarget(c);
  if (c.record.locked) {
    if (const int rc = lockRevision(c); rc != 0) return rc;
  }
  return writeWorkingFile(c);
}

// Whatever the result: the target's mode back, a failure not yet shown
// reported, a change in memory thrown away, the archive closed but usable
// and the revision noted in the record.
int finishCheckOut(CheckOut& c, int result) {
  if (c.restoreMode) sys::calls().chmod(c.target.c_str(), c.restoreMode);
  c.archive.setStatus(result);
  if (result != 0 && result != VC_E_DONE && result != kReported) c.answer = c.archive.showError(c.style);
  // A lock, or a revision made for it, must not wait in memory for a later
  // commit through this handle.
  if (c.changed && result != 0) c.archive.reopen();
  if (c.archive.handle()) vcKeepClosed(c.archive.handle());
  if (c.resolved) setField(c.record.checkedOutRevision, c.revision);
  return result;
}

}  // namespace

bool preEventGoesOn(int rc) {
  if (rc == VC_E_DONE) return vcExtraError() != 0;
  return rc < VC_E_NO_MESSAGE;
}

int showPreEventRefusal(OpenArchive& archive, int rc, int textId, int refusedId,
                        const char* revision, unsigned style) {
  if (rc < VC_E_NO_MESSAGE)
    return rcsMessage(archive.ui(), style,
                      formatString(textId, revision, archive.archiveName().c_str()));
  return rcsErrorMessage(archive.ui(), style, rc,
                         formatString(refusedId, revision, archive.archiveName().c_str()));
}

int checkOutRevision(OpenArchive& archive, int project, TCoTransferStruct& record, int& answer) {
  BusyCursor busy(archive.ui());
  CheckOut c(archive, project, record, answer);
  const int result = runCheckOut(c);
  return finishCheckOut(c, result);
}

}  // namespace orv::workbench::archive
