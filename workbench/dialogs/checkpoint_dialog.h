// The Checkpoint dialog (339) and the project checkpoint: the project file
// (the list of members with their revisions) is checked into its own
// archive as one new revision, after the same label or state has been put
// on every member if the user asked, and after every subproject the user
// lets it enter has been checkpointed first, so that the parent records
// the subproject's new revision.
//
// One user action is one outermost call (topLevel) and one nested call per
// subproject entered. The nested calls share the answer to the recursion
// question, whether one number is used for every project file, the number
// proposed and the depth, which keeps the progress gauge on the outermost
// project's direct subprojects.
//
// Every path leaves the project file's archive as it found it unless the
// checkpoint went through: a lock this call placed on the base revision,
// or another user's lock it broke, is never written by a run that ends
// before its walk is done; a lock that was written is taken off again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

enum CheckpointControl : int {
  kCpOk = 1,
  kCpCancel = 2,
  kCpArchiveName = 101,
  kCpWorkName = 102,
  kCpArchiveCaption = 103,
  kCpWorkCaption = 104,
  kCpLabelCaption = 121,
  kCpLabel = 122,
  kCpNumberCaption = 123,
  kCpNumber = 124,
  kCpStateCaption = 125,
  kCpState = 126,
  kCpAuthorCaption = 127,
  kCpAuthor = 128,
  kCpApplyLabel = 132,
  kCpApplyState = 134,
  kCpCheckpointSame = 136,
  kCpAllSubprojects = 138,
  kCpUpdateMember = 139,
  kCpReplaceLabel = 140,
  kCpStates = 141,
  kCpDescription = 152,
  kCpDescriptionCaption = 153,
  kCpCancelAll = 198,
  kCpHelp = 199,
};
inline constexpr int kCheckpointDialogId = 339;
inline constexpr int kCheckpointHelpContext = 5034;

// A box whose record value is this before the dialog does not apply and
// shows disabled.
inline constexpr std::uint32_t kCheckpointBoxFixed = 12;

// The Checkpoint dialog's record. Check-box fields hold 0 or 1 (or 12
// before the dialog, see kCheckpointBoxFixed).
struct CheckpointRecord {
  char label[80] = {};
  char number[80] = {};
  char state[40] = {};
  char author[40] = {};
  std::vector<std::string> states;  // offered when stateFromList is 1
  int stateSelection = -1;
  std::uint32_t applyLabelToAll = 0;
  std::uint32_t applyStateToAll = 0;
  std::uint32_t checkpointSame = 0;
  std::uint32_t replaceLabel = 0;
  std::uint32_t updateMember = 0;
  std::uint32_t allSubprojects = 0;
  char description[1535] = {};
  std::uint32_t stateFromList = 0;
  std::uint32_t cancelAll = 0;
};

const ui::DialogDescription& checkpointDialogDescription();

class CheckpointDialog : public ui::DialogLogic {
 public:
  CheckpointDialog(ui::Ui& ui, CheckpointRecord& record, archive::OpenArchive& archive)
      : ui_(ui), record_(record), archive_(archive) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  void takeControls(const ui::DialogSurface& surface);

  ui::Ui& ui_;
  CheckpointRecord& record_;
  archive::OpenArchive& archive_;
};

// Fills record for the project file's archive: 1 go on, 2 skip, 3 stop
// (the user was told why).
int prepareCheckpoint(archive::OpenArchive& archive, project::OpenProject& project, const char* proposed,
                      CheckpointRecord& record);

// One call of the checkpoint.
struct CheckpointRequest {
  // Checkpoint this project file (opened here) instead of the given project.
  std::string subprojectFile;
  bool askUser = false;
  bool topLevel = false;
  // The given project's current member is the subproject checkpointed.
  bool asSubproject = false;
  // Shared by the calls of one run; none: one of the call's own.
  CheckpointRecord* record = nullptr;
  // The window whose project is checkpointed (its subprojects count the
  // gauge's steps; its rows are read again afterwards); may be null.
  commands::ProjectWindow* window = nullptr;
};

// 1 the project file was checked in (its new number in newRevision when
// given), 0 nothing was checked in, -1 the user stopped the whole run.
int checkpointMembers(project::OpenProject& project, const CheckpointRequest& request,
                      std::string* newRevision = nullptr);

// The Checkpoint Project command of a project window.
void checkpointProject(commands::ProjectWindow& window);

// Registers the Checkpoint Project command and the subproject checkpoint
// of the member check-in and of adding members.
void registerCheckpoint(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
