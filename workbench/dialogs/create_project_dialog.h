// The Create Project dialog (314): where the new project file goes, where
// its sandbox goes (none when left empty), the files that become its
// members (gathered in the file-list dialog), and whether archives are
// made for the members and for the project file. OK checks both
// locations; the caller carries out the request the dialog leaves.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/dialogs/file_list.h"

namespace orv::workbench::dialogs {

enum CreateProjectControl : int {
  kCrpOk = 1,
  kCrpCancel = 2,
  kCrpProject = 100,
  kCrpProjectBrowse = 101,
  kCrpSandbox = 102,
  kCrpSandboxBrowse = 103,
  kCrpMembersArchives = 106,
  kCrpProjectArchive = 107,
  kCrpAddFiles = 108,
  kCrpRemove = 109,
  kCrpMemberList = 110,
  kCrpAutomatic = 112,
  kCrpInteractive = 113,
  kCrpProjectCaption = 114,
  kCrpSandboxCaption = 115,
  kCrpArchivesGroup = 116,
  kCrpMemberCaption = 117,
  kCrpHelp = 199,
};
inline constexpr int kCreateProjectDialogId = 314;
inline constexpr int kCreateProjectHelpContext = 6010;

const ui::DialogDescription& createProjectDialogDescription();

// What a confirmed dialog asks for.
struct CreateProjectRequest {
  std::string project;                // absolute path of the new project file
  std::string sandbox;                // absolute path of its sandbox, empty for none
  std::vector<std::string> members;   // full paths, in order
  bool createArchives = false;        // the members get archives
  bool automatic = true;              // without the Create Archive dialog
  bool checkInProject = false;        // the project file gets an archive
};

class CreateProjectDialog : public ui::DialogLogic {
 public:
  // directory: where the dialog starts; files: names given to the command
  // (they start the member list).
  CreateProjectDialog(ui::Ui& ui, std::string directory, std::vector<std::string> files,
                      CreateProjectRequest& request)
      : ui_(ui), directory_(std::move(directory)), files_(std::move(files)), request_(request) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  void showMembers(ui::DialogSurface& surface);
  void addFiles(ui::DialogSurface& surface);
  void updateArchiveChoices(ui::DialogSurface& surface);

  ui::Ui& ui_;
  std::string directory_;
  std::vector<std::string> files_;
  CreateProjectRequest& request_;
  MemberList members_;
  bool mayAddMembers_ = false;
  bool mayCreateArchives_ = false;
};

}  // namespace orv::workbench::dialogs
