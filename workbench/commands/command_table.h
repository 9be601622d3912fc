// The workbench's menu and tool-bar commands as data: their ids, menu
// texts, the window each one works on, and what the frame's own enabler
// answers for it when the active window does not decide. The router
// (command_router.h) and the enablers (command_enabling.h) read this one
// table.
#pragma once

#include <span>
#include <string_view>

#include "workbench/commands/child_kind.h"
#include "workbench/layers.h"

namespace orv::workbench::commands {

enum CommandId : int {
  kCommandCreateArchive = 1501,
  kCommandOpenArchive = 1502,
  kCommandCreateProject = 1503,
  kCommandOpenProject = 1504,
  kCommandClose = 1505,
  kCommandCompareFiles = 1506,
  kCommandCompareRevisions = 1507,
  kCommandCheckIn = 1509,
  kCommandCheckOut = 1510,
  kCommandArchiveInfo = 1511,
  kCommandRevisionInfo = 1512,
  kCommandConfiguration = 1513,
  kCommandHelpContents = 1515,
  kCommandTechnicalSupport = 1516,
  kCommandTutorial = 1517,
  kCommandAbout = 1518,
  kCommandImportArchive = 1519,
  kCommandLockRevision = 1520,
  kCommandUnlockRevision = 1521,
  kCommandViewEdit = 1522,
  kCommandPromoteRevision = 1523,
  kCommandDemoteRevision = 1524,
  kCommandEditor = 1525,
  kCommandAddMembers = 1526,
  kCommandRemoveMembers = 1527,
  kCommandMemberInfo = 1528,
  kCommandProjectInfo = 1529,
  kCommandUpdateToHead = 1530,
  kCommandSelectMembers = 1531,
  kCommandOpenMemberArchive = 1532,
  kCommandCheckInMembers = 1533,
  kCommandCheckOutMembers = 1534,
  kCommandLabelMembers = 1535,
  kCommandViewLog = 1537,
  kCommandProjectReport = 1538,
  kCommandRefresh = 1539,
  kCommandDependencies = 1540,
  kCommandBuild = 1541,
  kCommandUserTool1 = 1543,
  kCommandUserTool5 = 1547,
  kCommandCheckpoint = 1548,
  kCommandOpenProjectArchive = 1549,
  kCommandResynchronize = 1551,
  kCommandRemoveUnusedLocks = 1552,
  kCommandProjectNothing = 1553,
  kCommandCreateSandbox = 1554,
  kCommandLockMembers = 1555,
  kCommandUnlockMembers = 1556,
  kCommandEditMember = 1557,
  kCommandMemberDifferences = 1558,
  kCommandPromoteProject = 1559,
  kCommandDemoteProject = 1560,
  kCommandPromoteMembers = 1561,
  kCommandDemoteMembers = 1562,
  kCommandArchiveReport = 1563,
  kCommandRecentFile1 = 1564,
  kCommandRecentFile8 = 1571,
  kCommandDeleteRevision = 1573,
  kCommandFreezeProject = 1574,
  kCommandThawProject = 1575,
  kCommandFreezeMembers = 1576,
  kCommandThawMembers = 1577,
};

// The window a command's handler works on.
enum class Needs {
  nothing,           // runs without a window
  anyChild,          // an archive or project window
  archive,           // an archive window
  project,           // a project or sandbox window
  projectSelection,  // a project window; the handler takes its selected rows
  projectOneMember,  // a project window with exactly one selected row
};

// What the frame's enabler answers when the active window left a command
// undecided.
enum class ClientRule {
  untouched,   // the item keeps its state
  permission,  // enabled when the user holds `permission`
  disabled,
  recentFile,  // by the kind bits of the recent-file entry
};

struct CommandInfo {
  int id = 0;
  std::string_view menuText;  // empty: no menu item, or a text set elsewhere
  Needs needs = Needs::nothing;
  bool silent = false;            // a missing window is not announced by a beep
  ChildKind actsOn = ChildKind::none;  // the one kind the handler works on (none: either)
  ClientRule client = ClientRule::untouched;
  std::string_view permission;    // for ClientRule::permission
};

// Every command, by ascending id.
std::span<const CommandInfo> allCommands();
// The entry of id, or nullptr.
const CommandInfo* findCommand(int id);

// The window kind a command cannot run without: none when it needs no
// window at all or runs in either kind (then it still needs some window
// unless info.needs is Needs::nothing).
ChildKind requiredKind(const CommandInfo& info);

}  // namespace orv::workbench::commands
