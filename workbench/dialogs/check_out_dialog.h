// The Check Out dialog (305), the routines that fill its record for one
// archive and take the label list's choice back, and the revision chooser
// it shows in the label list's place.
//
// The record's boxes and radios use two bits: bit 0 the state, bit 1 (2)
// "shown disabled with the state of bit 0". The dialog clears bit 1 as it
// opens, so after it the fields hold 0 or 1.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

enum CheckOutControl : int {
  kCoOk = 1,
  kCoCancel = 2,
  kCoWorkCaption = 104,
  kCoArchiveCaption = 105,
  kCoWorkFile = 106,
  kCoArchiveName = 107,
  kCoRevision = 114,
  kCoLabel = 116,
  kCoDefaultRev = 117,
  kCoMemberRev = 118,
  kCoRevisionChooser = 119,
  kCoLabelList = 120,
  kCoLocked = 134,
  kCoExpandKeywords = 135,
  kCoAllFiles = 136,
  kCoUpdateMember = 137,
  kCoRestoreTimestamp = 138,
  kCoCancelAll = 198,
  kCoHelp = 199,
};
inline constexpr int kCheckOutDialogId = 305;
inline constexpr int kCheckOutHelpContext = 6050;
// What the check-out flows answer when the dialog was not confirmed.
inline constexpr int kCheckOutCancelled = 5;

const ui::DialogDescription& checkOutDialogDescription();

// Fills record for archive: the working file, the archive's labels, the
// keyword, timestamp, lock and member boxes from the options and the
// user's permissions, and the lock-state rule. Always true (the record is
// usable whatever the archive answers).
bool setCheckOutDefaults(archive::OpenArchive& archive, archive::TCoTransferStruct& record);

// After the dialog, when the label was chosen: the revision radios cleared
// and choice the selected label line up to its first blank.
void takeListSelection(archive::TCoTransferStruct& record, int selectedLine);

// The radio the dialog opens on: the record's own choice when it has one;
// else Member Rev in a project window with a project, Default Rev when
// All Files is not offered, Revision otherwise.
int startingChoice(const archive::TCoTransferStruct& record, bool projectWindowParent, bool hasProject);

// The chooser of a revision in the dialog, where the label list stands:
// loads the archive's revisions, selects one by its number and tells the
// number of the one selected, whole (up to 63 characters).
class RevisionChooser {
 public:
  virtual ~RevisionChooser() = default;
  virtual void load(ui::DialogSurface& surface, archive::OpenArchive& archive) = 0;
  virtual void select(ui::DialogSurface& surface, const std::string& revision) = 0;
  virtual std::string current(const ui::DialogSurface& surface) const = 0;
};

// The chooser of this build: the archive's revision list, one line per
// revision (number, author, date, labels), in control 119.
std::unique_ptr<RevisionChooser> makeRevisionChooser();

class CheckOutDialog : public ui::DialogLogic {
 public:
  // project: the open project of the member, nullptr for none;
  // projectWindowParent: the dialog was asked for from a project window.
  CheckOutDialog(ui::Ui& ui, archive::TCoTransferStruct& record, archive::OpenArchive& archive,
                 project::OpenProject* project, bool projectWindowParent);

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  // The label line selected when the dialog closed, -1 for none.
  int selectedLabelLine() const { return selectedLabel_; }
  int currentChoice() const { return choice_; }

 private:
  void selectChoice(ui::DialogSurface& surface, int id);
  void showChoice(ui::DialogSurface& surface);
  void takeControls(const ui::DialogSurface& surface);

  ui::Ui& ui_;
  archive::TCoTransferStruct& record_;
  archive::OpenArchive& archive_;
  project::OpenProject* project_;
  std::unique_ptr<RevisionChooser> chooser_;
  int choice_ = kCoRevision;
  std::string initialWorkFile_;
  std::string defaultRevision_;
  std::string memberRevision_;
  int selectedLabel_ = -1;
};

}  // namespace orv::workbench::dialogs
