// Opening, reopening and locking one archive, and turning library failures
// into messages.
#include "workbench/archive/open_archive.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <sys/stat.h>

#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/name_sizes.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/password_cache.h"

namespace orv::workbench::archive {

namespace {

// The longest error text, as the archive operations have always cut it.
constexpr std::size_t kErrorTextLimit = 255;

bool isWritingMode(int mode) { return (mode & 6) != 0; }

// An existing file that the library reads as an archive (an encrypted one
// included).
bool isArchiveFile(const std::string& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  int probe = 0;
  const int rc = vcOpenArchive(name.c_str(), &probe, VC_ARCHIVE_OPEN_READ);
  if (probe) vcCloseArchive(probe);
  return rc == 0 || rc == VC_E_ENCRYPTED_FILE;
}

// The working file of an archive that no rule names: beside it, without
// the ",v" of its name; none when the name has no ",v".
std::string workFileBeside(const std::string& archive) {
  constexpr std::string_view kSuffix = ",v";
  if (archive.size() <= kSuffix.size() || archive.compare(archive.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
    return {};
  return archive.substr(0, archive.size() - kSuffix.size());
}

}  // namespace

std::string archiveErrorText(int code, const std::string& name) {
  std::string rest = "\n";
  if (code == VC_E_NLM_ERROR) {
    const int extra = vcExtraError();
    rest += loadString(extra == 0 ? kStrNlmFailure : extra == 102 ? kStrNlmDenied : kStrNlmUnknown);
  } else {
    rest += libraryErrorText(code);
    const int extra = vcExtraError();
    if (code >= 200 && extra != 0) {
      rest += "\n";
      rest += std::strerror(extra);
    }
  }
  if (name.size() + rest.size() <= kErrorTextLimit) return name + rest;
  // Keep the end of the name, which tells the file apart.
  constexpr std::string_view kDots = "...";
  const std::size_t room =
      kErrorTextLimit > rest.size() + kDots.size() ? kErrorTextLimit - rest.size() - kDots.size() : 0;
  std::size_t from = name.size() > room ? name.size() - room : 0;
  while (from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80) ++from;
  return std::string(kDots) + name.substr(from) + rest;
}

int showArchiveError(ui::Ui& ui, int code, const std::string& name, unsigned style) {
  if (code == 0 || code == kReported) return ui::kAnswerOk;
  return rcsMessage(ui, style, archiveErrorText(code, name));
}

OpenArchive::OpenArchive(ui::Ui& ui, const std::string& name, int mode, int project,
                         std::function<void()> refreshToolbar)
    : ui_(ui), mode_(mode), project_(project), givenName_(name),
      refreshToolbar_(std::move(refreshToolbar)) {
  BusyCursor busy(ui_);
  char found[kNameBufferSize] = {};
  std::string archive, work;
  bool namedByRule = false;  // an archive's name by the archive rules
  if (project_) {
    status_ = vcMemberOpenArchive(project_, nullptr, found, sizeof found, &handle_, mode_);
    archive = found;
    work = givenName_;
    char text[16];
    std::snprintf(text, sizeof text, "%d", project_);
    vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, text);
  } else if (!(namedByRule = vcFindWorkName(givenName_.c_str(), found, sizeof found) == 0) &&
             isArchiveFile(givenName_)) {
    // An archive named by its own path where no archive rule places it: it
    // opens as itself, its working file beside it without the ",v".
    archive = givenName_;
    work = workFileBeside(givenName_);
    status_ = vcOpenArchive(givenName_.c_str(), &handle_, mode_ & ~VC_ARCHIVE_OPEN_CREATE);
  } else if (!namedByRule) {
    // Not an archive's name: a working file's.
    std::memset(found, 0, sizeof found);
    status_ = vcFindArchiveName(givenName_.c_str(), found, sizeof found, &handle_, mode_);
    archive = found;
    work = givenName_;
  } else {
    work = found;
    archive = givenName_;
    status_ = vcOpenArchive(givenName_.c_str(), &handle_, mode_);
  }
  publishCurrentArchive();
  if (status_ == 0 || status_ == VC_E_ARCHIVE_MISSING || status_ == VC_E_ENCRYPTED_FILE) {
    archiveName_ = archive;
    workFileName_ = work;
  }
  if (status_ == VC_E_ENCRYPTED_FILE && !project_ && handle_) {
    char password[kPasswordBufferSize] = {};
    if (askArchivePassword(ui_, handle_, archiveName_.c_str(), password, sizeof password) == 0)
      status_ = 0;
    std::memset(password, 0, sizeof password);
  }
  if (status_ == 0 && handle_ && !isWritingMode(mode_)) {
    vcKeepClosed(handle_);
    char created = 0;
    status_ = vcGetArchiveInfo(handle_, VC_ARCHIVE_ITEM_CREATED, &created, 1);
  }
}

OpenArchive::~OpenArchive() {
  if (handle_) vcCloseArchive(handle_);
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, "0");
  if (refreshToolbar_) refreshToolbar_();
}

const std::string& OpenArchive::displayName() const {
  return archiveName_.empty() ? givenName_ : archiveName_;
}

void OpenArchive::publishCurrentArchive() {
  char text[16];
  std::snprintf(text, sizeof text, "%d", handle_);
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, text);
}

int OpenArchive::openByName(int mode) {
  handle_ = 0;
  int rc = vcOpenArchive(archiveName_.c_str(), &handle_, mode);
  publishCurrentArchive();
  if (rc == VC_E_ENCRYPTED_FILE && handle_) {
    char password[kPasswordBufferSize] = {};
    if (askArchivePassword(ui_, handle_, archiveName_.c_str(), password, sizeof password) == 0) {
      rc = 0;
    } else {
      vcCloseArchive(handle_);
      handle_ = 0;
    }
    std::memset(password, 0, sizeof password);
  }
  if (rc == 0 && !(mode & 2)) vcKeepClosed(handle_);
  return rc;
}

bool OpenArchive::reopen() {
  if (!handle_) return false;
  BusyCursor busy(ui_);
  vcCloseArchive(handle_);
  handle_ = 0;
  mode_ &= ~4;
  const int rc = openByName(mode_);
  if (rc != 0 && status_ == 0) status_ = rc;
  return rc == 0;
}

void OpenArchive::discardChanges() {
  if (!handle_) return;
  reopen();
  if (handle_) dropWriteLock();
}

bool OpenArchive::reopenReadOnly() {
  status_ = vcReOpenArchive(handle_);
  return status_ == 0 || changedArchiveRecovery();
}

bool OpenArchive::writeLock() {
  status_ = vcWriteLock(handle_);
  return status_ == 0 || changedArchiveRecovery();
}

bool OpenArchive::changedArchiveRecovery() {
  if (status_ == VC_E_FILE_CHANGED) {
    if (handle_) vcCloseArchive(handle_);
    handle_ = 0;
    const int answer = rcsMessage(ui_, 0x34, formatString(kStrArchiveUpdated, archiveName_.c_str()));
    if (answer != ui::kAnswerYes) {
      status_ = kReported;
      return false;
    }
    BusyCursor busy(ui_);
    status_ = openByName(1);
  }
  showError(kStyleError);
  return false;
}

bool OpenArchive::dropWriteLock() {
  status_ = vcDropWriteLock(handle_);
  vcKeepClosed(handle_);
  if (status_ == 0) return true;
  showError(kStyleError);
  return false;
}

int OpenArchive::close() {
  if (!handle_) return 0;
  const int rc = vcCloseArchive(handle_);
  handle_ = 0;
  return rc;
}

int OpenArchive::showError(unsigned style) {
  int answer = ui::kAnswerOk;
  if (status_ == VC_E_ENCRYPTED_FILE) {
    answer = rcsMessage(ui_, style, formatString(kStrNoPassword, archiveName_.c_str()));
  } else if (status_ == VC_E_CANNOT_CREATE_TEMP) {
    answer = rcsMessage(ui_, style, formatString(kStrCannotCreateTemp, archiveName_.c_str()));
  } else {
    answer = showArchiveError(ui_, status_, displayName(), style);
  }
  if (status_ != 0) status_ = kReported;
  return answer;
}

int OpenArchive::showArchiveOpenError(unsigned style) {
  if (status_ == 0) return ui::kAnswerOk;
  if (status_ == VC_E_DONE) {
    status_ = kReported;
    return rcsMessage(ui_, style, formatString(kStrArchiveInaccessible, givenName_.c_str()));
  }
  return showError(style);
}

int OpenArchive::showWorkFileError(unsigned style) {
  if (status_ == 0) return ui::kAnswerOk;
  if (status_ == VC_E_DONE) {
    status_ = kReported;
    return rcsMessage(ui_, style, formatString(kStrNoWorkFile, givenName_.c_str()));
  }
  return showError(style);
}

bool OpenArchive::getLibraryUserName(char* buffer, int size) {
  if (vcGetSysInfo(VC_SYSINFO_USER, buffer, size) == 0 && buffer[0]) return true;
  rcsMessage(ui_, kStyleError, std::string(loadString(kStrMissingUserName)));
  return false;
}

}  // namespace orv::workbench::archive
