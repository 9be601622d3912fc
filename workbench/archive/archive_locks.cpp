// Locking and unlocking a revision from the archive and project windows:
// the checks before the lock, breaking someone else's lock (and the notice
// to its holder), and the commit. A failed commit reopens the archive so
// that neither the lock nor a revision made for it stays in memory.
#include <cstring>
#include <strings.h>

#include "platform/profile/profile.h"
#include "platform/profile/settings_dir.h"
#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/open_archive.h"

namespace orv::workbench::archive {

namespace {

constexpr int kRevisionSize = 64;

LockMailDialog& mailDialog() {
  static LockMailDialog dialog;
  return dialog;
}

// The mail profile asks for lock notices: [mail] MAPI and CMC nonzero and a
// CMC library named.
bool lockMailConfigured() {
  const std::string dir = profile::settingsDirectory(false);
  if (dir.empty()) return false;
  const std::string file = dir + "/WIN.INI";
  return profile::getProfileInt(file, "mail", "MAPI", 0) != 0 &&
         profile::getProfileInt(file, "mail", "CMC", 0) != 0 &&
         !profile::getProfileString(file, "mail", "CMCDLLNAME", "").empty();
}

}  // namespace

void setLockMailDialog(LockMailDialog dialog) { mailDialog() = std::move(dialog); }

void OpenArchive::offerLockBrokenMail(const std::string& revision, const std::string& locker,
                                      const std::string& user) {
  if (!mailDialog() || !lockMailConfigured()) return;
  LockBrokenMail mail;
  mail.addressee = locker;
  mail.sender = user;
  mail.subject = formatString(kStrLockBrokenSubject, archiveName_.c_str());
  mail.body = formatString(kStrLockBrokenBody, revision.c_str(), archiveName_.c_str(), user.c_str());
  if (mailDialog()(mail))
    vx_sendmail(mail.addressee.c_str(), mail.subject.c_str(), mail.body.c_str(), 0);
}

int OpenArchive::setLock(const char* revision, int item, char* newRev, int size) {
  if (!revision) return -1;
  char user[kRevisionSize] = {};
  if (!getLibraryUserName(user, sizeof user) || !writeLock()) return -1;
  char rev[kRevisionSize] = {};
  copyToBuffer(revision, rev, sizeof rev);
  const std::string name = archiveName_;
  // A refusal: drop the write lock; 2 for Cancel, else -1.
  auto refuse = [&](int answer) {
    dropWriteLock();
    return answer == ui::kAnswerCancel ? 2 : -1;
  };

  if (item == VC_REVISION_ITEM_LOCK) {
    char held[kRevisionSize] = {};
    if (vcGetIdArchiveInfo(handle_, VC_ARCHIVE_ITEM_USER_LOCK, user, held, sizeof held) == 0) {
      if (std::strcmp(held, rev) == 0) return refuse(ui::kAnswerOk);  // already ours: nothing to do
      return refuse(rcsMessage(ui_, kStyleErrorCancel,
                               formatString(kStrAlreadyLocked, held, name.c_str())));
    }
    char states[256] = {};
    char lockStates[256] = {};
    if (vcGetConfig("states", nullptr, 0, states, sizeof states) == 0 &&
        vcGetPermValue("LockStates", lockStates, sizeof lockStates) == 0 && lockStates[0]) {
      char state[40] = {};
      vcGetRevInfo(handle_, VC_REVISION_ITEM_STATE, rev, state, sizeof state);
      if (findWordInList(state, lockStates) < 0)
        return refuse(rcsMessage(ui_, kStyleErrorCancel,
                                 formatString(kStrLockStateRefused, rev, name.c_str(), state)));
    }
  }

  char locker[kRevisionSize] = {};
  if (vcGetIdArchiveInfo(handle_, VC_ARCHIVE_ITEM_LOCKER, rev, locker, sizeof locker) == 0 &&
      strcasecmp(locker, user) != 0) {
    int answer;
    if (hasPermission("BreakLocks")) {
      answer = rcsMessage(ui_, kStyleQuestionCancel, formatString(kStrBreakLock, rev, name.c_str(), locker));
    } else {
      answer = rcsMessage(ui_, kStyleErrorCancel,
                          formatString(kStrNoBreakLockPermission, rev, name.c_str(), locker));
    }
    if (answer != ui::kAnswerYes) return refuse(answer);
    status_ = vcSetRevInfo(handle_, VC_REVISION_ITEM_BREAK_LOCK, rev, nullptr);
    if (status_ != 0) {
      showError(kStyleError);
      discardChanges();
      return -1;
    }
    offerLockBrokenMail(rev, locker, user);
    if (item == VC_REVISION_ITEM_UNLOCK) return lockStep(rev, 0, newRev, size);
  } else if (item == VC_REVISION_ITEM_UNLOCK && locker[0] == '\0') {
    return refuse(rcsMessage(ui_, kStyleErrorCancel, formatString(kStrNoLockToRemove, name.c_str())));
  }
  return lockStep(rev, item, newRev, size);
}

// Steps 6 to 8: a new revision on a variant's head, the lock item, the
// commit. item 0: only the commit (a broken lock).
int OpenArchive::lockStep(const char* revision, int item, char* newRev, int size) {
  char rev[kRevisionSize] = {};
  copyToBuffer(revision, rev, sizeof rev);
  status_ = 0;
  if (item == VC_REVISION_ITEM_LOCK && project_) {
    char variant = 0;
    char head[kRevisionSize] = {};
    if (vcGetProject(project_, VC_PROJECT_ITEM_VARIANT, &variant, 1) == 0 && variant &&
        vcGetArchiveInfo(handle_, VC_ARCHIVE_ITEM_HEAD, head, sizeof head) == 0 && std::strcmp(head, rev) == 0) {
      status_ = checkInNewRevision(handle_, rev, rev, sizeof rev, 0);
      if (status_ == 0 && newRev) copyToBuffer(rev, newRev, size);
    }
  }
  if (status_ == 0 && item) status_ = vcSetRevInfo(handle_, item, rev, nullptr);
  if (status_ != 0) {
    showError(kStyleError);
    discardChanges();
    return -1;
  }
  BusyCursor busy(ui_);
  status_ = vcCommitArchive(handle_, VC_COMMIT_KEEP_OPEN);
  if (status_ != 0) {
    showError(kStyleError);
    discardChanges();  // the lock, and a revision made for it, go with the failed commit
    return -1;
  }
  vcKeepClosed(handle_);
  return 1;
}

}  // namespace orv::workbench::archive
