// The token check of the dialogs' entry fields (see dialog_fields.h).
#include "workbench/dialogs/dialog_fields.h"

#include "vc/include/vc.h"
#include "workbench/app/dialog_text.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"

namespace orv::workbench::dialogs {

namespace {


}  // namespace

int chosenIndex(const ui::DialogSurface& surface, int id, const std::vector<std::string>& entries) {
  std::string text = surface.text(id);
  if (text.empty()) {
    const std::vector<int> rows = surface.selection(id);
    if (!rows.empty() && rows.front() >= 0 && static_cast<std::size_t>(rows.front()) < entries.size())
      return rows.front();
  }
  return app::findStringIndex(entries, text);
}

bool commitArchiveChanges(archive::OpenArchive& archive) {
  int rc = 0;
  {
    archive::BusyCursor busy(archive.ui());
    rc = vcCommitArchive(archive.handle(), VC_COMMIT_KEEP_OPEN);
    if (rc == 0) vcKeepClosed(archive.handle());
  }
  if (rc == 0) return true;
  archive.reopen();
  archive.setStatus(rc);
  archive.showError(app::kStyleError);
  return false;
}

bool lognameEnforced() {
  unsigned flags = 0;
  return vcGetConfigFlags("logname", &flags) == 0 && (flags & VC_OPTION_ENFORCED) != 0;
}

bool validateTokenFields(ui::Ui& ui, ui::DialogSurface& surface, std::initializer_list<TokenField> fields) {
  const app::CheckToken check = [](int tokenClass, const std::string& text) {
    return vcValidateToken(0, tokenClass, text.c_str());
  };
  // The check runs as OK takes the focus, never for Cancel All.
  for (const TokenField& field : fields) {
    if (!surface.isEnabled(field.id)) continue;
    const app::Validation v =
        app::validateToken(static_cast<int>(field.kind), surface.text(field.id), ui::kAnswerOk, check);
    if (v.pass) continue;
    if (v.messageId) app::showText(ui, v.icon, std::string(app::loadString(v.messageId)));
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
                             {{ids.label, app::TokenKind::label},
                              {ids.number, app::TokenKind::revision},
                              {ids.state, app::TokenKind::state},
                              {ids.author, app::TokenKind::author}});
}

}  // namespace orv::workbench::dialogs
