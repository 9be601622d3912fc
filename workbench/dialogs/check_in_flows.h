// The check-in flows around the Check In dialog: the dialog followed by the
// check-in itself (with the project's member brought up to date when the
// archive belongs to one), the archive window's Check In command, and the
// command server's "CheckIn" over one or several names. A run over several
// names shares one record: "All Files" checks the remaining files in with
// the same settings and no dialog, "Cancel All" ends the run, Cancel skips
// one file.
#pragma once

#include <string>
#include <vector>

#include "shell/document_windows.h"
#include "shell/open_archive.h"
#include "shell/open_project.h"
#include "shell/project_member_ops.h"
#include "shell/transfer_records.h"
#include "ui/ui.h"

namespace orv::dialogs {

// Runs the dialog over record and, on OK, checks the working file in; with a
// project the member's revisions are recorded and the project saved. 1 when
// the dialog was confirmed (whatever the check-in's outcome), 2 when not.
int runCheckInDialog(shell::OpenArchive& archive, shell::OpenProject* project, shell::TCiTransferStruct& record);

// One archive, already open: defaults, dialog and check-in, without All
// Files. True when the dialog was confirmed.
bool checkInOpenArchive(shell::OpenArchive& archive, shell::OpenProject* project);

// The archive window's Check In command, under the archive's write lock;
// the window's revisions are read again after a confirmed dialog. Fits
// DialogFlows::checkInArchive.
void archiveCheckIn(shell::ArchiveWindow& window);

// The command server's "CheckIn": each name a working file or an archive.
void ddeCheckIn(ui::Ui& ui, const std::vector<std::string>& names);

// Gives the project window's member check-in its defaults and its dialog.
void setMemberCheckInDialogs(shell::MemberDialogs& dialogs);

}  // namespace orv::dialogs
