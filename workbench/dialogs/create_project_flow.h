// The Create Project flow: the dialog, then the new project file with its
// members (and their archives), the project file's own archive when asked,
// the sandbox when asked (its variables resolved and its working files
// copied), and a window on the result. The File menu, its tool-bar button
// and the command server's "CreateProject" (whose words are file names)
// run it.
//
// Shared with Create Sandbox: filling a new sandbox with its members'
// working files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/dialogs/create_project_dialog.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_members_add.h"

namespace orv::workbench::dialogs {

// What the flow hands on: the member adds' dialogs and steps, and how a
// window opens on a project or sandbox file (remembered in the recent-file
// list).
struct ProjectFlowServices {
  project::MemberAddServices add;
  std::function<void(const std::string& file)> openWindow;
};

// Carries out request: 1 when the project was made and saved, else 0 (the
// failure was shown).
int createProjectFromRequest(ui::Ui& ui, const CreateProjectRequest& request, const ProjectFlowServices& services);

// The command: permission, dialog (starting in the directory of the first
// file given, else the current one), creation. The process's current
// directory is the same afterwards. 1 when the dialog ended with OK.
int createProjectCommand(ui::Ui& ui, const std::vector<std::string>& files, const ProjectFlowServices& services);

// Checks the project file of project into a new archive with "Initial
// revision", keyword expansion on for that check-in only, and records the
// new revision in the project: true when checked in.
bool checkInProjectFile(project::OpenProject& project);

// Copies the working files of every member of the new sandbox (open as
// sandbox) under a "Creating Sandbox..." progress window.
void populateSandbox(project::OpenProject& sandbox, bool variant);

// The member-add services of the frame's dialogs (Create Archive dialog,
// check-in defaults).
project::MemberAddServices frameMemberAddServices();

// Registers File > Create Project and the command server's "CreateProject".
void registerCreateProject(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
