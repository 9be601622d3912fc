// The Create Archive dialog and the defaults of its record (see
// create_archive_dialog.h).
#include "workbench/dialogs/create_archive_dialog.h"

#include <algorithm>
#include <iterator>

#include "vc/include/vc.h"
#include "workbench/app/dialog_text.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/name_sizes.h"
#include "workbench/archive/password_dialogs.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/dialogs/state_lists.h"
#include "workbench/external/file_choices.h"

namespace orv::workbench::dialogs {

namespace {

constexpr RevisionFieldIds kRevisionFields{kCaLabelCaption, kCaLabel,     kCaNumberCaption, kCaNumber,
                                           kCaStateCaption, kCaState,     kCaAuthorCaption, kCaAuthor};

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kCreateArchiveDialogId;
  d.title = "Create Archive";
  d.helpContext = kCreateArchiveHelpContext;
  d.controls = {
      {kCaWorkCaption, K::label, "Working File:", 1},
      {kCaWorkName, K::label, "", 1},
      {kCaArchiveCaption, K::label, "Archive File:", 1},
      {kCaArchiveName, K::label, "", 1},
      {kCaArchiveGroup, K::groupBox, "Archive Settings", 2},
      {kCaStrict, K::checkBox, "&Strict Locking", 2},
      {kCaCompressed, K::checkBox, "&Compressed", 2},
      {kCaEncrypted, K::checkBox, "Encry&pted", 2},
      {kCaDataTypeCaption, K::label, "Data &Type:", 2},
      {kCaDataType, K::comboBox, "", 2},
      {kCaDescriptionCaption, K::label, "Archive &Description:", 2},
      {kCaDescription, K::multiLineEdit, "", 2},
      // The box that switches the revision settings below stands over them.
      {kCaCheckIn, K::checkBox, "Check &In", 3},
      {kCaRevisionGroup, K::groupBox, "Revision Settings", 4},
  };
  addRevisionFields(d.controls, kRevisionFields, 4);
  d.controls.insert(d.controls.end(), {
      {kCaLocked, K::checkBox, "Loc&ked", 4},
      {kCaKeepWork, K::checkBox, "Keep &Work File", 4},
      {kCaAllFiles, K::checkBox, "All &Files", 5},
      {kCaOpenArchive, K::checkBox, "&Open Archive", 5},
      {kCaOk, K::defaultButton, "OK", 0},
      {kCaCancel, K::pushButton, "Cancel", 0},
      {kCaCancelAll, K::pushButton, "Cancel &All", 0},
      {kCaHelp, K::pushButton, "&Help", 0},
  });
  d.helpPairs = {{kCaWorkCaption, 9092},  {kCaWorkName, 9092},          {kCaArchiveCaption, 9093},
                 {kCaArchiveName, 9093},  {kCaStrict, 9094},            {kCaCompressed, 9095},
                 {kCaDataTypeCaption, 9096}, {kCaDataType, 9096},       {kCaEncrypted, 9097},
                 {kCaDescriptionCaption, 9098}, {kCaDescription, 9098}, {kCaCheckIn, 9099},
                 {kCaLocked, 9100},       {kCaLabelCaption, 9101},      {kCaLabel, 9101},
                 {kCaNumberCaption, 9102}, {kCaNumber, 9102},           {kCaAllFiles, 9103},
                 {kCaKeepWork, 9104},     {kCaStateCaption, 9105},      {kCaState, 9105},
                 {kCaAuthorCaption, 9106}, {kCaAuthor, 9106},           {kCaOpenArchive, 9107},
                 {kCaOk, 9108},           {kCaCancel, 9109},            {kCaCancelAll, 9110},
                 {kCaHelp, 9111}};
  return d;
}

std::uint32_t flagOn(const char* option, std::uint32_t& enforced) {
  int given = 0;
  const bool on = app::configFlagIsOn(option, &given);
  enforced = given ? 1 : 0;
  return on ? 1 : 0;
}

}  // namespace

const ui::DialogDescription& createArchiveDialogDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

bool setDefaults(archive::OpenArchive& archive, archive::TCreateArchiveTransferStruct& record,
                 EnforcedSettings& enforced) {
  // The names are only shown: the archive object keeps them whole.
  archive::setField(record.workFile, archive.workFileName());
  archive::setField(record.archiveFile, archive.archiveName());
  record.strictLocking = flagOn("strictlocks", enforced.strictLocking);
  record.compressed = flagOn("compress", enforced.compressed);
  if (app::hasPermission("EncryptArchive")) {
    record.encrypted = flagOn("encrypt", enforced.encrypted);
  } else {
    record.encrypted = 0;
    enforced.encrypted = 1;
  }
  record.dataTypes.assign(std::begin(kDataTypeNames), std::end(kDataTypeNames));
  record.dataTypeSelection = VC_STORAGE_UNSTATED;
  archive::setField(record.description, "");
  std::fill(std::begin(record.password), std::end(record.password), '\0');
  record.checkIn = 1;
  record.allFiles = 0;
  record.cancelAll = 0;
  archive::setField(record.number, "1.1");
  const InitialState initial = initialState(archive.handle());
  archive::setField(record.state, initial.state);
  record.stateFromList = initial.fromList ? 1 : 0;
  char author[app::kTokenBufferSize] = {};
  archive::setField(record.author, vcGetSysInfo(VC_SYSINFO_LOGIN_NAME, author, sizeof author) == 0 ? author : "");
  archive::setField(record.label, "");
  record.locked = 0;
  record.keepWork = 1;
  return true;
}

void CreateArchiveDialog::setUp(ui::DialogSurface& surface) {
  const archive::TCreateArchiveTransferStruct& r = record_;
  lognameEnforced_ = lognameEnforced();
  surface.setText(kCaWorkName, external::fitStaticText(archive_.workFileName()));
  surface.setText(kCaArchiveName, external::fitStaticText(archive_.archiveName()));
  surface.setChecked(kCaStrict, r.strictLocking == 1);
  surface.setChecked(kCaCompressed, r.compressed == 1);
  surface.setChecked(kCaEncrypted, r.encrypted == 1);
  surface.setEnabled(kCaStrict, enforced_.strictLocking == 0);
  surface.setEnabled(kCaCompressed, enforced_.compressed == 0);
  surface.setEnabled(kCaEncrypted, enforced_.encrypted == 0);
  surface.setListItems(kCaDataType, r.dataTypes);
  if (r.dataTypeSelection >= 0) surface.setSelection(kCaDataType, {r.dataTypeSelection});
  surface.setText(kCaDescription, archive::fieldText(r.description));
  showRevisionFields(surface, kRevisionFields, r);
  surface.setChecked(kCaLocked, r.locked == 1);
  surface.setChecked(kCaKeepWork, r.keepWork == 1);
  surface.setChecked(kCaOpenArchive, r.openArchive == 1);

  bool on = false;
  if (!app::hasPermission("CheckIn") || !checkInAllowed_) {
    fixBox(surface, kCaCheckIn, false);
  } else {
    surface.setChecked(kCaCheckIn, r.checkIn == 1);
    on = r.checkIn == 1;
  }
  // The state and author rules below hold whatever the revision part does.
  if (r.stateFromList == 1) {
    surface.setEnabled(kCaStateCaption, false);
    surface.setEnabled(kCaState, false);
  }
  applyRevisionPart(surface, on);

  const bool allFilesOffered = r.allFiles != archive::kCreateAllFilesNotOffered;
  surface.setChecked(kCaAllFiles, false);
  surface.setEnabled(kCaAllFiles, allFilesOffered);
  surface.setEnabled(kCaCancelAll, allFilesOffered);
  surface.setFocus(kCaDescription);
}

void CreateArchiveDialog::applyRevisionPart(ui::DialogSurface& surface, bool on) {
  const bool label = on && app::hasPermission("AddLabel");
  surface.setEnabled(kCaLabelCaption, label);
  surface.setEnabled(kCaLabel, label);
  surface.setEnabled(kCaNumberCaption, on);
  surface.setEnabled(kCaNumber, on);
  // An enforced login name stays the author whatever "Check In" says.
  surface.setEnabled(kCaAuthorCaption, on && !lognameEnforced_);
  surface.setEnabled(kCaAuthor, on && !lognameEnforced_);
  surface.setEnabled(kCaKeepWork, on);
  if (record_.stateFromList != 1) {
    surface.setEnabled(kCaStateCaption, on);
    surface.setEnabled(kCaState, on);
  }
  const bool lockable = record_.stateFromList == 0 || app::isLockableState(archive::fieldText(record_.state));
  surface.setEnabled(kCaLocked, on && app::hasPermission("Lock") && lockable);
}

void CreateArchiveDialog::command(ui::DialogSurface& surface, int controlId) {
  if (controlId == kCaCheckIn) {
    applyRevisionPart(surface, surface.isChecked(kCaCheckIn));
  } else if (controlId == kCaCancelAll) {
    takeControls(surface);
    record_.cancelAll = 1;
    surface.end(ui::kAnswerCancel);
  }
}

bool CreateArchiveDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result == ui::kAnswerOk) {
    if (!validateRevisionFields(ui_, surface, kRevisionFields)) return false;
    if (surface.isChecked(kCaEncrypted)) {
      archive::NewPasswordDialog password(ui_, archive_.archiveName());
      if (ui_.runDialog(archive::newPasswordDialogDescription(), password) != ui::kAnswerOk) return false;
      password.getPassword(record_.password, sizeof record_.password);
    }
  }
  takeControls(surface);
  return true;
}

void CreateArchiveDialog::takeControls(const ui::DialogSurface& surface) {
  archive::TCreateArchiveTransferStruct& r = record_;
  r.strictLocking = checkedValue(surface, kCaStrict);
  r.compressed = checkedValue(surface, kCaCompressed);
  r.encrypted = checkedValue(surface, kCaEncrypted);
  r.dataTypeSelection = chosenIndex(surface, kCaDataType, r.dataTypes);
  readField(surface, kCaDescription, r.description);
  r.checkIn = checkedValue(surface, kCaCheckIn);
  r.allFiles = checkedValue(surface, kCaAllFiles);
  takeRevisionFields(surface, kRevisionFields, r);
  r.locked = checkedValue(surface, kCaLocked);
  r.keepWork = checkedValue(surface, kCaKeepWork);
  r.openArchive = checkedValue(surface, kCaOpenArchive);
}

}  // namespace orv::workbench::dialogs
