// The Recursion page: seven [Recursion] settings of ORVTY.INI that say
// which project operations also descend into subprojects (see
// config_pages.h). All seven are written on every OK.
#include "workbench/dialogs/config_pages.h"

namespace orv::workbench::dialogs {

namespace {

constexpr std::array<RecursionPage::Row, 7> kRows{{
    {801, "&Checkpoint Project", "RecurseOnCheckpoint"},
    {802, "Create &Sandbox", "RecurseOnCreateSandbox"},
    {803, "La&bel", "RecurseOnLabel"},
    {804, "Pr&omote and Demote Member", "RecurseOnPromote"},
    {805, "Res&ynchronize", "RecurseOnResynchronize"},
    {806, "&Update To Head Rev", "RecurseOnUpdateToHeadRevision"},
    {807, "R&emove Unused Locks", "RecurseOnRemoveUnusedLocks"},
}};

ui::DialogDescription describe() {
  ui::DialogDescription d;
  d.id = 800;
  d.title = "Recursion";
  d.helpContext = 3061;
  d.controls.push_back({0, ui::ControlKind::groupBox, "Recurse Into Subprojects On:", 1});
  int context = 3064;
  for (const RecursionPage::Row& r : kRows) {
    d.controls.push_back({r.id, ui::ControlKind::checkBox, r.caption, 1});
    d.helpPairs.emplace_back(r.id, context++);
  }
  return d;
}

}  // namespace

const std::array<RecursionPage::Row, 7>& RecursionPage::rows() { return kRows; }

const ui::DialogDescription& RecursionPage::description() {
  static const ui::DialogDescription d = describe();
  return d;
}

RecursionPage::RecursionPage(ui::Ui& ui, const ConfigFiles& files) : ConfigPage(ui, files) {
  for (std::size_t i = 0; i < kRows.size(); ++i) values_[i] = iniFlag(kRecursionSection, kRows[i].key, false);
}

void RecursionPage::setUp(ui::DialogSurface& surface) {
  for (std::size_t i = 0; i < kRows.size(); ++i) surface.setChecked(kRows[i].id, values_[i]);
}

bool RecursionPage::validate(ui::DialogSurface& surface) {
  for (std::size_t i = 0; i < kRows.size(); ++i) values_[i] = surface.isChecked(kRows[i].id);
  return true;
}

bool RecursionPage::apply() {
  for (std::size_t i = 0; i < kRows.size(); ++i) setIniFlag(kRecursionSection, kRows[i].key, values_[i]);
  return true;
}

}  // namespace orv::workbench::dialogs
