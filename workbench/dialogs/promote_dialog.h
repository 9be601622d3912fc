// The Promote and Demote dialogs (one logic, six resources): a revision's
// current state and the states it may move to along the state list, for
// the selected revision of an archive window, for a project file's
// recorded revision, and for the selected members of a project window. A
// promotion offers the current state and the later ones, with the next
// state chosen; a demotion the earlier ones and the current state, with
// the one before it chosen.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"

namespace orv::workbench::dialogs {

enum PromoteControl : int {
  kPrOk = 1,
  kPrCancel = 2,
  kPrCurrentState = 100,
  kPrPromoteCaption = 101,
  kPrDemoteCaption = 102,
  kPrTargets = 103,
  kPrCurrentCaption = 104,
  kPrHelp = 199,
};

// What is promoted or demoted.
enum class PromoteSubject { revision, member, project };

// The dialog's resource: 323/340 revision, 341/342 member, 343/344 project.
int promoteDialogId(PromoteSubject subject, bool promote);
// The description of one of the six resources.
const ui::DialogDescription& promoteDialogDescription(PromoteSubject subject, bool promote);

// Fills record for revision of archive: 1 filled; 0 the revision is not in
// the archive, -1 no state list is defined (both shown).
int setPromoteDefaults(archive::OpenArchive& archive, archive::TPromoteRevTransferStruct& record,
                       const std::string& revision, bool promote);

class PromoteDialog : public ui::DialogLogic {
 public:
  explicit PromoteDialog(archive::TPromoteRevTransferStruct& record) : record_(record) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface&, int) override {}
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  archive::TPromoteRevTransferStruct& record_;
};

// The three flows; each fits its entry of DialogFlows.
// promoteRevision: the archive window's selected revision, under the
// archive's write lock; the window's revisions are read again afterwards.
void promoteArchiveRevision(commands::ArchiveWindow& window, const std::string& revision, bool promote);
// promoteProject: the revision the project records for its own file.
void promoteProject(commands::ProjectWindow& window, bool promote);
// promoteMembers: the state chosen for the first selected member is put on
// every selected member's revision (and into subprojects as the recursion
// settings say); the rows are read again afterwards.
void promoteSelectedMembers(commands::ProjectWindow& window, std::vector<int>& rows, bool promote);

// Registers the Promote and Demote commands of both windows.
void registerPromoteFlows(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
