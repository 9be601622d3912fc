// Deleting revisions from an archive, with their labels, after asking; and
// the label and temporary check-out helpers of the archive window. Nothing
// is committed unless every confirmed revision and its labels went.
#include <cstring>

#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/open_archive.h"

namespace orv::workbench::archive {

namespace {

constexpr int kLabelEntrySize = 162;

// Every label entry of the archive as (label, revision), read to the end of
// the list so that the next walk starts at its beginning.
std::vector<std::pair<std::string, std::string>> labelEntries(int archive) {
  std::vector<std::pair<std::string, std::string>> out;
  char entry[kLabelEntrySize];
  while (true) {
    std::memset(entry, 0, sizeof entry);
    if (vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_NEXT_LABEL, entry, sizeof entry) != 0) break;
    std::string text = entry;
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) continue;
    out.emplace_back(text.substr(0, blank), text.substr(blank + 1));
    if (out.size() > 100000) break;  // a list that never ends
  }
  return out;
}

}  // namespace

bool OpenArchive::revisionHasLabels(const std::string& revision) {
  for (const auto& [label, rev] : labelEntries(handle_))
    if (rev == revision) return true;
  return false;
}

bool OpenArchive::dropRevisionLabels(const std::string& revision) {
  for (const auto& [label, rev] : labelEntries(handle_)) {
    if (rev != revision) continue;
    const int rc = vcSetArchiveInfo(handle_, VC_ARCHIVE_ITEM_DROP_LABEL, label.c_str(), nullptr);
    showArchiveError(ui_, rc, archiveName_, kStyleError);
    if (rc >= VC_E_NO_MESSAGE) return false;
  }
  return true;
}

int OpenArchive::deleteRevisions(const std::vector<std::string>& revisions) {
  if (revisions.empty()) return 1;
  for (const std::string& rev : revisions) {
    status_ = vcGetRevInfo(handle_, VC_REVISION_ITEM_EXISTS, rev.c_str(), nullptr, 0);
    if (status_ != 0) {
      showError(kStyleError);
      return -1;
    }
  }
  if (!writeLock()) return -1;
  ui_.beep();
  const bool single = revisions.size() == 1;
  bool asking = true;
  int result = 1;
  for (const std::string& rev : revisions) {
    if (asking) {
      const int text = revisionHasLabels(rev) ? kStrDeleteLabelledRevision : kStrDeleteRevision;
      const std::string question = formatString(text, rev.c_str());
      const int answer = single ? rcsMessage(ui_, kStyleQuestionNoDefault, question)
                                : customMessageBox(ui_, 0x42, question);
      if (single && answer != ui::kAnswerYes) {
        result = 2;
        break;
      }
      if (answer == ui::kAnswerNo) continue;
      if (answer == kAnswerNoToAll || answer == ui::kAnswerCancel) {
        result = 2;
        break;
      }
      if (answer == kAnswerYesToAll) asking = false;
    }
    status_ = vcDeleteRevision(handle_, rev.c_str());
    if (status_ != 0) {
      showError(kStyleError);
      result = -1;
      break;
    }
    if (!dropRevisionLabels(rev)) {
      result = -1;  // a revision must not go while labels still name it
      break;
    }
  }
  if (result != 1) {
    discardChanges();
    return result;
  }
  BusyCursor busy(ui_);
  status_ = vcCommitArchive(handle_, VC_COMMIT_KEEP_OPEN);
  if (status_ != 0) {
    showError(kStyleError);
    discardChanges();
    return -1;
  }
  dropWriteLock();
  return 1;
}

bool OpenArchive::checkOutToTemporary(const char* revision, const char* target) {
  if (!reopenReadOnly()) return false;
  const int rc = checkOutToFile(ui_, handle_, revision, target);
  if (rc != 0) {
    showArchiveError(ui_, rc, givenName_, kStyleError);
    return false;
  }
  return dropWriteLock();
}

}  // namespace orv::workbench::archive
