// The token check of the dialogs' entry fields (see dialog_fields.h).
#include "dialogs/dialog_fields.h"

#include "shell/archive_revisions.h"
#include "shell/dialog_text.h"
#include "shell/message_styles.h"
#include "shell/messages.h"
#include "shell/string_table.h"
#include "vc/include/vc.h"

namespace orv::dialogs {

namespace {

constexpr unsigned kOptionEnforced = 4;

}  // namespace

int chosenIndex(const ui::DialogSurface& surface, int id, const std::vector<std::string>& entries) {
  std::string text = surface.text(id);
  if (text.empty()) {
    const std::vector<int> rows = surface.selection(id);
    if (!rows.empty() && rows.front() >= 0 && static_cast<std::size_t>(rows.front()) < entries.size())
      return rows.front();
  }
  return shell::findStringIndex(entries, text);
}

bool commitArchiveChanges(shell::OpenArchive& archive) {
  int rc = 0;
  {
    shell::BusyCursor busy(archive.ui());
    rc = vcCommitArchive(archive.handle(), 0);
    if (rc == 0) vcKeepClosed(archive.handle());
  }
  if (rc == 0) return true;
  archive.reopen();
  archive.setStatus(rc);
  archive.showError(shell::kStyleError);
  return false;
}

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

void addRevisionFields(std::vector<ui::ControlDescription>& controls, const RevisionFieldIds& ids, int group) {
  using K = ui::ControlKind;
  controls.insert(controls.end(), {{ids.labelCaption, K::label, "&Label:", group},
                                   {ids.label, K::lineEdit, "", group},
                                   {ids.numberCaption, K::label, "&Number:", group},
                                   {ids.number, K::lineEdit, "", group},
                                   {ids.stateCaption, K::label, "Stat&e:", group},
                                   {ids.state, K::lineEdit, "", group},
                                   {ids.authorCaption, K::label, "A&uthor:", group},
                                   {ids.author, K::lineEdit, "", group}});
}

bool validateRevisionFields(ui::Ui& ui, ui::DialogSurface& surface, const RevisionFieldIds& ids) {
  return validateTokenFields(ui, surface,
                             {{ids.label, shell::TokenKind::label},
                              {ids.number, shell::TokenKind::revision},
                              {ids.state, shell::TokenKind::state},
                              {ids.author, shell::TokenKind::author}});
}

}  // namespace orv::dialogs
