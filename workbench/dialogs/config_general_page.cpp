// The General page: ten library flags that set the defaults of new
// archives, of check-out and of check-in, as check boxes and two-item
// lists (see config_pages.h).
#include "platform/ui/dialog_description.h"
#include "workbench/dialogs/config_pages.h"

namespace orv::workbench::dialogs {

namespace {

enum : int {
  kGroupArchive = 1,
  kGroupCheckOut = 2,
  kGroupCheckIn = 3,
};

constexpr const char* kChanges = "Store Changes Only";
constexpr const char* kEntire = "Store Entire File";
constexpr const char* kCurrentTime = "Current Time";

constexpr std::array<GeneralPage::Row, 10> kRows{{
    {201, 0, "strictlocks", false, nullptr, nullptr},
    {202, 0, "keywordexpand", true, nullptr, nullptr},
    {203, 0, "writeprotect", true, nullptr, nullptr},
    {204, 0, "compress", false, nullptr, nullptr},
    {210, 0, "encrypt", false, nullptr, nullptr},
    {209, 213, "textdiff", true, kChanges, kEntire},
    {208, 212, "binarydiff", false, kChanges, kEntire},
    {206, 214, "addcr", true, "DOS Format (CR/LF)", "UNIX Format (LF)"},
    {207, 215, "restoretimestamp", false, "Time of Check In", kCurrentTime},
    {211, 216, "savetimestamp", false, "Time on Working File", kCurrentTime},
}};

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = 200;
  d.title = "General";
  d.helpContext = 3018;
  d.controls = {
      {99, K::groupBox, "Archive Defaults", kGroupArchive},
      {201, K::checkBox, "Strict Loc&king", kGroupArchive},
      {203, K::checkBox, "Write Protect &Archive Files", kGroupArchive},
      {204, K::checkBox, "&Compress Archives", kGroupArchive},
      {210, K::checkBox, "E&ncrypt Archives", kGroupArchive},
      {213, K::label, "Te&xt Files:", kGroupArchive},
      {209, K::dropDownList, "", kGroupArchive},
      {212, K::label, "&Binary Files:", kGroupArchive},
      {208, K::dropDownList, "", kGroupArchive},
      {98, K::groupBox, "Check Out Defaults", kGroupCheckOut},
      {202, K::checkBox, "&Expand Keywords in Working File", kGroupCheckOut},
      {214, K::label, "&Working File Format:", kGroupCheckOut},
      {206, K::dropDownList, "", kGroupCheckOut},
      {215, K::label, "&Set Timestamp on Working File To:", kGroupCheckOut},
      {207, K::dropDownList, "", kGroupCheckOut},
      {97, K::groupBox, "Check In Defaults", kGroupCheckIn},
      {216, K::label, "Set Timestamp on &Revision To:", kGroupCheckIn},
      {211, K::dropDownList, "", kGroupCheckIn},
  };
  d.helpPairs = {{213, 3021}, {209, 3021}, {212, 3022}, {208, 3022}, {216, 3023}, {211, 3023},
                 {214, 3024}, {206, 3024}, {215, 3025}, {207, 3025}, {202, 3026}, {201, 3027},
                 {203, 3029}, {204, 3028}, {210, 3030}};
  return d;
}

}  // namespace

const std::array<GeneralPage::Row, 10>& GeneralPage::rows() { return kRows; }

const ui::DialogDescription& GeneralPage::description() {
  static const ui::DialogDescription d = describe();
  return d;
}

GeneralPage::GeneralPage(ui::Ui& ui, const ConfigFiles& files) : ConfigPage(ui, files) {
  for (std::size_t i = 0; i < kRows.size(); ++i) values_[i] = libraryFlag(kRows[i].option, kRows[i].fallback);
  read_ = values_;
}

void GeneralPage::setUp(ui::DialogSurface& surface) {
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    const Row& r = kRows[i];
    if (r.label == 0) {
      surface.setChecked(r.id, values_[i]);
      disableIfLocked(surface, r.option, {r.id});
    } else {
      surface.setListItems(r.id, {r.trueItem, r.falseItem});
      surface.setSelection(r.id, {values_[i] ? 0 : 1});
      disableIfLocked(surface, r.option, {r.id, r.label});
    }
  }
}

bool GeneralPage::validate(ui::DialogSurface& surface) {
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    const Row& r = kRows[i];
    if (r.label == 0) {
      values_[i] = surface.isChecked(r.id);
    } else {
      const std::vector<int> chosen = surface.selection(r.id);
      values_[i] = chosen.empty() || chosen.front() == 0;
    }
  }
  return true;
}

bool GeneralPage::apply() {
  for (std::size_t i = 0; i < kRows.size(); ++i)
    if (values_[i] != read_[i]) setLibraryFlag(kRows[i].option, values_[i]);
  return true;
}

}  // namespace orv::workbench::dialogs
