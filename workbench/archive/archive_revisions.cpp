// Default revisions, revisions without working files, check-outs to a file
// and working-file times, over the revision library's calls.
#include "workbench/archive/archive_revisions.h"

#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/archive/revision_date.h"

namespace orv::workbench::archive {

namespace {

constexpr int kRevisionSize = 64;

// A string item of the archive, or empty.
std::string archiveItem(int archive, int item) {
  char text[kRevisionSize] = {};
  if (vcGetArchiveInfo(archive, item, text, sizeof text) != 0) return {};
  return text;
}

}  // namespace

void copyToBuffer(const std::string& text, char* buffer, int size) {
  if (!buffer || size <= 0) return;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size) - 1);
  std::memmove(buffer, text.data(), n);
  buffer[n] = '\0';
}

void getArchiveTitle(int archive, const char* user, char* buffer, int size) {
  getMemberArchiveTitle(archive, 0, user, nullptr, buffer, size);
}

void getMemberArchiveTitle(int archive, int project, const char* user, const char* workFile,
                           char* buffer, int size) {
  char text[kRevisionSize] = {};
  if (user && vcGetIdArchiveInfo(archive, VC_ARCHIVE_ITEM_USER_LOCK, user, text, sizeof text) == 0 && text[0]) {
    copyToBuffer(text, buffer, size);
    return;
  }
  if (project && workFile && vcInProject(project, workFile) == 0 &&
      vcGetMember(project, VC_MEMBER_ITEM_REVISION, text, sizeof text) == 0 && text[0]) {
    copyToBuffer(text, buffer, size);
    return;
  }
  std::string title = archiveItem(archive, 6);
  if (title.empty()) title = archiveItem(archive, 8);
  copyToBuffer(title, buffer, size);
}

int getRevisionTitle(int archive, char* buffer, int size) {
  char branch[kRevisionSize] = {};
  int rc = vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_DEFAULT_BRANCH, branch, sizeof branch);
  if (rc == 0 && branch[0]) {
    std::vector<char> resolved(static_cast<std::size_t>(size > 0 ? size : 1));
    rc = vcGetRevInfo(archive, VC_REVISION_ITEM_NUMBER, branch, resolved.data(), size);
    if (rc == 0) copyToBuffer(resolved.data(), buffer, size);
    return rc;
  }
  return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_HEAD, buffer, size);
}

bool isStrictLocking(int archive) {
  char flag = 0;
  return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_STRICT_LOCKING, &flag, 1) == 0 && flag != 0;
}

int checkOutToFile(ui::Ui& ui, int archive, const char* revision, const char* target) {
  if (!revision || !*revision) return 0;
  BusyCursor busy(ui);
  return vcCoRevision(archive, revision, target);
}

int checkInNewRevision(int archive, char* base, char* newRevision, int size, int lock) {
  std::vector<char> made(static_cast<std::size_t>(size > 0 ? size : 1));
  const std::string from = base ? base : "";
  if (int rc = vcCiRevision(archive, from.c_str(), "", 0, made.data(), size)) return rc;
  copyToBuffer(made.data(), newRevision, size);
  if (lock) {
    if (int rc = vcSetRevInfo(archive, VC_REVISION_ITEM_LOCK, made.data(), nullptr)) return rc;
  }
  copyToBuffer(made.data(), base, size);
  return 0;
}

bool setFileTimeFromRevision(int archive, const std::string& path, const char* revision) {
  char date[32] = {};
  if (!revision || vcGetRevInfo(archive, VC_REVISION_ITEM_DATE, revision, date, sizeof date) != 0) return false;
  const auto when = parseRevisionDate(date);
  if (!when) return false;
  struct timespec times[2] = {};
  times[0].tv_sec = times[1].tv_sec = *when;
  return sys::calls().utimens(path.c_str(), times) == 0;
}

}  // namespace orv::workbench::archive
