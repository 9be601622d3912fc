// The Build Project dialog (324): which makefile belongs to the project,
// which make program runs with which parameters in which directory, and
// the project's file dependencies, which it recalculates, completes by
// adding missing files to the project, and writes into the makefile.
//
// Make runs without a shell: the command line (the program, a blank, and
// the parameters with "%f" the makefile) is split into words, double
// quotes grouping, and the program is started in the build directory with
// its output collected and shown when it ends.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

enum BuildControl : int {
  kBdOk = 1,
  kBdCancel = 2,
  kBdView = 100,
  kBdRecalculate = 101,
  kBdBrowseMakefile = 102,
  kBdRunMake = 103,
  kBdBrowseMake = 104,
  kBdMakefile = 105,
  kBdMake = 106,
  kBdParameters = 107,
  kBdDirectory = 108,
  kBdIgnoreNonMembers = 109,
  kBdAddMissing = 110,
  kBdAddToMakefile = 111,
  kBdMakeCaption = 112,
  kBdParametersCaption = 113,
  kBdDirectoryCaption = 114,
  kBdMakefileCaption = 115,
  kBdHelp = 199,
};
inline constexpr int kBuildDialogId = 324;
inline constexpr int kBuildHelpContext = 5056;
// The window that shows what make wrote.
inline constexpr int kMakeOutputDialogId = 3241;
enum MakeOutputControl : int { kMoCommand = 100, kMoOutput = 101, kMoStatus = 102 };

// The options' defaults.
inline constexpr const char* kDefaultMakefile = "makefile";
inline constexpr const char* kDefaultMake = "make";
inline constexpr const char* kDefaultParameters = "-f %f";

const ui::DialogDescription& buildDialogDescription();
const ui::DialogDescription& makeOutputDescription();

// Whether text is empty or begins with a blank: such a field counts as not
// given.
bool blankLed(const std::string& text);

// The command line of a build: the make program, one blank, and the
// parameters expanded for project with "%f" the makefile (nothing for
// blank-led parameters).
std::string makeCommandLine(const project::OpenProject& project, const std::string& make,
                            const std::string& parameters, const std::string& makefile);

// What a make run gave.
struct MakeRun {
  int error = 0;          // 0 started, else the errno value of the failed start
  int exitStatus = -1;    // the program's exit status; -1 killed or not started
  bool cancelled = false;
  std::string output;     // its standard output and error, as written
};
// Starts the words of line in directory without a shell (standard input
// empty, standard output and error collected), waits for it under a
// progress window whose Cancel ends it, and reaps it.
MakeRun runMake(ui::Ui& ui, const std::string& line, const std::string& directory);

// The add-dependency question of Add Missing Files, shared by the Build and
// the Member Dependencies dialogs. While one lives it answers the library's
// callback (callback()); Yes to All and No to All hold until newMember().
class DependencyQuestion {
 public:
  explicit DependencyQuestion(ui::Ui& ui);
  ~DependencyQuestion();
  DependencyQuestion(const DependencyQuestion&) = delete;
  DependencyQuestion& operator=(const DependencyQuestion&) = delete;

  // The next member's files are asked about afresh.
  void newMember() { lastAnswer_ = ui::kAnswerNo; }
  // 1 add name, 0 do not, -1 stop. "!name": name could not be added.
  int answer(const char* name);
  // The library's VcUsedFileFn: the living question's answer, -1 without.
  static int callback(const char* name);

 private:
  ui::Ui& ui_;
  int lastAnswer_ = ui::kAnswerNo;
  DependencyQuestion* previous_;
};

class BuildDialog : public ui::DialogLogic {
 public:
  BuildDialog(project::OpenProject& project, std::function<void(const std::string&)> viewFile)
      : project_(project), viewFile_(std::move(viewFile)) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  // The member list changed: the window reads it again.
  bool changed() const { return changed_; }
  bool canModify() const { return canModify_; }

 private:
  void updateButtons(ui::DialogSurface& surface);
  void view(ui::DialogSurface& surface);
  void browse(ui::DialogSurface& surface, bool makefile);
  void runMakeCommand(ui::DialogSurface& surface);
  void recalculate();
  void addMissingFiles();
  void addToMakefile(ui::DialogSurface& surface);

  project::OpenProject& project_;
  std::function<void(const std::string&)> viewFile_;
  bool canModify_ = false;
  bool changed_ = false;
};

// The Build command of a project window.
void runBuildDialog(commands::ProjectWindow& window, const std::function<void(const std::string&)>& viewFile);

// Registers the Build command.
void registerBuild(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
