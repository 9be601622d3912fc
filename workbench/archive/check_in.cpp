// Checking a working file in: the new revision's number, the pre-event,
// the check-in with the "unchanged file" question, the lock, labels,
// state, author, log and date of the new revision, the event and commit,
// and the working file afterwards. A step the user cancels leaves nothing
// behind: the commit is skipped and the archive reopened.
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/archive/revision_date.h"

namespace orv::workbench::archive {

namespace {

constexpr int kLogBufferSize = 1536;

std::vector<std::string> splitLabels(const std::string& field) {
  std::vector<std::string> labels;
  std::size_t start = 0;
  while (start <= field.size()) {
    std::size_t end = field.find(';', start);
    if (end == std::string::npos) end = field.size();
    if (end > start) labels.push_back(field.substr(start, end - start));
    start = end + 1;
  }
  return labels;
}

// The log with CR LF line ends made LF, cut to the log buffer.
std::string logText(const std::string& description) {
  std::string out;
  for (std::size_t i = 0; i < description.size(); ++i) {
    if (description[i] == '\r' && i + 1 < description.size() && description[i + 1] == '\n') continue;
    out += description[i];
  }
  if (out.size() > kLogBufferSize - 1) out.resize(kLogBufferSize - 1);
  return out;
}

unsigned optionFlags(const char* name) {
  unsigned flags = 0;
  if (vcGetConfigFlags(name, &flags) != 0) return VC_OPTION_NOT_FOUND;
  return flags;
}

// The steps after a successful check-in, each reported; false when the user
// cancelled one (the commit is then skipped).
class PostSteps {
 public:
  PostSteps(OpenArchive& archive, TCiTransferStruct& record, const char* revision, int& answer)
      : archive_(archive), record_(record), revision_(revision), answer_(answer),
        style_(errorStyleFor(record.allFiles)) {}

  bool run(const std::string& workFile) {
    const int handle = archive_.handle();
    if (record_.locked && !report(vcSetRevInfo(handle, VC_REVISION_ITEM_LOCK, revision_, nullptr))) return false;
    if (record_.label[0] && !labels()) return false;
    if (record_.state[0] && !report(vcSetRevInfo(handle, VC_REVISION_ITEM_SET_STATE, revision_, record_.state))) return false;
    if (record_.author[0] && !report(vcSetRevInfo(handle, VC_REVISION_ITEM_SET_AUTHOR, revision_, record_.author))) return false;
    if (record_.description[0]) {
      const std::string log = logText(fieldText(record_.description));
      if (!report(vcSetRevInfo(handle, VC_REVISION_ITEM_SET_LOG, revision_, log.c_str()))) return false;
    }
    struct stat st {};
    if ((optionFlags("savetimestamp") & (VC_OPTION_NO | VC_OPTION_NOT_FOUND)) == 0 &&
        sys::calls().stat(workFile.c_str(), &st) == 0) {
      const std::string date = formatRevisionDate(st.st_mtime);
      if (!report(vcSetRevInfo(handle, VC_REVISION_ITEM_SET_DATE, revision_, date.c_str()))) return false;
    }
    return true;
  }

 private:
  // Shows a failure; false when the user chose Cancel.
  bool report(int rc) {
    if (rc == 0) return true;
    answer_ = showArchiveError(archive_.ui(), rc, archive_.givenName(), style_);
    return answer_ != ui::kAnswerCancel;
  }

  bool labels() {
    const int handle = archive_.handle();
    const bool mayDelete = hasPermission("DeleteLabel");
    for (const std::string& label : splitLabels(fieldText(record_.label))) {
      if (!record_.replaceLabel) {
        char holder[kRevisionBufferSize] = {};
        if (vcGetIdArchiveInfo(handle, VC_ARCHIVE_ITEM_LABEL_REVISION, label.c_str(), holder, sizeof holder) == 0 &&
            std::strcmp(holder, revision_) != 0) {
          if (mayDelete) {
            const int a = rcsMessage(archive_.ui(), kStyleQuestion,
                                     formatString(kStrMoveLabel, label.c_str(), holder, revision_));
            if (a != ui::kAnswerYes) continue;
          } else {
            answer_ = rcsMessage(archive_.ui(), style_,
                                 formatString(kStrNoDeleteLabelPermission, label.c_str(), holder,
                                              revision_, archive_.archiveName().c_str()));
            if (answer_ == ui::kAnswerCancel) return false;
            continue;
          }
        }
      }
      const int dropped = vcSetArchiveInfo(handle, VC_ARCHIVE_ITEM_DROP_LABEL, label.c_str(), nullptr);
      if (dropped >= VC_E_NO_MESSAGE) {
        if (!report(dropped)) return false;
        break;
      }
      const int added = vcSetArchiveInfo(handle, VC_ARCHIVE_ITEM_ADD_LABEL, label.c_str(), revision_);
      if (!report(added)) return false;
      if (added >= VC_E_NO_MESSAGE) break;
    }
    return true;
  }

  OpenArchive& archive_;
  TCiTransferStruct& record_;
  const char* revision_;
  int& answer_;
  unsigned style_;
};

}  // namespace

int checkInRevision(OpenArchive& archive, int project, TCiTransferStruct& record,
                    char* newRevision, int newRevisionSize, int& answer, int projectFile) {
  ui::Ui& ui = archive.ui();
  const unsigned style = errorStyleFor(record.allFiles);
  auto busy = std::make_unique<BusyCursor>(ui);
  const int handle = archive.handle();

  std::string workFile = archive.workFileName();
  char variant = 0;
  if (projectFile && project) {
    vcGetProject(project, VC_PROJECT_ITEM_VARIANT, &variant, 1);
    if (!variant) {
      char name[512] = {};
      if (vcGetProject(project, VC_PROJECT_ITEM_FILE, name, sizeof name) == 0) workFile = name;
    }
  }

  char rev[kRevisionBufferSize] = {};
  char base[kRevisionBufferSize] = {};
  int result = 0;
  bool declined = false;
  // The author field, else the login name.
  auto author = [&record] {
    std::string user = fieldText(record.author);
    if (user.empty()) {
      char name[kRevisionBufferSize] = {};
      if (vcGetSysInfo(VC_SYSINFO_USER, name, sizeof name) == 0) user = name;
    }
    return user;
  };
  [&] {
    if (record.number[0]) {
      result = vcExpandRevision(handle, record.number, rev, sizeof rev);
      if (result == 0) result = vcGetRevInfo(handle, VC_REVISION_ITEM_NUMBER, rev, base, sizeof base);
      if (result == VC_E_REVISION_MISSING && rev[0]) {
        // A number no revision has yet (a new release or branch): the
        // library places it when it checks in; the base named meanwhile is
        // the revision a check-in starts from by default.
        getArchiveTitle(handle, author().c_str(), base, sizeof base);
        result = 0;
      }
      if (result != 0) return;
    } else {
      const std::string user = author();
      if (project && !projectFile) {
        getMemberArchiveTitle(handle, project, user.c_str(), workFile.c_str(), base, sizeof base);
        result = vcCiRevision(handle, base, nullptr, 0, rev, sizeof rev);
        if (result != 0) return;
      } else {
        getArchiveTitle(handle, user.c_str(), base, sizeof base);
      }
    }
    const std::string chosen = rev;

    setWorkFileVariable(archive.workFileName());
    const char* named = rev[0] ? rev : base;
    const int event = vcArchiveEvent(handle, "precheckin", named);
    if (!preEventGoesOn(event)) {
      answer = showPreEventRefusal(archive, event, kStrPreCheckinFailed, kStrCannotCheckIn, named, style);
      result = event;
      return;
    }

    result = vcCiRevision(handle, chosen.c_str(), workFile.c_str(), record.checkInSame ? 0 : 1, rev,
                          sizeof rev);
    if (result == VC_E_NO_DIFFERENCES && !record.checkInSame) {
      busy.reset();
      const int a = rcsMessage(ui, kStyleQuestion,
                               formatString(kStrSameAsRevision, workFile.c_str(), base));
      if (a != ui::kAnswerYes) {
        declined = true;
        result = kReported;
        return;
      }
      busy = std::make_unique<BusyCursor>(ui);
      setField(rev, chosen);
      result = vcCiRevision(handle, chosen.c_str(), workFile.c_str(), 0, rev, sizeof rev);
    }
    if (result != 0) return;

    PostSteps steps(archive, record, rev, answer);
    if (!steps.run(workFile)) {
      result = kReported;
      return;
    }
    vcArchiveEvent(handle, "checkin", rev);
    result = vcCommitArchive(handle, VC_COMMIT_KEEP_OPEN);
    if (result != 0) return;

    if (projectFile && project) {
      if (!variant) vcSetProject(project, VC_PROJECT_ITEM_SET_REVISION, rev);
      vcDropProjectWriteLock(project);
    }
    if (sys::calls().unlink(workFile.c_str()) != 0) {
      const int e = errno;
      answer = rcsMessage(ui, style, formatString(kStrCannotRemove, workFile.c_str(), std::strerror(e)));
    } else if (record.keepWorkFile == 1) {
      vcSetArchiveInfo(handle, VC_ARCHIVE_ITEM_SET_MODIFIED, "0", nullptr);
      if (vcCoRevision(handle, rev, workFile.c_str()) == 0) {
        if ((optionFlags("restoretimestamp") & VC_OPTION_NO) == 0)
          setFileTimeFromRevision(handle, workFile, rev);
        if (!record.locked && isStrictLocking(handle)) sys::calls().chmod(workFile.c_str(), 0444);
      }
    }
  }();

  if (declined) {
    // The unchanged file the user declined: only the write lock goes.
    archive.dropWriteLock();
    archive.setStatus(kReported);
    return kReported;
  }
  archive.setStatus(result);
  if (result == 0) copyToBuffer(rev, newRevision, newRevisionSize);
  if (result != 0 && result != VC_E_DONE && result < 233 && result != kReported)
    answer = archive.showError(style);
  if (answer != ui::kAnswerOk || result != 0) archive.reopen();
  if (archive.handle()) vcKeepClosed(archive.handle());
  return result;
}

}  // namespace orv::workbench::archive
