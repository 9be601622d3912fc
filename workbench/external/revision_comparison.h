// Comparing revisions in the visual merge program: two rows of an archive
// window (Compare Revisions), or a project member's revision against its
// working file (Differences). Each revision is checked out into a temporary
// file first; vardel32 gets those copies with their revisions as titles and
// deletes them when it is done. A failure on the way deletes the copies
// already made.
#pragma once

#include <string>
#include <vector>

#include "workbench/app/temp_names.h"
#include "workbench/archive/open_archive.h"
#include "workbench/commands/window_selection.h"
#include "workbench/external/program_starts.h"
#include "workbench/layers.h"
#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_member_ops.h"

namespace orv::workbench::external {

inline constexpr const char* kSelectTwoRevisionsText = "You must select exactly two revisions.";

// Compare Revisions of an archive window: rows are the selected rows in list
// order (exactly two, else a message). The later row becomes file 1. The
// start result of vardel32, or 0 when nothing was started.
int compareRevisionsCommand(ProgramStarts& starts, OpenArchive& archive, TempFiles& temps,
                            const std::vector<commands::RevisionRow>& rows);

// Differences of a project window: the one selected row (rows[0] of
// count) must be a member of type 'a'; its revision is compared with its
// working file. The start result, or 0 when nothing was started.
int memberDifferencesCommand(ProgramStarts& starts, OpenProject& project, MemberView& view,
                             TempFiles& temps, const int* rows, int count);

}  // namespace orv::workbench::external
