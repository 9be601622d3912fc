// The Revision Information dialog (311): one revision's number, date,
// author, locker, labels, state and description. A user may add and drop
// labels ("AddLabel", "DeleteLabel") and change the state within the
// states offered ("Promote", "Demote"). The dialog only gathers the label
// changes in a list; writeRevisionInfo applies them and the state under the
// archive's write lock and commits once.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/commands/frame_registry.h"

namespace orv::workbench::dialogs {

enum RevisionInfoControl : int {
  kRiOk = 1,
  kRiCancel = 2,
  kRiRevision = 101,
  kRiDate = 102,
  kRiAuthor = 103,
  kRiLocker = 104,
  kRiLabel = 105,      // labels, with an entry field
  kRiState = 106,      // the state typed, when no list of states is configured
  kRiStates = 107,     // the states offered
  kRiDescription = 108,
  kRiDeleteLabel = 109,
  kRiAddLabel = 110,
  kRiRevisionCaption = 111,
  kRiDateCaption = 112,
  kRiAuthorCaption = 113,
  kRiLockerCaption = 114,
  kRiLabelCaption = 115,
  kRiStateCaption = 116,
  kRiDescriptionCaption = 117,
  kRiLabelList = 118,  // labels, choose only: shown without "AddLabel"
  // The captions of the state field and of the choose-only labels where
  // they stand in place of the states list and the label entry.
  kRiStateEditCaption = 119,
  kRiLabelListCaption = 120,
  kRiHelp = 199,
};
inline constexpr int kRevisionInfoDialogId = 311;
inline constexpr int kRevisionInfoHelpContext = 6073;
// The entry offered first when the revision's state is not in the list.
inline constexpr const char* kAsIsState = "<as is>";

const ui::DialogDescription& revisionInfoDialogDescription();

// Fills record for revision of archive and empties changes. Always 1.
int readRevisionInfo(archive::OpenArchive& archive, const std::string& revision,
                     archive::TRevisionInfoTransferStruct& record, archive::LabelChangeList& changes);

// Applies the label changes in order and the state chosen, under the write
// lock, and commits when anything was changed. A failing change is shown
// and the others go on.
void writeRevisionInfo(archive::OpenArchive& archive, const std::string& revision,
                       archive::TRevisionInfoTransferStruct& record, const archive::LabelChangeList& changes);

class RevisionInfoDialog : public ui::DialogLogic {
 public:
  RevisionInfoDialog(ui::Ui& ui, archive::TRevisionInfoTransferStruct& record, archive::OpenArchive& archive,
                     std::string revision, archive::LabelChangeList& changes);

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  void addLabel(ui::DialogSurface& surface);
  void addLabelText(ui::DialogSurface& surface, const std::string& name);
  void deleteLabel(ui::DialogSurface& surface);
  void showLabels(ui::DialogSurface& surface, const std::string& text);
  // The token check of the label text; a refusal is shown.
  bool validLabel(ui::DialogSurface& surface);
  bool isEntry(const std::string& name) const;
  // Removes the pending change for name; false when there is none.
  bool dropPendingChange(const std::string& name);

  ui::Ui& ui_;
  archive::TRevisionInfoTransferStruct& record_;
  archive::OpenArchive& archive_;
  std::string revision_;
  archive::LabelChangeList& changes_;
  bool mayAdd_;
  bool mayDelete_;
  int labelBox_;
};

// Reads, runs and writes the dialog for revision: 1 when confirmed (after
// the changes were written), else 2. Fits
// WindowCommandServices::revisionInformation.
int revisionInformation(archive::OpenArchive& archive, const std::string& revision);

// Registers the dialog as the Revision Information command's.
void registerRevisionInformation(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
