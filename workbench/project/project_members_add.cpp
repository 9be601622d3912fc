// One file added to a project or sandbox; a member removed.
#include "workbench/project/project_members_add.h"

#include <cstring>
#include <unistd.h>
#include <vector>

#include "platform/sys/system_calls.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/project/member_location.h"
#include "workbench/app/message_styles.h"
#include "workbench/archive/password_cache.h"
#include "workbench/app/string_table.h"
#include "vc/error_codes.h"
#include "vc/include/vc.h"

namespace orv::workbench::project {

namespace {

constexpr int kNameSize = 512;

// Member items.
enum : int {
  kMemberName = 100,
  kMemberRevision = 101,
  kMemberFlags = 110,
  kSetKind = 125,
  kSetRevision = 127,
  kSetDependencyRevision = 128,
};

// Flags of member item 110 read here: the working file cannot be read, and
// a subproject included more than once. The second is masked out of the
// item today, so its message never shows.
constexpr std::uint32_t kFlagAccessDenied = 0x10;
constexpr std::uint32_t kFlagMultiplyIncluded = 0x1000;

std::string nameBuffer(const std::vector<char>& buffer) { return buffer.data(); }

bool isProjectFile(const std::string& name) { return vcOpenProject(name.c_str(), 1, nullptr, 0) == 0; }

bool readable(const std::string& name) { return sys::calls().access(name.c_str(), R_OK) == 0; }

bool exists(const std::string& name) { return sys::calls().access(name.c_str(), F_OK) == 0; }

// A file left out: reported already or nothing to report.
int skip(OpenProject& project) {
  project.status = kReported;
  return project.showError(kStyleError);
}

std::uint32_t memberFlags(int project) {
  char buffer[4] = {};
  if (vcGetMember(project, kMemberFlags, buffer, sizeof buffer) != 0) return 0;
  std::uint32_t flags = 0;
  std::memcpy(&flags, buffer, sizeof flags);
  return flags;
}

// Gives the newly added member its archive: revision, type and the link
// from the archive to the project. False when the add stops here.
void linkArchive(OpenProject& project, const std::string& workName) {
  std::vector<char> found(kNameSize + 1, '\0');
  int archive = 0;
  int rc = vcFindArchiveName(workName.c_str(), found.data(), kNameSize, &archive, 1);
  project.archiveName = nameBuffer(found);
  if (rc == vc::err::kEncryptedFile) {
    char password[kPasswordBufferSize] = {};
    if (askArchivePassword(project.ui(), archive, project.archiveName.c_str(), password,
                           sizeof password) != 0) {
      // Without the password the member is still an archived one.
      vcSetMember(project.project, kSetRevision, "1.1");
      vcSetMember(project.project, kSetKind, "a");
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
  if (vcGetArchiveInfo(archive, 8, head, 64) == 0 && head[0]) {
    vcSetMember(project.project, kSetRevision, head);
    vcSetMember(project.project, kSetDependencyRevision, head);
  }
  vcSetMember(project.project, kSetKind, "a");
  rc = vcWriteLock(archive);
  if (rc == 0) rc = vcAddProjectLink(project.project, archive);
  if (rc == 0) {
    rc = vcCommitArchive(archive, 1);
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
  OpenArchive archive(project.ui(), workName, 6, project.project);
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

}  // namespace

int addProjectMembers(OpenProject& project, const std::string& file, bool save, int* inaccessibleAnswer,
                      int* alreadyInAnswer, bool firstOfBatch, bool checkIn, bool quickCheckIn,
                      TCreateArchiveTransferStruct* createData, const MemberAddServices& services) {
  if (!project.project) return kReported;
  int scratch1 = 0, scratch2 = 0;
  int& cell1 = inaccessibleAnswer ? *inaccessibleAnswer : scratch1;
  int& cell2 = alreadyInAnswer ? *alreadyInAnswer : scratch2;
  ui::Ui& ui = project.ui();

  // 1-2: the working file's name, and whether its archive exists.
  std::vector<char> buffer(kNameSize + 1, '\0');
  std::string name = file;
  if (vcFindWorkName(file.c_str(), buffer.data(), kNameSize) == 0) name = nameBuffer(buffer);
  std::fill(buffer.begin(), buffer.end(), '\0');
  const int found = vcFindArchiveName(name.c_str(), buffer.data(), kNameSize, nullptr, 1);
  const bool archiveExisted = found == 0 || found == vc::err::kEncryptedFile;

  // 3: a working file that cannot be read.
  if (!readable(name)) {
    if (!archiveExisted) {
      if (rcsMessage(ui, kStyleErrorCancel, formatString(kStrCannotAccessFile, name.c_str())) ==
          ui::kAnswerCancel) {
        cell1 = ui::kAnswerCancel;
      }
      return skip(project);
    }
    if (cell1 == kAnswerNoToAll || cell1 == ui::kAnswerCancel) return skip(project);
    if (cell1 != kAnswerYesToAll) {
      cell1 = customMessageBox(ui, 0, formatString(kStrAddInaccessibleAnyway, name.c_str()));
      if (cell1 != ui::kAnswerYes && cell1 != kAnswerYesToAll) return skip(project);
    }
  }

  // 4: a member already.
  if (vcInProject(project.project, name.c_str()) == 0) {
    if (cell2 != ui::kAnswerNo && cell2 != ui::kAnswerCancel) {
      cell2 = rcsMessage(ui, kStyleQuestionCancel, formatString(kStrAlreadyMember, name.c_str()));
    }
    return skip(project);
  }

  // 5-7: the member itself.
  const bool projectFile = isProjectFile(name);
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
      cell1 = ui::kAnswerCancel;
      return skip(project);
    }
  } else {
    rc = vcAddMember(project.project, 'f', name.c_str(), nullptr, nullptr);
  }
  if (rc != 0) {
    project.status = rc;
    return project.showError(kStyleError);
  }

  // 8: the member's recorded name.
  std::fill(buffer.begin(), buffer.end(), '\0');
  std::string workName = name;
  if (vcGetMember(project.project, kMemberName, buffer.data(), kNameSize) == 0) workName = nameBuffer(buffer);

  // 9: its archive created, or the file checked in.
  TCreateArchiveTransferStruct noData;
  TCreateArchiveTransferStruct& data = createData ? *createData : noData;
  if (checkIn) {
    if (!quickCheckIn && !projectFile) {
      if (!archiveExisted && !createMemberArchive(project, workName, data, services)) return skip(project);
    } else if (checkInNewMember(project, workName, services) == 2) {
      cell1 = ui::kAnswerCancel;
      return skip(project);
    }
    const char* workDir = project.workDirectory.empty() ? nullptr : project.workDirectory.c_str();
    vcMemberWorkChanges(project.project, nullptr, workDir);
    vcMemberWorkUpdate(project.project, nullptr);
  }

  // 10-11: the archive linked to the project.
  linkArchive(project, workName);

  // 12: the member's kind.
  const std::uint32_t flags = memberFlags(project.project);
  if (flags & kFlagAccessDenied) {
    rcsMessage(ui, kStyleError, formatString(kStrAccessDenied, workName.c_str()));
  } else if (flags & kFlagMultiplyIncluded) {
    rcsMessage(ui, kStyleError, formatString(kStrMultiplyIncluded, workName.c_str()));
  } else if (isProjectFile(workName)) {
    vcSetMember(project.project, kSetKind, "i");
  }

  // 13: the new archive's window.
  if (checkIn && !quickCheckIn && !archiveExisted && data.openArchive == 1 && services.openArchiveWindow) {
    services.openArchiveWindow(project.archiveName);
  }

  // 14: report and save.
  if (project.status != 0) project.showError(kStyleError);
  if (!save) return 0;
  const int saved = project.save();
  if (saved != 0) project.reopen();
  return saved;
}

int checkInNewMember(OpenProject& project, const std::string& name, const MemberAddServices& services) {
  if (!exists(name)) return 1;
  std::vector<char> buffer(kNameSize + 1, '\0');
  std::string workName = name;
  if (vcFindWorkName(name.c_str(), buffer.data(), kNameSize) == 0) workName = nameBuffer(buffer);
  std::fill(buffer.begin(), buffer.end(), '\0');
  const int rc = vcMemberOpenArchive(project.project, workName.c_str(), buffer.data(), kNameSize, nullptr, 1);
  if (rc == 0 || rc == vc::err::kEncryptedFile) return 1;
  if (isProjectFile(name)) {
    if (services.checkpointSubproject) services.checkpointSubproject(project, name);
    return 1;
  }
  OpenArchive archive(project.ui(), workName, 7, project.project);
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
  std::vector<char> found(kNameSize + 1, '\0');
  rc = vcMemberOpenArchive(project.project, nullptr, found.data(), kNameSize, nullptr, 1);
  const std::string archiveName = nameBuffer(found);
  bool linkDropFailed = false;
  if (rc == 0) {
    int archive = 0;
    rc = vcOpenArchive(archiveName.c_str(), &archive, 2);
    if (rc == 0) rc = vcDropProjectLink(project.project, archive);
    if (rc == 0) {
      rc = vcCommitArchive(archive, 1);
      if (rc == 0) archive = 0;
    }
    if (archive) vcCloseArchive(archive);
    linkDropFailed = rc != 0;
  } else {
    char revision[81] = {};
    linkDropFailed = vcGetMember(project.project, kMemberRevision, revision, 80) == 0 && revision[0];
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
