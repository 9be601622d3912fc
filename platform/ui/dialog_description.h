// What a dialog is made of, as data: its controls with ids, kinds,
// captions and groups. One generic builder on the toolkit side lays such a
// description out as a window; the logic never creates widgets itself.
#pragma once

#include <string>
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
};

struct ControlDescription {
  int id = 0;              // 0 for static controls nobody addresses
  ControlKind kind = ControlKind::label;
  std::string caption;     // '&' marks the mnemonic
  int group = 0;           // controls of one group are laid out together
};

struct DialogDescription {
  int id = 0;              // the dialog's resource number
  std::string title;
  std::vector<ControlDescription> controls;

  // The description of control id, or nullptr.
  const ControlDescription* find(int controlId) const;
};

}  // namespace orv::ui
