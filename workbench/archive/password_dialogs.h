// The two password dialogs: the one that asks for the password of an
// encrypted archive (333), and the one that takes a new password twice when
// an archive is to be encrypted (332). Entries take at most 9 characters;
// the entered passwords are wiped when the logic goes.
#pragma once

#include <string>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::archive {

enum PasswordControl : int {
  kPasswordOk = 1,
  kPasswordCancel = 2,
  kPasswordHelp = 199,
  kPasswordPath = 111,
  kPasswordEntry = 112,
  kPasswordConfirm = 113,
};

constexpr int kPasswordDialogId = 333;
constexpr int kNewPasswordDialogId = 332;
constexpr int kPasswordHelpContext = 12045;
constexpr int kNewPasswordHelpContext = 12037;

const ui::DialogDescription& passwordDialogDescription();
const ui::DialogDescription& newPasswordDialogDescription();

class PasswordDialog : public ui::DialogLogic {
 public:
  PasswordDialog(ui::Ui& ui, std::string archivePath)
      : ui_(ui), path_(std::move(archivePath)) {}
  ~PasswordDialog() override;

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  // Copies the entered password into buffer (cut to size - 1, terminated).
  void getPassword(char* buffer, int size) const;
  void clear() { wipeEntered(); }

 private:
  void wipeEntered();

  ui::Ui& ui_;
  std::string path_;
  std::string password_;
};

class NewPasswordDialog : public ui::DialogLogic {
 public:
  NewPasswordDialog(ui::Ui& ui, std::string archivePath)
      : ui_(ui), path_(std::move(archivePath)) {}
  ~NewPasswordDialog() override;

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  void getPassword(char* buffer, int size) const;

 private:
  void clearAll(ui::DialogSurface& surface);

  ui::Ui& ui_;
  std::string path_;
  std::string password_;
  std::string confirmation_;
};

}  // namespace orv::workbench::archive
