// The Check In dialog (302) and the routine that fills its record for one
// archive. The dialog shows the record's settings for the new revision and
// takes them back on OK, and on Cancel too, so that a run over several
// files starts the next dialog from what the user left. A box whose record
// value is 12 does not apply where the dialog was opened and shows disabled
// with a fixed value; so do the boxes the user's permissions refuse.
#pragma once

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

enum CheckInControl : int {
  kCiOk = 1,
  kCiCancel = 2,
  kCiArchiveName = 101,
  kCiWorkName = 102,
  kCiArchiveCaption = 103,
  kCiWorkCaption = 104,
  kCiLabelCaption = 121,
  kCiLabel = 122,
  kCiNumberCaption = 123,
  kCiNumber = 124,
  kCiStateCaption = 125,
  kCiState = 126,
  kCiAuthorCaption = 127,
  kCiAuthor = 128,
  kCiLocked = 132,
  kCiKeepWork = 134,
  kCiCheckInSame = 136,
  kCiAllFiles = 138,
  kCiUpdateMember = 139,
  kCiReplaceLabel = 140,
  kCiDescription = 152,
  kCiDescriptionCaption = 153,
  kCiCancelAll = 198,
  kCiHelp = 199,
};
inline constexpr int kCheckInDialogId = 302;
inline constexpr int kCheckInHelpContext = 6049;

const ui::DialogDescription& checkInDialogDescription();

class CheckInDialog : public ui::DialogLogic {
 public:
  // project: the project the archive is a member of, nullptr for none.
  CheckInDialog(ui::Ui& ui, archive::TCiTransferStruct& record, archive::OpenArchive& archive,
                project::OpenProject* project)
      : ui_(ui), record_(record), archive_(archive), project_(project) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  void takeControls(const ui::DialogSurface& surface);

  ui::Ui& ui_;
  archive::TCiTransferStruct& record_;
  archive::OpenArchive& archive_;
  project::OpenProject* project_;
};

// What prepareCheckIn tells a run.
enum PrepareResult : int { kPrepareGoOn = 1, kPrepareSkip = 2, kPrepareStop = 3 };

// Fills record with the defaults for archive (a member of project when it
// is not nullptr): the state, the author, and the number the check-in would
// give (revision instead, when given). Skip or Stop after telling the user
// why (a missing working file, strict locking without a lock, a library
// failure).
int prepareCheckIn(archive::OpenArchive& archive, project::OpenProject* project, const char* revision,
                   archive::TCiTransferStruct& record);

}  // namespace orv::workbench::dialogs
