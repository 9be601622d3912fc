// The password dialogs' logic: reading, checking and clearing the entries.
#include "workbench/archive/password_dialogs.h"

#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/password_cache.h"

namespace orv::workbench::archive {

namespace {

using ui::ControlKind;

// An entry's text as the dialog reads it: at most the password's length.
std::string entryText(const ui::DialogSurface& surface, int id) {
  std::string text = surface.text(id);
  if (text.size() > static_cast<std::size_t>(kPasswordLength)) {
    std::string cut = text.substr(0, kPasswordLength);
    wipeText(text);
    return cut;
  }
  return text;
}

}  // namespace

const ui::DialogDescription& passwordDialogDescription() {
  static const ui::DialogDescription d{
      kPasswordDialogId,
      "Archive Encrypted - Enter Password",
      {{0, ControlKind::label, "Archive:", 0},
       {kPasswordPath, ControlKind::label, "", 0},
       {0, ControlKind::label, "&Password:", 1},
       {kPasswordEntry, ControlKind::lineEdit, "", 1},
       {kPasswordOk, ControlKind::defaultButton, "OK", 2},
       {kPasswordCancel, ControlKind::pushButton, "Cancel", 2},
       {kPasswordHelp, ControlKind::pushButton, "&Help", 2}},
      kPasswordHelpContext};
  return d;
}

const ui::DialogDescription& newPasswordDialogDescription() {
  static const ui::DialogDescription d{
      kNewPasswordDialogId,
      "Encrypting Archive - Enter Password",
      {{0, ControlKind::label, "Archive:", 0},
       {kPasswordPath, ControlKind::label, "", 0},
       {0, ControlKind::label, "&Password:", 1},
       {kPasswordEntry, ControlKind::lineEdit, "", 1},
       {0, ControlKind::label, "&Confirm:", 2},
       {kPasswordConfirm, ControlKind::lineEdit, "", 2},
       {kPasswordOk, ControlKind::defaultButton, "OK", 3},
       {kPasswordCancel, ControlKind::pushButton, "Cancel", 3},
       {kPasswordHelp, ControlKind::pushButton, "&Help", 3}},
      kNewPasswordHelpContext};
  return d;
}

PasswordDialog::~PasswordDialog() { wipeEntered(); }

void PasswordDialog::wipeEntered() { wipeText(password_); }

void PasswordDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kPasswordEntry, "");
  wipeEntered();
  surface.setText(kPasswordPath, path_);
  surface.setFocus(kPasswordEntry);
}

void PasswordDialog::command(ui::DialogSurface& surface, int controlId) {
  if (controlId == kPasswordHelp) ui_.showHelp(kPasswordHelpContext);
  (void)surface;
}

bool PasswordDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) {
    surface.setText(kPasswordEntry, "");
    wipeEntered();
    return true;
  }
  wipeEntered();
  password_ = entryText(surface, kPasswordEntry);
  if (!password_.empty()) return true;
  rcsMessage(ui_, kStyleError, std::string(loadString(kStrEmptyPassword)));
  surface.setText(kPasswordEntry, "");
  surface.setFocus(kPasswordEntry);
  return false;
}

void PasswordDialog::getPassword(char* buffer, int size) const {
  copyToBuffer(password_, buffer, size);
}

NewPasswordDialog::~NewPasswordDialog() {
  wipeText(password_);
  wipeText(confirmation_);
}

void NewPasswordDialog::clearAll(ui::DialogSurface& surface) {
  surface.setText(kPasswordEntry, "");
  surface.setText(kPasswordConfirm, "");
  wipeText(password_);
  wipeText(confirmation_);
}

void NewPasswordDialog::setUp(ui::DialogSurface& surface) {
  clearAll(surface);
  surface.setText(kPasswordPath, path_);
  surface.setFocus(kPasswordEntry);
}

void NewPasswordDialog::command(ui::DialogSurface& surface, int controlId) {
  if (controlId == kPasswordHelp) ui_.showHelp(kNewPasswordHelpContext);
  (void)surface;
}

bool NewPasswordDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) {
    clearAll(surface);
    return true;
  }
  // Enter in the first entry moves on to the confirmation.
  if (surface.focus() == kPasswordEntry) {
    surface.setFocus(kPasswordConfirm);
    return false;
  }
  wipeText(password_);
  wipeText(confirmation_);
  password_ = entryText(surface, kPasswordEntry);
  confirmation_ = entryText(surface, kPasswordConfirm);
  int problem = 0;
  if (password_ != confirmation_) {
    problem = kStrPasswordsDiffer;
  } else if (password_.empty()) {
    problem = kStrEmptyPassword;
  }
  if (!problem) return true;
  rcsMessage(ui_, kStyleError, std::string(loadString(problem)));
  clearAll(surface);
  surface.setFocus(kPasswordEntry);
  return false;
}

void NewPasswordDialog::getPassword(char* buffer, int size) const {
  copyToBuffer(password_, buffer, size);
}

}  // namespace orv::workbench::archive
