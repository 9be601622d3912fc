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

#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_member_ops.h"

namespace orv::workbench::dialogs {

// Runs the dialog over record and, on OK, checks the working file in; with a
// project the member's revisions are recorded and the project saved. 1 when
// the dialog was confirmed (whatever the check-in's outcome), 2 when not.
int runCheckInDialog(archive::OpenArchive& archive, project::OpenProject* project, archive::TCiTransferStruct& record);

// One archive, already open: defaults, dialog and check-in, without All
// Files. True when the dialog was confirmed.
bool checkInOpenArchive(archive::OpenArchive& archive, project::OpenProject* project);

// The archive window's Check In command, under the archive's write lock;
// the window's revisions are read again after a confirmed dialog. Fits
// DialogFlows::checkInArchive.
void archiveCheckIn(commands::ArchiveWindow& window);

// The command server's "CheckIn": each name a working file or an archive.
void ddeCheckIn(ui::Ui& ui, const std::vector<std::string>& names);

// Gives the project window's member check-in its defaults and its dialog.
void setMemberCheckInDialogs(project::MemberDialogs& dialogs);

// Registers the archive window's Check In command, the project window's
// member check-in dialogs and the command server's "CheckIn".
void registerCheckInFlows(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
