#include "workbench/views/revision_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/revision_date.h"

namespace orv::workbench::views {

const std::array<std::string_view, kRevisionColumnCount> kRevisionColumnTitles = {
    "Revision", "Author", "Date", "Locked", "State", "Labels"};

namespace {

// Library texts of a row are read into a buffer of this size.
constexpr int kTextSize = 200;
constexpr int kRevisionSize = 64;

bool fileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// Reads item of revision into text; the call's result becomes the
// archive's last status. A text too long for the buffer is kept cut.
bool readRevisionText(archive::OpenArchive& archive, int item, const char* revision, std::string& text) {
  char buffer[kTextSize];
  buffer[0] = '\0';
  const int rc = vcGetRevInfo(archive.handle(), item, revision, buffer, sizeof buffer);
  archive.setStatus(rc);
  if (rc != 0 && rc != VC_E_BUFFER_TOO_SMALL) return false;
  text.assign(buffer, strnlen(buffer, sizeof buffer));
  return true;
}

// One more label name for a revision's text: kept while it leaves room in
// the row's buffer, else the text is marked as cut.
void appendLabel(std::string& names, std::string_view name) {
  if (names.ends_with("...")) return;
  if (names.size() + name.size() + 1 + 4 > static_cast<std::size_t>(kTextSize)) {
    names += "...";
    return;
  }
  names.append(name).push_back(' ');
}

// Dates by the moment they name, so that a two-digit year of the last
// century sorts before this one's; a text that names no moment by its
// text, after those that do.
int compareRevisionDates(std::string_view a, std::string_view b) {
  const auto ta = archive::parseRevisionDate(a), tb = archive::parseRevisionDate(b);
  if (ta && tb) return *ta == *tb ? 0 : (*ta < *tb ? -1 : 1);
  if (ta || tb) return ta ? 1 : -1;
  return compareNoCase(a, b);
}

int compareOptional(std::string_view a, std::string_view b, bool aPresent, bool bPresent) {
  if (!aPresent || !bPresent) return aPresent == bPresent ? 0 : (aPresent ? -1 : 1);
  return compareNoCase(a, b);
}

}  // namespace

RevisionLabels readRevisionLabels(int archive) {
  RevisionLabels labels;
  char entry[1024];
  // The walk over the labels always runs to its end, so the next walk
  // starts at the first label again.
  for (int guard = 0; guard < 1000000; ++guard) {
    if (vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_NEXT_LABEL, entry, sizeof entry) != 0) break;
    const std::string_view text(entry);
    const std::size_t blank = text.rfind(' ');
    if (blank == std::string_view::npos) continue;
    appendLabel(labels[std::string(text.substr(blank + 1))], text.substr(0, blank));
  }
  for (auto& [revision, names] : labels)
    if (names.ends_with(' ')) names.pop_back();
  return labels;
}

commands::RevisionRow RevisionRecord::row() const {
  return {isWorkFile() ? std::string() : revision, isWorkFile() ? commands::kWorkFileRowFlag : 0u};
}

std::string_view cellView(const RevisionRecord& r, int column) {
  if (r.isWorkFile()) return column == kColRevision ? std::string_view(r.workFileName) : std::string_view();
  switch (column) {
    case kColRevision: return r.revision;
    case kColAuthor: return r.author;
    case kColDate: return r.date;
    case kColLocked: return r.locker ? std::string_view(*r.locker) : std::string_view();
    case kColState: return r.state;
    case kColLabels: return r.labels;
    default: return {};
  }
}

std::string cellText(const RevisionRecord& r, int column) { return std::string(cellView(r, column)); }

std::optional<RevisionRecord> buildRevisionRow(archive::OpenArchive& archive, const char* revision) {
  return buildRevisionRow(archive, revision, nullptr);
}

std::optional<RevisionRecord> buildRevisionRow(archive::OpenArchive& archive, const char* revision,
                                               const RevisionLabels* labels) {
  RevisionRecord r;
  if (!fillRevisionRow(archive, revision, labels, r)) return std::nullopt;
  return r;
}

bool fillRevisionRow(archive::OpenArchive& archive, const char* revision, const RevisionLabels* labels,
                     RevisionRecord& r) {
  if (!revision) {
    r.kind = RowKind::workFile;
    r.workFileName = archive.workFileName();
    return true;
  }
  r.revision = revision;
  const bool complete = readRevisionText(archive, 27, revision, r.author) &&
                        readRevisionText(archive, 30, revision, r.date) &&
                        readRevisionText(archive, 34, revision, r.state);
  if (!complete) {
    archive.showError(app::kStyleError);
    return false;
  }
  char locker[kTextSize] = {};
  if (vcGetIdArchiveInfo(archive.handle(), VC_ARCHIVE_ITEM_LOCKER, revision, locker, sizeof locker) == 0 && locker[0]) {
    r.locker = locker;
    ++archive.lockedCount;
  }
  if (labels) {
    if (auto found = labels->find(r.revision); found != labels->end()) r.labels = found->second;
  } else {
    const RevisionLabels own = readRevisionLabels(archive.handle());
    if (auto found = own.find(r.revision); found != own.end()) r.labels = found->second;
  }
  ++archive.revisionCount;
  return true;
}

RevisionFill readRevisionRows(archive::OpenArchive& archive) {
  archive::BusyCursor busy(archive.ui());
  RevisionFill fill;
  archive.revisionCount = 0;
  archive.lockedCount = 0;
  if (fileExists(archive.workFileName())) fill.rows.push_back(*buildRevisionRow(archive, nullptr));
  const RevisionLabels labels = readRevisionLabels(archive.handle());
  char revision[kRevisionSize] = {};
  int status = vcGetArchiveInfo(archive.handle(), VC_ARCHIVE_ITEM_FIRST_REVISION, revision, sizeof revision);
  // Each revision once: a walk that came back to a revision already listed
  // would never end.
  std::size_t steps = 0;
  while (status == 0 && steps++ < 1000000) {
    if (auto row = buildRevisionRow(archive, revision, &labels)) fill.rows.push_back(std::move(*row));
    status = vcGetRevInfo(archive.handle(), VC_REVISION_ITEM_NEXT, revision, revision, sizeof revision);
  }
  archive.setStatus(status);
  if (status != VC_E_REVISION_MISSING) {
    archive.showError(app::kStyleError);
    fill.complete = false;
  } else {
    archive.setStatus(0);
  }
  return fill;
}

int compareRevisionRecords(const RevisionRecord& a, const RevisionRecord& b, unsigned sortKey) {
  if (a.isWorkFile() || b.isWorkFile()) return a.isWorkFile() == b.isWorkFile() ? 0 : (a.isWorkFile() ? -1 : 1);
  int c = 0;
  switch (sortColumn(sortKey)) {
    case kColRevision: c = compareRevisionNumbers(b.revision, a.revision); break;
    case kColAuthor: c = compareNoCase(a.author, b.author); break;
    case kColDate: c = compareRevisionDates(b.date, a.date); break;
    case kColLocked:
      c = compareOptional(a.locker.value_or(""), b.locker.value_or(""), a.locker.has_value(), b.locker.has_value());
      break;
    case kColState: c = compareNoCase(a.state, b.state); break;
    case kColLabels: c = compareOptional(a.labels, b.labels, !a.labels.empty(), !b.labels.empty()); break;
    default: return 0;
  }
  return sortDescending(sortKey) ? -c : c;
}

void sortRevisionRecords(std::vector<RevisionRecord>& rows, unsigned sortKey) {
  std::stable_sort(rows.begin(), rows.end(), [sortKey](const RevisionRecord& a, const RevisionRecord& b) {
    return compareRevisionRecords(a, b, sortKey) < 0;
  });
}

std::string logPanelText(int archive, std::string_view revision) {
  if (revision.empty()) return std::string(app::loadString(app::kStrDetailWorkFile));
  char buffer[kLogPanelLimit + 1] = {};
  const std::string rev(revision);
  const int rc = vcGetRevInfo(archive, VC_REVISION_ITEM_LOG, rev.c_str(), buffer, sizeof buffer);
  if (rc != 0 && rc != VC_E_BUFFER_TOO_SMALL) return {};
  return buffer;
}

}  // namespace orv::workbench::views
