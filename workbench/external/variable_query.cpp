// The Directory Mapping dialog (see variable_query.h).
#include "workbench/external/variable_query.h"

#include "workbench/app/messages.h"
#include "workbench/external/file_choices.h"
#include "workbench/project/member_location.h"

namespace orv::workbench::external {

namespace {

ui::DialogDescription describe(bool projectVariableUse) {
  ui::DialogDescription d;
  d.id = kQueryVariableDialogId;
  d.title = projectVariableUse ? "Project Variable Mapping" : "Directory Mapping";
  d.helpContext = kQueryVariableHelpContext;
  d.controls = {
      {0, ui::ControlKind::label, "The member", 1},
      {kQueryLine1, ui::ControlKind::label, "", 1},
      {kQueryLine2, ui::ControlKind::label, "is not in the master project directory tree.", 1},
      {kQueryLine3, ui::ControlKind::label, "Tessalyworkbench needs to know what your", 1},
      {kQueryLine4, ui::ControlKind::label, "machine calls the directory", 1},
      {kQueryLine5, ui::ControlKind::label, "", 1},
      {kQueryValue, ui::ControlKind::lineEdit, "", 2},
      {kQueryBrowse, ui::ControlKind::pushButton, "&Browse...", 2},
      {kQueryOk, ui::ControlKind::defaultButton, "OK", 0},
      {kQueryUseDefaults, ui::ControlKind::pushButton, "&Use Defaults", 0},
      {kQueryHelp, ui::ControlKind::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kQueryLine5, 9070}, {kQueryValue, 9071}, {kQueryOk, 9072},
                 {kQueryUseDefaults, 9073}, {kQueryHelp, 9074}, {kQueryBrowse, 9075}};
  return d;
}

std::string withSlashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

}  // namespace

const ui::DialogDescription& queryVariableDescription(bool projectVariableUse) {
  static const ui::DialogDescription variableUse = describe(true);
  static const ui::DialogDescription sandboxUse = describe(false);
  return projectVariableUse ? variableUse : sandboxUse;
}

QueryVariableDialog::QueryVariableDialog(ui::Ui& ui, std::string name, const std::string& value,
                                         std::string secondText, bool explicitMapping, bool context)
    : ui_(ui),
      name_(std::move(name)),
      value_(withSlashes(value.substr(0, kQueryValueLimit))),
      secondText_(std::move(secondText)),
      explicitMapping_(explicitMapping),
      context_(context) {}

void QueryVariableDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kQueryValue, value_);
  if (explicitMapping_) {
    surface.setText(kQueryLine2, "has an explicit mapping for its archive file.");
    surface.setText(kQueryLine4, "machine calls the archive directory");
  }
  if (!context_) {
    surface.setText(kQueryLine1, fitStaticText(formatText("$(%s)%s", name_.c_str(), secondText_.c_str())));
    surface.setText(kQueryLine2, cutForDisplay(formatText("uses the project variable %s", name_.c_str()), 80));
    surface.setText(kQueryLine3, "which is currently undefined.  Tessalyworkbench");
    surface.setText(kQueryLine4, "needs to know the value of this variable in order");
    surface.setText(kQueryLine5, "to correctly locate the member.  The value is:");
    surface.setVisible(kQueryUseDefaults, false);
  } else {
    surface.setText(kQueryLine1, fitStaticText(secondText_));
    surface.setText(kQueryLine5, fitStaticText(value_));
  }
  surface.setFocus(kQueryValue);
}

void QueryVariableDialog::command(ui::DialogSurface& surface, int controlId) {
  if (controlId == kQueryUseDefaults) {
    surface.end(kQueryUseDefaults);
    return;
  }
  if (controlId != kQueryBrowse) return;
  const std::string current = surface.text(kQueryValue);
  std::optional<std::string> chosen =
      browseForDirectory(ui_, "Select Directory", current.empty() ? "" : joinPath(current, ""), baseName(secondText_));
  if (!chosen) return;
  surface.setText(kQueryValue, stripLastPathComponent(*chosen));
}

bool QueryVariableDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != kQueryOk) return false;
  value_ = withSlashes(surface.text(kQueryValue).substr(0, kQueryValueLimit));
  return true;
}

int queryVariable(ui::Ui& ui, const std::string& name, std::string& value, const std::string& secondText,
                  bool explicitMapping, bool context) {
  QueryVariableDialog logic(ui, name, value, secondText, explicitMapping, context);
  const int result = ui.runDialog(queryVariableDescription(!context), logic);
  if (result == kQueryOk) value = logic.value();
  return result;
}

}  // namespace orv::workbench::external
