#include "workbench/project/member_walks.h"

// The walks of a project's members that reach into subprojects: labels and
// states, update to the head revision, unused locks and resynchronisation,
// and the working-file steps they share. Each walk's public function reads
// as its flow and calls the steps kept beside it; what a run remembers (its
// to-all answers and depth) travels in the caller's MemberWalk, down into
// every subproject entered, so that no two runs share it.

#include <cerrno>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/profile/profile.h"
#include "platform/profile/settings_dir.h"
#include "platform/sys/system_calls.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/app/custom_message_box.h"
#include "workbench/app/library_settings.h"
#include "workbench/project/member_location.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/progress_window.h"
#include "workbench/app/temp_names.h"
#include "vc/include/vc.h"

namespace orv::workbench::project {

namespace {

constexpr unsigned kStyleOkCancel = 0x31;
constexpr unsigned kStyleYesNoCancel = 0x33;
constexpr int kRevSize = 80;

bool recursionKeySaysYes(const char* key) {
  const std::string dir = profile::settingsDirectory(false);
  if (dir.empty()) return false;
  std::string value = profile::getProfileString(dir + "/ORVTY.INI", "Recursion", key, "");
  if (value.size() > 4) value.resize(4);
  return strcasecmp(value.c_str(), "yes") == 0;
}

std::string memberText(int project, int item, int size = VC_MAX_NAME) {
  std::string buffer(static_cast<std::size_t>(size), '\0');
  if (vcGetMember(project, item, buffer.data(), size - 1) != 0) return {};
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

char memberType(int project) {
  char buffer[4] = {};
  if (vcGetMember(project, VC_MEMBER_ITEM_KIND, buffer, sizeof buffer - 1) != 0) return 'f';
  return buffer[0] ? buffer[0] : 'f';
}

bool memberFrozen(int project) {
  char buffer[4] = {};
  return vcGetMember(project, VC_MEMBER_ITEM_FROZEN, buffer, sizeof buffer - 1) == 0 && buffer[0] != 0;
}

std::uint32_t memberFlags(int project) {
  std::uint32_t flags = 0;
  vcGetMember(project, VC_MEMBER_ITEM_STATUS, reinterpret_cast<char*>(&flags), sizeof flags);
  return flags;
}

std::string currentUser() {
  char user[100] = {};
  vcGetSysInfo(VC_SYSINFO_USER, user, sizeof user - 1);
  return user;
}

// A member's status line; it never advances the gauge. -1 when cancelled.
int statusLine(const std::string& text) {
  ProgressWindow* window = ProgressWindow::current();
  if (!window) return 0;
  const bool stepping = window->stepping();
  window->setStepping(false);
  const int rc = notifyStatus(text.c_str());
  window->setStepping(stepping);
  return rc;
}

// One level deeper into subprojects for as long as it lives; the gauge
// stands still below the top level.
class Deeper {
 public:
  explicit Deeper(MemberWalk& walk) : walk_(walk) {
    if (walk_.depth++ == 0) {
      if (ProgressWindow* w = ProgressWindow::current()) {
        wasStepping_ = w->stepping();
        w->setStepping(false);
      }
    }
  }
  ~Deeper() {
    if (--walk_.depth == 0) {
      if (ProgressWindow* w = ProgressWindow::current()) w->setStepping(wasStepping_);
    }
  }
  Deeper(const Deeper&) = delete;
  Deeper& operator=(const Deeper&) = delete;

 private:
  MemberWalk& walk_;
  bool wasStepping_ = false;
};

// Asks whether to recurse into the subproject name: 1 recurse, 0 not, -1
// Cancel.
int askRecursion(ui::Ui& ui, MemberWalk& walk, bool keyYes, const std::string& name) {
  if (keyYes || walk.recursionAnswer == kAnswerYesToAll) return 1;
  if (walk.recursionAnswer == kAnswerNoToAll) return 0;
  const int answer = customMessageBox(ui, 0, formatString(kStrRecurseQuestion, name.c_str()));
  walk.recursionAnswer = answer;
  if (answer == ui::kAnswerCancel) return -1;
  return answer == ui::kAnswerYes || answer == kAnswerYesToAll ? 1 : 0;
}

// A row for the current member of a subproject being walked.
MemberRow subprojectRow(OpenProject& sub, const std::string& name, bool parentFrozen) {
  MemberRow row;
  row.name = name;
  row.type = memberType(sub.project);
  row.changeFlags = memberFlags(sub.project);
  if (row.type != 'f') {
    row.revision = memberText(sub.project, VC_MEMBER_ITEM_REVISION, kRevSize);
    row.frozen = parentFrozen || sub.frozen || memberFrozen(sub.project);
  }
  return row;
}

// Whether the flag word of the historical option has neither low bit set.
bool historicalFlagWord(unsigned flags) { return (flags & (VC_OPTION_NO | VC_OPTION_NOT_FOUND)) == 0; }

void closeArchive(int& archive) {
  if (archive) vcCloseArchive(archive);
  archive = 0;
}

// The archive a walk opened for one member, and its name (kept after the
// archive is let go, for the messages).
struct MemberArchive {
  int handle = 0;
  char name[VC_MAX_NAME] = {};
  void close() { closeArchive(handle); }
};

const char* workDirectoryOf(const OpenProject& project) {
  return project.workDirectory.empty() ? nullptr : project.workDirectory.c_str();
}

// The working file of project's current member into workFile: the
// library's code.
int memberWorkFile(const OpenProject& project, std::string& workFile) {
  char buffer[VC_MAX_NAME] = {};
  const int rc = vcMemberWorkName(project.project, nullptr, workDirectoryOf(project), buffer, sizeof buffer - 1);
  if (rc == 0) workFile = buffer;
  return rc;
}

}  // namespace

bool historicalInForce(const OpenProject& project) {
  if (project.historical) return true;
  unsigned flags = VC_OPTION_NOT_FOUND;
  vcGetConfigFlags("historical", &flags);
  if (historicalFlagWord(flags)) return true;
  flags = VC_OPTION_NOT_FOUND;
  if (project.project) {
    char value[80] = {};
    vcProjectOptionGet(project.project, "historical", value, sizeof value - 1, &flags);
  }
  return historicalFlagWord(flags);
}

// ---- Labels and states ----

namespace {

// What a label and promote walk puts on each member's revision.
struct LabelRequest {
  bool replaceLabel;
  const char* label;
  const char* state;
  bool recurse;

  bool placesLabel() const { return label && *label; }
  bool setsState() const { return state && *state; }
};

// Labels and promotes the members of the subproject row when the user
// agrees: 1 go on, else the answer that stops the walk.
int labelSubprojectMembers(OpenProject& project, const MemberRow& row, const LabelRequest& request,
                           MemberWalk& walk) {
  ui::Ui& ui = project.ui();
  const bool keyYes = recursionKeySaysYes(request.placesLabel() ? "RecurseOnLabel" : "RecurseOnPromote");
  const bool historical = historicalInForce(project);
  const bool atRevision = historical || row.frozen;
  OpenProject sub(ui, row.name.c_str(), VC_PROJECT_OPEN_MODIFY, atRevision ? row.revision->c_str() : nullptr,
                  row.frozen, historical);
  if (sub.status != 0) {
    sub.showError(kStyleError);
    return 1;
  }
  const int go = askRecursion(ui, walk, keyYes && request.recurse, row.name);
  if (go < 0) return ui::kAnswerCancel;
  if (go == 0) return 1;
  Deeper deeper(walk);
  if (statusLine(formatString(kStrRecursing, row.name.c_str())) == -1) return ui::kAnswerCancel;
  std::string name = memberText(sub.project, VC_MEMBER_ITEM_FIRST);
  for (int rc = name.empty() ? 1 : 0; rc == 0;) {
    MemberRow subRow = subprojectRow(sub, name, row.frozen);
    const int result = labelAndPromoteMembers(sub, subRow, request.replaceLabel, walk, request.label,
                                              request.state, request.recurse);
    if (result != 1) return result;
    char next[VC_MAX_NAME] = {};
    rc = vcGetMember(sub.project, VC_MEMBER_ITEM_NEXT, next, sizeof next - 1);
    name = next;
  }
  return 1;
}

// Opens the archive of row's member for the change. Nothing when it is
// open; else the walk's answer (1 goes on with the next member).
std::optional<int> openArchiveToLabel(OpenProject& project, const MemberRow& row, MemberArchive& archive) {
  const int rc = vcMemberOpenArchive(project.project, row.name.c_str(), archive.name, sizeof archive.name,
                                     &archive.handle, VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE);
  if (rc == 0) return std::nullopt;
  archive.close();
  if (rc == VC_E_ENCRYPTED_FILE) {
    rcsMessage(project.ui(), kStyleError, formatString(kStrNoPassword, archive.name));
    return 1;
  }
  if (row.type == 'i' && rc == VC_E_ARCHIVE_MISSING) return 1;
  project.status = rc;
  return project.showError(kStyleOkCancel);
}

// The revision row stands for: the member's own, read again when the row
// is marked for it.
std::string revisionToLabel(const OpenProject& project, MemberRow& row) {
  std::string revision = *row.revision;
  if (row.changeFlags & kReReadRevision) {
    const std::string reread = memberText(project.project, VC_MEMBER_ITEM_REVISION, kRevSize);
    if (!reread.empty()) revision = reread;
    row.changeFlags &= ~kReReadRevision;
  }
  return revision;
}

// The number revision stands for in the archive, into resolved. Nothing
// when found; else the answer of the report.
std::optional<int> resolveRevisionToLabel(OpenProject& project, MemberArchive& archive,
                                          const std::string& revision, char (&resolved)[kRevSize]) {
  const int rc = vcGetRevInfo(archive.handle, VC_REVISION_ITEM_NUMBER, revision.c_str(), resolved, sizeof resolved);
  if (rc == 0) return std::nullopt;
  archive.close();
  if (rc == VC_E_REVISION_MISSING) {
    return rcsMessage(project.ui(), kStyleOkCancel,
                      formatString(kStrRevisionNotInArchive, revision.c_str(), archive.name));
  }
  project.status = rc;
  return project.showError(kStyleOkCancel);
}

// Puts the label on resolved, moving it from another revision only when
// the request replaces labels or the user agrees; a top-level row lists it.
// Nothing when placed; else the answer that stops the walk.
std::optional<int> placeLabel(ui::Ui& ui, MemberRow& row, const LabelRequest& request, const MemberWalk& walk,
                              MemberArchive& archive, const char* resolved) {
  const char* label = request.label;
  char existing[kRevSize] = {};
  const bool present =
      vcGetIdArchiveInfo(archive.handle, VC_ARCHIVE_ITEM_LABEL_REVISION, label, existing, sizeof existing) == 0;
  if (present && !request.replaceLabel && std::strcmp(existing, resolved) != 0) {
    const int answer = rcsMessage(ui, kStyleYesNoCancel,
                                  formatString(kStrMoveMemberLabel, row.name.c_str(), label, existing, resolved));
    if (answer != ui::kAnswerYes) {
      archive.close();
      return answer;
    }
  }
  // A drop the library refuses (no permission to delete labels, ...) is a
  // failure like a refused add: the label would not be where it is asked.
  int rc = vcSetArchiveInfo(archive.handle, VC_ARCHIVE_ITEM_DROP_LABEL, label, nullptr);
  if (rc < VC_E_NO_REVISION_AT_DATE) rc = vcSetArchiveInfo(archive.handle, VC_ARCHIVE_ITEM_ADD_LABEL, label, resolved);
  if (rc != 0) {
    archive.close();
    return rcsErrorMessage(ui, kStyleOkCancel, rc, formatString(kStrCannotAddLabel, label, resolved, archive.name));
  }
  if (walk.depth == 0) {
    const std::string entry = std::string(label) + " ";
    const std::string list = " " + row.labels.value_or("");
    if (list.find(" " + entry) == std::string::npos) row.labels = entry + row.labels.value_or("");
  }
  return std::nullopt;
}

// Gives resolved the state. Nothing when done; else the answer of the
// report.
std::optional<int> setRevisionState(ui::Ui& ui, MemberRow& row, const char* state, MemberArchive& archive,
                                    const char* resolved) {
  const int rc = vcSetRevInfo(archive.handle, VC_REVISION_ITEM_SET_STATE, resolved, state);
  if (rc != 0) {
    archive.close();
    return rcsErrorMessage(ui, kStyleOkCancel, rc, formatString(kStrCannotSetState, state, resolved, archive.name));
  }
  row.state = state;
  return std::nullopt;
}

// Commits the labelled archive: 1, or the answer of the report.
int commitLabelledArchive(ui::Ui& ui, MemberArchive& archive) {
  const int rc = vcCommitArchive(archive.handle, VC_COMMIT_CLOSE);
  if (rc != 0) {
    archive.close();
    return showArchiveError(ui, rc, archive.name, kStyleOkCancel);
  }
  return 1;
}

}  // namespace

int labelAndPromoteMembers(OpenProject& project, MemberRow& row, bool replaceLabel, MemberWalk& walk,
                           const char* label, const char* state, bool recurse) {
  ui::Ui& ui = project.ui();
  const LabelRequest request{replaceLabel, label, state, recurse};
  if (!recurse) walk.recursionAnswer = kAnswerNoToAll;
  if (row.type == 'f') return 1;
  if (!row.hasRevision()) {
    return rcsMessage(ui, kStyleOkCancel, formatString(kStrNoMemberRevision, row.name.c_str()));
  }
  if (row.type == 'i') {
    if (const int result = labelSubprojectMembers(project, row, request, walk); result != 1) return result;
  }
  const std::string memberName = memberText(project.project, VC_MEMBER_ITEM_NAME);
  if (statusLine(memberName.empty() ? row.name : memberName) == -1) return ui::kAnswerCancel;

  MemberArchive archive;
  if (const auto stop = openArchiveToLabel(project, row, archive)) return *stop;
  const std::string revision = revisionToLabel(project, row);
  char resolved[kRevSize] = {};
  if (const auto stop = resolveRevisionToLabel(project, archive, revision, resolved)) return *stop;
  if (request.placesLabel()) {
    if (const auto stop = placeLabel(ui, row, request, walk, archive, resolved)) return *stop;
  }
  if (request.setsState()) {
    if (const auto stop = setRevisionState(ui, row, state, archive, resolved)) return *stop;
  }
  return commitLabelledArchive(ui, archive);
}

// ---- Update to the head revision ----

namespace {

// Updates the members of the subproject name when the user agrees (a
// subproject under historical control is only reported): -1 stops.
int updateSubprojectMembersToHead(OpenProject& project, const std::string& name, MemberWalk& walk) {
  ui::Ui& ui = project.ui();
  const bool keyYes = recursionKeySaysYes("RecurseOnUpdateToHeadRevision");
  const bool historical = historicalInForce(project);
  OpenProject sub(ui, name.c_str(), VC_PROJECT_OPEN_MODIFY);
  if (sub.status != 0) {
    sub.showError(kStyleError);
    return 0;
  }
  const int go = askRecursion(ui, walk, keyYes, name);
  if (go <= 0) return go;
  char archiveName[VC_MAX_NAME] = {};
  int subArchive = 0;
  const bool archived = historical && vcMemberOpenArchive(project.project, name.c_str(), archiveName,
                                                          sizeof archiveName, &subArchive,
                                                          VC_ARCHIVE_OPEN_READ) == 0;
  closeArchive(subArchive);
  if (archived) {
    return rcsMessage(ui, kStyleOkCancel, formatString(kStrHistoricalSet, name.c_str())) == ui::kAnswerCancel ? -1
                                                                                                                : 0;
  }
  int result = 1;
  {
    Deeper deeper(walk);
    if (statusLine(formatString(kStrRecursing, name.c_str())) == -1) return -1;
    if (sub.makeCurrent() == 1 && sub.lock(false)) {
      for (int position = 0; vcMemberSetPosition(sub.project, position) == 0; ++position) {
        result = updateToHeadRevision(sub, walk);
        if (result == -1) break;
      }
      sub.save();
      sub.dropWriteLock();
    }
  }
  project.makeCurrent();
  return result == -1 ? -1 : 0;
}

}  // namespace

int updateToHeadRevision(OpenProject& project, MemberWalk& walk) {
  ui::Ui& ui = project.ui();
  const char type = memberType(project.project);
  const std::string name = memberText(project.project, VC_MEMBER_ITEM_NAME);
  if (memberFrozen(project.project)) {
    if (statusLine(name) == -1) return -1;
    return rcsMessage(ui, kStyleOkCancel, formatString(kStrFrozenMember, name.c_str())) == ui::kAnswerCancel ? -1 : 0;
  }
  if (type == 'i' && updateSubprojectMembersToHead(project, name, walk) == -1) return -1;

  if (statusLine(name) == -1) return -1;
  int rc = vcMemberArchiveChanges(project.project, nullptr, nullptr, 0);
  if (rc == VC_E_ENCRYPTED_FILE) {
    char archiveName[VC_MAX_NAME] = {};
    vcFindArchiveName(name.c_str(), archiveName, sizeof archiveName, nullptr, 0);
    rcsMessage(ui, kStyleError, formatString(kStrNoPassword, archiveName));
    return 0;
  }
  char archiveName[VC_MAX_NAME] = {};
  int archive = 0;
  rc = vcMemberOpenArchive(project.project, name.c_str(), archiveName, sizeof archiveName, &archive,
                           VC_ARCHIVE_OPEN_READ);
  if (rc != 0) {
    closeArchive(archive);
    if (type != 'f' && type != 'i') {
      rcsErrorMessage(ui, kStyleError, rc, formatString(kStrArchiveInaccessible, name.c_str()));
    }
    return 1;
  }
  if (type == 'f') project.setMember(VC_MEMBER_ITEM_SET_KIND, "a");
  if (const auto head = getArchiveRevisionText(ui, archive, archiveName)) {
    project.setMember(VC_MEMBER_ITEM_SET_REVISION, head->c_str());
  }
  closeArchive(archive);
  return 1;
}

// ---- Unused locks ----

namespace {

// Removes the unused locks of the members of the subproject row when the
// user agrees: -1 stops.
int removeUnusedLocksInSubproject(OpenProject& project, const MemberRow& row, MemberWalk& walk) {
  ui::Ui& ui = project.ui();
  const bool keyYes = recursionKeySaysYes("RecurseOnRemoveUnusedLocks");
  const bool historical = historicalInForce(project);
  const bool atRevision = (historical || row.frozen) && row.hasRevision();
  OpenProject sub(ui, row.name.c_str(), VC_PROJECT_OPEN_MODIFY, atRevision ? row.revision->c_str() : nullptr,
                  row.frozen, historical);
  if (sub.status != 0) {
    sub.showError(kStyleError);
    return 0;
  }
  const int go = askRecursion(ui, walk, keyYes, row.name);
  if (go <= 0) return go;
  int result = 1;
  {
    Deeper deeper(walk);
    if (statusLine(formatString(kStrRecursing, row.name.c_str())) == -1) return -1;
    if (sub.makeCurrent() == 1) {
      char name[VC_MAX_NAME] = {};
      for (int rc = vcGetMember(sub.project, VC_MEMBER_ITEM_FIRST, name, sizeof name - 1); rc == 0;
           rc = vcGetMember(sub.project, VC_MEMBER_ITEM_NEXT, name, sizeof name - 1)) {
        MemberRow subRow = subprojectRow(sub, name, row.frozen);
        result = removeUnusedLocks(sub, subRow, walk);
        if (result == -1) break;
      }
      sub.save();
    }
  }
  project.makeCurrent();
  return result == -1 ? -1 : 0;
}

// Opens the archive of row's member: false after a report.
bool openArchiveToUnlock(OpenProject& project, const MemberRow& row, MemberArchive& archive) {
  const int rc = vcMemberOpenArchive(project.project, row.name.c_str(), archive.name, sizeof archive.name,
                                     &archive.handle, VC_ARCHIVE_OPEN_READ);
  if (rc == 0) return true;
  archive.close();
  if (rc == VC_E_ENCRYPTED_FILE) {
    rcsMessage(project.ui(), kStyleError, formatString(kStrNoPassword, archive.name));
  } else {
    showArchiveError(project.ui(), rc, archive.name[0] ? archive.name : row.name, kStyleError);
  }
  return false;
}

// Who holds revision locked, empty when nobody does.
std::string lockerOf(const MemberArchive& archive, const char* revision) {
  char locker[40] = {};
  vcGetIdArchiveInfo(archive.handle, VC_ARCHIVE_ITEM_LOCKER, revision, locker, sizeof locker);
  return locker;
}

// Whether the working file still holds revision's text; a changed file
// shows in the status line, a failure in a box.
bool workFileIsUnchanged(ui::Ui& ui, const MemberArchive& archive, const char* revision,
                         const std::string& workFile, const std::string& member) {
  TempFiles temporary(ui);
  const auto temp = temporary.make(workFile);
  if (!temp) {
    rcsMessage(ui, kStyleError, std::string(loadString(kStrNoTempFile)));
    return false;
  }
  int rc = vcCoRevision(archive.handle, revision, temp->c_str());
  if (rc != 0) {
    showArchiveError(ui, rc, archive.name, kStyleError);
    return false;
  }
  char message[150] = {};
  const int binary = isBinaryArchive(archive.handle) ? VC_COMPARE_BINARY : VC_COMPARE_TEXT;
  rc = vcCmpFiles(binary, temp->c_str(), workFile.c_str(), message, sizeof message);
  if (rc == VC_E_FILES_DIFFER) {
    statusLine(formatString(kStrChangedIgnored, member.c_str()));
    return false;
  }
  if (rc != 0) {
    showArchiveError(ui, rc, archive.name, kStyleError);
    return false;
  }
  return true;
}

// Drops the lock on revision when the user is the one who holds it, and
// commits: 1 dropped; 0 someone else's lock (done shows), or after a report.
int dropOwnLock(ui::Ui& ui, MemberArchive& archive, const char* revision, const std::string& locker,
                const std::string& done) {
  if (locker.empty() || strcasecmp(locker.c_str(), currentUser().c_str()) != 0) {
    statusLine(done);
    return 0;
  }
  int rc = vcWriteLock(archive.handle);
  if (rc == 0) rc = vcSetRevInfo(archive.handle, VC_REVISION_ITEM_UNLOCK, revision, nullptr);
  if (rc == 0) {
    rc = vcCommitArchive(archive.handle, VC_COMMIT_CLOSE);
    if (rc == 0) archive.handle = 0;  // closed by the commit
  }
  if (rc != 0) {
    showArchiveError(ui, rc, archive.name, kStyleError);
    return 0;
  }
  return 1;
}

// For an archived member: a missing working file is checked out, and when
// the working file equals the member revision the user's lock on it goes
// and the file becomes read-only. 1 the lock went, 0 not, -1 stop.
int dropUnusedLockOfMember(OpenProject& project, const MemberRow& row) {
  ui::Ui& ui = project.ui();
  char revision[kRevSize] = {};
  if (vcGetMember(project.project, VC_MEMBER_ITEM_REVISION, revision, sizeof revision - 1) != 0 || !revision[0]) {
    return statusLine(formatString(kStrCannotGetRevision, row.name.c_str()));
  }
  MemberArchive archive;
  if (!openArchiveToUnlock(project, row, archive)) return 0;
  std::string workFile;
  if (memberWorkFile(project, workFile) != 0) {
    archive.close();
    return 0;
  }
  const std::string locker = lockerOf(archive, revision);
  const std::string done = formatString(kStrMemberDone, row.name.c_str());
  bool unlock = true;
  struct stat st {};
  if (sys::calls().stat(workFile.c_str(), &st) != 0) {
    checkOutMemberRevision(project, archive.handle, archive.name, revision, workFile);
  } else if (locker.empty()) {
    statusLine(done);
    unlock = false;
  } else {
    unlock = workFileIsUnchanged(ui, archive, revision, workFile, row.name);
  }
  int result = 0;
  if (unlock) {
    result = dropOwnLock(ui, archive, revision, locker, done);
    makeReadOnly(workFile);
  }
  archive.close();
  return result;
}

}  // namespace

int removeUnusedLocks(OpenProject& project, MemberRow& row, MemberWalk& walk) {
  const bool reread = (row.changeFlags & kReReadRevision) != 0;
  if (row.type == 'i' && removeUnusedLocksInSubproject(project, row, walk) == -1) return -1;
  if (statusLine(row.name) == -1) return -1;
  const int result = row.type == 'a' ? dropUnusedLockOfMember(project, row) : 0;
  // A row whose revision is read again counts as changed, whatever came of it.
  return reread ? 1 : result;
}

// ---- Working files ----

int checkOutMemberRevision(OpenProject& project, int archive, const std::string& archiveName,
                           const char* revision, const std::string& workFile) {
  ui::Ui& ui = project.ui();
  int rc = vcArchiveEvent(archive, "precheckout", revision);
  if (!preEventGoesOn(rc)) {
    if (rc < VC_E_NO_MESSAGE) {
      rcsMessage(ui, kStyleError, formatString(kStrPreCheckoutFailed, revision, archiveName.c_str()));
    } else {
      rcsErrorMessage(ui, kStyleError, rc, formatString(kStrCannotCheckOut, revision, archiveName.c_str()));
    }
    return 0;
  }
  rc = vcCoRevision(archive, revision, workFile.c_str());
  if (rc != 0) {
    showArchiveError(ui, rc, archiveName, kStyleError);
    return 0;
  }
  vcArchiveEvent(archive, "checkout", revision);
  return 1;
}

int copyMemberFile(const std::string& from, const std::string& to) {
  auto& sys = sys::calls();
  const int in = sys.open(from.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (in < 0) return VC_E_DONE;
  const std::string temp = to + ".orvcopy";
  const int out = sys.open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    sys.close(in);
    return VC_E_DONE;
  }
  bool ok = true;
  char buffer[65536];
  for (;;) {
    const ssize_t n = sys.read(in, buffer, sizeof buffer);
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = sys.write(out, buffer + done, static_cast<size_t>(n - done));
      if (w <= 0) {
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  sys.close(in);
  if (sys.close(out) != 0) ok = false;
  // The target is replaced only by a complete copy.
  if (ok && sys.rename(temp.c_str(), to.c_str()) == 0) return 0;
  sys.unlink(temp.c_str());
  return VC_E_DONE;
}

bool makeReadOnly(const std::string& path) { return sys::calls().chmod(path.c_str(), 0444) == 0; }

bool makeDirectories(const std::string& dir) {
  struct stat st {};
  if (dir.empty() || (sys::calls().stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) return true;
  for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos < dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    if (sys::calls().mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return sys::calls().stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int workFileState(ui::Ui& ui, const std::string& path, mode_t& mode) {
  mode = 0;
  struct stat st {};
  if (sys::calls().stat(path.c_str(), &st) == 0) {
    if (S_ISREG(st.st_mode)) {
      mode = st.st_mode & 07777;
      return 0;
    }
    rcsMessage(ui, kStyleError, formatString(kStrFileDoesNotExist, path.c_str()));
    return VC_E_DONE;
  }
  int error = errno;
  if (error == ENOENT && makeDirectories(stripLastPathComponent(path))) return 0;
  if (error == ENOENT) error = errno;
  rcsMessage(ui, kStyleError, formatString(kStrNoWorkFilePath, path.c_str(), std::strerror(error)));
  return VC_E_DONE;
}

int createSubprojectSandbox(OpenProject& project, const std::string& sandboxFile, int openMode,
                            const std::string& master, const char* revision) {
  ui::Ui& ui = project.ui();
  const std::string dir = stripLastPathComponent(sandboxFile);
  if (!makeDirectories(dir)) {
    rcsMessage(ui, kStyleError, formatString(kStrCannotCreateDir, dir.c_str()));
    return VC_E_NOT_SANDBOX_FILE;
  }
  const bool atRevision = revision && *revision;
  int sandbox = 0;
  int rc = vcOpenSandbox(sandboxFile.c_str(), openMode | VC_SANDBOX_OPEN_WRITE, &sandbox, 0);
  if (rc == 0) rc = vcSandboxOptionSet(sandbox, ("masterproject=" + master).c_str(), VC_STATEMENT_APPLY);
  if (rc == 0 && atRevision) rc = vcSandboxOptionSet(sandbox, (std::string("revision=") + revision).c_str(),
                                                      VC_STATEMENT_APPLY);
  if (rc == 0) rc = vcSaveSandbox(sandbox);
  if (sandbox) vcCloseSandbox(sandbox);
  int handle = 0;
  const int projectMode = atRevision ? VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE : VC_PROJECT_OPEN_MODIFY;
  if (rc == 0) rc = vcOpenProject(sandboxFile.c_str(), projectMode, &handle, 0);
  if (rc == 0) {
    resetSandboxVariables(handle);
    if (projectFlag(handle, VC_PROJECT_ITEM_CHANGED) || projectFlag(handle, VC_PROJECT_ITEM_SANDBOX_CHANGED)) {
      rc = vcSaveProject(handle);
    }
  }
  if (handle) vcCloseProject(handle);
  if (rc != 0) {
    rcsErrorMessage(ui, kStyleError, rc, formatString(kStrCannotCreateSandbox, sandboxFile.c_str()));
    return rc;
  }
  vcProjectEvent(project.project, "createsandbox");
  return 0;
}

// ---- Resynchronisation ----

namespace {

bool isSubproject(char type) { return type == 'i' || type == 's'; }

// Asks question unless memory says No or Cancel: -1 Cancel, 0 skip.
int askRemembered(ui::Ui& ui, int& memory, const std::string& question) {
  if (memory != ui::kAnswerNo && memory != ui::kAnswerCancel) {
    memory = rcsMessage(ui, kStyleYesNoCancel, question);
  }
  return memory == ui::kAnswerCancel ? -1 : 0;
}

// Where a working file gets its text: a copy of the member's own file, a
// sandbox of the subproject, or the member's archive.
enum class Source { copy, subSandbox, archive };

// One member being resynchronised: what it is, where its working file lies
// and what has been done to it so far. The steps below return 1 to go on,
// and 0 (next member) or -1 (stop the run) to finish the member.
struct ResyncMember {
  ResyncMember(OpenProject& owner, MemberWalk& run, const std::string& name, bool forVariant, bool creatingSandbox)
      : project(owner), ui(owner.ui()), walk(run), member(name), variant(forVariant),
        createSandbox(creatingSandbox) {}

  OpenProject& project;
  ui::Ui& ui;
  MemberWalk& walk;
  const std::string& member;
  const bool variant;
  const bool createSandbox;

  bool historical = false;
  bool frozen = false;
  bool sandbox = false;  // project is a sandbox
  char type = 'f';
  std::string revision;
  const char* workDir = nullptr;
  std::string workFile;
  Source source = Source::archive;

  MemberArchive archive;
  mode_t mode = 0;  // the working file's, 0 when it is missing
  bool madeWritable = false;
  bool checkedOut = false;
  bool statusShown = false;
  bool recordOnly = false;  // straight to recording the member
  // A subproject entered; see resynchronizeSubprojectMembers.
  std::optional<OpenProject> subproject;
};

// Reads what the current member is, where its working file lies and where
// that file's text comes from: false after a report.
bool readMember(ResyncMember& m) {
  OpenProject& project = m.project;
  m.historical = historicalInForce(project);
  m.frozen = memberFrozen(project.project) || project.frozen;
  m.type = memberType(project.project);
  m.revision = memberText(project.project, VC_MEMBER_ITEM_REVISION, VC_MAX_REVISION + 1);
  m.workDir = workDirectoryOf(project);
  if (const int rc = memberWorkFile(project, m.workFile); rc != 0) {
    showArchiveError(m.ui, rc, m.member, kStyleError);
    return false;
  }
  m.sandbox = (project.kind & kProjectKindSandbox) != 0;
  if (m.type == 'f' || (m.type == 'a' && m.revision.empty())) {
    m.source = Source::copy;
  } else if (isSubproject(m.type) && m.sandbox && !m.variant) {
    m.source = Source::subSandbox;
  }
  return true;
}

// Opens the member's archive. Nothing when the member goes on (a
// subproject never checked in is only recorded); else what the run returns:
// -1 stop, 0 next member, -2 an encrypted archive not processed.
std::optional<int> openArchiveToResync(ResyncMember& m) {
  const int rc = vcMemberOpenArchive(m.project.project, m.member.c_str(), m.archive.name, sizeof m.archive.name,
                                     &m.archive.handle, VC_ARCHIVE_OPEN_READ);
  if (rc == 0) {
    if (m.project.walkOptions & kWalkArchiveChanges) vcMemberAnyArchiveChanges(m.archive.handle);
    return std::nullopt;
  }
  m.archive.close();
  if (rc == VC_E_ENCRYPTED_FILE) {
    return rcsMessage(m.ui, kStyleOkCancel, formatString(kStrNoPassword, m.archive.name)) == ui::kAnswerCancel ? -1
                                                                                                                : -2;
  }
  if (isSubproject(m.type) && m.revision.empty()) {
    m.recordOnly = true;
    return std::nullopt;
  }
  std::string shown = m.member;
  for (char& c : shown)
    if (c == '/') c = '\\';
  return askRemembered(m.ui, m.walk.inaccessibleAnswer, formatString(kStrWarnInaccessible, shown.c_str()));
}

// The end of every member that got past its archive: restores what was made
// writable, records the state again and lets the archive go.
int finishMember(ResyncMember& m, int result) {
  if (m.madeWritable && !m.checkedOut && !makeReadOnly(m.workFile)) {
    if (rcsMessage(m.ui, kStyleOkCancel, formatString(kStrCannotMakeReadOnly, m.workFile.c_str(),
                                                      std::strerror(errno))) == ui::kAnswerCancel)
      result = -1;
  }
  vcInProject(m.project.project, m.member.c_str());
  vcMemberWorkChanges(m.project.project, nullptr, m.workDir);
  vcMemberRevChanges(m.project.project, nullptr, m.workDir);
  m.project.makeCurrent();
  m.archive.close();
  return result;
}

// Whether a writable working file may be replaced; a subproject under
// historical control or frozen is replaced without asking.
int askWhetherToReplaceWritableFile(ResyncMember& m) {
  int& answer = m.walk.writableAnswer;
  if (!(m.mode & 0200)) return 1;
  if (answer == kAnswerNoToAll) return 0;
  if (answer != kAnswerYesToAll && !(isSubproject(m.type) && (m.historical || m.frozen))) {
    answer = customMessageBox(m.ui, 0, formatString(kStrOverwriteWritable, m.workFile.c_str()));
    if (answer == ui::kAnswerCancel) return -1;
    if (answer == ui::kAnswerNo || answer == kAnswerNoToAll) return 0;
  }
  return 1;
}

// Makes an existing read-only working file writable for the update.
int makeWorkFileWritable(ResyncMember& m) {
  if (m.mode == 0 || (m.mode & 0200)) return 1;
  if (sys::calls().chmod(m.workFile.c_str(), 0666) != 0) {
    return rcsMessage(m.ui, kStyleOkCancel, formatString(kStrCannotMakeWritable, m.workFile.c_str(),
                                                         std::strerror(errno))) == ui::kAnswerCancel
               ? -1
               : 0;
  }
  m.madeWritable = true;
  return 1;
}

// Asks whether to overwrite the file of a subproject member.
int askWhetherToOverwriteSubproject(ResyncMember& m) {
  const int answer = rcsMessage(m.ui, kStyleYesNoCancel, formatString(kStrOverwriteSubproject, m.workFile.c_str()));
  if (answer == ui::kAnswerCancel) return -1;
  return answer == ui::kAnswerYes ? 1 : 0;
}

// A sandbox member whose subproject sandbox file is missing gets one.
int createMissingSubprojectSandbox(ResyncMember& m) {
  if (m.mode != 0) return 1;
  m.statusShown = true;
  if (statusLine(std::string(loadString(kStrCreatingSandbox))) == -1) return -1;
  createSubprojectSandbox(m.project, m.workFile, VC_SANDBOX_OPEN_CREATE, m.member, nullptr);
  return 1;
}

// A variant's subproject member becomes a sandbox at the member revision.
int createSubprojectSandboxAtRevision(ResyncMember& m) {
  m.statusShown = true;
  if (statusLine(formatString(kStrCreatingSubSandbox, m.workFile.c_str())) == -1) return -1;
  createSubprojectSandbox(m.project, m.workFile, VC_SANDBOX_OPEN_CREATE, m.member, m.revision.c_str());
  return 1;
}

// A revision the user holds locked stays writable; under strict locking
// any other checked-out file but a subproject is read-only.
void setCheckedOutFileMode(const ResyncMember& m) {
  char lockedRevision[100] = {};
  const std::string user = currentUser();
  if (vcGetIdArchiveInfo(m.archive.handle, VC_ARCHIVE_ITEM_USER_LOCK, user.c_str(), lockedRevision,
                         sizeof lockedRevision) == 0 &&
      m.revision == lockedRevision) {
    sys::calls().chmod(m.workFile.c_str(), 0666);
  } else if (isStrictLocking(m.archive.handle) && !isSubproject(m.type)) {
    makeReadOnly(m.workFile);
  }
}

// Checks the member revision out over the working file, when the user may.
int checkOutWorkFile(ResyncMember& m) {
  if (const int go = makeWorkFileWritable(m); go <= 0) return go;
  m.statusShown = true;
  if (statusLine(formatString(kStrCheckingOutRevision, m.workFile.c_str(), m.revision.c_str())) == -1) return -1;
  if (!hasPermission("CheckOut")) {
    return askRemembered(m.ui, m.walk.permissionAnswer,
                         formatString(kStrNoCheckOutPermission, m.revision.c_str(), m.archive.name));
  }
  setMemberVariables(m.type, m.member);
  if (!checkOutMemberRevision(m.project, m.archive.handle, m.archive.name, m.revision.c_str(), m.workFile)) return 0;
  m.checkedOut = true;
  unsigned flags = 0;
  if (vcGetConfigFlags("restoretimestamp", &flags) != 0 || (flags & VC_OPTION_NO) == 0)
    setFileTimeFromRevision(m.archive.handle, m.workFile, m.revision.c_str());
  setCheckedOutFileMode(m);
  return 1;
}

int updateWorkFileFromArchive(ResyncMember& m) {
  if (const int go = askWhetherToReplaceWritableFile(m); go <= 0) return go;
  if (m.variant && isSubproject(m.type)) return createSubprojectSandboxAtRevision(m);
  return checkOutWorkFile(m);
}

// Copies the member's own file over a working file that is missing or
// differs from it.
int copyMemberToWorkFile(ResyncMember& m) {
  if (m.mode != 0) {
    char message[100] = {};
    const int rc = vcCmpFiles(VC_COMPARE_TEXT, m.member.c_str(), m.workFile.c_str(), message, sizeof message);
    if (rc == 0) return 1;
    if (rc != VC_E_FILES_DIFFER) {
      return rcsMessage(m.ui, kStyleOkCancel, formatString(kStrDiffFailed, message)) == ui::kAnswerCancel ? -1 : 0;
    }
    if (const int go = askWhetherToReplaceWritableFile(m); go <= 0) return go;
    if (const int go = makeWorkFileWritable(m); go <= 0) return go;
  }
  m.statusShown = true;
  if (statusLine(formatString(kStrCopyingMember, m.workFile.c_str())) == -1) return -1;
  if (copyMemberFile(m.member, m.workFile) != 0) {
    showArchiveError(m.ui, VC_E_DONE, m.workFile, kStyleError);
  } else if (m.type == 'f') {
    makeReadOnly(m.workFile);
    m.madeWritable = false;
  }
  return 1;
}

// Brings the working file up to date from the member's source.
int bringWorkFileUpToDate(ResyncMember& m) {
  if (m.recordOnly) return 1;
  if (m.source == Source::subSandbox) return createMissingSubprojectSandbox(m);
  // A member's own file is copied only to a working file elsewhere.
  if (m.source == Source::copy && !(m.workDir && vcPathSame(m.member.c_str(), m.workFile.c_str()) != 0)) return 1;
  // An existing subproject file of a plain project stays as it is, unless
  // the project is historical or frozen and the user agrees.
  if (isSubproject(m.type) && m.mode != 0 && !m.sandbox) {
    if (!m.historical && !m.frozen) return 1;
    if (const int go = askWhetherToOverwriteSubproject(m); go <= 0) return go;
  }
  return m.source == Source::archive ? updateWorkFileFromArchive(m) : copyMemberToWorkFile(m);
}

// Records the working file and the member revision as they are now.
void recordMemberState(ResyncMember& m) {
  vcInProject(m.project.project, m.member.c_str());
  vcMemberWorkChanges(m.project.project, nullptr, m.workDir);
  vcMemberWorkUpdate(m.project.project, nullptr);
  vcMemberRevChanges(m.project.project, nullptr, m.workDir);
  vcMemberRevUpdate(m.project.project, nullptr);
}

// Resynchronises the members of the subproject member when the user
// agrees: -1 stops the run. When the run stops inside, the subproject stays
// open in m until the member is finished; otherwise it is closed first.
int resynchronizeSubprojectMembers(ResyncMember& m) {
  const bool keyYes = recursionKeySaysYes(m.createSandbox ? "RecurseOnCreateSandbox" : "RecurseOnResynchronize");
  const int go = askRecursion(m.ui, m.walk, keyYes, m.workFile);
  if (go <= 0) return go;
  const bool atRevision = (m.historical || m.frozen) && !m.revision.empty();
  OpenProject& sub = m.subproject.emplace(m.ui, m.workFile.c_str(), VC_PROJECT_OPEN_MODIFY,
                                          atRevision ? m.revision.c_str() : nullptr, m.frozen, m.historical);
  if (sub.status != 0) {
    sub.showError(kStyleError);
  } else {
    Deeper deeper(m.walk);
    if (statusLine(formatString(kStrRecursing, m.workFile.c_str())) == -1) return -1;
    if (sub.makeCurrent() == 1) {
      char name[VC_MAX_NAME] = {};
      for (int rc = vcGetMember(sub.project, VC_MEMBER_ITEM_FIRST, name, sizeof name - 1); rc == 0;
           rc = vcGetMember(sub.project, VC_MEMBER_ITEM_NEXT, name, sizeof name - 1)) {
        if (resynchronizeMembers(sub, name, m.walk, m.variant, m.createSandbox) == -1) {
          vcSaveUses(sub.project);
          return -1;
        }
      }
    }
    vcSaveUses(sub.project);
  }
  m.subproject.reset();
  return 0;
}

}  // namespace

int resynchronizeMembers(OpenProject& project, const std::string& member, MemberWalk& walk, bool variant,
                         bool createSandbox) {
  if (const int found = vcInProject(project.project, member.c_str()); found != 0) {
    project.status = found;
    project.showError(kStyleError);
    return 0;
  }
  ResyncMember m(project, walk, member, variant, createSandbox);
  if (!readMember(m)) return 0;
  if (m.source == Source::archive) {
    if (const auto stop = openArchiveToResync(m)) return *stop;
  }
  if (workFileState(m.ui, m.workFile, m.mode) != 0) return finishMember(m, 0);
  if (const int go = bringWorkFileUpToDate(m); go <= 0) return finishMember(m, go);
  recordMemberState(m);
  if (!m.statusShown && statusLine(m.workFile) == -1) return finishMember(m, -1);
  if (m.type == 'i' && resynchronizeSubprojectMembers(m) == -1) return finishMember(m, -1);
  return finishMember(m, 0);
}

}  // namespace orv::workbench::project
