// The Archive Information dialog (309): the archive's labels, locks and
// projects, and the settings a user with "ModifyArchive" may change (strict
// locking, compression, encryption, data type, default branch, description).
// readArchiveInfo fills the record, the dialog takes the user's choices and
// writeArchiveInfo applies what changed under the archive's write lock: a
// change the library refuses is shown and the others still go on, with one
// commit at the end.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/commands/frame_registry.h"

namespace orv::workbench::dialogs {

enum ArchiveInfoControl : int {
  kAiOk = 1,
  kAiCancel = 2,
  kAiLabels = 101,
  kAiLocks = 102,
  kAiStrict = 103,
  kAiCompressed = 104,
  kAiBranch = 105,
  kAiDataType = 106,
  kAiDescription = 107,
  kAiArchiveName = 108,
  kAiWorkName = 109,
  kAiEncrypted = 110,
  kAiProjects = 111,
  kAiArchiveCaption = 112,
  kAiWorkCaption = 113,
  kAiShowProjects = 114,
  kAiDataTypeCaption = 115,
  kAiBranchCaption = 116,
  kAiDescriptionCaption = 117,
  kAiLabelsCaption = 118,
  kAiLocksCaption = 119,
  kAiProjectsCaption = 120,
  kAiHelp = 199,
};
inline constexpr int kArchiveInfoDialogId = 309;
inline constexpr int kArchiveInfoHelpContext = 6071;

const ui::DialogDescription& archiveInfoDialogDescription();

// The projects an archive's extension text names: of its pieces ended by
// ";", those made of the word "project" and a project file. A last piece
// without ";" is not taken.
std::vector<std::string> projectsOfExtension(const std::string& text);

// Fills the record and the unchanged values from archive, and sets a fixed
// flag for each box the configuration enforces at the archive's value (and
// for encryption without "EncryptArchive"). Finding the data types the
// archive takes tries them under the write lock and reads the archive
// again afterwards. Always 1.
int readArchiveInfo(archive::OpenArchive& archive, archive::TArchiveInfoTransferStruct& record,
                    archive::TArchiveInfoUnchanged& unchanged, archive::TArchiveInfoFixed& fixed);

// Applies what the record changed against unchanged. Turning encryption on
// asks for the new password (Cancel leaves it off).
void writeArchiveInfo(archive::OpenArchive& archive, const archive::TArchiveInfoTransferStruct& record,
                      const archive::TArchiveInfoUnchanged& unchanged);

class ArchiveInfoDialog : public ui::DialogLogic {
 public:
  ArchiveInfoDialog(ui::Ui& ui, archive::TArchiveInfoTransferStruct& record, const archive::OpenArchive& archive,
                    archive::TArchiveInfoUnchanged& unchanged, const archive::TArchiveInfoFixed& fixed)
      : ui_(ui), record_(record), archive_(archive), unchanged_(unchanged), fixed_(fixed) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  void showProjects(ui::DialogSurface& surface, bool shown);

  ui::Ui& ui_;
  archive::TArchiveInfoTransferStruct& record_;
  const archive::OpenArchive& archive_;
  archive::TArchiveInfoUnchanged& unchanged_;
  const archive::TArchiveInfoFixed& fixed_;
  bool mayModify_ = false;
  bool projectsShown_ = false;
  std::string branchShown_;
  std::string descriptionShown_;
};

// Reads, runs and, after OK, writes the dialog over archive. Fits
// WindowCommandServices::archiveInformation (the command drops the write
// lock afterwards).
void archiveInformation(archive::OpenArchive& archive);

// Registers the dialog as the Archive Information command's.
void registerArchiveInformation(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
