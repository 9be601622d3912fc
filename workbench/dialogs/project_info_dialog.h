// The Project Information and Sandbox Information dialogs (316, 329, and
// their frozen and historical look-alikes 352-355): the project's name,
// working directory, counts, description and attributes (the project file's
// own options, "enforce" and "no" shown before the name). A user who may
// modify the project adds, replaces and deletes attributes; a sandbox shows
// its master's attributes read-only and edits its own.
//
// OK writes nothing when the description and the editable attributes are
// as they were. Otherwise the stored attributes are dropped and written
// again in list order; when any of those steps fails nothing is saved and
// the project is read again from its file (answer -1: refresh the rows).
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

enum ProjectInfoControl : int {
  kPiOk = 1,
  kPiCancel = 2,
  kPiName = 100,
  kPiSandboxName = 101,
  kPiWorkDir = 103,
  kPiDescription = 104,
  kPiAttributes = 105,
  kPiMasterAttributes = 106,
  kPiVariable = 107,
  kPiValue = 108,
  kPiAdd = 109,
  kPiDelete = 110,
  kPiMembers = 111,
  kPiLocked = 112,
  kPiNameCaption = 113,
  kPiSandboxCaption = 114,
  kPiWorkDirCaption = 115,
  kPiMembersCaption = 116,
  kPiLockedCaption = 117,
  kPiDescriptionCaption = 118,
  kPiVariableCaption = 119,
  kPiValueCaption = 120,
  kPiAttributesCaption = 121,
  kPiMasterCaption = 122,
  kPiHelp = 199,
};
inline constexpr int kProjectInfoHelpContext = 6018;
// The longest "Variable=Value".
inline constexpr std::size_t kAttributeLimit = 256;

// The description of dialog (316, 329, 352-355).
const ui::DialogDescription& projectInfoDialogDescription(int dialog);

// One entry of the attribute list.
struct AttributeEntry {
  std::string text;       // display form
  bool editable = false;  // may be changed or deleted
};

// An option's display form from its text and flag word.
std::string optionDisplayForm(const std::string& text, unsigned flags);

// The attribute list's Add: checks variable and value and, when they pass,
// replaces the first editable entry of the same variable (compared without
// regard to case) by the new one at the end. The message that refuses them
// otherwise, with nothing changed; "frozen" answers the Freeze hint.
struct AddResult {
  bool added = false;
  std::string message;  // shown when not added (empty: nothing to say)
  bool hint = false;    // a plain hint rather than an error
};
AddResult addAttribute(std::vector<AttributeEntry>& entries, const std::string& variable, const std::string& value);

class ProjectInfoDialog : public ui::DialogLogic {
 public:
  ProjectInfoDialog(ui::Ui& ui, project::OpenProject& project, int dialog);

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  // 0, or -1 after a failed write: the rows are read again.
  int result() const { return result_; }
  const std::vector<AttributeEntry>& entries() const { return entries_; }

 private:
  void readAttributes();
  void showEntries(ui::DialogSurface& surface);
  // Writes the changes: true when all steps succeeded.
  bool write(const std::string& description);
  bool mayEdit() const { return sandbox_ ? maySandbox_ : mayProject_; }

  ui::Ui& ui_;
  project::OpenProject& project_;
  int dialog_;
  bool sandbox_;
  bool mayProject_ = false;
  bool maySandbox_ = false;
  int result_ = 0;
  std::string description_;
  std::vector<AttributeEntry> entries_;
  std::vector<AttributeEntry> original_;
  std::vector<std::string> master_;
};

// Runs the dialog for project: its result.
int runProjectInformation(project::OpenProject& project, int dialog);

// Registers Project > Project Information.
void registerProjectInformation(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
