// The Preferences page: the author of new revisions ("logname"), the
// editor ("Editor") and four [System] settings of ORVTY.INI (see
// config_pages.h).
#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/dialogs/config_pages.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/external/program_starts.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kStartupKey = "ServerOnStartup";
constexpr const char* kMenuKey = "FileManagerTYMenu";
constexpr const char* kAssociationsKey = "UseFileManagerAssociations";
constexpr const char* kLongNamesKey = "EditorLongNames";
constexpr std::size_t kAuthorLength = 40;

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = 100;
  d.title = "Preferences";
  d.helpContext = 3000;
  d.controls = {
      {97, K::groupBox, "User", 1},
      {kPrefUserNameLabel, K::label, "User Name:", 1},
      {kPrefUserName, K::label, "", 1},
      {kPrefAuthorLabel, K::label, "Default &Author Name:", 1},
      {kPrefAuthor, K::lineEdit, "", 1},
      {99, K::groupBox, "Editor", 2},
      {kPrefUseAssociations, K::radioButton, "&Use File Manager Associations", 2},
      {kPrefUseEditor, K::radioButton, "&Editor:", 2},
      {kPrefEditor, K::lineEdit, "", 2},
      {kCfgBrowse, K::pushButton, "&Browse...", 2},
      {kPrefLongNames, K::checkBox, "Editor Supports &Long Filenames", 2},
      {98, K::groupBox, "Startup", 3},
      {kPrefStartup, K::checkBox, "&Start the Workbench When I Log In", 3},
      {kPrefFileManagerMenu, K::checkBox, "Add the Workbench to the &File Manager's Menu", 3},
  };
  d.helpPairs = {{kPrefStartup, 3008},     {kPrefFileManagerMenu, 3009}, {kPrefUserNameLabel, 3010},
                 {kPrefUserName, 3010},    {kPrefAuthorLabel, 3011},     {kPrefAuthor, 3011},
                 {kPrefUseAssociations, 3012}, {kPrefEditor, 3013},      {kPrefUseEditor, 3013},
                 {kCfgBrowse, 3014},       {kPrefLongNames, 3092}};
  return d;
}

std::string sysInfo(int item) {
  char buffer[256] = {};
  return vcGetSysInfo(item, buffer, sizeof buffer) == 0 ? std::string(buffer) : std::string();
}

}  // namespace

const ui::DialogDescription& PreferencesPage::description() {
  static const ui::DialogDescription d = describe();
  return d;
}

PreferencesPage::PreferencesPage(ui::Ui& ui, const ConfigFiles& files, DesktopIntegration desktop)
    : ConfigPage(ui, files), desktop_(std::move(desktop)) {
  values_.startup = iniFlag(kSystemSection, kStartupKey, true);
  values_.fileManagerMenu = iniFlag(kSystemSection, kMenuKey, true);
  iniStartup_ = values_.startup;
  iniFileManagerMenu_ = values_.fileManagerMenu;
  if (desktop_.startsWithSession) values_.startup = desktop_.startsWithSession();
  if (desktop_.inFileManagerMenu) values_.fileManagerMenu = desktop_.inFileManagerMenu();
  values_.useAssociations = iniFlag(kSystemSection, kAssociationsKey, true);
  values_.longNames = iniFlag(kSystemSection, kLongNamesKey, true);
  values_.author = sysInfo(VC_SYSINFO_LOGIN_NAME);
  values_.editor = libraryString("Editor");
  if (values_.editor.empty()) values_.editor = external::fallbackEditor();
  read_ = values_;
  editorLocked_ = optionIsLocked("Editor");
}

void PreferencesPage::setUp(ui::DialogSurface& surface) {
  surface.setChecked(kPrefStartup, values_.startup);
  surface.setChecked(kPrefFileManagerMenu, values_.fileManagerMenu);
  surface.setChecked(kPrefUseAssociations, values_.useAssociations);
  surface.setChecked(kPrefUseEditor, !values_.useAssociations);
  surface.setChecked(kPrefLongNames, values_.longNames);
  surface.setText(kPrefAuthor, values_.author);
  surface.setText(kPrefEditor, values_.editor);
  surface.setText(kPrefUserName, sysInfo(VC_SYSINFO_USER));
  disableIfLocked(surface, "logname", {kPrefAuthor, kPrefAuthorLabel});
  if (editorLocked_) {
    surface.setChecked(kPrefUseAssociations, false);
    surface.setChecked(kPrefUseEditor, true);
    for (int id : {int{kPrefUseAssociations}, int{kPrefUseEditor}, int{kPrefEditor}, int{kCfgBrowse}})
      surface.setEnabled(id, false);
  }
}

void PreferencesPage::command(ui::DialogSurface& surface, int id) {
  if (id != kCfgBrowse) return;
  ui::FileRequest request;
  request.caption = "Editor";
  request.filters = {"Programs (*)", "All Files (*)"};
  const std::vector<std::string> chosen = ui_.chooseFiles(request);
  if (!chosen.empty()) surface.setText(kPrefEditor, chosen.front());
}

bool PreferencesPage::validate(ui::DialogSurface& surface) {
  if (!validateTokenFields(ui_, surface, {{kPrefAuthor, app::TokenKind::author}})) return false;
  const std::string author = surface.text(kPrefAuthor);
  if (author.size() > kAuthorLength) {
    app::rcsMessage(ui_, app::kStyleError,
                    app::formatText("The author name holds at most %zu characters.", kAuthorLength));
    surface.setFocus(kPrefAuthor);
    return false;
  }
  const std::string editor = surface.text(kPrefEditor);
  if (!valueFits(surface, kPrefEditor, editor, "editor")) return false;
  values_.startup = surface.isChecked(kPrefStartup);
  values_.fileManagerMenu = surface.isChecked(kPrefFileManagerMenu);
  values_.useAssociations = surface.isChecked(kPrefUseAssociations);
  values_.longNames = surface.isChecked(kPrefLongNames);
  values_.author = author;
  values_.editor = editor;
  return true;
}

bool PreferencesPage::apply() {
  if (values_.startup != read_.startup || values_.startup != iniStartup_)
    setIniFlag(kSystemSection, kStartupKey, values_.startup);
  if (values_.startup != read_.startup && desktop_.startWithSession) desktop_.startWithSession(values_.startup);
  if (values_.fileManagerMenu != read_.fileManagerMenu || values_.fileManagerMenu != iniFileManagerMenu_)
    setIniFlag(kSystemSection, kMenuKey, values_.fileManagerMenu);
  if (values_.fileManagerMenu != read_.fileManagerMenu && desktop_.fileManagerMenu)
    desktop_.fileManagerMenu(values_.fileManagerMenu);
  setIniFlag(kSystemSection, kAssociationsKey, editorLocked_ ? false : values_.useAssociations);
  if (values_.longNames != read_.longNames) setIniFlag(kSystemSection, kLongNamesKey, values_.longNames);
  if (values_.author != read_.author) setLibraryString("logname", values_.author);
  if (values_.editor != read_.editor) {
    if (values_.editor.empty()) dropLibraryOption("Editor");
    else setLibraryString("Editor", values_.editor);
  }
  return true;
}

}  // namespace orv::workbench::dialogs
