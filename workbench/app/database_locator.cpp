// The security-database locator's description and logic.
#include "workbench/app/database_locator.h"

#include <sys/stat.h>

#include <cctype>

#include "platform/fs/path_separators.h"
#include "platform/sys/system_calls.h"
#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::app {

namespace {

bool isFile(const std::string& path) {
  struct stat st {};
  return sys::calls().stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
  struct stat st {};
  return sys::calls().stat(path.c_str(), &st) == 0;
}

// The dot that starts the extension of path's last component, or npos.
std::size_t extensionDot(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return std::string::npos;
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return dot > nameStart ? dot : std::string::npos;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

ui::DialogDescription databaseLocatorDescription() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kLocatorDialogId;
  d.title = "Locate Kelmark Database";
  d.helpContext = kLocatorHelpContext;
  d.controls = {
      {0, K::label, "Orv Tessalyworkbench could not find the Orv Kelmark database,", 1},
      {0, K::label, "which holds its users and their permissions.", 1},
      {0, K::label, "If you know where the database is, enter the location of its", 1},
      {0, K::label, "file below, or use the Browse button to find it.", 1},
      {0, K::label, "Otherwise, ask your system administrator, or see the", 1},
      {0, K::label, "Orv Tessalyworkbench documentation for more information.", 1},
      {99, K::groupBox, "Orv Kelmark Database", 2},
      {kLocatorFileCaption, K::label, "&Filename:", 2},
      {kLocatorFile, K::lineEdit, "", 2},
      {kLocatorBrowse, K::pushButton, "&Browse...", 2},
      {ui::kAnswerOk, K::defaultButton, "OK", 0},
      {ui::kAnswerCancel, K::pushButton, "Cancel", 0},
      {ui::kHelpButtonId, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kLocatorFileCaption, 9134}, {kLocatorFile, 9134}, {kLocatorBrowse, 9135},
                 {ui::kAnswerOk, 9136},       {ui::kAnswerCancel, 9137}, {ui::kHelpButtonId, 9138}};
  return d;
}

std::string redirectorFileOf(const std::string& name) {
  const std::size_t dot = extensionDot(name);
  if (dot == std::string::npos) return name + ".red";
  if (equalsNoCase(std::string_view(name).substr(dot + 1), "dat")) return name.substr(0, dot) + ".red";
  return name;
}

std::string withoutExtension(const std::string& path) {
  const std::size_t dot = extensionDot(path);
  return dot == std::string::npos ? path : path.substr(0, dot);
}

void DatabaseLocator::setUp(ui::DialogSurface& surface) {
  surface.setText(kLocatorFile, "");
  surface.setFocus(kLocatorFile);
}

void DatabaseLocator::command(ui::DialogSurface& surface, int controlId) {
  if (controlId != kLocatorBrowse) return;
  ui::FileRequest request;
  request.caption = std::string(loadString(kStrSelectDatabase));
  request.filters = {"Database Files (*.dat)", "All Files (*)"};
  const std::string typed = fs::forward_slashes(surface.text(kLocatorFile));
  if (const std::size_t slash = typed.find_last_of('/'); slash != std::string::npos) {
    request.directory = typed.substr(0, slash == 0 ? 1 : slash);
    request.fileName = typed.substr(slash + 1);
  }
  const auto chosen = ui_.chooseFiles(request);
  if (!chosen.empty()) surface.setText(kLocatorFile, chosen.front());
}

void DatabaseLocator::giveUp(ui::DialogSurface& surface, const std::string& redirector) {
  showText(ui_, ui::MessageIcon::warning,
           formatText(std::string(loadString(kStrRedirectorNotCreated)).c_str(), redirector.c_str()));
  surface.end(ui::kAnswerCancel);
}

bool DatabaseLocator::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  std::string database = surface.text(kLocatorFile);
  if (database.size() > static_cast<std::size_t>(kLocatorFileRoom)) database.resize(kLocatorFileRoom);
  database = fs::forward_slashes(database);
  if (database.empty()) return false;
  if (!isFile(database)) {
    showText(ui_, ui::MessageIcon::warning, std::string(loadString(kStrDatabaseNotFound)));
    surface.setFocus(kLocatorFile);
    return false;
  }

  // Where the library looks for its database. The redirector it writes is
  // that name with the extension "red", and that is the file that may be
  // there already.
  char item[kLocatorFileRoom + 1] = {};
  std::string redirector;
  if (library_.getSysInfo(VC_SYSINFO_SECURITY_DATABASE, item, kLocatorFileRoom) == 0)
    redirector = fs::forward_slashes(item);
  if (redirector.empty()) {
    giveUp(surface, redirector);
    return false;
  }
  const std::string file = redirectorFileOf(redirector);
  if (exists(file)) {
    const int answer = showMessage(
        ui_, ui::yesNoBox("", formatText(std::string(loadString(kStrOverwriteRedirector)).c_str(),
                                          file.c_str()),
                          ui::MessageIcon::question));
    if (answer != ui::kAnswerYes) {
      giveUp(surface, file);
      return false;
    }
  }
  if (library_.createRedirector(withoutExtension(database).c_str(), redirector.c_str()) != 0) {
    giveUp(surface, file);
    return false;
  }
  return true;
}

int runDatabaseLocator(ui::Ui& ui, const LocatorLibrary& library) {
  DatabaseLocator logic(ui, library);
  return ui.runDialog(databaseLocatorDescription(), logic);
}

}  // namespace orv::workbench::app
