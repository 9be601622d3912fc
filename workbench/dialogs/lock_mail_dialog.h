// The Mail dialog (350) that the lock command offers after breaking
// another user's lock: it shows the sender, the addressee (the lock's
// former holder) and the subject, takes copy addressees, and lets the user
// edit the prepared notice, whose characters [mail] selectstart to
// selectend of the settings file (0 to 4 unless set) are selected as it
// opens. On OK the mail's addressee becomes the recipient list the mail call
// takes, and its body the edited text (at most 4095 characters).
#pragma once

#include <string>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/commands/frame_registry.h"

namespace orv::workbench::dialogs {

enum LockMailControl : int {
  kMailOk = 1,
  kMailCancel = 2,
  kMailTo = 100,
  kMailFrom = 101,
  kMailSubject = 102,
  kMailCc = 103,
  kMailText = 104,
  kMailToCaption = 105,
  kMailFromCaption = 106,
  kMailSubjectCaption = 107,
  kMailCcCaption = 108,
  kMailHelp = 199,
};
inline constexpr int kLockMailDialogId = 350;
inline constexpr int kLockMailHelpContext = 9139;
inline constexpr std::size_t kMailTextLimit = 4095;
inline constexpr int kMailSelectStart = 0;
inline constexpr int kMailSelectEnd = 4;

const ui::DialogDescription& lockMailDialogDescription();

// The recipients of the notice: to alone without copies, else
// "to:" to ",cc:" and the copy addressees, each run of blanks and commas in
// cc one "," (no empty addressee from a leading or trailing run).
std::string mailRecipients(const std::string& to, const std::string& cc);

class LockMailDialog : public ui::DialogLogic {
 public:
  // settingsFile: the workbench's settings, where [mail] says what part of
  // the notice is selected ("" for the defaults).
  LockMailDialog(archive::LockBrokenMail& mail, std::string settingsFile)
      : mail_(mail), settingsFile_(std::move(settingsFile)) {}
  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  archive::LockBrokenMail& mail_;
  std::string settingsFile_;
};

// Runs the dialog over mail; true on OK.
bool runLockMailDialog(ui::Ui& ui, archive::LockBrokenMail& mail, const std::string& settingsFile);

// Makes the lock command offer the dialog.
void registerLockMail(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
