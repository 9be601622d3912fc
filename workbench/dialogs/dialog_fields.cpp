// The token check of the dialogs' entry fields (see dialog_fields.h).
#include "dialogs/dialog_fields.h"

#include "shell/messages.h"
#include "shell/string_table.h"
#include "vc/include/vc.h"

namespace orv::dialogs {

namespace {

constexpr unsigned kOptionEnforced = 4;

}  // namespace

bool lognameEnforced() {
  unsigned flags = 0;
  return vcGetConfigFlags("logname", &flags) == 0 && (flags & kOptionEnforced) != 0;
}

bool validateTokenFields(ui::Ui& ui, ui::DialogSurface& surface, std::initializer_list<TokenField> fields) {
  const shell::CheckToken check = [](int tokenClass, const std::string& text) {
    return vcValidateToken(0, tokenClass, text.c_str());
  };
  // The check runs as OK takes the focus, never for Cancel All.
  for (const TokenField& field : fields) {
    if (!surface.isEnabled(field.id)) continue;
    const shell::Validation v =
        shell::validateToken(static_cast<int>(field.kind), surface.text(field.id), ui::kAnswerOk, check);
    if (v.pass) continue;
    if (v.messageId) shell::showText(ui, v.icon, std::string(shell::loadString(v.messageId)));
    surface.setFocus(field.id);
    return false;
  }
  return true;
}

}  // namespace orv::dialogs
