// The rows of an archive window's revision list and the text of its log
// panel, read through the revision library: a first row for the working
// file when it exists, then one row per revision (number, author, date,
// locker, state and labels), sorted by the list's sort key; and the log
// message of the selected revision.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "workbench/archive/open_archive.h"
#include "workbench/commands/window_selection.h"
#include "workbench/views/list_columns.h"

namespace orv::workbench::views {

enum class RowKind : unsigned char { revision = 1, workFile = 2 };

struct RevisionRecord {
  RowKind kind = RowKind::revision;
  std::string workFileName;  // the working-file row only
  std::string revision;
  std::string author;
  std::string date;
  std::optional<std::string> locker;  // none when not locked
  std::string state;
  std::string labels;  // the names of the labels on the revision, blank-separated

  bool isWorkFile() const { return kind == RowKind::workFile; }
  // The row as the commands see it (revision number and working-file flag).
  commands::RevisionRow row() const;
};

// The columns of the list, by logical number.
enum RevisionColumn : int { kColRevision, kColAuthor, kColDate, kColLocked, kColState, kColLabels };
constexpr int kRevisionColumnCount = 6;
extern const std::array<std::string_view, kRevisionColumnCount> kRevisionColumnTitles;
constexpr ColumnDefaults kRevisionColumnDefaults{"0,1,2,3,4,5", "60,60,128,60,50,200", 0};

// The text of a revision row's cell of logical column (the Locked column
// shows the locker); the view lives as long as the record is unchanged.
std::string cellText(const RevisionRecord& record, int column);
std::string_view cellView(const RevisionRecord& record, int column);

// The row of revision, or the working-file row without one. A revision
// whose author, date or state cannot be read is reported (exclamation) and
// gives nothing. The archive's revision and locked counts grow with each
// row made.
std::optional<RevisionRecord> buildRevisionRow(archive::OpenArchive& archive, const char* revision);

// The labels of every revision of an archive, read in one walk over its
// labels: revision -> names, blank-separated, in the archive's order, within
// a row's 200 characters (a text that had to leave names out ends in
// "...").
// Hashed by a hash of its own: the standard one's maps of up to twenty
// entries are searched by comparing every key, and each row looks up its
// revision.
struct RevisionHash {
  std::size_t operator()(const std::string& s) const noexcept { return std::hash<std::string_view>{}(s); }
};
using RevisionLabels = std::unordered_map<std::string, std::string, RevisionHash>;
RevisionLabels readRevisionLabels(int archive);
// buildRevisionRow with the labels taken from labels (none: read for the
// row alone).
std::optional<RevisionRecord> buildRevisionRow(archive::OpenArchive& archive, const char* revision,
                                               const RevisionLabels* labels);
// The same, made in r (a fresh record): false where buildRevisionRow gives
// nothing.
bool fillRevisionRow(archive::OpenArchive& archive, const char* revision, const RevisionLabels* labels,
                     RevisionRecord& r);

struct RevisionFill {
  std::vector<RevisionRecord> rows;  // in the order read, working file first
  bool complete = true;              // false: the walk failed (reported)
};
// Every row of the archive. The counts start from 0; the last status holds
// the walk's outcome.
RevisionFill readRevisionRows(archive::OpenArchive& archive);

// Sort order of the list: the working-file row first whatever the
// direction; a column of 8 or more compares equal. Negative, 0, positive.
int compareRevisionRecords(const RevisionRecord& a, const RevisionRecord& b, unsigned sortKey);
void sortRevisionRecords(std::vector<RevisionRecord>& rows, unsigned sortKey);

// Text the log panel shows for revision: "Working file" without one; the
// log message (cut to the panel's 1535 characters when longer); empty when
// it cannot be read.
std::string logPanelText(int archive, std::string_view revision);
constexpr std::size_t kLogPanelLimit = 1535;

}  // namespace orv::workbench::views
