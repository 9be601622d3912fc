// Project > Add Members: under the project's write lock, the file-list
// dialog with its Create Archives choices picks files, and each is added as
// a member (and saved) with its archive made automatically or through the
// Create Archive dialog, sharing one record: "All Files" is offered only
// for two files or more. The window's rows are read again afterwards.
#pragma once

#include <string>
#include <vector>

#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/dialogs/file_list.h"
#include "workbench/project/project_members_add.h"

namespace orv::workbench::dialogs {

// Adds files to window's project as the dialog's answer asks. True when a
// refresh of the rows is due.
bool addChosenMembers(commands::ProjectWindow& window, const FileListAnswer& answer,
                      const project::MemberAddServices& services);

// The command over window.
void addMembersCommand(commands::ProjectWindow& window, const project::MemberAddServices& services);

// Registers Project > Add Members.
void registerAddMembers(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
