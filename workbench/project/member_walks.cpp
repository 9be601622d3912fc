#include "workbench/project/member_walks.h"

#include <cerrno>
#include <cstring>
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
constexpr int kNameSize = 512;
constexpr int kRevSize = 80;

// The to-all answer of the recursion question and the nesting depth of one
// walk.
struct WalkMemory {
  int answer = -1;
  int depth = 0;
};

WalkMemory g_label, g_head, g_locks, g_resync;
// The resynchronisation's other remembered answers.
int g_writableAnswer = -1;
int g_inaccessibleAnswer = -1;
int g_permissionAnswer = -1;

bool recursionKeySaysYes(const char* key) {
  const std::string dir = profile::settingsDirectory(false);
  if (dir.empty()) return false;
  std::string value = profile::getProfileString(dir + "/ORVTY.INI", "Recursion", key, "");
  if (value.size() > 4) value.resize(4);
  return strcasecmp(value.c_str(), "yes") == 0;
}

std::string memberText(int project, int item, int size = kNameSize) {
  std::string buffer(static_cast<std::size_t>(size), '\0');
  if (vcGetMember(project, item, buffer.data(), size - 1) != 0) return {};
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

char memberType(int project) {
  char buffer[4] = {};
  if (vcGetMember(project, 102, buffer, sizeof buffer - 1) != 0) return 'f';
  return buffer[0] ? buffer[0] : 'f';
}

bool memberFrozen(int project) {
  char buffer[4] = {};
  return vcGetMember(project, 120, buffer, sizeof buffer - 1) == 0 && buffer[0] != 0;
}

std::uint32_t memberFlags(int project) {
  std::uint32_t flags = 0;
  vcGetMember(project, 110, reinterpret_cast<char*>(&flags), sizeof flags);
  return flags;
}

std::string currentUser() {
  char user[100] = {};
  vcGetSysInfo(41, user, sizeof user - 1);
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
  explicit Deeper(WalkMemory& memory) : memory_(memory) {
    if (memory_.depth++ == 0) {
      if (ProgressWindow* w = ProgressWindow::current()) {
        wasStepping_ = w->stepping();
        w->setStepping(false);
      }
    }
  }
  ~Deeper() {
    if (--memory_.depth == 0) {
      if (ProgressWindow* w = ProgressWindow::current()) w->setStepping(wasStepping_);
    }
  }
  Deeper(const Deeper&) = delete;
  Deeper& operator=(const Deeper&) = delete;

 private:
  WalkMemory& memory_;
  bool wasStepping_ = false;
};

// Asks whether to recurse into the subproject name: 1 recurse, 0 not, -1
// Cancel.
int askRecursion(ui::Ui& ui, WalkMemory& memory, bool keyYes, const std::string& name) {
  if (keyYes || memory.answer == kAnswerYesToAll) return 1;
  if (memory.answer == kAnswerNoToAll) return 0;
  const int answer = customMessageBox(ui, 0, formatString(kStrRecurseQuestion, name.c_str()));
  memory.answer = answer;
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
    row.revision = memberText(sub.project, 101, kRevSize);
    row.frozen = parentFrozen || sub.frozen || memberFrozen(sub.project);
  }
  return row;
}

// Whether the flag word of the historical option has neither low bit set.
bool historicalFlagWord(unsigned flags) { return (flags & 3) == 0; }

void closeArchive(int& archive) {
  if (archive) vcCloseArchive(archive);
  archive = 0;
}

}  // namespace

bool historicalInForce(const OpenProject& project) {
  if (project.historical) return true;
  unsigned flags = 2;
  vcGetConfigFlags("historical", &flags);
  if (historicalFlagWord(flags)) return true;
  flags = 2;
  if (project.project) {
    char value[80] = {};
    vcProjectOptionGet(project.project, "historical", value, sizeof value - 1, &flags);
  }
  return historicalFlagWord(flags);
}

// ---- Labels and states ----

int labelAndPromoteMembers(OpenProject& project, MemberRow& row, bool replaceLabel, bool firstCall,
                           const char* label, const char* state, bool recurse) {
  ui::Ui& ui = project.ui();
  const bool keyYes = recursionKeySaysYes(label && *label ? "RecurseOnLabel" : "RecurseOnPromote");
  if (firstCall) g_label.answer = -1;
  if (!recurse) g_label.answer = kAnswerNoToAll;
  if (row.type == 'f') return 1;
  if (!row.hasRevision()) {
    return rcsMessage(ui, kStyleOkCancel, formatString(kStrNoMemberRevision, row.name.c_str()));
  }
  const bool historical = historicalInForce(project);

  if (row.type == 'i') {
    const bool atRevision = historical || row.frozen;
    OpenProject sub(ui, row.name.c_str(), 1, atRevision ? row.revision->c_str() : nullptr, row.frozen,
                    historical);
    if (sub.status == 0) {
      const int go = askRecursion(ui, g_label, keyYes && recurse, row.name);
      if (go < 0) return ui::kAnswerCancel;
      if (go > 0) {
        Deeper deeper(g_label);
        if (statusLine(formatString(kStrRecursing, row.name.c_str())) == -1) return ui::kAnswerCancel;
        std::string name = memberText(sub.project, 112);
        for (int rc = name.empty() ? 1 : 0; rc == 0;) {
          MemberRow subRow = subprojectRow(sub, name, row.frozen);
          const int result = labelAndPromoteMembers(sub, subRow, replaceLabel, false, label, state, recurse);
          if (result != 1) return result;
          char next[kNameSize] = {};
          rc = vcGetMember(sub.project, 113, next, sizeof next - 1);
          name = next;
        }
      }
    } else {
      sub.showError(kStyleError);
    }
  }

  const std::string memberName = memberText(project.project, 100);
  if (statusLine(memberName.empty() ? row.name : memberName) == -1) return ui::kAnswerCancel;

  char archiveName[kNameSize] = {};
  int archive = 0;
  int rc = vcMemberOpenArchive(project.project, row.name.c_str(), archiveName, sizeof archiveName, &archive, 3);
  if (rc == 19) {
    closeArchive(archive);
    rcsMessage(ui, kStyleError, formatString(kStrNoPassword, archiveName));
    return 1;
  }
  if (rc != 0) {
    closeArchive(archive);
    if (row.type == 'i' && rc == 14) return 1;
    project.status = rc;
    return project.showError(kStyleOkCancel);
  }

  std::string revision = *row.revision;
  if (row.changeFlags & kReReadRevision) {
    const std::string reread = memberText(project.project, 101, kRevSize);
    if (!reread.empty()) revision = reread;
    row.changeFlags &= ~kReReadRevision;
  }
  char resolved[kRevSize] = {};
  rc = vcGetRevInfo(archive, 44, revision.c_str(), resolved, sizeof resolved);
  if (rc != 0) {
    closeArchive(archive);
    if (rc == 48) {
      return rcsMessage(ui, kStyleOkCancel, formatString(kStrRevisionNotInArchive, revision.c_str(), archiveName));
    }
    project.status = rc;
    return project.showError(kStyleOkCancel);
  }

  if (label && *label) {
    char existing[kRevSize] = {};
    const bool present = vcGetIdArchiveInfo(archive, 14, label, existing, sizeof existing) == 0;
    if (present && !replaceLabel && std::strcmp(existing, resolved) != 0) {
      const int answer = rcsMessage(ui, kStyleYesNoCancel,
                                    formatString(kStrMoveMemberLabel, row.name.c_str(), label, existing, resolved));
      if (answer != ui::kAnswerYes) {
        closeArchive(archive);
        return answer;
      }
    }
    // A drop the library refuses (no permission to delete labels, ...) is a
    // failure like a refused add: the label would not be where it is asked.
    rc = vcSetArchiveInfo(archive, 24, label, nullptr);
    if (rc < 233) rc = vcSetArchiveInfo(archive, 19, label, resolved);
    if (rc != 0) {
      closeArchive(archive);
      return rcsErrorMessage(ui, kStyleOkCancel, rc, formatString(kStrCannotAddLabel, label, resolved, archiveName));
    }
    if (g_label.depth == 0) {
      const std::string entry = std::string(label) + " ";
      const std::string list = " " + row.labels.value_or("");
      if (list.find(" " + entry) == std::string::npos) row.labels = entry + row.labels.value_or("");
    }
  }
  if (state && *state) {
    rc = vcSetRevInfo(archive, 36, resolved, state);
    if (rc != 0) {
      closeArchive(archive);
      return rcsErrorMessage(ui, kStyleOkCancel, rc,
                             formatString(kStrCannotSetState, state, resolved, archiveName));
    }
    row.state = state;
  }
  rc = vcCommitArchive(archive, 1);
  if (rc != 0) {
    closeArchive(archive);
    return showArchiveError(ui, rc, archiveName, kStyleOkCancel);
  }
  return 1;
}

// ---- Update to the head revision ----

int updateToHeadRevision(OpenProject& project, bool firstCall) {
  ui::Ui& ui = project.ui();
  const bool keyYes = recursionKeySaysYes("RecurseOnUpdateToHeadRevision");
  if (firstCall) g_head.answer = -1;
  const char type = memberType(project.project);
  const std::string name = memberText(project.project, 100);
  if (memberFrozen(project.project)) {
    if (statusLine(name) == -1) return -1;
    return rcsMessage(ui, kStyleOkCancel, formatString(kStrFrozenMember, name.c_str())) == ui::kAnswerCancel ? -1 : 0;
  }
  const bool historical = historicalInForce(project);

  if (type == 'i') {
    OpenProject sub(ui, name.c_str(), 1);
    if (sub.status == 0) {
      const int go = askRecursion(ui, g_head, keyYes, name);
      if (go < 0) return -1;
      char archiveName[kNameSize] = {};
      int subArchive = 0;
      const bool archived = go > 0 && historical &&
                            vcMemberOpenArchive(project.project, name.c_str(), archiveName, sizeof archiveName,
                                                &subArchive, 1) == 0;
      closeArchive(subArchive);
      if (archived) {
        if (rcsMessage(ui, kStyleOkCancel, formatString(kStrHistoricalSet, name.c_str())) == ui::kAnswerCancel)
          return -1;
      } else if (go > 0) {
        int result = 1;
        {
          Deeper deeper(g_head);
          if (statusLine(formatString(kStrRecursing, name.c_str())) == -1) return -1;
          if (sub.makeCurrent() == 1 && sub.lock(false)) {
            for (int position = 0; vcMemberSetPosition(sub.project, position) == 0; ++position) {
              result = updateToHeadRevision(sub, false);
              if (result == -1) break;
            }
            sub.save();
            sub.dropWriteLock();
          }
        }
        project.makeCurrent();
        if (result == -1) return -1;
      }
    } else {
      sub.showError(kStyleError);
    }
  }

  if (statusLine(name) == -1) return -1;
  int rc = vcMemberArchiveChanges(project.project, nullptr, nullptr, 0);
  if (rc == 19) {
    char archiveName[kNameSize] = {};
    vcFindArchiveName(name.c_str(), archiveName, sizeof archiveName, nullptr, 0);
    rcsMessage(ui, kStyleError, formatString(kStrNoPassword, archiveName));
    return 0;
  }
  char archiveName[kNameSize] = {};
  int archive = 0;
  rc = vcMemberOpenArchive(project.project, name.c_str(), archiveName, sizeof archiveName, &archive, 1);
  if (rc != 0) {
    closeArchive(archive);
    if (type != 'f' && type != 'i') {
      rcsErrorMessage(ui, kStyleError, rc, formatString(kStrArchiveInaccessible, name.c_str()));
    }
    return 1;
  }
  if (type == 'f') project.setMember(125, "a");
  if (const auto head = getArchiveRevisionText(ui, archive, archiveName)) project.setMember(127, head->c_str());
  closeArchive(archive);
  return 1;
}

// ---- Unused locks ----

int removeUnusedLocks(OpenProject& project, MemberRow& row, bool firstCall) {
  ui::Ui& ui = project.ui();
  const bool keyYes = recursionKeySaysYes("RecurseOnRemoveUnusedLocks");
  if (firstCall) g_locks.answer = -1;
  const bool reread = (row.changeFlags & kReReadRevision) != 0;
  const bool historical = historicalInForce(project);

  if (row.type == 'i') {
    const bool atRevision = (historical || row.frozen) && row.hasRevision();
    OpenProject sub(ui, row.name.c_str(), 1, atRevision ? row.revision->c_str() : nullptr, row.frozen,
                    historical);
    if (sub.status == 0) {
      const int go = askRecursion(ui, g_locks, keyYes, row.name);
      if (go < 0) return -1;
      if (go > 0) {
        int result = 1;
        {
          Deeper deeper(g_locks);
          if (statusLine(formatString(kStrRecursing, row.name.c_str())) == -1) return -1;
          if (sub.makeCurrent() == 1) {
            char name[kNameSize] = {};
            for (int rc = vcGetMember(sub.project, 112, name, sizeof name - 1); rc == 0;
                 rc = vcGetMember(sub.project, 113, name, sizeof name - 1)) {
              MemberRow subRow = subprojectRow(sub, name, row.frozen);
              result = removeUnusedLocks(sub, subRow, false);
              if (result == -1) break;
            }
            sub.save();
          }
        }
        project.makeCurrent();
        if (result == -1) return -1;
      }
    } else {
      sub.showError(kStyleError);
    }
  }

  if (statusLine(row.name) == -1) return -1;
  if (row.type != 'a') return reread ? 1 : 0;
  char revision[kRevSize] = {};
  if (vcGetMember(project.project, 101, revision, sizeof revision - 1) != 0 || !revision[0]) {
    const int answer = statusLine(formatString(kStrCannotGetRevision, row.name.c_str()));
    return reread ? 1 : answer;
  }
  char archiveName[kNameSize] = {};
  int archive = 0;
  int rc = vcMemberOpenArchive(project.project, row.name.c_str(), archiveName, sizeof archiveName, &archive, 1);
  if (rc != 0) {
    closeArchive(archive);
    if (rc == 19) {
      rcsMessage(ui, kStyleError, formatString(kStrNoPassword, archiveName));
    } else {
      showArchiveError(ui, rc, archiveName[0] ? archiveName : row.name, kStyleError);
    }
    return reread ? 1 : 0;
  }
  const char* workDir = project.workDirectory.empty() ? nullptr : project.workDirectory.c_str();
  char workFile[kNameSize] = {};
  if (vcMemberWorkName(project.project, nullptr, workDir, workFile, sizeof workFile - 1) != 0) {
    closeArchive(archive);
    return reread ? 1 : 0;
  }
  char locker[40] = {};
  vcGetIdArchiveInfo(archive, 16, revision, locker, sizeof locker);

  int result = 0;
  const std::string done = formatString(kStrMemberDone, row.name.c_str());
  struct stat st {};
  bool unlockStep = true;
  if (sys::calls().stat(workFile, &st) != 0) {
    checkOutMemberRevision(project, archive, archiveName, revision, workFile);
  } else if (!locker[0]) {
    statusLine(done);
    unlockStep = false;
  } else {
    TempFiles temporary(ui);
    const auto temp = temporary.make(workFile);
    if (!temp) {
      rcsMessage(ui, kStyleError, std::string(loadString(kStrNoTempFile)));
      unlockStep = false;
    } else if ((rc = vcCoRevision(archive, revision, temp->c_str())) != 0) {
      showArchiveError(ui, rc, archiveName, kStyleError);
      unlockStep = false;
    } else {
      char message[150] = {};
      rc = vcCmpFiles(isBinaryArchive(archive) ? 1 : 0, temp->c_str(), workFile, message, sizeof message);
      if (rc == 1) {
        statusLine(formatString(kStrChangedIgnored, row.name.c_str()));
        unlockStep = false;
      } else if (rc != 0) {
        showArchiveError(ui, rc, archiveName, kStyleError);
        unlockStep = false;
      }
    }
  }
  if (unlockStep) {
    if (locker[0] && strcasecmp(locker, currentUser().c_str()) == 0) {
      rc = vcWriteLock(archive);
      if (rc == 0) rc = vcSetRevInfo(archive, 23, revision, nullptr);
      if (rc == 0) {
        rc = vcCommitArchive(archive, 1);
        if (rc == 0) archive = 0;
      }
      if (rc != 0) {
        showArchiveError(ui, rc, archiveName, kStyleError);
      } else {
        result = 1;
      }
    } else {
      statusLine(done);
    }
    makeReadOnly(workFile);
  }
  closeArchive(archive);
  return reread ? 1 : result;
}

// ---- Working files ----

int checkOutMemberRevision(OpenProject& project, int archive, const std::string& archiveName,
                           const char* revision, const std::string& workFile) {
  ui::Ui& ui = project.ui();
  int rc = vcArchiveEvent(archive, "precheckout", revision);
  if (!preEventGoesOn(rc)) {
    if (rc < 234) {
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
  if (in < 0) return 5;
  const std::string temp = to + ".orvcopy";
  const int out = sys.open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    sys.close(in);
    return 5;
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
  return 5;
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
    return 5;
  }
  int error = errno;
  if (error == ENOENT && makeDirectories(stripLastPathComponent(path))) return 0;
  if (error == ENOENT) error = errno;
  rcsMessage(ui, kStyleError, formatString(kStrNoWorkFilePath, path.c_str(), std::strerror(error)));
  return 5;
}

int createSubprojectSandbox(OpenProject& project, const std::string& sandboxFile, int openMode,
                            const std::string& master, const char* revision) {
  ui::Ui& ui = project.ui();
  const std::string dir = stripLastPathComponent(sandboxFile);
  if (!makeDirectories(dir)) {
    rcsMessage(ui, kStyleError, formatString(kStrCannotCreateDir, dir.c_str()));
    return 70;
  }
  const bool atRevision = revision && *revision;
  int sandbox = 0;
  int rc = vcOpenSandbox(sandboxFile.c_str(), openMode | 2, &sandbox, 0);
  if (rc == 0) rc = vcSandboxOptionSet(sandbox, ("masterproject=" + master).c_str(), 1);
  if (rc == 0 && atRevision) rc = vcSandboxOptionSet(sandbox, (std::string("revision=") + revision).c_str(), 1);
  if (rc == 0) rc = vcSaveSandbox(sandbox);
  if (sandbox) vcCloseSandbox(sandbox);
  int handle = 0;
  if (rc == 0) rc = vcOpenProject(sandboxFile.c_str(), atRevision ? 3 : 1, &handle, 0);
  if (rc == 0) {
    resetSandboxVariables(handle);
    if (projectFlag(handle, 145) || projectFlag(handle, 155)) rc = vcSaveProject(handle);
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

}  // namespace

int resynchronizeMembers(OpenProject& project, const std::string& member, bool firstCall, bool variant,
                         bool createSandbox) {
  ui::Ui& ui = project.ui();
  if (firstCall) {
    g_writableAnswer = g_resync.answer = g_inaccessibleAnswer = g_permissionAnswer = -1;
  }
  const bool keyYes = recursionKeySaysYes(createSandbox ? "RecurseOnCreateSandbox" : "RecurseOnResynchronize");
  if (const int found = vcInProject(project.project, member.c_str()); found != 0) {
    project.status = found;
    project.showError(kStyleError);
    return 0;
  }
  const bool historical = historicalInForce(project);
  const bool frozen = memberFrozen(project.project) || project.frozen;
  const char type = memberType(project.project);
  const std::string revision = memberText(project.project, 101, 64);
  const char* workDir = project.workDirectory.empty() ? nullptr : project.workDirectory.c_str();
  char workBuffer[kNameSize] = {};
  int rc = vcMemberWorkName(project.project, nullptr, workDir, workBuffer, sizeof workBuffer - 1);
  if (rc != 0) {
    showArchiveError(ui, rc, member, kStyleError);
    return 0;
  }
  const std::string workFile = workBuffer;
  const bool sandbox = (project.kind & kProjectKindSandbox) != 0;

  enum class Source { copy, subSandbox, archive } source = Source::archive;
  if (type == 'f' || (type == 'a' && revision.empty())) {
    source = Source::copy;
  } else if (isSubproject(type) && sandbox && !variant) {
    source = Source::subSandbox;
  }

  char archiveName[kNameSize] = {};
  int archive = 0;
  bool madeWritable = false;
  bool checkedOut = false;
  bool statusShown = false;
  bool recordOnly = false;  // straight to recording the member

  // The end of every member that got past its source: restore what was made
  // writable, record the state again, and let the archive go.
  auto finish = [&](int result) {
    if (madeWritable && !checkedOut && !makeReadOnly(workFile)) {
      if (rcsMessage(ui, kStyleOkCancel, formatString(kStrCannotMakeReadOnly, workFile.c_str(),
                                                      std::strerror(errno))) == ui::kAnswerCancel)
        result = -1;
    }
    vcInProject(project.project, member.c_str());
    vcMemberWorkChanges(project.project, nullptr, workDir);
    vcMemberRevChanges(project.project, nullptr, workDir);
    project.makeCurrent();
    closeArchive(archive);
    return result;
  };

  if (source == Source::archive) {
    rc = vcMemberOpenArchive(project.project, member.c_str(), archiveName, sizeof archiveName, &archive, 1);
    if (rc == 19) {
      closeArchive(archive);
      return rcsMessage(ui, kStyleOkCancel, formatString(kStrNoPassword, archiveName)) == ui::kAnswerCancel ? -1 : -2;
    }
    if (rc == 0) {
      if (project.walkOptions & 2) vcMemberAnyArchiveChanges(archive);
    } else {
      closeArchive(archive);
      if (isSubproject(type) && revision.empty()) {
        recordOnly = true;
      } else {
        std::string shown = member;
        for (char& c : shown)
          if (c == '/') c = '\\';
        return askRemembered(ui, g_inaccessibleAnswer, formatString(kStrWarnInaccessible, shown.c_str()));
      }
    }
  }

  mode_t mode = 0;
  if (workFileState(ui, workFile, mode) != 0) return finish(0);

  const auto writableCheck = [&]() -> int {
    if (!(mode & 0200)) return 1;
    if (g_writableAnswer == kAnswerNoToAll) return 0;
    if (g_writableAnswer != kAnswerYesToAll && !(isSubproject(type) && (historical || frozen))) {
      g_writableAnswer = customMessageBox(ui, 0, formatString(kStrOverwriteWritable, workFile.c_str()));
      if (g_writableAnswer == ui::kAnswerCancel) return -1;
      if (g_writableAnswer == ui::kAnswerNo || g_writableAnswer == kAnswerNoToAll) return 0;
    }
    return 1;
  };
  // Makes an existing read-only working file writable for the update.
  const auto makeWritable = [&]() -> int {
    if (mode == 0 || (mode & 0200)) return 1;
    if (sys::calls().chmod(workFile.c_str(), 0666) != 0) {
      return rcsMessage(ui, kStyleOkCancel, formatString(kStrCannotMakeWritable, workFile.c_str(),
                                                         std::strerror(errno))) == ui::kAnswerCancel
                 ? -1
                 : 0;
    }
    madeWritable = true;
    return 1;
  };

  if (!recordOnly && source == Source::subSandbox) {
    if (mode == 0) {
      statusShown = true;
      if (statusLine(std::string(loadString(kStrCreatingSandbox))) == -1) return finish(-1);
      createSubprojectSandbox(project, workFile, 4, member, nullptr);
    }
  } else if (!recordOnly && (source == Source::archive ||
                             (workDir && vcPathSame(member.c_str(), workFile.c_str()) != 0))) {
    if (isSubproject(type) && mode != 0 && !sandbox) {
      if (!historical && !frozen) {
        recordOnly = true;
      } else {
        const int answer = rcsMessage(ui, kStyleYesNoCancel, formatString(kStrOverwriteSubproject, workFile.c_str()));
        if (answer == ui::kAnswerCancel) return finish(-1);
        if (answer != ui::kAnswerYes) return finish(0);
      }
    }
    if (!recordOnly && source == Source::archive) {
      int go = writableCheck();
      if (go <= 0) return finish(go);
      if (!(variant && isSubproject(type))) {
        if ((go = makeWritable()) <= 0) return finish(go);
        statusShown = true;
        if (statusLine(formatString(kStrCheckingOutRevision, workFile.c_str(), revision.c_str())) == -1)
          return finish(-1);
        if (!hasPermission("CheckOut")) {
          return finish(askRemembered(ui, g_permissionAnswer,
                                      formatString(kStrNoCheckOutPermission, revision.c_str(), archiveName)));
        }
        setMemberVariables(type, member);
        if (!checkOutMemberRevision(project, archive, archiveName, revision.c_str(), workFile)) return finish(0);
        checkedOut = true;
        unsigned flags = 0;
        if (vcGetConfigFlags("restoretimestamp", &flags) != 0 || (flags & 1) == 0)
          setFileTimeFromRevision(archive, workFile, revision.c_str());
        char lockedRevision[100] = {};
        const std::string user = currentUser();
        if (vcGetIdArchiveInfo(archive, 15, user.c_str(), lockedRevision, sizeof lockedRevision) == 0 &&
            revision == lockedRevision) {
          sys::calls().chmod(workFile.c_str(), 0666);
        } else if (isStrictLocking(archive) && !isSubproject(type)) {
          makeReadOnly(workFile);
        }
      } else {
        statusShown = true;
        if (statusLine(formatString(kStrCreatingSubSandbox, workFile.c_str())) == -1) return finish(-1);
        createSubprojectSandbox(project, workFile, 4, member, revision.c_str());
      }
    } else if (!recordOnly) {
      bool copy = mode == 0;
      if (!copy) {
        char message[100] = {};
        rc = vcCmpFiles(0, member.c_str(), workFile.c_str(), message, sizeof message);
        if (rc == 1) {
          int go = writableCheck();
          if (go <= 0) return finish(go);
          if ((go = makeWritable()) <= 0) return finish(go);
          copy = true;
        } else if (rc != 0) {
          return finish(rcsMessage(ui, kStyleOkCancel, formatString(kStrDiffFailed, message)) == ui::kAnswerCancel
                            ? -1
                            : 0);
        }
      }
      if (copy) {
        statusShown = true;
        if (statusLine(formatString(kStrCopyingMember, workFile.c_str())) == -1) return finish(-1);
        if (copyMemberFile(member, workFile) == 0) {
          if (type == 'f') {
            makeReadOnly(workFile);
            madeWritable = false;
          }
        } else {
          showArchiveError(ui, 5, workFile, kStyleError);
        }
      }
    }
  }

  vcInProject(project.project, member.c_str());
  vcMemberWorkChanges(project.project, nullptr, workDir);
  vcMemberWorkUpdate(project.project, nullptr);
  vcMemberRevChanges(project.project, nullptr, workDir);
  vcMemberRevUpdate(project.project, nullptr);
  if (!statusShown && statusLine(workFile) == -1) return finish(-1);

  if (type == 'i') {
    const int go = askRecursion(ui, g_resync, keyYes, workFile);
    if (go < 0) return finish(-1);
    if (go > 0) {
      const bool atRevision = (historical || frozen) && !revision.empty();
      OpenProject sub(ui, workFile.c_str(), 1, atRevision ? revision.c_str() : nullptr, frozen, historical);
      if (sub.status != 0) {
        sub.showError(kStyleError);
      } else {
        Deeper deeper(g_resync);
        if (statusLine(formatString(kStrRecursing, workFile.c_str())) == -1) return finish(-1);
        if (sub.makeCurrent() == 1) {
          char name[kNameSize] = {};
          for (rc = vcGetMember(sub.project, 112, name, sizeof name - 1); rc == 0;
               rc = vcGetMember(sub.project, 113, name, sizeof name - 1)) {
            if (resynchronizeMembers(sub, name, false, variant, createSandbox) == -1) {
              vcSaveUses(sub.project);
              return finish(-1);
            }
          }
        }
        vcSaveUses(sub.project);
      }
    }
  }
  return finish(0);
}

}  // namespace orv::workbench::project
