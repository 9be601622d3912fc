// What the operation dialogs share between their records and controls:
// copying an entry or a check box into a record field (cut to the field's
// width), and the token check of the entry fields when the dialog is
// accepted.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "shell/token_validator.h"
#include "shell/transfer_records.h"
#include "ui/ui.h"

namespace orv::dialogs {

template <std::size_t N>
void readField(const ui::DialogSurface& surface, int id, char (&field)[N]) {
  shell::setField(field, surface.text(id));
}

inline std::uint32_t checkedValue(const ui::DialogSurface& surface, int id) {
  return surface.isChecked(id) ? 1 : 0;
}

// A box whose record value is fixed: shown with value and disabled.
inline void fixBox(ui::DialogSurface& surface, int id, bool value) {
  surface.setChecked(id, value);
  surface.setEnabled(id, false);
}

// True when the configuration enforces "logname": the author is not the
// user's to choose.
bool lognameEnforced();

struct TokenField {
  int id;
  shell::TokenKind kind;
};
// Checks each enabled field in order with the library's token rules; at the
// first refusal shows its message, puts the focus there and answers false.
bool validateTokenFields(ui::Ui& ui, ui::DialogSurface& surface, std::initializer_list<TokenField> fields);

}  // namespace orv::dialogs
