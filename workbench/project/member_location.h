// The questions the revision library asks while files are added to a
// sandbox: where a new member's file should be kept so that other users can
// reach it (the member-location dialog), and yes/no questions about the add.
// Both answer from memories that last for one batch of files, so an "All
// Files" or a to-all answer holds until the next batch starts.
#pragma once

#include <string>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::project {

// The batch memories of the two questions.
struct MemberAddMemories {
  bool askLocation = true;        // show the location dialog for the next file
  bool locationCancelled = false; // the dialog ended with Cancel All
  bool copyChosen = false;        // the last decision: copy the file
  std::string chosenDirectory;    // where copies go
  int yesNoAnswer = ui::kAnswerYes;  // the last five-button answer
};

// The memories (process-wide: the library's callbacks carry no context).
MemberAddMemories& memberAddMemories();
// Forgets every answer: the first file of a batch.
void resetMemberAddMemories();
// The Ui the two callbacks ask through; none: every question is cancelled.
void setMemberAddUi(ui::Ui* ui);

// The location callback (a VcLocationFn): -1 cancelled, 0 leave the file
// where it is, 1 copy it, with result (on entry the proposed location; at
// least 512 bytes) set to the chosen directory joined with file's base name.
int queryLocation(const char* file, const char* directory, char* result, int reserved);
// The yes/no callback (a VcYesNoFn): 1 yes, 0 no.
int queryYesNo(int kind, const char* text);

// The member-location dialog.
enum MemberLocationControl : int {
  kLocationDialogId = 336,
  kLocationFileName = 100,
  kLocationLeave = 101,
  kLocationCopy = 102,
  kLocationDirectory = 103,
  kLocationAllFiles = 104,
  kLocationBrowse = 196,
  kLocationCancelAll = 198,
  kLocationHelp = 199,
  kLocationHelpContext = 5060,
};

const ui::DialogDescription& memberLocationDialogDescription();

class MemberLocationDialog : public ui::DialogLogic {
 public:
  MemberLocationDialog(ui::Ui& ui, std::string file, std::string directory)
      : ui_(ui), file_(std::move(file)), directory_(std::move(directory)) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  const std::string& directory() const { return directory_; }
  bool allFiles() const { return allFiles_; }
  bool copy() const { return copy_; }
  bool cancelAll() const { return cancelAll_; }

 private:
  void enableDirectory(ui::DialogSurface& surface, bool on);
  void browse(ui::DialogSurface& surface);

  ui::Ui& ui_;
  std::string file_;
  std::string directory_;
  bool allFiles_ = false;
  bool copy_ = false;
  bool cancelAll_ = false;
};

// Path helpers of the dialogs: the directory part of path ("" when it has
// none), the last component, and dir joined with name by one '/'.
std::string stripLastPathComponent(const std::string& path);
std::string baseName(const std::string& path);
std::string joinPath(const std::string& dir, const std::string& name);

}  // namespace orv::workbench::project
