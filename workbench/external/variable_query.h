// The Directory Mapping dialog (334): asks for a directory the revision
// library cannot work out by itself. Two uses:
//   - a project variable that is not defined on this machine (no project
//     context): "Project Variable Mapping", the answer is the variable's
//     value, and only OK leaves the dialog;
//   - a sandbox member outside the master project's tree, or with an
//     explicit mapping of its archive file (a context): the member and the
//     proposed value are shown, and "Use Defaults" answers 6.
// Cancel and Escape do nothing in either use. Paths are shown and answered
// with '/' separators ('\' in a proposed value becomes '/').
#pragma once

#include <string>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::external {

enum QueryVariableControl : int {
  kQueryOk = 1,
  kQueryCancel = 2,
  kQueryUseDefaults = 6,
  kQueryLine1 = 100,
  kQueryLine2 = 101,
  kQueryLine3 = 102,
  kQueryLine4 = 103,
  kQueryLine5 = 104,
  kQueryValue = 105,
  kQueryBrowse = 107,
  kQueryHelp = 199,
};
inline constexpr int kQueryVariableDialogId = 334;
inline constexpr int kQueryVariableHelpContext = 9068;
// The longest answer, in bytes.
inline constexpr std::size_t kQueryValueLimit = 511;

// The dialog as the project-variable use (true) or the sandbox use shows it.
const ui::DialogDescription& queryVariableDescription(bool projectVariableUse);

class QueryVariableDialog : public ui::DialogLogic {
 public:
  // name: the variable or member name; value: the proposed value;
  // secondText: the text after "$(name)" (project-variable use) or the
  // member text (sandbox use); context: the sandbox use.
  QueryVariableDialog(ui::Ui& ui, std::string name, const std::string& value, std::string secondText,
                      bool explicitMapping, bool context);

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  bool projectVariableUse() const { return !context_; }
  // The answer after OK (the proposed value before).
  const std::string& value() const { return value_; }

 private:
  ui::Ui& ui_;
  std::string name_;
  std::string value_;
  std::string secondText_;
  bool explicitMapping_;
  bool context_;
};

// Runs the dialog: 1 (OK, value holds the answer) or 6 (Use Defaults); the
// toolkit's answer when something else ended it.
int queryVariable(ui::Ui& ui, const std::string& name, std::string& value, const std::string& secondText,
                  bool explicitMapping, bool context);

}  // namespace orv::workbench::external
