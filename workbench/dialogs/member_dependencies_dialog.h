// The Member Dependencies dialog (321): one member's dependency files as
// the library's scanner found them, the project's include and exclude
// paths and the compiler configuration file the include paths may come
// from, a rescan of the member, and adding its dependency files that are
// not members yet.
//
// The compiler file is kept under one option of its type ("bcc_cfg" or
// "bcc_prj"): choosing a type drops the other type's option, and unticking
// "Get From Compiler File" drops both. Files added by Add Missing Files are
// saved at once, so that the project on disk and the window agree however
// the dialog ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

enum MemberDependenciesControl : int {
  kMdOk = 1,
  kMdCancel = 2,
  kMdMember = 100,
  kMdInclude = 101,
  kMdExclude = 102,
  kMdType = 104,
  kMdFile = 105,
  kMdList = 106,
  kMdRecalculate = 107,
  kMdFromCompilerFile = 108,
  kMdBrowse = 109,
  kMdAddMissing = 112,
  kMdIncludeCaption = 113,
  kMdExcludeCaption = 114,
  kMdFileCaption = 115,
  kMdTypeCaption = 116,
  kMdListCaption = 117,
  kMdHelp = 199,
};
inline constexpr int kMemberDependenciesDialogId = 321;
inline constexpr int kMemberDependenciesHelpContext = 6044;

// The compiler file types: what the list shows and the option they use.
struct CompilerFileType {
  const char* text;
  const char* key;
};
inline constexpr CompilerFileType kCompilerFileTypes[] = {{"Borland .cfg", "bcc_cfg"}, {"Borland .prj", "bcc_prj"}};

struct MemberDependenciesRecord {
  std::string file;                 // the compiler file
  int type = -1;                    // index into kCompilerFileTypes, -1 none
  bool fromCompilerFile = false;    // "Get From Compiler File"
  std::string include;
  std::string exclude;
};

const ui::DialogDescription& memberDependenciesDescription();

// Reads the record from project's options (when both compiler files are
// set, the .prj one).
MemberDependenciesRecord readDependencySettings(project::OpenProject& project);
// Writes record into project's options and saves it; failures are shown.
// True when nothing failed.
bool applyDependencySettings(project::OpenProject& project, const MemberDependenciesRecord& record);

// The dependency files of the project's current member, as listed.
std::vector<std::string> memberDependencyFiles(project::OpenProject& project);

class MemberDependenciesDialog : public ui::DialogLogic {
 public:
  MemberDependenciesDialog(project::OpenProject& project, std::string member)
      : project_(project), member_(std::move(member)) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  bool changed() const { return changed_; }

 private:
  MemberDependenciesRecord take(const ui::DialogSurface& surface) const;
  void enableCompilerFile(ui::DialogSurface& surface);
  void fillList(ui::DialogSurface& surface);
  void recalculate(ui::DialogSurface& surface);
  void addMissingFiles(ui::DialogSurface& surface);
  void browse(ui::DialogSurface& surface);

  project::OpenProject& project_;
  std::string member_;
  bool mayModify_ = false;
  bool mayAdd_ = false;
  bool changed_ = false;
};

// The Dependencies command for row of window.
void editMemberDependencies(commands::ProjectWindow& window, int row);

void registerMemberDependencies(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
