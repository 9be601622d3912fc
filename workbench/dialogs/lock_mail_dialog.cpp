// The Mail dialog of a broken lock (see lock_mail_dialog.h).
#include "workbench/dialogs/lock_mail_dialog.h"

#include "platform/profile/profile.h"

namespace orv::workbench::dialogs {

namespace {

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kLockMailDialogId;
  d.title = "Mail";
  d.helpContext = kLockMailHelpContext;
  d.controls = {
      {kMailFromCaption, K::label, "From:", 1},
      {kMailFrom, K::label, "", 1},
      {kMailToCaption, K::label, "To:", 1},
      {kMailTo, K::label, "", 1},
      {kMailCcCaption, K::label, "&cc:", 1},
      {kMailCc, K::lineEdit, "", 1},
      {kMailSubjectCaption, K::label, "Subject:", 1},
      {kMailSubject, K::label, "", 1},
      {kMailText, K::multiLineEdit, "", 2},
      {kMailOk, K::defaultButton, "OK", 0},
      {kMailCancel, K::pushButton, "Cancel", 0},
      {kMailHelp, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kMailToCaption, 9141}, {kMailTo, 9141},          {kMailFromCaption, 9140}, {kMailFrom, 9140},
                 {kMailCcCaption, 9142}, {kMailCc, 9142},          {kMailSubjectCaption, 9143},
                 {kMailSubject, 9143},   {kMailText, 9144},        {kMailOk, 9145},
                 {kMailCancel, 9146},    {kMailHelp, 9147}};
  return d;
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

}  // namespace

const ui::DialogDescription& lockMailDialogDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

std::string mailRecipients(const std::string& to, const std::string& cc) {
  std::string copies;
  for (std::size_t i = 0; i < cc.size();) {
    if (isSeparator(cc[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < cc.size() && !isSeparator(cc[end])) ++end;
    if (!copies.empty()) copies += ',';
    copies.append(cc, i, end - i);
    i = end;
  }
  if (copies.empty()) return to;
  return "to:" + to + ",cc:" + copies;
}

void LockMailDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kMailTo, mail_.addressee);
  surface.setText(kMailFrom, mail_.sender);
  std::string text = mail_.body;
  if (text.size() > kMailTextLimit) text.resize(kMailTextLimit);
  surface.setText(kMailText, text);
  int start = kMailSelectStart, end = kMailSelectEnd;
  if (!settingsFile_.empty()) {
    start = static_cast<int>(profile::getProfileInt(settingsFile_, "mail", "selectstart", kMailSelectStart));
    end = static_cast<int>(profile::getProfileInt(settingsFile_, "mail", "selectend", kMailSelectEnd));
  }
  surface.setFocus(kMailText);
  surface.selectText(kMailText, start, end);
  surface.setText(kMailSubject, mail_.subject);
}

void LockMailDialog::command(ui::DialogSurface& surface, int controlId) {
  // A command no control carries closes the box with its id.
  if (controlId == ui::kAnswerYes) surface.end(ui::kAnswerYes);
}

bool LockMailDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  mail_.addressee = mailRecipients(mail_.addressee, surface.text(kMailCc));
  mail_.body = surface.text(kMailText);
  if (mail_.body.size() > kMailTextLimit) mail_.body.resize(kMailTextLimit);
  return true;
}

bool runLockMailDialog(ui::Ui& ui, archive::LockBrokenMail& mail, const std::string& settingsFile) {
  LockMailDialog logic(mail, settingsFile);
  return ui.runDialog(lockMailDialogDescription(), logic) == ui::kAnswerOk;
}

void registerLockMail(commands::FrameRegistry&, const commands::FrameContext& context) {
  ui::Ui& ui = context.ui;
  const std::string settingsFile = context.starts.settingsFile;
  archive::setLockMailDialog(
      [&ui, settingsFile](archive::LockBrokenMail& mail) { return runLockMailDialog(ui, mail, settingsFile); });
}

}  // namespace orv::workbench::dialogs
