// One file added to a project or sandbox; a member removed.
#include "workbench/project/project_members_add.h"

#include <cstring>
#include <optional>
#include <unistd.h>
#include <vector>

#include "platform/sys/system_calls.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/project/member_location.h"
#include "workbench/app/message_styles.h"
#include "workbench/archive/password_cache.h"
#include "workbench/app/string_table.h"
#include "vc/include/vc.h"

namespace orv::workbench::project {

namespace {


// Status bits of a member read here: the working file cannot be read, and a
// subproject included more than once. The second is masked out of the item
// today, so its message never shows.
constexpr std::uint32_t kFlagAccessDenied = VC_MEMBER_STATUS_WORK_UNREADABLE;
constexpr std::uint32_t kFlagMultiplyIncluded = 0x1000;

std::string nameBuffer(const std::vector<char>& buffer) { return buffer.data(); }

bool isProjectFile(const std::string& name) {
  return vcOpenProject(name.c_str(), VC_PROJECT_OPEN_MODIFY, nullptr, 0) == 0;
}

bool readable(const std::string& name) { return sys::calls().access(name.c_str(), R_OK) == 0; }

bool exists(const std::string& name) { return sys::calls().access(name.c_str(), F_OK) == 0; }

// A file left out: reported already or nothing to report.
int skip(OpenProject& project) {
  project.status = kReported;
  return project.showError(kStyleError);
}

std::uint32_t memberFlags(int project) {
  char buffer[4] = {};
  if (vcGetMember(project, VC_MEMBER_ITEM_STATUS, buffer, sizeof buffer) != 0) return 0;
  std::uint32_t flags = 0;
  std::memcpy(&flags, buffer, sizeof flags);
  return flags;
}

// Gives the newly added member its archive: revision, type and the link
// from the archive to the project. False when the add stops here.
void linkArchive(OpenProject& project, const std::string& workName) {
  std::vector<char> found(VC_MAX_NAME + 1, '\0');
  int archive = 0;
  int rc = vcFindArchiveName(workName.c_str(), found.data(), VC_MAX_NAME, &archive, VC_ARCHIVE_OPEN_READ);
  project.archiveName = nameBuffer(found);
  if (rc == VC_E_ENCRYPTED_FILE) {
    char password[kPasswordBufferSize] = {};
    if (askArchivePassword(project.ui(), archive, project.archiveName.c_str(), password,
                           sizeof password) != 0) {
      // Without the password the member is still an archived one.
      vcSetMember(project.project, VC_MEMBER_ITEM_SET_REVISION, "1.1");
      vcSetMember(project.project, VC_MEMBER_ITEM_SET_KIND, "a");
      vcCloseArchive(archive);
      project.status = 0;
      return;
    }
    rc = vcSetPassword(archive, password);
    std::memset(password, 0, sizeof password);
  }
  if (rc != 0) {
    if (archive) vcCloseArchive(archive);
    project.status = 0;  // a member without archive
    return;
  }
  char head[65] = {};
  if (vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_HEAD, head, sizeof head - 1) == 0 && head[0]) {
    vcSetMember(project.project, VC_MEMBER_ITEM_SET_REVISION, head);
    vcSetMember(project.project, VC_MEMBER_ITEM_SET_RECORDED_REVISION, head);
  }
  vcSetMember(project.project, VC_MEMBER_ITEM_SET_KIND, "a");
  rc = vcWriteLock(archive);
  if (rc == 0) rc = vcAddProjectLink(project.project, archive);
  if (rc == 0) {
    rc = vcCommitArchive(archive, VC_COMMIT_CLOSE);
    if (rc == 0) archive = 0;  // closed by the commit
  }
  if (rc != 0) {
    if (archive) vcCloseArchive(archive);
    rcsErrorMessage(project.ui(), kStyleError, rc,
                    formatString(kStrCannotAssociate, workName.c_str(), project.name.c_str()));
  }
  project.status = 0;
}

// Creates the member's archive through the Create Archive dialog: false
// when the file is skipped (the member is removed again after a Cancel).
bool createMemberArchive(OpenProject& project, const std::string& workName,
                         TCreateArchiveTransferStruct& data, const MemberAddServices& services) {
  OpenArchive archive(project.ui(), workName, VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE, project.project);
  if (archive.status() != 0) {
    archive.showArchiveOpenError(kStyleErrorCancel);
    return false;
  }
  if (data.allFiles != 1) {
    const std::uint32_t allFiles = data.allFiles;
    if (services.createDefaults && !services.createDefaults(archive, data)) return false;
    data.allFiles = allFiles;
    const int answer = services.createDialog ? services.createDialog(archive, data) : ui::kAnswerCancel;
    if (answer != ui::kAnswerOk) {
      vcDeleteMember(project.project, nullptr);
      return false;
    }
  }
  const int rc = services.createArchive ? services.createArchive(archive, data) : kReported;
  return rc == 0;
}

// The working file file stands for (file may name an archive).
std::string workingFileOf(const std::string& file) {
  std::vector<char> buffer(VC_MAX_NAME + 1, '\0');
  if (vcFindWorkName(file.c_str(), buffer.data(), VC_MAX_NAME) == 0) return nameBuffer(buffer);
  return file;
}

// Whether name has an archive already (an encrypted one counts).
bool archiveExistsFor(const std::string& name) {
  std::vector<char> buffer(VC_MAX_NAME + 1, '\0');
  const int found = vcFindArchiveName(name.c_str(), buffer.data(), VC_MAX_NAME, nullptr, VC_ARCHIVE_OPEN_READ);
  return found == 0 || found == VC_E_ENCRYPTED_FILE;
}

// A working file that cannot be read is added only when its archive exists
// and the user agrees, now or to all: true to add it.
bool askWhetherToAddUnreadableFile(ui::Ui& ui, const std::string& name, bool archiveExisted, int& answer) {
  if (!archiveExisted) {
    if (rcsMessage(ui, kStyleErrorCancel, formatString(kStrCannotAccessFile, name.c_str())) == ui::kAnswerCancel) {
      answer = ui::kAnswerCancel;
    }
    return false;
  }
  if (answer == kAnswerNoToAll || answer == ui::kAnswerCancel) return false;
  if (answer != kAnswerYesToAll) {
    answer = customMessageBox(ui, 0, formatString(kStrAddInaccessibleAnyway, name.c_str()));
    if (answer != ui::kAnswerYes && answer != kAnswerYesToAll) return false;
  }
  return true;
}

// Says that name is a member already, unless the user answered No or
// Cancel to that before.
void tellMemberAlready(ui::Ui& ui, const std::string& name, int& answer) {
  if (answer != ui::kAnswerNo && answer != ui::kAnswerCancel) {
    answer = rcsMessage(ui, kStyleQuestionCancel, formatString(kStrAlreadyMember, name.c_str()));
  }
}

// Adds name as a member. A sandbox asks where the member goes, and takes
// no subproject. Nothing when added; else the result of the add.
std::optional<int> addMember(OpenProject& project, const std::string& name, bool projectFile, bool firstOfBatch,
                             int& inaccessibleAnswer) {
  ui::Ui& ui = project.ui();
  int rc = 0;
  if (project.kind & kProjectKindSandbox) {
    if (firstOfBatch) resetMemberAddMemories();
    if (projectFile) {
      rcsMessage(ui, kStyleError, formatString(kStrNoSubprojectFromSandbox, name.c_str()));
      return skip(project);
    }
    setMemberAddUi(&ui);
    rc = vcAddMemberFromSandbox(project.project, 'f', name.c_str(), nullptr, nullptr, queryLocation,
                                queryYesNo);
    setMemberAddUi(nullptr);
    const MemberAddMemories& m = memberAddMemories();
    if (m.locationCancelled || m.yesNoAnswer == ui::kAnswerCancel) {
      inaccessibleAnswer = ui::kAnswerCancel;
      return skip(project);
    }
  } else {
    rc = vcAddMember(project.project, 'f', name.c_str(), nullptr, nullptr);
  }
  if (rc != 0) {
    project.status = rc;
    return project.showError(kStyleError);
  }
  return std::nullopt;
}

// The name the project recorded for its new member.
std::string recordedMemberName(const OpenProject& project, const std::string& name) {
  std::vector<char> buffer(VC_MAX_NAME + 1, '\0');
  if (vcGetMember(project.project, VC_MEMBER_ITEM_NAME, buffer.data(), VC_MAX_NAME) == 0) return nameBuffer(buffer);
  return name;
}

// Records the current member's working file as it is now.
void recordWorkFile(OpenProject& project) {
  const char* workDir = project.workDirectory.empty() ? nullptr : project.workDirectory.c_str();
  vcMemberWorkChanges(project.project, nullptr, workDir);
  vcMemberWorkUpdate(project.project, nullptr);
}

// Reports a working file that cannot be read, or a subproject included
// more than once; else a project file becomes a subproject member.
void settleMemberKind(OpenProject& project, const std::string& workName) {
  const std::uint32_t flags = memberFlags(project.project);
  if (flags & kFlagAccessDenied) {
    rcsMessage(project.ui(), kStyleError, formatString(kStrAccessDenied, workName.c_str()));
  } else if (flags & kFlagMultiplyIncluded) {
    rcsMessage(project.ui(), kStyleError, formatString(kStrMultiplyIncluded, workName.c_str()));
  } else if (isProjectFile(workName)) {
    vcSetMember(project.project, VC_MEMBER_ITEM_SET_KIND, "i");
  }
}

// Reports a failure left in the project's status, and saves when asked:
// 0, or the save's result.
int reportAndSave(OpenProject& project, bool save) {
  if (project.status != 0) project.showError(kStyleError);
  if (!save) return 0;
  const int saved = project.save();
  if (saved != 0) project.reopen();
  return saved;
}

}  // namespace

int addProjectMembers(OpenProject& project, const std::string& file, bool save, int* inaccessibleAnswer,
                      int* alreadyInAnswer, bool firstOfBatch, bool checkIn, bool quickCheckIn,
                      TCreateArchiveTransferStruct* createData, const MemberAddServices& services) {
  if (!project.project) return kReported;
  int scratch1 = 0, scratch2 = 0;
  int& cell1 = inaccessibleAnswer ? *inaccessibleAnswer : scratch1;
  int& cell2 = alreadyInAnswer ? *alreadyInAnswer : scratch2;
  ui::Ui& ui = project.ui();

  const std::string name = workingFileOf(file);
  const bool archiveExisted = archiveExistsFor(name);
  if (!readable(name) && !askWhetherToAddUnreadableFile(ui, name, archiveExisted, cell1)) return skip(project);
  if (vcInProject(project.project, name.c_str()) == 0) {
    tellMemberAlready(ui, name, cell2);
    return skip(project);
  }
  const bool projectFile = isProjectFile(name);
  if (const auto refused = addMember(project, name, projectFile, firstOfBatch, cell1)) return *refused;
  const std::string workName = recordedMemberName(project, name);

  // With checkIn the member gets its archive: through the Create Archive
  // dialog, or at once by a check-in (a subproject by a checkpoint).
  TCreateArchiveTransferStruct noData;
  TCreateArchiveTransferStruct& data = createData ? *createData : noData;
  if (checkIn) {
    if (!quickCheckIn && !projectFile) {
      if (!archiveExisted && !createMemberArchive(project, workName, data, services)) return skip(project);
    } else if (checkInNewMember(project, workName, services) == 2) {
      cell1 = ui::kAnswerCancel;
      return skip(project);
    }
    recordWorkFile(project);
  }

  linkArchive(project, workName);
  settleMemberKind(project, workName);
  if (checkIn && !quickCheckIn && !archiveExisted && data.openArchive == 1 && services.openArchiveWindow) {
    services.openArchiveWindow(project.archiveName);
  }
  return reportAndSave(project, save);
}

int checkInNewMember(OpenProject& project, const std::string& name, const MemberAddServices& services) {
  if (!exists(name)) return 1;
  std::vector<char> buffer(VC_MAX_NAME + 1, '\0');
  std::string workName = name;
  if (vcFindWorkName(name.c_str(), buffer.data(), VC_MAX_NAME) == 0) workName = nameBuffer(buffer);
  std::fill(buffer.begin(), buffer.end(), '\0');
  const int rc =
      vcMemberOpenArchive(project.project, workName.c_str(), buffer.data(), VC_MAX_NAME, nullptr, VC_ARCHIVE_OPEN_READ);
  if (rc == 0 || rc == VC_E_ENCRYPTED_FILE) return 1;
  if (isProjectFile(name)) {
    if (services.checkpointSubproject) services.checkpointSubproject(project, name);
    return 1;
  }
  OpenArchive archive(project.ui(), workName, VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE,
                      project.project);
  if (archive.status() != 0) return archive.showArchiveOpenError(kStyleErrorCancel);
  TCiTransferStruct record;
  const int prepared = services.prepareCheckIn ? services.prepareCheckIn(archive, project, record) : 1;
  if (prepared != 1) return prepared == 3 ? 2 : 1;
  setField(record.description, loadString(kStrInitialRevision));
  int answer = 1;
  checkInRevision(archive, project.project, record, nullptr, 0, answer, 0);
  return answer ? answer : 1;
}

int removeProjectMember(OpenProject& project, const std::string& name) {
  int rc = vcInProject(project.project, name.c_str());
  if (rc != 0) {
    project.status = rc;
    return project.showError(kStyleError);
  }
  std::vector<char> found(VC_MAX_NAME + 1, '\0');
  rc = vcMemberOpenArchive(project.project, nullptr, found.data(), VC_MAX_NAME, nullptr, VC_ARCHIVE_OPEN_READ);
  const std::string archiveName = nameBuffer(found);
  bool linkDropFailed = false;
  if (rc == 0) {
    int archive = 0;
    rc = vcOpenArchive(archiveName.c_str(), &archive, VC_ARCHIVE_OPEN_WRITE);
    if (rc == 0) rc = vcDropProjectLink(project.project, archive);
    if (rc == 0) {
      rc = vcCommitArchive(archive, VC_COMMIT_CLOSE);
      if (rc == 0) archive = 0;
    }
    if (archive) vcCloseArchive(archive);
    linkDropFailed = rc != 0;
  } else {
    char revision[81] = {};
    linkDropFailed = vcGetMember(project.project, VC_MEMBER_ITEM_REVISION, revision, 80) == 0 && revision[0];
  }
  if (linkDropFailed) {
    rcsMessage(project.ui(), kStyleError,
               formatString(kStrCannotDropAssociation, name.c_str(), project.name.c_str()));
  }
  rc = vcDeleteMember(project.project, nullptr);
  if (rc != 0) {
    project.status = rc;
    project.showError(kStyleError);
    return kReported;
  }
  return 0;
}

}  // namespace orv::workbench::project
