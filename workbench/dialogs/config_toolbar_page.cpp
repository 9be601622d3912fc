// The Toolbar page and the User Buttons dialog (see config_toolbar_page.h).
#include "workbench/dialogs/config_toolbar_page.h"

#include <algorithm>
#include <cstring>

#include "platform/profile/profile.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/app/tool_hints.h"
#include "workbench/external/desktop_integration.h"
#include "workbench/external/program_starts.h"

namespace orv::workbench::dialogs {

namespace {

using app::ToolbarKind;
using K = ui::ControlKind;

constexpr int kViewRevisionCommand = 1522;
constexpr int kViewMemberCommand = 1557;

int availableList(ToolbarKind kind) {
  return kind == ToolbarKind::archive ? kTbArchiveAvailable : kTbProjectAvailable;
}
int contentsList(ToolbarKind kind) {
  return kind == ToolbarKind::archive ? kTbArchiveContents : kTbProjectContents;
}

const app::CatalogueRow& rowOf(int row) { return app::toolbarCatalogue()[static_cast<std::size_t>(row)]; }

std::string textOf(int row) { return app::catalogueText(rowOf(row).commandId); }

ui::DialogDescription describePage() {
  ui::DialogDescription d;
  d.id = 700;
  d.title = "Toolbar";
  d.helpContext = 3071;
  d.controls = {
      {0, K::groupBox, "Toolbar", 1},
      {kTbProjectBar, K::radioButton, "Proje&ct Toolbar", 1},
      {kTbArchiveBar, K::radioButton, "A&rchive Toolbar", 1},
      {kTbProjectBox, K::groupBox, "Project Toolbar Buttons", 2},
      {0, K::label, "Available:", 2},
      {kTbProjectAvailable, K::listBox, "", 2},
      {0, K::label, "Contents:", 2},
      {kTbProjectContents, K::moveableListBox, "", 2},
      {kTbArchiveBox, K::groupBox, "Archive Toolbar Buttons", 3},
      {0, K::label, "Available:", 3},
      {kTbArchiveAvailable, K::listBox, "", 3},
      {0, K::label, "Contents:", 3},
      {kTbArchiveContents, K::moveableListBox, "", 3},
      {kTbAdd, K::pushButton, "&Add ->", 4},
      {kTbRemove, K::pushButton, "<- R&emove", 4},
      {0, K::label, "&Orientation:", 5},
      {kTbOrientation, K::dropDownList, "", 5},
      {0, K::label, "&Hints:", 5},
      {kTbHintMode, K::dropDownList, "", 5},
  };
  return d;
}

ui::DialogDescription describeUserButton() {
  ui::DialogDescription d;
  d.id = 750;
  d.title = "User Buttons";
  d.helpContext = 2044;
  d.controls = {
      {0, K::label, "&Program:", 1},
      {kUbProgram, K::lineEdit, "", 1},
      {0, K::label, "P&arameters:", 1},
      {kUbArguments, K::lineEdit, "", 1},
      {0, K::label, "&Description:", 1},
      {kUbDescription, K::lineEdit, "", 1},
      {0, K::label, "&Icon File:", 1},
      {kUbIconFile, K::lineEdit, "", 1},
      {kUbBrowse, K::pushButton, "&Browse...", 1},
      {0, K::label, "The button shows the icon of the icon file, else the program's icon.", 2},
      {kUbPreview, K::label, "", 2},
      {ui::kAnswerOk, K::defaultButton, "OK", 0},
      {ui::kAnswerCancel, K::pushButton, "Cancel", 0},
      {ui::kHelpButtonId, K::pushButton, "&Help", 0},
  };
  return d;
}

}  // namespace

// ---- User Buttons ----

UserButtonDialog::UserButtonDialog(ui::Ui& ui, std::string settingsFile, int n, const external::IconLookup& lookup)
    : ui_(ui), settingsFile_(std::move(settingsFile)), n_(n), lookup_(lookup) {}

const ui::DialogDescription& UserButtonDialog::description() {
  static const ui::DialogDescription d = describeUserButton();
  return d;
}

std::string UserButtonDialog::title() const { return "Customize User Button " + std::to_string(n_); }

void UserButtonDialog::setUp(ui::DialogSurface& surface) {
  profile::ProfileFile settings;
  settings.load(settingsFile_);
  const app::UserButton b = app::readUserButton(settings, n_);
  surface.setText(kUbProgram, b.command);
  surface.setText(kUbArguments, b.arguments);
  surface.setText(kUbDescription, b.description);
  surface.setText(kUbIconFile, b.icon);
  preview(surface);
}

void UserButtonDialog::preview(ui::DialogSurface& surface) {
  const external::IconResolver resolver(lookup_);
  const external::IconChoice icon = resolver.userButton(n_, surface.text(kUbProgram), surface.text(kUbIconFile));
  surface.setImage(kUbPreview, external::iconKey(icon, 4249 + n_));
}

void UserButtonDialog::edited(ui::DialogSurface& surface, int id) {
  if (id != kUbProgram && id != kUbIconFile) return;
  browseTarget_ = id;
  preview(surface);
}

void UserButtonDialog::command(ui::DialogSurface& surface, int id) {
  if (id != kUbBrowse) return;
  ui::FileRequest request;
  if (browseTarget_ == kUbProgram) {
    request.caption = "Program";
    request.filters = {"All files (*)"};
  } else {
    request.caption = "Icon File";
    request.filters = {"Icon files (*.png *.svg *.xpm *.ico)", "Desktop entries (*.desktop)", "All files (*)"};
  }
  request.fileName = surface.text(browseTarget_);
  const auto chosen = ui_.chooseFiles(request);
  if (chosen.empty()) return;
  // The chosen path replaces the field's whole text.
  surface.setText(browseTarget_, chosen.front());
  surface.setFocus(browseTarget_);
  preview(surface);
}

bool UserButtonDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  profile::ProfileFile settings;
  settings.load(settingsFile_);
  app::writeUserButton(settings, n_,
                       {surface.text(kUbProgram), surface.text(kUbArguments), surface.text(kUbDescription),
                        surface.text(kUbIconFile)});
  if (const int rc = settings.save()) {
    app::rcsMessage(ui_, app::kStyleError, "Unable to write " + settingsFile_ + ": " + std::strerror(rc));
    return false;
  }
  return true;
}

bool UserButtonDialog::run() {
  ui::DialogDescription d = description();
  d.title = title();
  return ui_.runDialog(d, *this) == ui::kAnswerOk;
}

// ---- Toolbar page ----

namespace {

app::ToolbarConfig readConfig(const std::string& settingsFile) {
  profile::ProfileFile settings;
  settings.load(settingsFile);
  return app::ToolbarConfig(settings);
}

}  // namespace

ToolbarPage::ToolbarPage(ui::Ui& ui, const ConfigFiles& files, const external::IconLookup* lookup)
    : ConfigPage(ui, files),
      ownLookup_(lookup ? nullptr : std::make_unique<external::SystemIconLookup>()),
      lookup_(lookup ? *lookup : *ownLookup_),
      config_(readConfig(files.settingsFile)) {
  editor_ = libraryString("Editor");
  if (editor_.empty()) editor_ = external::fallbackEditor();
}

ToolbarPage::~ToolbarPage() = default;

const ui::DialogDescription& ToolbarPage::description() {
  static const ui::DialogDescription d = describePage();
  return d;
}

std::string ToolbarPage::iconOfRow(ToolbarKind, int catalogueRow) const {
  const app::CatalogueRow& row = rowOf(catalogueRow);
  if (row.commandId == 0) return "icon:0";  // the separator's mark
  const external::IconResolver resolver(lookup_);
  if (const int n = app::userButtonOf(row.commandId)) {
    profile::ProfileFile settings;
    settings.load(files_.settingsFile);
    const app::UserButton b = app::readUserButton(settings, n);
    return external::iconKey(resolver.userButton(n, b.command, b.icon), row.iconId);
  }
  if (row.commandId == kViewRevisionCommand || row.commandId == kViewMemberCommand)
    return external::iconKey(resolver.programButton(external::execProgram(editor_), row.iconId), row.iconId);
  return "icon:" + std::to_string(row.iconId);
}

void ToolbarPage::setUp(ui::DialogSurface& surface) {
  std::vector<std::string> orientations(std::begin(app::kOrientationNames), std::end(app::kOrientationNames));
  std::vector<std::string> modes(std::begin(app::kHintModeNames), std::end(app::kHintModeNames));
  surface.setListItems(kTbOrientation, orientations);
  surface.setSelection(kTbOrientation, {config_.orientation()});
  surface.setListItems(kTbHintMode, modes);
  surface.setSelection(kTbHintMode, {config_.hintMode()});
  fillLists(surface, ToolbarKind::project);
  fillLists(surface, ToolbarKind::archive);
  surface.setChecked(kTbProjectBar, shown_ == ToolbarKind::project);
  surface.setChecked(kTbArchiveBar, shown_ == ToolbarKind::archive);
  showBar(surface);
}

void ToolbarPage::showBar(ui::DialogSurface& surface) {
  surface.setVisible(kTbProjectBox, shown_ == ToolbarKind::project);
  surface.setVisible(kTbArchiveBox, shown_ == ToolbarKind::archive);
}

void ToolbarPage::fillLists(ui::DialogSurface& surface, ToolbarKind kind, int selectContents) {
  std::vector<std::string> texts, icons;
  for (int row : config_.available(kind)) {
    texts.push_back(textOf(row));
    icons.push_back(iconOfRow(kind, row));
  }
  surface.setListItems(availableList(kind), texts);
  surface.setListIcons(availableList(kind), icons);
  texts.clear();
  icons.clear();
  for (const app::ToolbarRowRef& r : config_.contents(kind)) {
    texts.push_back(textOf(r.row));
    icons.push_back(iconOfRow(kind, r.row));
  }
  surface.setListItems(contentsList(kind), texts);
  surface.setListIcons(contentsList(kind), icons);
  if (selectContents >= 0) surface.setSelection(contentsList(kind), {selectContents});
}

void ToolbarPage::command(ui::DialogSurface& surface, int id) {
  switch (id) {
    case kTbProjectBar:
    case kTbArchiveBar:
      shown_ = surface.isChecked(kTbArchiveBar) ? ToolbarKind::archive : ToolbarKind::project;
      showBar(surface);
      break;
    case kTbAdd: add(surface); break;
    case kTbRemove: remove(surface); break;
    case kTbOrientation:
    case kTbHintMode: validate(surface); break;
    case kTbArchiveContents: reordered(surface, ToolbarKind::archive); break;
    case kTbProjectContents: reordered(surface, ToolbarKind::project); break;
    default: break;
  }
}

void ToolbarPage::add(ui::DialogSurface& surface) {
  const auto chosen = surface.selection(availableList(shown_));
  if (chosen.empty()) return;
  const int row = config_.available(shown_)[static_cast<std::size_t>(chosen.front())];
  if (static_cast<int>(config_.contents(shown_).size()) >= app::kMaxToolbarButtons) {
    app::rcsMessage(ui_, app::kStyleError, kToolbarFullText);
    return;
  }
  if (const int n = app::userButtonOf(rowOf(row).commandId); n && !runUserDialog(n)) return;
  const auto selected = surface.selection(contentsList(shown_));
  int at = -1;
  if (config_.add(shown_, chosen.front(), selected.empty() ? -1 : selected.front(), &at) !=
      app::ToolbarConfig::AddResult::added)
    return;
  fillLists(surface, shown_, at);
}

void ToolbarPage::remove(ui::DialogSurface& surface) {
  const auto selected = surface.selection(contentsList(shown_));
  if (selected.empty()) return;
  config_.remove(shown_, selected.front());
  const int count = static_cast<int>(config_.contents(shown_).size());
  fillLists(surface, shown_, count == 0 ? -1 : std::min(selected.front(), count - 1));
}

void ToolbarPage::reordered(ui::DialogSurface& surface, ToolbarKind kind) {
  // A drag moves one row; find it from the texts.
  const std::vector<std::string> shown = surface.listItems(contentsList(kind));
  const auto& contents = config_.contents(kind);
  if (shown.size() != contents.size()) return;
  int first = -1, last = -1;
  for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
    if (shown[static_cast<std::size_t>(i)] == textOf(contents[static_cast<std::size_t>(i)].row)) continue;
    if (first < 0) first = i;
    last = i;
  }
  if (first < 0) return;
  if (shown[static_cast<std::size_t>(first)] == textOf(contents[static_cast<std::size_t>(last)].row))
    config_.move(kind, last, first);
  else
    config_.move(kind, first, last);
}

void ToolbarPage::activated(ui::DialogSurface& surface, int id) {
  if (id != kTbArchiveContents && id != kTbProjectContents) return;
  const ToolbarKind kind = id == kTbArchiveContents ? ToolbarKind::archive : ToolbarKind::project;
  const auto selected = surface.selection(id);
  if (selected.empty()) return;
  const int row = config_.contents(kind)[static_cast<std::size_t>(selected.front())].row;
  const int n = app::userButtonOf(rowOf(row).commandId);
  if (!n) {
    app::rcsMessage(ui_, app::kStyleError, kOnlyUserButtonsText);
    return;
  }
  if (!runUserDialog(n)) return;
  config_.markModified();
  fillLists(surface, ToolbarKind::project, kind == ToolbarKind::project ? selected.front() : -1);
  fillLists(surface, ToolbarKind::archive, kind == ToolbarKind::archive ? selected.front() : -1);
}

bool ToolbarPage::runUserDialog(int n) {
  UserButtonDialog dialog(ui_, files_.settingsFile, n, lookup_);
  return dialog.run();
}

bool ToolbarPage::validate(ui::DialogSurface& surface) {
  const auto orientation = surface.selection(kTbOrientation);
  const auto mode = surface.selection(kTbHintMode);
  if (!orientation.empty()) config_.setOrientation(orientation.front());
  if (!mode.empty()) config_.setHintMode(mode.front());
  return true;
}

bool ToolbarPage::apply() {
  if (!config_.modified()) return true;
  ui_.pushBusyCursor();
  profile::ProfileFile settings;
  settings.load(files_.settingsFile);
  config_.writeButtons(settings);
  if (const int rc = settings.save())
    app::rcsMessage(ui_, app::kStyleError, "Unable to write " + files_.settingsFile + ": " + std::strerror(rc));
  setIniString("User", "HintMode", std::to_string(config_.hintMode()));
  setIniString("User", "Orientation", std::to_string(config_.orientation()));
  ui_.popCursor();
  return true;
}

}  // namespace orv::workbench::dialogs
