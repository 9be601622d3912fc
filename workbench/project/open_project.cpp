// Opening, saving, locking and reporting one project or sandbox.
#include "workbench/project/open_project.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/fs/path_separators.h"
#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/name_sizes.h"
#include "workbench/app/progress_window.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/password_cache.h"

namespace orv::workbench::project {

namespace {

constexpr int kRevisionSize = 80;

// Project items, under the names of what the workbench reads from them.
enum : int {
  kItemName = VC_PROJECT_ITEM_FILE,
  kItemRevision = VC_PROJECT_ITEM_REVISION,
  kItemProjectDir = VC_PROJECT_ITEM_PROJECT_DIR,
  kItemWorkDir = VC_PROJECT_ITEM_WORK_DIR,
  kItemModified = VC_PROJECT_ITEM_CHANGED,
  kItemSandboxFile = VC_PROJECT_ITEM_SANDBOX,
  // Not an item the library knows: it answers VC_E_BAD_ARGUMENT and the
  // mapping stays empty.
  kItemPathMapping = 148,
  kItemVariant = VC_PROJECT_ITEM_VARIANT,
  kItemSandbox = VC_PROJECT_ITEM_THROUGH_SANDBOX,
  kItemProjectFile = VC_PROJECT_ITEM_OPENED_NAME,
  kItemUsesChanged = VC_PROJECT_ITEM_USES_CHANGED,
  kItemVariablesRemapped = VC_PROJECT_ITEM_SANDBOX_CHANGED,
  kItemOldFormat = VC_PROJECT_ITEM_NO_VARIABLES,
  kItemFrozen = VC_PROJECT_ITEM_FROZEN,
  kItemSetRevision = VC_PROJECT_ITEM_SET_REVISION,
  kItemSetModified = VC_PROJECT_ITEM_SET_CHANGED,
  kItemSetUsesChanged = VC_PROJECT_ITEM_SET_USES_CHANGED,
};

using SandboxQuery = int (*)(const char*, const char*, char*, const char*);

// Keeps every variable as it stands.
int keepSandboxVariable(const char*, const char*, char*, const char*) { return 0; }

SandboxQuery g_sandboxQuery = keepSandboxVariable;

std::string handleText(int handle) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", handle);
  return text;
}

std::string optionValue(int project, const char* key) {
  std::vector<char> buffer(kMaxNameLength + 1, '\0');
  unsigned flags = 0;
  if (vcProjectOptionGet(project, key, buffer.data(), kMaxNameLength, &flags) != 0) return "";
  return buffer.data();
}

// An event refuses with a code of VC_E_NO_MESSAGE (234) or more, or
// VC_E_DONE with no extra error.
bool eventRefused(int code) {
  return code >= VC_E_NO_MESSAGE || (code == VC_E_DONE && vcExtraError() == 0);
}

}  // namespace

bool projectFlag(int project, int item) {
  char flag[4] = {};
  return vcGetProject(project, item, flag, sizeof flag) == 0 && (flag[0] & 1) != 0;
}

std::string projectText(int project, int item) {
  std::vector<char> buffer(kMaxNameLength + 1, '\0');
  if (vcGetProject(project, item, buffer.data(), kMaxNameLength) != 0) return "";
  return buffer.data();
}

void resetSandboxVariables(int handle) { vcSbxVariableReset(handle, g_sandboxQuery); }

void setSandboxVariableQuery(SandboxQuery query) {
  g_sandboxQuery = query ? query : keepSandboxVariable;
}

OpenProject::OpenProject(ui::Ui& ui, const char* projectName, unsigned mode, const char* rev,
                         bool frozenWanted, bool historicalWanted)
    : openMode(mode), frozenRequested(frozenWanted), historical(historicalWanted), ui_(ui) {
  if (!projectName) return;
  name = fs::forward_slashes(projectName);
  if (rev) revision = rev;
  frozen = frozenRequested;
  for (;;) {
    if (open() != 0) return;
    useCount = 1;
    if (!projectFlag(project, kItemOldFormat)) return;
    if (!offerConversion()) return;
  }
}

OpenProject::~OpenProject() { closeHandle(); }

void OpenProject::closeHandle() {
  if (project) vcCloseProject(project);
  project = 0;
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, "");
}

int OpenProject::open() {
  int handle = 0;
  // The library takes a revision only through its revision open; without
  // one the project file itself is opened.
  const int keep = (openMode & 4) != 0;
  status = revision ? vcOpenRevProject(name.c_str(), revision->c_str(), static_cast<int>(openMode), &handle, keep)
                    : vcOpenProject(name.c_str(), static_cast<int>(openMode), &handle, keep);
  if (status != 0) return status;
  project = handle;
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, handleText(project).c_str());
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, "");
  projectDirectory = projectText(project, kItemProjectDir);
  // Item 148 (a shown/real path prefix pair) is asked for on every open;
  // the library keeps no such item today, so the mapping stays empty.
  pathMapping = projectText(project, kItemPathMapping);
  workDirectory = optionValue(project, "workdir");
  if (workDirectory.empty()) workDirectory = projectText(project, kItemWorkDir);
  memberCount = lockedCount = selectedCount = 0;
  kind = kProjectKindOpen;
  if (projectFlag(project, kItemSandbox)) kind |= kProjectKindSandbox;
  if (projectFlag(project, kItemVariant)) kind |= kProjectKindVariant;
  frozen = projectFlag(project, kItemFrozen) || frozenRequested;
  if (kind & kProjectKindSandbox) {
    resetSandboxVariables(project);
    if (projectFlag(project, kItemVariablesRemapped)) {
      const int rc = vcSaveProject(project);
      if (rc != 0) {
        rcsErrorMessage(ui_, kStyleError, rc,
                        formatString(kStrNoVariableRemapping, name.c_str()));
      }
    }
  }
  return 0;
}

bool OpenProject::offerConversion() {
  const int answer = rcsMessage(ui_, kStyleQuestion, formatString(kStrConvertOldProject, name.c_str()));
  if (answer != ui::kAnswerYes) return false;
  if (!lock(false)) {
    rcsMessage(ui_, kStyleError, formatString(kStrProjectInUse, name.c_str()));
    return false;
  }
  const char on[2] = {1, 0};
  vcSetProject(project, kItemSetUsesChanged, on);
  vcSetProject(project, kItemSetModified, on);
  save();
  dropWriteLock();
  closeHandle();
  workDirectory.clear();
  pathMapping.clear();
  projectDirectory.clear();
  return true;
}

void OpenProject::reopen() {
  if (!project) return;
  closeHandle();
  if (open() != 0) showError(kStyleError);
}

int OpenProject::makeCurrent() {
  if (!project) return kReported;
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, handleText(project).c_str());
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, "");
  const std::string& dir = !workDirectory.empty() ? workDirectory : projectDirectory;
  if (dir.empty()) {
    rcsMessage(ui_, kStyleError, formatString(kStrNoWorkDir, name.c_str()));
    return 0;
  }
  if (sys::calls().chdir(dir.c_str()) != 0) {
    rcsMessage(ui_, kStyleError, formatString(kStrCannotChangeToWorkDir, dir.c_str()));
    return 0;
  }
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_DIR, dir.c_str());
  return 1;
}

int OpenProject::save() {
  if (!project) return kReported;
  if (projectFlag(project, kItemUsesChanged)) status = vcSaveUses(project);
  if (status != 0) return showError(kStyleError), kReported;
  if (!projectFlag(project, kItemModified) && !projectFlag(project, kItemVariablesRemapped)) return 0;
  ui_.pushBusyCursor();
  status = projectFlag(project, kItemVariant) ? variantSave() : vcSaveProject(project);
  ui_.popCursor();
  if (status == 0) return 0;
  showError(kStyleError);
  return kReported;
}

int OpenProject::lockProjectRevision(LockedRevision& out) {
  // The archive is the project file's own; a variant's project was read
  // from a private copy of one of its revisions.
  const std::string file = projectText(project, kItemProjectFile);
  std::vector<char> found(kMaxNameLength + 1, '\0');
  int rc = vcFindArchiveName(file.c_str(), found.data(), kMaxNameLength, &out.archive, VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE);
  out.archiveName = found.data();
  if (rc == VC_E_ENCRYPTED_FILE) {
    char password[kPasswordBufferSize] = {};
    if (askArchivePassword(ui_, out.archive, out.archiveName.c_str(), password, sizeof password) != 0) {
      vcCloseArchive(out.archive);
      out.archive = 0;
      return VC_E_ENCRYPTED_FILE;
    }
    rc = vcSetPassword(out.archive, password);
    std::memset(password, 0, sizeof password);
  }
  if (rc != 0) {
    if (out.archive) vcCloseArchive(out.archive);
    out.archive = 0;
    rcsErrorMessage(ui_, kStyleError, rc, formatString(kStrProjectArchiveInaccessible, file.c_str()));
    return kReported;
  }
  char created[4] = {};
  if (vcGetArchiveInfo(out.archive, VC_ARCHIVE_ITEM_CREATED, created, sizeof created) == 0 && (created[0] & 1)) {
    out.revision.clear();
    out.lockedRevision.clear();
    return 0;
  }
  char expanded[kRevisionSize + 1] = {};
  char exists[kRevisionSize + 1] = {};
  const std::string wanted = projectText(project, kItemRevision);
  if (vcExpandRevision(out.archive, wanted.c_str(), expanded, kRevisionSize) != 0 ||
      vcGetRevInfo(out.archive, VC_REVISION_ITEM_EXISTS, expanded, exists, kRevisionSize) != 0) {
    vcCloseArchive(out.archive);
    out.archive = 0;
    out.revision.clear();
    return VC_E_REVISION_MISSING;
  }
  out.revision = expanded;
  char user[64] = {};
  vcGetSysInfo(VC_SYSINFO_USER, user, sizeof user - 1);
  char held[kRevisionSize + 1] = {};
  if (vcGetIdArchiveInfo(out.archive, VC_ARCHIVE_ITEM_USER_LOCK, user, held, kRevisionSize) == 0 && held[0]) {
    if (out.revision != held) {
      vcCloseArchive(out.archive);
      out.archive = 0;
      rcsMessage(ui_, kStyleError,
                 formatString(kStrProjectAlreadyLockedAt, file.c_str(), out.revision.c_str(), held));
      return kReported;
    }
  } else if ((rc = vcSetRevInfo(out.archive, VC_REVISION_ITEM_LOCK, out.revision.c_str(), user)) != 0) {
    vcCloseArchive(out.archive);
    out.archive = 0;
    rcsErrorMessage(ui_, kStyleError, rc,
                    formatString(kStrCannotLockProjectRevision, file.c_str(), out.revision.c_str()));
    return kReported;
  }
  out.lockedRevision = out.revision;
  return 0;
}

int OpenProject::variantSave() {
  const bool modified = projectFlag(project, kItemModified);
  LockedRevision locked;
  char newRevision[kRevisionSize + 1] = {};
  if (modified) {
    if (int rc = lockProjectRevision(locked)) return rc;
    archiveName = locked.archiveName;
    int rc = vcCiRevision(locked.archive, locked.revision.c_str(), nullptr, 0, newRevision, kRevisionSize);
    if (rc == 0) rc = vcSetProject(project, kItemSetRevision, newRevision);
    if (rc != 0) {
      vcCloseArchive(locked.archive);
      rcsMessage(ui_, kStyleError,
                 formatString(kStrCannotSetNewRevision, locked.archiveName.c_str(), newRevision));
      return kReported;
    }
  }
  if (int rc = vcSaveProject(project)) {
    if (locked.archive) vcCloseArchive(locked.archive);
    rcsErrorMessage(ui_, kStyleError, rc, formatString(kStrCannotSaveProject, name.c_str()));
    return kReported;
  }
  if (!modified) return 0;
  const int event = vcArchiveEvent(locked.archive, "precheckin", locked.revision.c_str());
  if (eventRefused(event)) {
    char shown[kMaxNameLength + 1] = {};
    vcGetArchiveInfo(locked.archive, VC_ARCHIVE_ITEM_FILE_NAME, shown, kMaxNameLength);
    rcsMessage(ui_, kStyleError,
               formatString(event >= 234 ? kStrCannotCheckIn : kStrPreCheckinFailed,
                            locked.revision.c_str(), shown));
    vcCloseArchive(locked.archive);
    return kReported;
  }
  // The saved changes are in the copy of the revision.
  const std::string projectFile = projectText(project, kItemName);
  int rc = vcCiRevision(locked.archive, locked.revision.c_str(), projectFile.c_str(), 0, newRevision,
                        kRevisionSize);
  if (rc != 0) {
    vcCloseArchive(locked.archive);
    return rc;
  }
  vcArchiveEvent(locked.archive, "checkin", newRevision);
  const std::string log(kVariantSaveLog);
  rc = vcSetRevInfo(locked.archive, VC_REVISION_ITEM_SET_LOG, newRevision, log.c_str());
  if (rc == 0) rc = vcCommitArchive(locked.archive, VC_COMMIT_CLOSE);
  if (rc != 0) {
    // Nothing half-made stays in the handle for a later commit.
    vcCloseArchive(locked.archive);
    return rc;
  }
  setSandboxRevision(newRevision);
  return 0;
}

void OpenProject::setSandboxRevision(const std::string& newRevision) {
  const std::string sandboxFile = projectText(project, kItemSandboxFile);
  int sandbox = 0;
  if (int rc = vcOpenSandbox(sandboxFile.c_str(), VC_SANDBOX_OPEN_MODIFY | VC_SANDBOX_OPEN_WRITE, &sandbox, 0)) {
    rcsErrorMessage(ui_, kStyleErrorCancel, rc, formatString(kStrCannotOpen, sandboxFile.c_str()));
    return;
  }
  const std::string statement = "revision=" + newRevision;
  int rc = vcSandboxOptionSet(sandbox, statement.c_str(), VC_STATEMENT_APPLY);
  if (rc == 0) rc = vcSaveSandbox(sandbox);
  if (rc != 0) {
    rcsErrorMessage(ui_, kStyleErrorCancel, rc, formatString(kStrCannotSaveVariant, sandboxFile.c_str()));
  }
  vcCloseSandbox(sandbox);
}

bool OpenProject::lock(bool shared) {
  if (!project) return false;
  status = shared ? vcProjectSharedLock(project) : vcProjectWriteLock(project);
  if (status == 0) return true;
  if (status == VC_E_FILE_CHANGED) {
    const std::string shown = projectText(project, kItemName);
    const int answer = rcsMessage(ui_, 0x34, formatString(kStrReloadProject, shown.c_str()));
    if (answer == ui::kAnswerYes) {
      reopen();
      if (status == 0 && onReloaded) {
        onReloaded();
      } else {
        showError(kStyleError);
      }
    }
    status = kReported;
    return false;
  }
  showError(kStyleError);
  return false;
}

bool OpenProject::dropWriteLock() {
  if (!project) return false;
  status = vcDropProjectWriteLock(project);
  if (status == 0) return true;
  showError(kStyleError);
  return false;
}

std::string OpenProject::getOption(const std::string& key, const std::string& defaultValue) {
  const std::string value = project ? optionValue(project, key.c_str()) : "";
  return value.empty() ? defaultValue : value;
}

bool OpenProject::setOption(const std::string& key, const std::string& value) {
  if (!project) return false;
  const std::string current = optionValue(project, key.c_str());
  if (current == value) return false;
  if (current.empty() && (value.empty() || value.front() == ' ')) return false;
  const std::string statement = key + "=" + value;
  status = vcProjectOptionSet(project, statement.c_str(), 1);
  if (status != 0) {
    showError(kStyleError);
    return false;
  }
  return true;
}

int OpenProject::setMember(int item, const char* value) {
  status = vcSetMember(project, item, value);
  if (status == 0) return 0;
  showError(kStyleError);
  return kReported;
}

bool OpenProject::scanDependencies() {
  if (!ProgressWindow::current() || !project) return false;
  vcDropUses(project, nullptr);
  status = vcFindUses(project, nullptr, ProgressWindow::statusCallback, VC_USES_REPORT_FILES | VC_USES_READ_ALL);
  if (status == -1) return false;
  if (status == 0 || status == VC_E_NO_SOURCE_LANGUAGE) {
    status = 0;
    return true;
  }
  showError(kStyleError);
  return false;
}

std::string OpenProject::errorText() {
  const std::string shown = name.empty() ? std::string(loadString(kStrNewProject)) : name;
  return archiveErrorText(status, shown);
}

int OpenProject::showError(unsigned style) {
  if (status == 0 || status == kReported) return ui::kAnswerOk;
  const std::string message = errorText();
  status = kReported;
  return rcsMessage(ui_, style, message);
}

bool OpenProject::mayCheckpointVariant() {
  if (!(kind & kProjectKindVariant)) return true;
  return hasPermission("Checkpoint") && hasPermission("ModifySandbox");
}

std::string expandCommandTemplate(const OpenProject& project, std::string_view tmpl,
                                  std::string_view file) {
  std::string out;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != '%') {
      out += tmpl[i];
      continue;
    }
    if (++i == tmpl.size()) break;
    switch (tmpl[i]) {
      case 'f': out += file; break;
      case 'p': out += project.name; break;
      case 'r': out += project.projectDirectory; break;
      case 'u': {
        char user[64] = {};
        if (vcGetSysInfo(VC_SYSINFO_USER, user, sizeof user - 1) == 0) out += user;
        break;
      }
      case 'w': out += project.workDirectory; break;
      default: break;
    }
  }
  return out;
}

int notifyStatus(const char* text) {
  if (!ProgressWindow::current()) return 0;
  return ProgressWindow::statusCallback(text);
}

std::optional<std::string> getArchiveRevisionText(ui::Ui& ui, int archive,
                                                  const std::string& archiveName) {
  char head[kRevisionSize + 1] = {};
  const int rc = vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_HEAD, head, kRevisionSize);
  if (rc != 0 || !head[0]) {
    showArchiveError(ui, rc ? rc : VC_E_REVISION_MISSING, archiveName, kStyleError);
    return std::nullopt;
  }
  return std::string(head);
}

bool isBinaryArchive(int archive) {
  char storage[4] = {};
  return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_STORAGE, storage, sizeof storage) == 0 && storage[0] == 1;
}

}  // namespace orv::workbench::project
