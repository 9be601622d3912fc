// What a dialog is made of, as data: its controls with ids, kinds,
// captions and groups. One generic builder on the toolkit side lays such a
// description out as a window; the logic never creates widgets itself.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orv::ui {

enum class ControlKind {
  label,
  lineEdit,
  multiLineEdit,
  checkBox,
  radioButton,
  pushButton,
  defaultButton,
  listBox,
  multiSelectListBox,
  comboBox,
  groupBox,
  gauge,
  dropDownList,     // a combo box that only offers its items
  moveableListBox,  // a list whose rows the user drags into another order
};

struct ControlDescription {
  int id = 0;              // 0 for static controls nobody addresses
  ControlKind kind = ControlKind::label;
  std::string caption;     // '&' marks the mnemonic
  int group = 0;           // controls of one group are laid out together
};

// The help button of every dialog, and the topic a dialog without its own
// opens.
constexpr int kHelpButtonId = 199;
constexpr int kGenericHelpContext = 6082;

struct DialogDescription {
  int id = 0;              // the dialog's resource number
  std::string title;
  std::vector<ControlDescription> controls;
  int helpContext = kGenericHelpContext;       // the Help button and F1
  std::vector<std::pair<int, int>> helpPairs;  // (control id, help context)

  // The description of control id, or nullptr.
  const ControlDescription* find(int controlId) const;
  // The help context of F1 on control controlId inside control parentId
  // (0: none): the control's own pair, else its parent's, else nothing.
  std::optional<int> controlHelp(int controlId, int parentId) const;
};

// Screen geometry in pixels.
struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};
struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

}  // namespace orv::ui
