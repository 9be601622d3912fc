// The check of entry fields that hold revision tokens (labels, revision
// numbers, states, authors, branches, attributes, archive path templates),
// asked of the revision library's token rules. Run when the field loses the
// focus and when the dialog is accepted; never when the focus goes to
// "Cancel All".
#pragma once

#include <functional>
#include <string>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

enum class TokenKind : int {
  label = 0,
  revision = 1,
  state = 2,
  author = 3,
  branch = 4,
  attribute = 5,
  optionalState = 6,
  archivePath = 7,
};

// The "Cancel All" button of the multi-file dialogs.
constexpr int kCancelAllId = 198;

// The library's token check (vcValidateToken with no archive): 0 valid,
// 54 syntactically invalid, anything else a failure of the check itself.
using CheckToken = std::function<int(int tokenClass, const std::string& text)>;

struct Validation {
  bool pass = true;
  int messageId = 0;  // the text to show, 0 for none
  ui::MessageIcon icon = ui::MessageIcon::none;
};

Validation validateToken(int kind, const std::string& text, int focusId, const CheckToken& check);

}  // namespace orv::workbench::app
