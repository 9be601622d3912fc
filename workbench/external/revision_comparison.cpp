// Compare Revisions and Differences (see revision_comparison.h).
#include "workbench/external/revision_comparison.h"

#include <optional>

#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"

namespace orv::workbench::external {

namespace {

constexpr int kRevisionSize = 64;
constexpr int kTextSize = 1024;

// One side of a comparison: the file and, for a temporary copy of a
// revision, the revision as its title.
struct Side {
  std::string file;
  std::optional<std::string> title;
};

// Checks revision out into a new temporary file named after the archive's
// working file; nothing (and the status -14) on failure.
std::optional<Side> revisionCopy(OpenArchive& archive, TempFiles& temps, const std::string& revision) {
  std::optional<std::string> temp = temps.make(archive.workFileName());
  if (!temp) {
    rcsMessage(archive.ui(), kStyleError, std::string(loadString(kStrNoTempFile)));
    archive.setStatus(kReported);
    return std::nullopt;
  }
  if (!archive.checkOutToTemporary(revision.c_str(), temp->c_str())) {
    sys::calls().unlink(temp->c_str());
    archive.setStatus(kReported);
    return std::nullopt;
  }
  return Side{*temp, revision};
}

void removeCopies(const std::vector<Side>& sides) {
  for (const Side& s : sides)
    if (s.title) sys::calls().unlink(s.file.c_str());
}

// Starts vardel32 on file 1 and file 2; the copies go again when it could
// not be started, since nobody else would remove them before the program ends.
int startComparison(ProgramStarts& starts, const Side& first, const Side& second) {
  const char* titles[2] = {first.title ? first.title->c_str() : nullptr,
                           second.title ? second.title->c_str() : nullptr};
  const std::string files[2] = {first.file, second.file};
  const int result = startVisualMerge(starts, titles, files);
  if (result < 32) removeCopies({first, second});
  return result;
}

}  // namespace

int compareRevisionsCommand(ProgramStarts& starts, OpenArchive& archive, TempFiles& temps,
                            const std::vector<commands::RevisionRow>& rows) {
  if (rows.size() != 2) {
    showText(starts.ui, ui::MessageIcon::warning, kSelectTwoRevisionsText);
    return 0;
  }
  std::vector<Side> sides;
  {
    BusyCursor busy(starts.ui);
    for (const commands::RevisionRow& row : rows) {
      if (row.isWorkFile()) {
        sides.push_back({archive.workFileName(), std::nullopt});
        continue;
      }
      std::optional<Side> copy = revisionCopy(archive, temps, row.revision.substr(0, kRevisionSize - 1));
      if (!copy) break;
      sides.push_back(std::move(*copy));
    }
  }
  if (archive.status() != 0 || sides.size() != 2) {
    archive.showError(kStyleError);
    removeCopies(sides);
    return 0;
  }
  return startComparison(starts, sides[1], sides[0]);
}

int memberDifferencesCommand(ProgramStarts& starts, OpenProject& project, MemberView& view,
                             TempFiles& temps, const int* rows, int count) {
  if (count != 1) {
    showText(starts.ui, ui::MessageIcon::warning, std::string(loadString(kStrSelectOneMember)));
    return 0;
  }
  MemberRow* row = view.findMemberItem(rows[0], true);
  if (!row) return 0;
  if (row->type != 'a') {
    showText(starts.ui, ui::MessageIcon::warning, formatText(std::string(loadString(kStrMemberNotArchived)).c_str(), row->name.c_str()));
    return 0;
  }
  BusyCursor busy(starts.ui);
  char text[kTextSize] = {};
  vcGetMember(project.project, VC_MEMBER_ITEM_NAME, text, sizeof text - 1);
  OpenArchive archive(starts.ui, text, 1, project.project);
  if (archive.status() != 0) {
    archive.showError(kStyleError);
    return 0;
  }
  std::string revision = row->revision.value_or("");
  if (row->changeFlags & kNoPassword) {
    char asked[kRevisionSize] = {};
    if (vcGetMember(project.project, VC_MEMBER_ITEM_REVISION, asked, sizeof asked - 1) == 0) revision = asked;
    int index = rows[0];
    view.refreshMembers(&index, 1);
  }
  char work[kTextSize] = {};
  if (vcMemberWorkName(project.project, nullptr, nullptr, work, sizeof work - 1) == 0)
    archive.setWorkFileName(work);
  std::optional<Side> copy = revisionCopy(archive, temps, revision);
  if (!copy || archive.status() != 0) {
    archive.showError(kStyleError);
    return 0;
  }
  return startComparison(starts, *copy, Side{archive.workFileName(), std::nullopt});
}

}  // namespace orv::workbench::external
