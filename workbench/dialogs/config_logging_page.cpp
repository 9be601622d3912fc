// The Logging page: the log file ("Logfile") and the format of its lines
// ("logformat"); logging can be switched off without losing the file's
// name (see config_pages.h).
#include "workbench/dialogs/config_pages.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kFileOption = "Logfile";
constexpr const char* kFormatOption = "logformat";

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = 600;
  d.title = "Logging";
  d.helpContext = 3051;
  d.controls = {
      {216, K::groupBox, "Log File", 1},
      {kLogEnable, K::checkBox, "&Enable Logging", 1},
      {kLogFileLabel, K::label, "F&ilename:", 1},
      {kLogFile, K::lineEdit, "", 1},
      {kCfgBrowse, K::pushButton, "&Browse...", 1},
      {kCfgView, K::pushButton, "&View...", 1},
      {kLogFormatLabel, K::label, "&Format:", 1},
      {kLogFormat, K::lineEdit, "", 1},
  };
  d.helpPairs = {{kLogEnable, 3054}, {kLogFormatLabel, 3055}, {kLogFormat, 3055}, {kLogFileLabel, 3058},
                 {kLogFile, 3058},   {kCfgBrowse, 3059},      {kCfgView, 3060}};
  return d;
}

bool onlyBlanks(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

// View opens a file whose name begins with something other than a blank.
bool canView(const std::string& file) { return !file.empty() && file[0] != ' '; }

}  // namespace

const ui::DialogDescription& LoggingPage::description() {
  static const ui::DialogDescription d = describe();
  return d;
}

LoggingPage::LoggingPage(ui::Ui& ui, const ConfigFiles& files, std::function<void(const std::string&)> view)
    : ConfigPage(ui, files), view_(std::move(view)) {
  values_.file = libraryString(kFileOption);
  values_.on = !onlyBlanks(values_.file);
  if (!values_.on) values_.file = iniString(kSavedOptionsSection, kFileOption, "");
  values_.format = libraryString(kFormatOption);
  read_ = values_;
}

void LoggingPage::setUp(ui::DialogSurface& surface) {
  surface.setChecked(kLogEnable, values_.on);
  surface.setText(kLogFile, values_.file);
  surface.setText(kLogFormat, values_.format);
  surface.setEnabled(kCfgView, canView(values_.file));
  disableIfLocked(surface, kFileOption, {kLogEnable, kLogFileLabel, kLogFile, kCfgBrowse});
  disableIfLocked(surface, kFormatOption, {kLogFormatLabel, kLogFormat});
}

void LoggingPage::command(ui::DialogSurface& surface, int id) {
  switch (id) {
    case kCfgBrowse: {
      ui::FileRequest request;
      request.caption = "Logfile";
      request.filters = {"All Files (*)",
                         "C/C++ Files (*.cpp *.c *.hpp *.h)",
                         "VB Files (*.frm *.frx *.bas)",
                         "Delphi Files (*.dpr *.opt *.pas *.dfm)",
                         "Make Files (*.mk *.mak *.ide)",
                         "Resource Files (*.rc *.cur *.ico *.bmp *.rle *.fnt *.dlg *.def)",
                         "Document Files (*.doc *.txt)",
                         "TY Project Files (*.pj)"};
      const std::vector<std::string> chosen = ui_.chooseFiles(request);
      if (!chosen.empty()) surface.setText(kLogFile, chosen.front());
      surface.setEnabled(kCfgView, canView(surface.text(kLogFile)));
      break;
    }
    case kCfgView:
      if (view_) view_(surface.text(kLogFile));
      break;
    case kLogFile: surface.setEnabled(kCfgView, canView(surface.text(kLogFile))); break;
    default: break;
  }
}

bool LoggingPage::validate(ui::DialogSurface& surface) {
  const std::string file = surface.text(kLogFile);
  const std::string format = surface.text(kLogFormat);
  if (!valueFits(surface, kLogFile, file, "log file name")) return false;
  if (!valueFits(surface, kLogFormat, format, "log format")) return false;
  values_.on = surface.isChecked(kLogEnable);
  values_.file = file;
  values_.format = format;
  return true;
}

bool LoggingPage::apply() {
  if (values_.on) {
    setIniString(kSavedOptionsSection, kFileOption, "");
    if (values_.file != read_.file || !read_.on) {
      if (values_.file.empty()) dropLibraryOption(kFileOption);
      else setLibraryString(kFileOption, values_.file);
    }
  } else {
    setIniString(kSavedOptionsSection, kFileOption, values_.file);
    switchOffLibraryOption(kFileOption);
  }
  if (values_.format != read_.format) {
    if (values_.format.empty()) dropLibraryOption(kFormatOption);
    else setLibraryString(kFormatOption, values_.format);
  }
  return true;
}

}  // namespace orv::workbench::dialogs
