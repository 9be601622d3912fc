// The workbench's hold on one open revision archive for the length of one
// operation. It hides the three ways of naming an archive (as a project
// member, by working-file name, by archive name), asks for the password of
// an encrypted archive, keeps read-only archives closed between library
// calls, recovers when another user changed the archive, and turns every
// library failure into one message box: a reported failure leaves the
// status -14, which nothing reports again.
//
// Beside it stand the archive-level operations that several windows use:
// locking and unlocking (with lock breaking and the lock-broken mail),
// deleting revisions with their labels, and a check-out to a given file.
// Every failed or abandoned change is thrown away by reopening the archive,
// so no uncommitted change lingers in the handle for a later commit.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::archive {

// A failure already shown (or a question the user declined).
constexpr int kReported = -14;

class OpenArchive {
 public:
  // Opens name with mode (1 read, 2/6 write, 3/7 read and write, 4 create),
  // as the current member of project when project is not 0. The status tells
  // the outcome (0 success). refreshToolbar, when given, runs when the
  // object goes.
  OpenArchive(ui::Ui& ui, const std::string& name, int mode, int project = 0,
              std::function<void()> refreshToolbar = {});
  ~OpenArchive();
  OpenArchive(const OpenArchive&) = delete;
  OpenArchive& operator=(const OpenArchive&) = delete;

  // Closes and opens the archive again with the object's mode (without
  // create), discarding every change not committed. False on failure.
  bool reopen();
  // The archive reopened for reading; false (after the changed-archive
  // recovery) on failure.
  bool reopenReadOnly();
  // The archive's write lock; false (after the changed-archive recovery)
  // on failure.
  bool writeLock();
  // Drops the write lock and keeps the archive closed; false, reported, on
  // failure.
  bool dropWriteLock();
  // Closes the archive: 0 or the library's code. The handle is 0
  // afterwards whatever the outcome, since the library may hand the same
  // number to the next archive it opens.
  int close();

  // Reports the status in style (nothing for 0 and -14) and marks it
  // reported; the box's answer.
  int showError(unsigned style);
  int showArchiveOpenError(unsigned style);
  int showWorkFileError(unsigned style);

  // The library's user name into buffer; false, after telling the user how
  // to set one, when there is none.
  bool getLibraryUserName(char* buffer, int size);

  // Locks (item 18) or unlocks (item 23) revision and commits. A lock on a
  // variant's head first makes a new revision, whose number goes to newRev
  // (size bytes) when given. 1 done, 2 the user chose Cancel, -1 failed or
  // declined (already reported).
  int setLock(const char* revision, int item, char* newRev = nullptr, int size = 0);
  // Deletes revisions, asking first, with their labels, and commits. 1 done
  // (also for an empty list), 2 stopped by the user (nothing changed), -1
  // failed (reported; nothing changed).
  int deleteRevisions(const std::vector<std::string>& revisions);

  bool revisionHasLabels(const std::string& revision);
  // Drops every label of revision, reporting each failure; false when a drop
  // was refused (234 or more).
  bool dropRevisionLabels(const std::string& revision);
  // Checks revision out to target (the compare command's temporary file).
  bool checkOutToTemporary(const char* revision, const char* target);

  ui::Ui& ui() { return ui_; }
  int status() const { return status_; }
  void setStatus(int status) { status_ = status; }
  int mode() const { return mode_; }
  int handle() const { return handle_; }
  int project() const { return project_; }
  const std::string& archiveName() const { return archiveName_; }
  const std::string& workFileName() const { return workFileName_; }
  // The working file the next check-in or check-out uses.
  void setWorkFileName(std::string name) { workFileName_ = std::move(name); }
  const std::string& givenName() const { return givenName_; }
  // The name errors show: the archive's, else the name given.
  const std::string& displayName() const;

  // Kept here by the archive window's views.
  int revisionCount = 0;
  int lockedCount = 0;
  int selectedCount = 0;
  int firstSelectedIsWorkFile = 0;

 private:
  bool changedArchiveRecovery();
  // Throws away every change not committed and lets the write lock go.
  void discardChanges();
  // Opens archiveName_ with mode, asking for the password; the library code.
  int openByName(int mode);
  void publishCurrentArchive();
  int lockStep(const char* revision, int item, char* newRev, int size);
  void offerLockBrokenMail(const std::string& revision, const std::string& locker,
                           const std::string& user);

  ui::Ui& ui_;
  int status_ = 0;
  int mode_ = 0;
  int handle_ = 0;
  int project_ = 0;
  std::string archiveName_;
  std::string workFileName_;
  std::string givenName_;
  std::function<void()> refreshToolbar_;
};

// The one text of a library failure: name, a new line, and the library's
// explanation of code (with the system's text of the extra error for codes
// of 200 and more), shown in style. The name is shortened at its front when
// the text would not fit a box. Nothing for 0 and -14 (answer 1).
int showArchiveError(ui::Ui& ui, int code, const std::string& name, unsigned style);
// The text showArchiveError shows.
std::string archiveErrorText(int code, const std::string& name);

// The lock-broken notice the Mail dialog edits before it is sent.
struct LockBrokenMail {
  std::string addressee;
  std::string sender;
  std::string subject;
  std::string body;
};
// Runs the Mail dialog over mail; true when it ended with OK.
using LockMailDialog = std::function<bool(LockBrokenMail&)>;
// The Mail dialog that setLock offers after breaking a lock; none: no mail.
void setLockMailDialog(LockMailDialog dialog);

}  // namespace orv::workbench::archive
