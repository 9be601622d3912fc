// The Checkpoint dialog and the project checkpoint (see checkpoint_dialog.h).
#include "workbench/dialogs/checkpoint_dialog.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/profile/profile.h"
#include "platform/profile/settings_dir.h"
#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/custom_message_box.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/progress_window.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/dialogs/state_lists.h"
#include "workbench/external/file_choices.h"
#include "workbench/project/member_walks.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kFrozenSubproject =
    "%s\nis a frozen subproject member.\nYou cannot checkpoint it while\nit is frozen.";
constexpr const char* kHistoricalSubproject =
    "%s\nis a historical subproject member.\nYou cannot checkpoint it while\nit is historical.";
constexpr const char* kCheckpointing = "Checkpointing...";
constexpr unsigned kStyleOkCancel = app::kStyleErrorCancel;
constexpr int kNumberSize = 64;

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kCheckpointDialogId;
  d.title = "Checkpoint";
  d.helpContext = kCheckpointHelpContext;
  d.controls = {
      {kCpWorkCaption, K::label, "Working File:", 1},
      {kCpWorkName, K::label, "", 1},
      {kCpArchiveCaption, K::label, "Archive File:", 1},
      {kCpArchiveName, K::label, "", 1},
      {0, K::groupBox, "Revision Settings", 2},
      {kCpLabelCaption, K::label, "&Label:", 2},
      {kCpLabel, K::lineEdit, "", 2},
      {kCpNumberCaption, K::label, "&Number:", 2},
      {kCpNumber, K::lineEdit, "", 2},
      {kCpStateCaption, K::label, "Stat&e:", 2},
      {kCpStates, K::comboBox, "", 2},
      {kCpState, K::lineEdit, "", 2},
      {kCpAuthorCaption, K::label, "A&uthor:", 2},
      {kCpAuthor, K::lineEdit, "", 2},
      {0, K::groupBox, "Options", 3},
      {kCpApplyLabel, K::checkBox, "Apply La&bel To All Members", 3},
      {kCpApplyState, K::checkBox, "Apply S&tate To All Members", 3},
      {kCpCheckpointSame, K::checkBox, "Checkpoint &Same", 3},
      {kCpReplaceLabel, K::checkBox, "&Replace Label", 3},
      {kCpUpdateMember, K::checkBox, "Update &Member", 3},
      {kCpAllSubprojects, K::checkBox, "All Sub&projects", 3},
      {kCpDescriptionCaption, K::label, "Revision &Description:", 4},
      {kCpDescription, K::multiLineEdit, "", 4},
      {kCpOk, K::defaultButton, "OK", 0},
      {kCpCancel, K::pushButton, "Cancel", 0},
      {kCpCancelAll, K::pushButton, "Cancel &All", 0},
      {kCpHelp, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kCpWorkCaption, 11003},  {kCpWorkName, 11003},     {kCpArchiveCaption, 11004},
                 {kCpArchiveName, 11004},  {kCpLabelCaption, 11005}, {kCpLabel, 11005},
                 {kCpNumberCaption, 11006}, {kCpNumber, 11006},      {kCpStateCaption, 11007},
                 {kCpState, 11007},        {kCpStates, 11007},       {kCpAuthorCaption, 11008},
                 {kCpAuthor, 11008},       {kCpApplyLabel, 10002},   {kCpApplyState, 10003},
                 {kCpCheckpointSame, 10004}, {kCpReplaceLabel, 10005}, {kCpUpdateMember, 10006},
                 {kCpAllSubprojects, 10007}, {kCpDescriptionCaption, 11015}, {kCpDescription, 11015},
                 {kCpOk, 11016},           {kCpCancel, 11017},       {kCpCancelAll, 11018},
                 {kCpHelp, 11019}};
  return d;
}

// What the calls of one checkpoint share; the outermost call resets it.
struct CheckpointSession {
  int recursionAnswer = -1;
  bool numberChosen = false;
  std::string proposed;
  int depth = 0;
};
CheckpointSession& session() {
  static CheckpointSession s;
  return s;
}

void setStepping(bool on) {
  if (app::ProgressWindow* w = app::ProgressWindow::current()) w->setStepping(on);
}

bool recurseOnCheckpoint() {
  const std::string dir = profile::settingsDirectory(false);
  if (dir.empty()) return false;
  std::string value = profile::getProfileString(dir + "/ORVTY.INI", "Recursion", "RecurseOnCheckpoint", "");
  if (value.size() > 4) value.resize(4);
  return strcasecmp(value.c_str(), "yes") == 0;
}

std::string memberText(int project, int item, int size = VC_MAX_NAME) {
  std::string buffer(static_cast<std::size_t>(size) + 1, '\0');
  if (vcGetMember(project, item, buffer.data(), size) != 0) return {};
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

bool currentMemberFrozen(int project) {
  char frozen[4] = {};
  return vcGetMember(project, VC_MEMBER_ITEM_FROZEN, frozen, 1) == 0 && frozen[0] != 0;
}

std::string libraryUser() {
  char user[kNumberSize] = {};
  vcGetSysInfo(VC_SYSINFO_USER, user, sizeof user - 1);
  return user;
}

// The user holding the lock on revision, "" when none.
std::string lockerOf(int archive, const std::string& revision) {
  char locker[kNumberSize] = {};
  if (vcGetIdArchiveInfo(archive, VC_ARCHIVE_ITEM_LOCKER, revision.c_str(), locker, sizeof locker - 1) != 0)
    return {};
  return locker;
}

// The row of the target's current member, as the label walk takes it.
project::MemberRow currentRow(int project, const std::string& name, bool projectFrozen) {
  project::MemberRow row;
  row.name = name;
  const std::string kind = memberText(project, VC_MEMBER_ITEM_KIND, 2);
  row.type = kind.empty() ? 'f' : kind[0];
  vcGetMember(project, VC_MEMBER_ITEM_STATUS, reinterpret_cast<char*>(&row.changeFlags), sizeof row.changeFlags);
  if (row.type != 'f') {
    row.revision = memberText(project, VC_MEMBER_ITEM_REVISION, 80);
    row.frozen = projectFrozen || currentMemberFrozen(project);
  }
  return row;
}

// The keyword option forced on for the project file's check-in; the
// configuration is as before afterwards. Restoring an option that was not
// in the personal list by setting it there would write a new line into the
// configuration file at its next save (and turn an undefined option on), so
// such an option leaves the personal list again instead.
class KeywordsForced {
 public:
  KeywordsForced() {
    if (vcGetConfigFlags("KeywordExpand", &flags_) != 0) flags_ = VC_OPTION_NOT_FOUND;
    vcSetConfig("KeywordExpand", nullptr);
  }
  ~KeywordsForced() {
    if ((flags_ & VC_OPTION_NOT_FOUND) == 0 && (flags_ & VC_OPTION_SAVED) != 0) {
      vcSetConfig((flags_ & VC_OPTION_NO) ? "NoKeywordExpand" : "KeywordExpand", nullptr);
      vcSetConfigFlags("KeywordExpand", flags_);
      return;
    }
    vcDropConfig("KeywordExpand");
    if (flags_ & VC_OPTION_NOT_FOUND) return;
    unsigned now = VC_OPTION_NOT_FOUND;
    if (vcGetConfigFlags("KeywordExpand", &now) == 0 && now == flags_) return;
    // A personal entry that was never to be saved: put it back as it was.
    vcSetConfig((flags_ & VC_OPTION_NO) ? "NoKeywordExpand" : "KeywordExpand", nullptr);
    vcSetConfigFlags("KeywordExpand", flags_);
  }
  KeywordsForced(const KeywordsForced&) = delete;
  KeywordsForced& operator=(const KeywordsForced&) = delete;

 private:
  unsigned flags_ = VC_OPTION_NOT_FOUND;
};

// A copy of the project file under a temporary name of its own beside it
// (scripts of the check-in see it as the working file); removed when the
// checkpoint ends, whatever the end.
class TemporaryProjectFile {
 public:
  ~TemporaryProjectFile() { remove(); }
  // Reserves a new name beside file; false when none could be made.
  bool make(const std::string& file) {
    const std::size_t slash = file.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : file.substr(0, slash);
    std::string pattern = dir + "/orvcpXXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    ::close(fd);
    name_ = pattern;
    return true;
  }
  const std::string& name() const { return name_; }
  void remove() {
    if (name_.empty()) return;
    ::unlink(name_.c_str());
    name_.clear();
  }

 private:
  std::string name_;
};

// Copies from over to: false on failure.
bool copyFile(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const int out = ::open(to.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool ok = out >= 0;
  char buffer[8192];
  while (ok) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    ok = ::write(out, buffer, static_cast<std::size_t>(n)) == n;
  }
  if (out >= 0 && ::close(out) != 0) ok = false;
  ::close(in);
  return ok;
}

// Writes "revision=<newRevision>" into the variant sandbox's own file.
void setVariantRevision(ui::Ui& ui, project::OpenProject& target, const std::string& newRevision) {
  const std::string sandboxFile = project::projectText(target.project, VC_PROJECT_ITEM_SANDBOX);
  int sandbox = 0;
  if (int rc = vcOpenSandbox(sandboxFile.c_str(), VC_SANDBOX_OPEN_MODIFY | VC_SANDBOX_OPEN_WRITE, &sandbox, 0)) {
    app::rcsErrorMessage(ui, kStyleOkCancel, rc, app::formatString(app::kStrCannotOpen, sandboxFile.c_str()));
    return;
  }
  const std::string statement = "revision=" + newRevision;
  int rc = vcSandboxOptionSet(sandbox, statement.c_str(), VC_STATEMENT_APPLY);
  if (rc == 0) rc = vcSaveSandbox(sandbox);
  if (rc != 0)
    app::rcsErrorMessage(ui, kStyleOkCancel, rc, app::formatString(app::kStrCannotSaveVariant, sandboxFile.c_str()));
  vcCloseSandbox(sandbox);
}

// Puts the record's label and state on one member.
void applyCheckpointLabelAndState(project::OpenProject& project, const CheckpointRecord& record,
                                  project::MemberRow& row, bool recurse) {
  app::ProgressWindow* window = app::ProgressWindow::current();
  const bool stepping = window && window->stepping();
  if (window) window->setStepping(false);
  if (record.applyLabelToAll == 1 && record.label[0]) {
    project::MemberWalk walk;
    project::labelAndPromoteMembers(project, row, record.replaceLabel == 1, walk, record.label, nullptr, recurse);
  }
  if (record.applyStateToAll == 1 && record.state[0]) {
    vcInProject(project.project, row.name.c_str());
    project::MemberWalk walk;
    project::labelAndPromoteMembers(project, row, false, walk, nullptr, record.state, recurse);
  }
  if (window) window->setStepping(stepping);
}

// Refuses a frozen or historical subproject: -1 Cancel, 0 OK.
int refuseSubproject(ui::Ui& ui, bool frozen, const std::string& name) {
  const int answer =
      app::rcsMessage(ui, kStyleOkCancel, app::formatText(frozen ? kFrozenSubproject : kHistoricalSubproject,
                                                           name.c_str()));
  return answer == ui::kAnswerCancel ? -1 : 0;
}

// One call of checkpointMembers, from its opening of the project to its
// finishing, which the destructor-free finish() runs on every path.
class CheckpointCall {
 public:
  CheckpointCall(project::OpenProject& given, const CheckpointRequest& request, std::string* newRevision)
      : given_(given), request_(request), out_(newRevision), ui_(given.ui()) {}

  int run();

 private:
  int body();
  void finish();
  bool lockBase();
  int walkMembers();
  int recurseInto(const std::string& memberName, project::MemberRow& row);
  void checkIn();

  project::OpenProject& given_;
  const CheckpointRequest& request_;
  std::string* out_;
  ui::Ui& ui_;

  std::unique_ptr<project::OpenProject> opened_;
  project::OpenProject* target_ = nullptr;
  std::unique_ptr<archive::OpenArchive> archive_;
  std::unique_ptr<CheckpointRecord> ownRecord_;
  CheckpointRecord* record_ = nullptr;
  std::optional<app::ProgressWindow> progress_;
  TemporaryProjectFile temporary_;

  std::string user_;
  std::string base_;
  std::string projectFile_;
  bool wholeProject_ = false;
  bool variant_ = false;
  bool placedLock_ = false;   // this call locked the base revision
  bool changedInMemory_ = false;  // a lock placed or broken, not yet written
  bool committed_ = false;    // the walk's commit wrote the lock
  bool numberComputed_ = false;
  bool declined_ = false;     // No to breaking the lock, or the dialog left without OK
  int coreStatus_ = 0;
  int result_ = 0;
};

int CheckpointCall::run() {
  body();
  finish();
  return result_;
}

int CheckpointCall::body() {
  CheckpointSession& s = session();
  project::OpenProject& given = given_;
  if (request_.asSubproject) {
    const std::string name = request_.subprojectFile.empty() ? memberText(given.project, VC_MEMBER_ITEM_NAME)
                                                             : request_.subprojectFile;
    const bool frozen = given.frozen || currentMemberFrozen(given.project);
    if (frozen || project::historicalInForce(given)) {
      result_ = refuseSubproject(ui_, frozen, name);
      return result_;
    }
  }
  if (request_.topLevel) {
    s.recursionAnswer = -1;
    s.numberChosen = false;
    s.depth = 0;
  }
  wholeProject_ = request_.topLevel && request_.subprojectFile.empty();
  unsigned steps = 1;
  if (wholeProject_ && request_.window) {
    project::MemberView& rows = request_.window->members();
    for (int i = 0, n = rows.rowCount(); i < n; ++i)
      if (const project::MemberRow* row = rows.findMemberItem(i, false); row && row->type == 'i') ++steps;
  }

  if (request_.record) {
    record_ = request_.record;
  } else {
    ownRecord_ = std::make_unique<CheckpointRecord>();
    record_ = ownRecord_.get();
  }
  CheckpointRecord& record = *record_;

  if (!request_.subprojectFile.empty()) {
    opened_ = std::make_unique<project::OpenProject>(ui_, request_.subprojectFile.c_str(), VC_PROJECT_OPEN_MODIFY);
    target_ = opened_.get();
  } else {
    target_ = &given;
  }
  project::OpenProject& target = *target_;
  if (target.status != 0 || !target.project) {
    target.showError(app::kStyleError);
    return 0;
  }
  if (target.makeCurrent() != 1) return 0;

  // The archive is the project file's own; a variant sandbox reads its
  // project from a private copy of one of that file's revisions, which is
  // what its checkpoint checks in.
  projectFile_ = project::projectText(target.project, VC_PROJECT_ITEM_FILE);
  const std::string followed = project::projectText(target.project, VC_PROJECT_ITEM_OPENED_NAME);
  archive_ = std::make_unique<archive::OpenArchive>(
      ui_, followed.empty() ? projectFile_ : followed,
      VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE);
  archive::OpenArchive& archive = *archive_;
  if (archive.status() != 0) {
    archive.showArchiveOpenError(app::kStyleError);
    return 0;
  }
  if (!target.lock(false)) return 0;
  if (!archive.writeLock()) return 0;
  variant_ = project::projectFlag(target.project, VC_PROJECT_ITEM_VARIANT);
  user_ = libraryUser();

  if (!lockBase()) return 0;

  char number[kNumberSize] = {};
  if (int rc = vcCiRevision(archive.handle(), base_.empty() ? nullptr : base_.c_str(), nullptr, 0, number,
                            sizeof number)) {
    archive.setStatus(rc);
    archive.showError(app::kStyleError);
    return 0;
  }
  numberComputed_ = true;

  if (ownRecord_ || (request_.askUser && record.allSubprojects != 1)) {
    const std::uint32_t allSubprojects = record.allSubprojects;
    if (prepareCheckpoint(archive, target, number, record) != 1) return 0;
    record.allSubprojects = allSubprojects;
    if (!request_.asSubproject) record.updateMember = kCheckpointBoxFixed;
  }
  if (request_.askUser && request_.topLevel) s.proposed = number;
  if (!request_.askUser && request_.topLevel && request_.record && request_.record->number[0]) s.numberChosen = true;
  if (!s.numberChosen && !request_.askUser) archive::setField(record.number, number);

  if (request_.askUser) {
    if (ownRecord_) record.allSubprojects = kCheckpointBoxFixed;
    CheckpointDialog logic(ui_, record, archive);
    const int answer = ui_.runDialog(checkpointDialogDescription(), logic);
    if (record.stateFromList == 1 && record.stateSelection >= 0 &&
        static_cast<std::size_t>(record.stateSelection) < record.states.size())
      archive::setField(record.state, record.states[static_cast<std::size_t>(record.stateSelection)]);
    if (answer != ui::kAnswerOk) {
      declined_ = true;
      return 0;
    }
  }

  if (wholeProject_) {
    progress_.emplace(ui_, kCheckpointing, steps);
    progress_->setStepping(true);
  }
  if (request_.topLevel && request_.askUser && archive::fieldText(record.number) != s.proposed)
    s.numberChosen = true;
  const std::string keptNumber = archive::fieldText(record.number);

  result_ = walkMembers();
  if (s.depth > 0) --s.depth;
  if (s.depth == 0) setStepping(true);

  if (result_ != -1) {
    // The lock placed above reaches the archive here, with the project's
    // new member revisions saved right after.
    int rc = vcCommitArchive(archive.handle(), VC_COMMIT_KEEP_OPEN);
    if (rc != 0) {
      archive.setStatus(rc);
      archive.showError(app::kStyleError);
      return 0;
    }
    vcKeepClosed(archive.handle());
    committed_ = true;
    changedInMemory_ = false;
    if (target.save() != 0) {
      target.reopen();
      return 0;
    }
    if (!archive.writeLock()) return 0;
  }
  archive::setField(record.number, keptNumber);
  if (project::notifyStatus(project::projectText(target.project, VC_PROJECT_ITEM_FILE).c_str()) == -1)
    result_ = -1;
  if (result_ == -1) return result_;
  result_ = 0;
  checkIn();
  return result_;
}

// Locks the base revision for the user (breaking another user's lock with
// consent): false ends the call.
bool CheckpointCall::lockBase() {
  archive::OpenArchive& archive = *archive_;
  const int h = archive.handle();
  char created[4] = {};
  if (vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_CREATED, created, 1) == 0 && created[0]) {
    // A new archive: nothing to lock, and no strict locking.
    vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_STRICT_LOCKING, "", nullptr);
    changedInMemory_ = true;
    return true;
  }
  base_ = project::projectText(target_->project, VC_PROJECT_ITEM_REVISION);
  if (base_.empty()) {
    char head[kNumberSize] = {};
    archive::getArchiveTitle(h, user_.c_str(), head, sizeof head);
    base_ = head;
  }
  const std::string locker = lockerOf(h, base_);
  if (!locker.empty() && strcasecmp(locker.c_str(), user_.c_str()) == 0) return true;
  if (!locker.empty()) {
    int answer = ui::kAnswerNo;
    if (app::hasPermission("BreakLocks")) {
      answer = app::rcsMessage(ui_, app::kStyleQuestion,
                               app::formatString(app::kStrBreakLock, base_.c_str(), archive.archiveName().c_str(),
                                                 locker.c_str()));
    } else {
      app::rcsMessage(ui_, app::kStyleError,
                      app::formatString(app::kStrNoBreakLockPermission, base_.c_str(),
                                        archive.archiveName().c_str(), locker.c_str()));
    }
    if (answer != ui::kAnswerYes) {
      declined_ = true;
      return false;
    }
    changedInMemory_ = true;
    if (int rc = vcSetRevInfo(h, VC_REVISION_ITEM_BREAK_LOCK, base_.c_str(), nullptr)) {
      archive.setStatus(rc);
      archive.showError(app::kStyleError);
      return false;
    }
  }
  changedInMemory_ = true;
  if (int rc = vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, base_.c_str(), nullptr)) {
    archive.setStatus(rc);
    archive.showError(app::kStyleError);
    return false;
  }
  placedLock_ = true;
  return true;
}

int CheckpointCall::walkMembers() {
  CheckpointSession& s = session();
  project::OpenProject& target = *target_;
  const int p = target.project;
  const bool autoRecurse = recurseOnCheckpoint();
  // The names first: the label walks and the subprojects move the
  // library's current member.
  std::vector<std::string> names;
  for (std::string name = memberText(p, VC_MEMBER_ITEM_FIRST); !name.empty(); name = memberText(p, VC_MEMBER_ITEM_NEXT))
    names.push_back(name);
  for (const std::string& name : names) {
    if (vcInProject(p, name.c_str()) != 0) continue;
    project::MemberRow row = currentRow(p, name, target.frozen);
    if (row.type != 'i') {
      applyCheckpointLabelAndState(target, *record_, row, true);
      continue;
    }
    const bool historical = project::historicalInForce(target);
    char workName[VC_MAX_NAME + 1] = {};
    vcMemberWorkName(p, name.c_str(), nullptr, workName, VC_MAX_NAME);
    const std::string subFile = workName[0] ? workName : name;
    if (!autoRecurse && s.recursionAnswer != app::kAnswerYesToAll && s.recursionAnswer != app::kAnswerNoToAll) {
      s.recursionAnswer = app::customMessageBox(ui_, 0, app::formatString(app::kStrRecurseQuestion, subFile.c_str()));
      if (s.recursionAnswer == ui::kAnswerCancel) return -1;
    }
    const bool enter = autoRecurse || s.recursionAnswer == ui::kAnswerYes || s.recursionAnswer == app::kAnswerYesToAll;
    if (!enter) {
      applyCheckpointLabelAndState(target, *record_, row, false);
      continue;
    }
    if (row.frozen || historical) {
      if (refuseSubproject(ui_, row.frozen, subFile) == -1) return -1;
      continue;
    }
    if (recurseInto(subFile, row) == -1) return -1;
  }
  return 0;
}

int CheckpointCall::recurseInto(const std::string& subFile, project::MemberRow& row) {
  CheckpointSession& s = session();
  project::OpenProject& target = *target_;
  setStepping(false);
  const int depth = s.depth++;
  const std::string text = app::formatString(app::kStrRecursing, subFile.c_str()).substr(0, 511);
  if (project::notifyStatus(text.c_str()) == -1) {
    s.depth = depth;
    if (depth == 0) setStepping(true);
    return -1;
  }
  CheckpointRequest nested;
  nested.subprojectFile = subFile;
  nested.record = record_;
  nested.asSubproject = true;
  std::string newRevision;
  vcInProject(target.project, row.name.c_str());
  const int rc = checkpointMembers(target, nested, &newRevision);
  // The subproject was the library's current project meanwhile.
  target.makeCurrent();
  // A subproject refused or failed before its walk leaves the depth to us.
  if (s.depth > depth) {
    s.depth = depth;
    if (depth == 0) setStepping(true);
  }
  if (rc == -1) return -1;
  if (rc == 1) {
    vcInProject(target.project, row.name.c_str());
    target.setMember(VC_MEMBER_ITEM_SET_REVISION, newRevision.c_str());
    target.setMember(VC_MEMBER_ITEM_SET_RECORDED_REVISION, newRevision.c_str());
    const char* workDir = target.workDirectory.c_str();
    vcMemberWorkChanges(target.project, nullptr, workDir);
    vcMemberRevChanges(target.project, nullptr, workDir);
    vcMemberWorkUpdate(target.project, nullptr);
    vcMemberRevUpdate(target.project, nullptr);
  }
  return 0;
}

void CheckpointCall::checkIn() {
  project::OpenProject& target = *target_;
  archive::OpenArchive& archive = *archive_;
  CheckpointRecord& record = *record_;
  if (!variant_) {
    if (!target.lock(false)) return;
    // The check-in reads the project file itself; its scripts see a copy
    // under a temporary name as the working file.
    if (!temporary_.make(projectFile_) || !copyFile(projectFile_, temporary_.name())) {
      app::showText(ui_, ui::MessageIcon::warning, std::string(app::loadString(app::kStrNoTempFile)));
      return;
    }
    archive.setWorkFileName(temporary_.name());
  } else {
    archive.setWorkFileName(projectFile_);
  }

  archive::TCiTransferStruct ci;
  std::memcpy(ci.label, record.label, sizeof ci.label);
  std::memcpy(ci.number, record.number, sizeof ci.number);
  std::memcpy(ci.state, record.state, sizeof ci.state);
  std::memcpy(ci.author, record.author, sizeof ci.author);
  std::memcpy(ci.description, record.description, sizeof ci.description);
  ci.locked = 0;
  ci.keepWorkFile = 1;
  ci.checkInSame = record.checkpointSame == 1 ? 1 : 0;
  ci.allFiles = record.allSubprojects == 1 ? 1 : 0;
  ci.updateMember = record.updateMember;
  ci.replaceLabel = record.replaceLabel;
  ci.stateFromList = record.stateFromList;
  ci.cancelAll = record.cancelAll;

  char newRevision[archive::kRevisionBufferSize] = {};
  int answer = ui::kAnswerOk;
  {
    KeywordsForced keywords;
    coreStatus_ = archive::checkInRevision(archive, target.project, ci, newRevision, sizeof newRevision, answer, 1);
  }
  if (coreStatus_ != 0) {
    if (archive.handle()) archive.dropWriteLock();
    return;
  }
  if (!variant_) {
    vcCheckpointLog(target.project, newRevision);
  } else {
    if (target.save() != 0) {
      target.reopen();
      return;
    }
    setVariantRevision(ui_, target, newRevision);
  }
  if (out_) *out_ = newRevision;
  result_ = 1;
}

void CheckpointCall::finish() {
  if (archive_ && archive_->handle()) {
    archive::OpenArchive& archive = *archive_;
    if (!committed_ && changedInMemory_) {
      // Nothing of this call reached the archive: a lock broken or placed
      // in memory is thrown away with the rest (a new archive is not made).
      archive.reopen();
    } else if (placedLock_ && strcasecmp(lockerOf(archive.handle(), base_).c_str(), user_.c_str()) == 0) {
      archive::BusyCursor busy(ui_);
      int rc = vcWriteLock(archive.handle());
      if (rc == 0) rc = vcSetRevInfo(archive.handle(), VC_REVISION_ITEM_UNLOCK, base_.c_str(), nullptr);
      if (rc == 0) rc = vcCommitArchive(archive.handle(), VC_COMMIT_KEEP_OPEN);
      if (rc != 0) {
        archive.setStatus(rc);
        archive.showError(app::kStyleError);
        archive.reopen();
      }
    }
  }
  if (target_) target_->dropWriteLock();
  if (archive_ && archive_->handle()) {
    vcDropWriteLock(archive_->handle());
    archive_->close();
  }
  archive_.reset();
  temporary_.remove();
  progress_.reset();
  if (request_.record && !session().numberChosen) request_.record->number[0] = '\0';
  if (opened_) {
    opened_.reset();
  } else if (request_.topLevel && !declined_ && coreStatus_ != archive::kReported && target_) {
    // The project file was rewritten from its new revision: the object
    // reads it again, and the window its rows.
    target_->reopen();
    if (request_.window && numberComputed_) request_.window->reloadMembers();
  }
}

}  // namespace

const ui::DialogDescription& checkpointDialogDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

void CheckpointDialog::setUp(ui::DialogSurface& surface) {
  CheckpointRecord& r = record_;
  bool allFixed = false, sameFixed = false, updateFixed = false;
  if (r.allSubprojects == kCheckpointBoxFixed) {
    r.allSubprojects = 0;
    allFixed = true;
  }
  if (r.checkpointSame == kCheckpointBoxFixed) {
    r.checkpointSame = 1;
    sameFixed = true;
  }
  if (r.updateMember != kCheckpointBoxFixed && app::hasPermission("ModifyProject")) {
    r.updateMember = 1;
  } else {
    r.updateMember = 0;
    updateFixed = true;
  }
  const bool addLabel = app::hasPermission("AddLabel");
  const bool deleteLabel = app::hasPermission("DeleteLabel");
  if (!addLabel) r.applyLabelToAll = 0;
  if (!addLabel || !deleteLabel) r.replaceLabel = 0;

  surface.setText(kCpLabel, archive::fieldText(r.label));
  surface.setText(kCpNumber, archive::fieldText(r.number));
  surface.setText(kCpState, archive::fieldText(r.state));
  surface.setText(kCpAuthor, archive::fieldText(r.author));
  surface.setText(kCpDescription, archive::fieldText(r.description));
  surface.setChecked(kCpApplyLabel, r.applyLabelToAll == 1);
  surface.setChecked(kCpApplyState, r.applyStateToAll == 1);
  surface.setChecked(kCpCheckpointSame, r.checkpointSame == 1);
  surface.setChecked(kCpReplaceLabel, r.replaceLabel == 1);
  surface.setChecked(kCpUpdateMember, r.updateMember == 1);
  surface.setChecked(kCpAllSubprojects, r.allSubprojects == 1);

  surface.setEnabled(kCpAllSubprojects, !allFixed);
  surface.setEnabled(kCpCancelAll, !allFixed);
  surface.setEnabled(kCpCheckpointSame, !sameFixed);
  surface.setEnabled(kCpUpdateMember, !updateFixed);
  surface.setEnabled(kCpLabelCaption, addLabel);
  surface.setEnabled(kCpLabel, addLabel);
  surface.setEnabled(kCpApplyLabel, addLabel);
  surface.setEnabled(kCpReplaceLabel, addLabel && deleteLabel);

  const bool fromList = r.stateFromList == 1;
  surface.setVisible(kCpState, !fromList);
  surface.setVisible(kCpStates, fromList);
  if (fromList) {
    surface.setListItems(kCpStates, r.states);
    if (r.stateSelection >= 0 && static_cast<std::size_t>(r.stateSelection) < r.states.size()) {
      surface.setSelection(kCpStates, {r.stateSelection});
      surface.setText(kCpStates, r.states[static_cast<std::size_t>(r.stateSelection)]);
    }
    const bool promote = app::hasPermission("Promote");
    surface.setEnabled(kCpStates, promote);
    surface.setEnabled(kCpStateCaption, promote);
  }
  const bool authorFree = !lognameEnforced();
  surface.setEnabled(kCpAuthorCaption, authorFree);
  surface.setEnabled(kCpAuthor, authorFree);

  surface.setText(kCpArchiveName, external::fitStaticText(archive_.archiveName()));
  surface.setText(kCpWorkName, external::fitStaticText(archive_.workFileName()));
  surface.setFocus(kCpDescription);
}

void CheckpointDialog::command(ui::DialogSurface& surface, int controlId) {
  if (controlId != kCpCancelAll) return;
  takeControls(surface);
  record_.cancelAll = 1;
  surface.end(ui::kAnswerCancel);
}

bool CheckpointDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result == ui::kAnswerOk &&
      !validateTokenFields(ui_, surface,
                           {{kCpLabel, app::TokenKind::label},
                            {kCpNumber, app::TokenKind::revision},
                            {kCpState, app::TokenKind::optionalState},
                            {kCpAuthor, app::TokenKind::author}}))
    return false;
  takeControls(surface);
  return true;
}

void CheckpointDialog::takeControls(const ui::DialogSurface& surface) {
  readField(surface, kCpLabel, record_.label);
  readField(surface, kCpNumber, record_.number);
  readField(surface, kCpState, record_.state);
  readField(surface, kCpAuthor, record_.author);
  readField(surface, kCpDescription, record_.description);
  if (record_.stateFromList == 1) record_.stateSelection = chosenIndex(surface, kCpStates, record_.states);
  record_.applyLabelToAll = checkedValue(surface, kCpApplyLabel);
  record_.applyStateToAll = checkedValue(surface, kCpApplyState);
  record_.checkpointSame = checkedValue(surface, kCpCheckpointSame);
  record_.replaceLabel = checkedValue(surface, kCpReplaceLabel);
  record_.updateMember = checkedValue(surface, kCpUpdateMember);
  record_.allSubprojects = checkedValue(surface, kCpAllSubprojects);
}

int prepareCheckpoint(archive::OpenArchive& archive, project::OpenProject& project, const char* proposed,
                      CheckpointRecord& record) {
  ui::Ui& ui = archive.ui();
  const std::string& workFile = archive.workFileName();
  if (!workFile.empty() && sys::calls().access(workFile.c_str(), F_OK) != 0) {
    const int answer = app::rcsMessage(ui, app::kStyleErrorCancel,
                                       app::formatString(app::kStrCannotAccessWorkFile, workFile.c_str()));
    return answer == ui::kAnswerCancel ? 3 : 2;
  }
  record.label[0] = record.number[0] = record.state[0] = record.author[0] = record.description[0] = '\0';
  record.states.clear();
  record.stateSelection = -1;
  const InitialState initial = initialState(archive.handle());
  if (initial.fromList) {
    record.states = offeredStates();
    record.stateSelection = record.states.empty() ? -1 : 0;
    record.stateFromList = record.states.empty() ? 0 : 1;
  } else {
    record.stateFromList = 0;
  }
  if (record.stateFromList == 0) archive::setField(record.state, "Exp");
  char author[sizeof record.author] = {};
  if (vcGetSysInfo(VC_SYSINFO_LOGIN_NAME, author, sizeof author - 1) == 0) archive::setField(record.author, author);
  if (proposed) {
    archive::setField(record.number, proposed);
  } else {
    char base[kNumberSize] = {};
    archive::getArchiveTitle(archive.handle(), libraryUser().c_str(), base, sizeof base);
    const int rc = vcCiRevision(archive.handle(), base, nullptr, 0, record.number, sizeof record.number);
    if (rc == VC_E_REVISION_NOT_LOCKED) {
      const int answer = app::rcsMessage(ui, app::kStyleErrorCancel,
                                         app::formatString(app::kStrStrictNoLock, archive.archiveName().c_str()));
      return answer == ui::kAnswerCancel ? 3 : 2;
    }
    if (rc != 0) {
      archive.setStatus(rc);
      archive.showError(app::kStyleError);
      return 2;
    }
  }
  record.applyLabelToAll = record.applyStateToAll = record.replaceLabel = 0;
  record.updateMember = record.allSubprojects = record.cancelAll = 0;
  record.checkpointSame = (project.kind & project::kProjectKindVariant) ? kCheckpointBoxFixed : 0;
  return 1;
}

int checkpointMembers(project::OpenProject& project, const CheckpointRequest& request, std::string* newRevision) {
  CheckpointCall call(project, request, newRevision);
  return call.run();
}

void checkpointProject(commands::ProjectWindow& window) {
  CheckpointRequest request;
  request.askUser = true;
  request.topLevel = true;
  request.window = &window;
  checkpointMembers(window.project(), request);
}

void registerCheckpoint(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.flows.checkpoint = checkpointProject;
  // The member check-in's subprojects share one record per run: the
  // settings of its first dialog serve the rest when All Subprojects is set.
  registry.memberDialogs.checkpointMembers = [](project::OpenProject& project, const std::string& name,
                                                std::string& newRevision, bool ask,
                                                project::TCpTransferStruct& shared) {
    static const project::TCpTransferStruct* run = nullptr;
    static CheckpointRecord record;
    if (run != &shared) {
      run = &shared;
      record = CheckpointRecord{};
    }
    record.allSubprojects = shared.allSubprojects;
    record.cancelAll = shared.cancelAll;
    CheckpointRequest request;
    request.subprojectFile = name;
    request.askUser = ask;
    request.topLevel = true;
    request.asSubproject = true;
    request.record = &record;
    const int rc = checkpointMembers(project, request, &newRevision);
    shared.allSubprojects = record.allSubprojects;
    shared.cancelAll = record.cancelAll;
    return rc;
  };
}

}  // namespace orv::workbench::dialogs
