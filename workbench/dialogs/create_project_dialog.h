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
  kCpOk = 1,
  kCpCancel = 2,
  kCpProject = 100,
  kCpProjectBrowse = 101,
  kCpSandbox = 102,
  kCpSandboxBrowse = 103,
  kCpMembersArchives = 106,
  kCpProjectArchive = 107,
  kCpAddFiles = 108,
  kCpRemove = 109,
  kCpMemberList = 110,
  kCpAutomatic = 112,
  kCpInteractive = 113,
  kCpProjectCaption = 114,
  kCpSandboxCaption = 115,
  kCpArchivesGroup = 116,
  kCpMemberCaption = 117,
  kCpHelp = 199,
};
inline constexpr int kCreateProjectDialogId = 314;
inline constexpr int kCreateProjectHelpContext = 6014;

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
