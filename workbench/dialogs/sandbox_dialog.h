// The Create Sandbox dialog (326) and its flow: a sandbox file of the
// active project window's project in another directory, optionally a
// variant sandbox that follows one revision or label of the project file's
// archive (the head revision first becomes a new revision of its own), and
// on request a working copy of every member.
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

enum SandboxControl : int {
  kSbOk = 1,
  kSbCancel = 2,
  kSbLocation = 100,
  kSbBrowse = 101,
  kSbMaster = 102,
  kSbRevisions = 103,
  kSbLabels = 104,
  kSbByRevision = 105,
  kSbByLabel = 106,
  kSbVariant = 107,
  kSbCopyMembers = 108,
  kSbLocationCaption = 109,
  kSbMasterCaption = 110,
  kSbVariantGroup = 111,
  kSbHelp = 199,
};
inline constexpr int kSandboxDialogId = 326;
inline constexpr int kSandboxHelpContext = 6016;

const ui::DialogDescription& sandboxDialogDescription();

// What a confirmed dialog made: the sandbox file (written), whether it is a
// variant, and whether its members are to be copied.
struct SandboxRequest {
  std::string sandbox;
  bool variant = false;
  bool copyMembers = true;
};

class SandboxDialog : public ui::DialogLogic {
 public:
  SandboxDialog(ui::Ui& ui, project::OpenProject& master, SandboxRequest& request)
      : ui_(ui), master_(master), request_(request) {}
  ~SandboxDialog() override;
  SandboxDialog(const SandboxDialog&) = delete;
  SandboxDialog& operator=(const SandboxDialog&) = delete;

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  void openProjectArchive();
  void closeProjectArchive();
  void updateVariantControls(ui::DialogSurface& surface);
  // Writes the sandbox file: 0, or the library's code after its message.
  int writeSandbox(ui::DialogSurface& surface, const std::string& file, const std::string& master);

  ui::Ui& ui_;
  project::OpenProject& master_;
  SandboxRequest& request_;
  int archive_ = 0;
  std::string archiveName_;
  std::vector<std::string> revisions_;
  std::vector<std::string> labels_;
  int revisionIndex_ = 0;
  int labelIndex_ = 0;
};

// The command: the dialog over the window's project, then the sandbox's
// window (its members copied first when asked). openWindow opens a window
// on a file (remember: enter it in the recent-file list).
void createSandboxCommand(commands::ProjectWindow& window,
                          const std::function<void(const std::string&, bool remember)>& openWindow);

// Registers Project > Create Sandbox.
void registerCreateSandbox(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
