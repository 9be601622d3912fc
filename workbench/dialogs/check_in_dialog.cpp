// The Check In dialog and the defaults of its record (see check_in_dialog.h).
#include "workbench/dialogs/check_in_dialog.h"

#include <unistd.h>

#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/name_sizes.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/dialogs/state_lists.h"
#include "workbench/external/file_choices.h"

namespace orv::workbench::dialogs {

using archive::kCheckInBoxDisabled;

namespace {

constexpr RevisionFieldIds kRevisionFields{kCiLabelCaption, kCiLabel,     kCiNumberCaption, kCiNumber,
                                           kCiStateCaption, kCiState,     kCiAuthorCaption, kCiAuthor};

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kCheckInDialogId;
  d.title = "Check In";
  d.helpContext = kCheckInHelpContext;
  d.controls = {
      {kCiWorkCaption, K::label, "Working File:", 1},
      {kCiWorkName, K::label, "", 1},
      {kCiArchiveCaption, K::label, "Archive File:", 1},
      {kCiArchiveName, K::label, "", 1},
      {0, K::groupBox, "Revision Settings", 2},
  };
  addRevisionFields(d.controls, kRevisionFields, 2);
  d.controls.insert(d.controls.end(), {
      {0, K::groupBox, "Options", 3},
      {kCiLocked, K::checkBox, "Loc&ked", 3},
      {kCiKeepWork, K::checkBox, "Keep &Work File", 3},
      {kCiCheckInSame, K::checkBox, "Check In &Same", 3},
      {kCiAllFiles, K::checkBox, "All &Files", 3},
      {kCiUpdateMember, K::checkBox, "Update &Member", 3},
      {kCiReplaceLabel, K::checkBox, "&Replace Label", 3},
      {kCiDescriptionCaption, K::label, "Revision &Description:", 4},
      {kCiDescription, K::multiLineEdit, "", 4},
      {kCiOk, K::defaultButton, "OK", 0},
      {kCiCancel, K::pushButton, "Cancel", 0},
      {kCiCancelAll, K::pushButton, "Cancel &All", 0},
      {kCiHelp, K::pushButton, "&Help", 0},
  });
  d.helpPairs = {{kCiWorkCaption, 11003}, {kCiWorkName, 11003},      {kCiArchiveCaption, 11004},
                 {kCiArchiveName, 11004}, {kCiLabelCaption, 11005},  {kCiLabel, 11005},
                 {kCiNumberCaption, 11006}, {kCiNumber, 11006},      {kCiStateCaption, 11007},
                 {kCiState, 11007},       {kCiAuthorCaption, 11008}, {kCiAuthor, 11008},
                 {kCiLocked, 11009},      {kCiCheckInSame, 11010},   {kCiUpdateMember, 11011},
                 {kCiKeepWork, 11012},    {kCiReplaceLabel, 11013},  {kCiAllFiles, 11014},
                 {kCiDescriptionCaption, 11015}, {kCiDescription, 11015}, {kCiOk, 11016},
                 {kCiCancel, 11017},      {kCiCancelAll, 11018},     {kCiHelp, 11019}};
  return d;
}

}  // namespace

const ui::DialogDescription& checkInDialogDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

void CheckInDialog::setUp(ui::DialogSurface& surface) {
  archive::TCiTransferStruct& r = record_;
  // The rules first decide the record's values; the controls then show them.
  bool allFilesFixed = false, keepWorkFixed = false, lockedFixed = false, updateFixed = false;
  bool replaceFixed = false;
  if (r.allFiles == kCheckInBoxDisabled) {
    r.allFiles = 0;
    allFilesFixed = true;
  }
  if (r.keepWorkFile == kCheckInBoxDisabled) {
    r.keepWorkFile = 1;
    keepWorkFixed = true;
  }
  if (r.locked == kCheckInBoxDisabled || !app::hasPermission("Lock") ||
      (r.stateFromList == 1 && !app::isLockableState(archive::fieldText(r.state)))) {
    r.locked = 0;
    lockedFixed = true;
  }
  if (r.updateMember != kCheckInBoxDisabled && app::hasPermission("ModifyProject") &&
      (!project_ || project_->mayCheckpointVariant())) {
    r.updateMember = 1;
  } else {
    r.updateMember = 0;
    updateFixed = true;
  }
  const bool addLabel = app::hasPermission("AddLabel");
  if (!addLabel || !app::hasPermission("DeleteLabel")) {
    r.replaceLabel = 0;
    replaceFixed = true;
  }

  showRevisionFields(surface, kRevisionFields, r);
  surface.setText(kCiDescription, archive::fieldText(r.description));
  surface.setChecked(kCiLocked, r.locked == 1);
  surface.setChecked(kCiKeepWork, r.keepWorkFile == 1);
  surface.setChecked(kCiCheckInSame, r.checkInSame == 1);
  surface.setChecked(kCiAllFiles, r.allFiles == 1);
  surface.setChecked(kCiUpdateMember, r.updateMember == 1);
  surface.setChecked(kCiReplaceLabel, r.replaceLabel == 1);

  surface.setEnabled(kCiAllFiles, !allFilesFixed);
  surface.setEnabled(kCiCancelAll, !allFilesFixed);
  surface.setEnabled(kCiKeepWork, !keepWorkFixed);
  surface.setEnabled(kCiLocked, !lockedFixed);
  surface.setEnabled(kCiUpdateMember, !updateFixed);
  surface.setEnabled(kCiReplaceLabel, !replaceFixed);
  surface.setEnabled(kCiLabelCaption, addLabel);
  surface.setEnabled(kCiLabel, addLabel);
  // A state from the list is where every new revision starts; promotion
  // changes it later.
  const bool stateFree = r.stateFromList != 1;
  surface.setEnabled(kCiStateCaption, stateFree);
  surface.setEnabled(kCiState, stateFree);
  const bool authorFree = !lognameEnforced();
  surface.setEnabled(kCiAuthorCaption, authorFree);
  surface.setEnabled(kCiAuthor, authorFree);

  surface.setText(kCiArchiveName, external::fitStaticText(archive_.archiveName()));
  surface.setText(kCiWorkName, external::fitStaticText(archive_.workFileName()));
  surface.setFocus(kCiDescription);
}

void CheckInDialog::command(ui::DialogSurface& surface, int controlId) {
  if (controlId != kCiCancelAll) return;
  takeControls(surface);
  record_.cancelAll = 1;
  surface.end(ui::kAnswerCancel);
}

bool CheckInDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result == ui::kAnswerOk && !validateRevisionFields(ui_, surface, kRevisionFields)) return false;
  takeControls(surface);
  return true;
}

void CheckInDialog::takeControls(const ui::DialogSurface& surface) {
  takeRevisionFields(surface, kRevisionFields, record_);
  readField(surface, kCiDescription, record_.description);
  record_.locked = checkedValue(surface, kCiLocked);
  record_.keepWorkFile = checkedValue(surface, kCiKeepWork);
  record_.checkInSame = checkedValue(surface, kCiCheckInSame);
  record_.allFiles = checkedValue(surface, kCiAllFiles);
  record_.updateMember = checkedValue(surface, kCiUpdateMember);
  record_.replaceLabel = checkedValue(surface, kCiReplaceLabel);
}

int prepareCheckIn(archive::OpenArchive& archive, project::OpenProject* project, const char* revision,
                   archive::TCiTransferStruct& record) {
  ui::Ui& ui = archive.ui();
  const std::string& workFile = archive.workFileName();
  if (sys::calls().access(workFile.c_str(), F_OK) != 0) {
    const int answer = app::rcsMessage(ui, app::kStyleErrorCancel,
                                         app::formatString(app::kStrCannotAccessWorkFile, workFile.c_str()));
    return answer == ui::kAnswerCancel ? kPrepareStop : kPrepareSkip;
  }

  record = archive::TCiTransferStruct{};
  const InitialState initial = initialState(archive.handle());
  archive::setField(record.state, initial.state);
  record.stateFromList = initial.fromList ? 1 : 0;
  char author[app::kTokenBufferSize] = {};
  if (vcGetSysInfo(VC_SYSINFO_LOGIN_NAME, author, sizeof author) == 0) archive::setField(record.author, author);
  char user[app::kTokenBufferSize] = {};
  vcGetSysInfo(VC_SYSINFO_USER, user, sizeof user);

  if (revision) {
    // A number wider than the field would name another revision once cut.
    if (std::string_view(revision).size() >= sizeof record.number) {
      app::showText(ui, ui::MessageIcon::warning, std::string(app::loadString(app::kStrBadRevision)));
      return kPrepareSkip;
    }
    archive::setField(record.number, revision);
  } else {
    char base[sizeof record.number] = {};
    if (project)
      archive::getMemberArchiveTitle(archive.handle(), project->project, user, workFile.c_str(), base, sizeof base);
    else
      archive::getArchiveTitle(archive.handle(), user, base, sizeof base);
    const int rc = vcCiRevision(archive.handle(), base, nullptr, 0, record.number, sizeof record.number);
    if (rc == VC_E_REVISION_NOT_LOCKED) {
      const int answer = app::rcsMessage(
          ui, app::kStyleErrorCancel, app::formatString(app::kStrStrictNoLock, archive.archiveName().c_str()));
      return answer == ui::kAnswerCancel ? kPrepareStop : kPrepareSkip;
    }
    if (rc != 0) {
      archive.setStatus(rc);
      archive.showError(app::kStyleError);
      return kPrepareSkip;
    }
  }
  record.locked = 0;
  record.keepWorkFile = 1;
  return kPrepareGoOn;
}

}  // namespace orv::workbench::dialogs
