// The Create Archive dialog (313) and the defaults of its record. The
// dialog takes the new archive's settings (strict locking, compression,
// encryption, data type, description) and, when the working file exists
// and the user may check in, the first revision's. A setting the
// configuration enforces, and encryption without the permission, shows
// disabled with its value. OK with "Encrypted" ticked first asks for the
// new password; cancelling that leaves the dialog open.
#pragma once

#include <cstdint>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"

namespace orv::workbench::dialogs {

enum CreateArchiveControl : int {
  kCaOk = 1,
  kCaCancel = 2,
  kCaRevisionGroup = 98,
  kCaArchiveGroup = 99,
  kCaArchiveName = 101,
  kCaWorkName = 102,
  kCaStrict = 103,
  kCaCompressed = 104,
  kCaDataType = 106,
  kCaDescription = 107,
  kCaArchiveCaption = 108,
  kCaWorkCaption = 109,
  kCaCheckIn = 121,
  kCaLabel = 122,
  kCaLabelCaption = 123,
  kCaNumber = 124,
  kCaNumberCaption = 125,
  kCaState = 126,
  kCaStateCaption = 127,
  kCaAuthor = 128,
  kCaAuthorCaption = 129,
  kCaLocked = 132,
  kCaKeepWork = 134,
  kCaAllFiles = 138,
  kCaEncrypted = 150,
  kCaOpenArchive = 151,
  kCaDataTypeCaption = 152,
  kCaDescriptionCaption = 153,
  kCaCancelAll = 198,
  kCaHelp = 199,
};
inline constexpr int kCreateArchiveDialogId = 313;
inline constexpr int kCreateArchiveHelpContext = 5016;

// The data types offered, in the order of their codes (0, 1, 2).
inline constexpr const char* kDataTypeNames[] = {"Text", "Binary", "Auto-detect"};

const ui::DialogDescription& createArchiveDialogDescription();

// The settings the configuration enforces: their boxes show disabled.
struct EnforcedSettings {
  std::uint32_t strictLocking = 0;
  std::uint32_t compressed = 0;
  std::uint32_t encrypted = 0;  // also set without the permission to encrypt
};

// Fills record for the archive just opened for creation: its names, the
// configured settings, and the first revision's defaults. Always true.
bool setDefaults(archive::OpenArchive& archive, archive::TCreateArchiveTransferStruct& record,
                 EnforcedSettings& enforced);

class CreateArchiveDialog : public ui::DialogLogic {
 public:
  CreateArchiveDialog(ui::Ui& ui, archive::TCreateArchiveTransferStruct& record, const archive::OpenArchive& archive,
                      EnforcedSettings enforced, bool checkInAllowed)
      : ui_(ui), record_(record), archive_(archive), enforced_(enforced), checkInAllowed_(checkInAllowed) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  // Enables the first revision's controls when on, as far as the
  // permissions and the states list allow.
  void applyRevisionPart(ui::DialogSurface& surface, bool on);
  void takeControls(const ui::DialogSurface& surface);

  ui::Ui& ui_;
  archive::TCreateArchiveTransferStruct& record_;
  const archive::OpenArchive& archive_;
  EnforcedSettings enforced_;
  bool checkInAllowed_;
  bool lognameEnforced_ = false;
};

}  // namespace orv::workbench::dialogs
