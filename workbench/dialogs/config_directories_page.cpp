// The Directories page: the default archive and work paths and the table
// of work-to-archive mappings (see config_pages.h). The user's own
// mappings can be added, replaced and deleted; the global ones are shown
// and never written. Work paths compare with case, as the file system and
// the library do.
#include "vc/include/vc.h"
#include "workbench/dialogs/config_pages.h"
#include "workbench/dialogs/dialog_fields.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kMappingOption = "worktoarch";
// The work path of a mapping is kept as written, not expanded: its limit is
// the row editor's.
constexpr std::size_t kLongestWorkPath = 512;

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = 500;
  d.title = "Directories";
  d.helpContext = 3031;
  d.controls = {
      {205, K::groupBox, "Default", 1},
      {kDirArchivePathLabel, K::label, "Ar&chive Path: ", 1},
      {kDirArchivePath, K::lineEdit, "", 1},
      {kDirWorkPathLabel, K::label, "Wor&k Path: ", 1},
      {kDirWorkPath, K::lineEdit, "", 1},
      {202, K::groupBox, "WorkToArch", 2},
      {kDirMappings, K::listBox, "", 2},
      {508, K::label, "&Work Path: ", 2},
      {kDirRowWork, K::lineEdit, "", 2},
      {509, K::label, "&Archive Path: ", 2},
      {kDirRowArchive, K::lineEdit, "", 2},
      {kCfgAdd, K::pushButton, "&Add", 2},
      {kCfgDelete, K::pushButton, "&Delete", 2},
  };
  d.helpPairs = {{508, 3035},  {kDirRowWork, 3035},      {509, 3036},     {kDirRowArchive, 3036},
                 {kCfgAdd, 3037}, {kCfgDelete, 3038},    {kDirMappings, 3034}, {kDirArchivePathLabel, 3039},
                 {kDirArchivePath, 3039}, {kDirWorkPathLabel, 3040}, {kDirWorkPath, 3040}};
  return d;
}

// The mapping part of a listed entry: the text after "worktoarch ".
std::string mappingOf(const std::string& entry) {
  const std::size_t blank = entry.find(' ');
  return blank == std::string::npos ? std::string() : entry.substr(blank + 1);
}

}  // namespace

const ui::DialogDescription& DirectoriesPage::description() {
  static const ui::DialogDescription d = describe();
  return d;
}

DirectoriesPage::DirectoriesPage(ui::Ui& ui, const ConfigFiles& files) : ConfigPage(ui, files) {
  archivePath_ = readArchivePath_ = libraryString("rcspath");
  workPath_ = readWorkPath_ = libraryString("rcswork");
  for (const std::string& e :
       libraryConfigList(VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH, VC_PROJECT_ITEM_OWN_NEXT_WORKTOARCH))
    rows_.push_back({mappingOf(e), true});
  for (const std::string& e :
       libraryConfigList(VC_PROJECT_ITEM_SECURITY_FIRST_WORKTOARCH, VC_PROJECT_ITEM_SECURITY_NEXT_WORKTOARCH))
    rows_.push_back({mappingOf(e), false});
}

void DirectoriesPage::showRows(ui::DialogSurface& surface) {
  std::vector<std::string> texts;
  for (const Mapping& m : rows_) texts.push_back(m.text);
  surface.setListItems(kDirMappings, texts);
}

void DirectoriesPage::setUp(ui::DialogSurface& surface) {
  surface.setText(kDirArchivePath, archivePath_);
  surface.setText(kDirWorkPath, workPath_);
  showRows(surface);
  surface.setEnabled(kCfgAdd, false);
  surface.setEnabled(kCfgDelete, false);
  disableIfLocked(surface, "rcspath", {kDirArchivePath, kDirArchivePathLabel});
  disableIfLocked(surface, "rcswork", {kDirWorkPath, kDirWorkPathLabel});
}

void DirectoriesPage::clearEditors(ui::DialogSurface& surface) {
  surface.setText(kDirRowWork, "");
  surface.setText(kDirRowArchive, "");
}

void DirectoriesPage::add(ui::DialogSurface& surface) {
  const std::string work = surface.text(kDirRowWork);
  if (!work.empty()) {
    const std::string archive = surface.text(kDirRowArchive);
    if (!validateTokenFields(ui_, surface, {{kDirRowArchive, app::TokenKind::archivePath}})) return;
    if (!valueFits(surface, kDirRowWork, work, "work path", kLongestWorkPath)) return;
    if (!valueFits(surface, kDirRowArchive, archive, "archive path")) return;
    // A personal mapping of the same work path is replaced; a global one
    // stays (the personal one is looked up first).
    const std::string prefix = work + "=";
    for (auto it = rows_.begin(); it != rows_.end(); ++it) {
      if (it->personal && it->text.compare(0, prefix.size(), prefix) == 0) {
        rows_.erase(it);
        break;
      }
    }
    rows_.push_back({prefix + archive, true});
    showRows(surface);
  }
  clearEditors(surface);
  surface.setFocus(kDirRowWork);
  surface.setSelection(kDirMappings, {});
  surface.setEnabled(kCfgAdd, false);
  surface.setEnabled(kCfgDelete, false);
}

void DirectoriesPage::remove(ui::DialogSurface& surface) {
  const std::vector<int> chosen = surface.selection(kDirMappings);
  if (chosen.empty() || chosen.front() >= static_cast<int>(rows_.size())) return;
  if (!rows_[static_cast<std::size_t>(chosen.front())].personal) return;
  clearEditors(surface);
  rows_.erase(rows_.begin() + chosen.front());
  showRows(surface);
  surface.setEnabled(kCfgDelete, false);
  surface.setEnabled(kCfgAdd, false);
  surface.setFocus(rows_.empty() ? kDirArchivePath : kDirRowWork);
}

void DirectoriesPage::rowChosen(ui::DialogSurface& surface) {
  clearEditors(surface);
  const std::vector<int> chosen = surface.selection(kDirMappings);
  if (chosen.empty() || chosen.front() >= static_cast<int>(rows_.size())) {
    surface.setEnabled(kCfgDelete, false);
    return;
  }
  const Mapping& row = rows_[static_cast<std::size_t>(chosen.front())];
  const std::size_t eq = row.text.find('=');
  if (eq == std::string::npos) return;
  surface.setText(kDirRowWork, row.text.substr(0, eq));
  surface.setText(kDirRowArchive, row.text.substr(eq + 1));
  surface.setEnabled(kCfgAdd, true);
  surface.setEnabled(kCfgDelete, row.personal);
  surface.setFocus(kDirRowArchive);
}

void DirectoriesPage::command(ui::DialogSurface& surface, int id) {
  switch (id) {
    case kCfgAdd: add(surface); break;
    case kCfgDelete: remove(surface); break;
    case kDirMappings: rowChosen(surface); break;
    case kDirRowWork:
    case kDirRowArchive:
      // Typing: Add takes both editors.
      surface.setEnabled(kCfgAdd, !surface.text(kDirRowWork).empty() && !surface.text(kDirRowArchive).empty());
      break;
    default: break;
  }
}

int DirectoriesPage::defaultButton(const ui::DialogSurface& surface) const {
  return !surface.text(kDirRowWork).empty() && !surface.text(kDirRowArchive).empty() ? kCfgAdd : 0;
}

bool DirectoriesPage::validate(ui::DialogSurface& surface) {
  if (!validateTokenFields(ui_, surface, {{kDirArchivePath, app::TokenKind::archivePath}})) return false;
  const std::string archive = surface.text(kDirArchivePath);
  const std::string work = surface.text(kDirWorkPath);
  if (!valueFits(surface, kDirArchivePath, archive, "archive path")) return false;
  if (!valueFits(surface, kDirWorkPath, work, "work path")) return false;
  archivePath_ = archive;
  workPath_ = work;
  return true;
}

bool DirectoriesPage::apply() {
  // Every personal mapping is listed first and dropped afterwards: dropping
  // during the walk would move the walk's place.
  const std::vector<std::string> stored =
      libraryConfigList(VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH, VC_PROJECT_ITEM_OWN_NEXT_WORKTOARCH);
  for (const std::string& entry : stored) dropLibraryOption(entry.substr(0, entry.find('=')));
  for (const Mapping& m : rows_)
    if (m.personal) setLibraryString(kMappingOption, m.text);
  if (archivePath_ != readArchivePath_) {
    if (archivePath_.empty()) dropLibraryOption("rcspath");
    else setLibraryString("rcspath", archivePath_);
  }
  if (workPath_ != readWorkPath_) {
    if (workPath_.empty()) dropLibraryOption("rcswork");
    else setLibraryString("rcswork", workPath_);
  }
  return true;
}

}  // namespace orv::workbench::dialogs
