// The check-out flows around the Check Out dialog: the dialog followed by
// the check-out itself (with the project's member brought up to date when
// the archive belongs to one), the archive window's Check Out command, the
// project window's member check-out dialogs, and the command server's
// "CheckOut" over one or several names. A run over several names shares one
// record: "All Files" checks the remaining files out with the same settings
// and no dialog, "Cancel All" ends the run, Cancel skips one file, and the
// answer to the writable-file question (Yes to All, No to All) holds for
// the rest of the run; Cancel there ends it.
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

// Shows the dialog over record and takes the label list's choice; the
// dialog's answer.
int showCheckOutDialog(archive::OpenArchive& archive, project::OpenProject* project, archive::TCoTransferStruct& record,
                       bool projectWindowParent);

// The dialog and, on OK, the check-out; with a project whose member the
// working file is, the member's revisions are recorded and the project
// saved. The core's result, or kCheckOutCancelled when the dialog was not
// confirmed.
int runCheckOutDialog(archive::OpenArchive& archive, project::OpenProject* project, archive::TCoTransferStruct& record);

// The archive window's Check Out command over the selected revision (empty:
// none or several selected). Fits DialogFlows::checkOutArchive.
int archiveCheckOut(commands::ArchiveWindow& window, const std::string& revision);

// The command server's "CheckOut": each name a working file or an archive.
void ddeCheckOut(ui::Ui& ui, const std::vector<std::string>& names);

// Gives the project window's member check-out its defaults and its dialog.
void setMemberCheckOutDialogs(project::MemberDialogs& dialogs);

// Registers the archive window's Check Out command, the project window's
// member check-out dialogs and the command server's "CheckOut".
void registerCheckOutFlows(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
