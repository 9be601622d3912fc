// The rows of a project window's member list, read through the revision
// library: one row per member (type, frozen, changed, locker, revision,
// working-file name, state and labels), the texts of their cells, their
// sort order by the list's sort key, and the reading of all rows or of
// some rows again.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"
#include "workbench/views/list_columns.h"

namespace orv::workbench::views {

// The columns of the list, by logical number.
enum MemberColumn : int {
  kMemberColType,
  kMemberColFrozen,
  kMemberColChanged,
  kMemberColLocked,
  kMemberColRevision,
  kMemberColName,
  kMemberColState,
  kMemberColLabels
};
constexpr int kMemberColumnCount = 8;
extern const std::array<std::string_view, kMemberColumnCount> kMemberColumnTitles;
constexpr ColumnDefaults kMemberColumnDefaults{"0,1,2,3,4,5,6,7", "26,26,26,70,60,250,50,150", kMemberColName};

// "Archived", "Non-Archived", "Subproject"; another type shows its letter.
std::string memberTypeText(char type);
// Whether the row shows the lock glyph and its locker.
inline bool memberLocked(const project::MemberRow& row) { return (row.changeFlags & project::kLocked) != 0; }
// The text of a row's cell of logical column (Frozen and Changed have none;
// Locked shows the locker of a locked row).
std::string memberCellText(const project::MemberRow& row, int column);

// Reads the library's current member of project into row: its working-file
// name, type and revision, then its status (state, labels, locker, change
// flags, frozen). A revision the status blanks is emptied.
void readMemberRow(project::OpenProject& project, project::MemberRow& row);

struct MemberFill {
  std::vector<project::MemberRow> rows;  // in member order
  bool complete = true;                // false: the scan was cancelled
};
// Every member row of project, under a progress window "Scanning for
// changes..." (none for a project without members). The project's member
// and locked counts are those of the rows read.
MemberFill readMemberRows(ui::Ui& ui, project::OpenProject& project);

// Reads the given rows again (entries of -1 are skipped; more than four
// rows show the progress window, whose Cancel ends the scan) and keeps the
// project's locked count.
void rereadMemberRows(ui::Ui& ui, project::OpenProject& project, std::vector<project::MemberRow>& rows,
                      const std::vector<int>& which);

// Sort order of the list; a column of 8 or more compares equal. Negative,
// 0, positive.
int compareMemberRows(const project::MemberRow& a, const project::MemberRow& b, unsigned sortKey);
void sortMemberRows(std::vector<project::MemberRow>& rows, unsigned sortKey);

// "Warning: The project list may not be complete.\nPress F5 to rescan the list."
extern const std::string_view kIncompleteMemberList;

}  // namespace orv::workbench::views
