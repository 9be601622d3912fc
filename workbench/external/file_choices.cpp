// Chosen names spelled as on disk, the directory browser and the Create
// Directory dialog (see file_choices.h).
#include "workbench/external/file_choices.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <climits>

#include "platform/sys/system_calls.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/app/text_fit.h"
#include "workbench/project/member_location.h"
#include "workbench/project/member_walks.h"

namespace orv::workbench::external {

namespace {

constexpr int kStaticWidth = 80;
constexpr std::size_t kPathSize = 512;

// The entry of dir that component names: itself when it exists, else the
// first in byte order that matches it as a pattern without regard to case.
std::optional<std::string> spelledEntry(const std::string& dir, const std::string& component) {
  if (component == "." || component == "..") return component;
  struct stat st {};
  if (sys::calls().lstat(joinPath(dir.empty() ? "." : dir, component).c_str(), &st) == 0) return component;
  DIR* d = sys::calls().opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return std::nullopt;
  std::optional<std::string> best;
  while (dirent* e = sys::calls().readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (fnmatch(component.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0 && (!best || name < *best))
      best = name;
  }
  sys::calls().closedir(d);
  return best;
}

}  // namespace

std::optional<std::string> expandWildcards(ui::Ui& ui, const std::string& path, ExpandMode mode) {
  if (path.empty() || path == "/") return path;
  // The components to rewrite start after `fixed` characters.
  std::size_t fixed = path[0] == '/' ? 1 : 0;
  if (mode == ExpandMode::lastComponent) {
    const std::size_t slash = path.find_last_of('/');
    fixed = slash == std::string::npos ? 0 : slash + 1;
  }
  std::string out = path.substr(0, fixed);
  std::size_t at = fixed;
  while (at <= path.size()) {
    std::size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    const std::string component = path.substr(at, end - at);
    if (!component.empty()) {
      const std::string dir = out.empty() ? "" : (out.size() > 1 && out.back() == '/' ? out.substr(0, out.size() - 1) : out);
      std::optional<std::string> found = spelledEntry(dir, component);
      if (!found) {
        rcsMessage(ui, kStyleError, formatString(kStrCannotParseFile, path.substr(0, end).c_str()));
        return std::nullopt;
      }
      out += *found;
    }
    if (end < path.size()) out += '/';
    at = end + 1;
  }
  return out;
}

std::optional<std::string> normaliseChosenName(ui::Ui& ui, const std::string& name, ExpandMode mode) {
  return expandWildcards(ui, foldFileNameCase(name), mode);
}

std::vector<std::string> fileDialogFilters(std::string_view filterText) {
  std::vector<std::string> parts;
  if (filterText.empty()) return parts;
  const char separator = filterText.back();
  std::size_t at = 0;
  while (at < filterText.size()) {
    const std::size_t end = filterText.find(separator, at);
    parts.emplace_back(filterText.substr(at, end - at));
    at = end + 1;
  }
  std::vector<std::string> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string description = parts[i];
    const std::size_t open = description.rfind(" (");
    if (open != std::string::npos && description.back() == ')') description.resize(open);
    std::string patterns;
    std::size_t from = 0;
    const std::string& list = parts[i + 1];
    while (from <= list.size()) {
      std::size_t end = list.find(';', from);
      if (end == std::string::npos) end = list.size();
      std::string pattern = list.substr(from, end - from);
      if (pattern == "*.*") pattern = "*";
      if (!pattern.empty()) patterns += (patterns.empty() ? "" : " ") + pattern;
      from = end + 1;
    }
    filters.push_back(description + " (" + patterns + ")");
  }
  return filters;
}

std::vector<std::string> chooseFiles(ui::Ui& ui, const ui::FileRequest& request) {
  std::vector<std::string> out;
  for (const std::string& chosen : ui.chooseFiles(request)) {
    std::optional<std::string> dir = normaliseChosenName(ui, stripLastPathComponent(chosen), ExpandMode::everyComponent);
    if (!dir) break;
    std::optional<std::string> name =
        normaliseChosenName(ui, joinPath(*dir, baseName(chosen)), ExpandMode::lastComponent);
    if (!name) break;
    out.push_back(std::move(*name));
  }
  return out;
}

CurrentDirectoryKeeper::CurrentDirectoryKeeper() {
  char buf[PATH_MAX] = {};
  if (sys::calls().getcwd(buf, sizeof buf)) saved_ = buf;
}

CurrentDirectoryKeeper::~CurrentDirectoryKeeper() {
  if (!saved_.empty()) (void)sys::calls().chdir(saved_.c_str());
}

std::optional<std::string> browseForDirectory(ui::Ui& ui, const std::string& title, const std::string& startPath,
                                              const std::string& defaultName) {
  std::string name = baseName(startPath);
  if (name.empty()) name = defaultName;
  std::string start = stripLastPathComponent(startPath);
  std::optional<std::string> chosen;
  {
    CurrentDirectoryKeeper keeper;
    if (!start.empty()) (void)sys::calls().chdir(start.c_str());
    if (start.empty()) {
      char buf[PATH_MAX] = {};
      if (sys::calls().getcwd(buf, sizeof buf)) start = buf;
    }
    chosen = ui.chooseDirectory(title, start);
  }
  if (!chosen) return std::nullopt;
  std::string dir = *chosen;
  if (dir.size() > 2) {
    std::optional<std::string> spelled = expandWildcards(ui, dir, ExpandMode::everyComponent);
    if (!spelled) return std::nullopt;
    dir = *spelled;
  }
  std::string result = foldFileNameCase(joinPath(dir, name));
  if (result.size() >= kPathSize) result.resize(kPathSize - 1);
  return result;
}

const ui::DialogDescription& createDirectoryDescription() {
  static const ui::DialogDescription d = [] {
    ui::DialogDescription desc;
    desc.id = kCreateDirectoryDialogId;
    desc.title = "Create Directory";
    desc.controls = {
        {kCreateDirBaseLabel, ui::ControlKind::label, "Current directory:", 1},
        {kCreateDirBase, ui::ControlKind::label, "", 1},
        {kCreateDirNameLabel, ui::ControlKind::label, "&New directory:", 1},
        {kCreateDirName, ui::ControlKind::lineEdit, "", 1},
        {kCreateDirOk, ui::ControlKind::defaultButton, "OK", 0},
        {kCreateDirCancel, ui::ControlKind::pushButton, "Cancel", 0},
    };
    desc.helpPairs = {{kCreateDirBaseLabel, 9129}, {kCreateDirBase, 9129}, {kCreateDirNameLabel, 9130},
                      {kCreateDirName, 9130},      {kCreateDirOk, 9131},   {kCreateDirCancel, 9132}};
    return desc;
  }();
  return d;
}

std::string fitStaticText(const std::string& text) {
  const FittedText fitted =
      fitTextWithEllipsis(text, kStaticWidth, [](std::string_view t) { return static_cast<int>(t.size()); }, kPathSize);
  return fitted.text.empty() ? text.substr(0, kStaticWidth) : fitted.text;
}

void CreateDirectoryDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kCreateDirBase, fitStaticText(base_));
  surface.setFocus(kCreateDirName);
}

bool CreateDirectoryDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != kCreateDirOk) return true;
  std::string typed = surface.text(kCreateDirName);
  if (typed.size() >= kPathSize) typed.resize(kPathSize - 1);
  path_.clear();
  if (typed.empty()) return true;
  const bool absolute = typed[0] == '/' || typed[0] == '\\' || (typed.size() > 1 && typed[1] == ':');
  std::string path = absolute ? typed : joinPath(base_, typed);
  for (char& c : path)
    if (c == '\\') c = '/';
  if (!makeDirectories(path)) {
    rcsMessage(ui_, kStyleError, formatString(kStrCannotCreateDir, typed.c_str()));
    surface.setFocus(kCreateDirName);
    return false;
  }
  path_ = path;
  return true;
}

std::optional<std::string> createDirectory(ui::Ui& ui, const std::string& base) {
  CreateDirectoryDialog logic(ui, base);
  if (ui.runDialog(createDirectoryDescription(), logic) != kCreateDirOk || logic.path().empty()) return std::nullopt;
  return logic.path();
}

}  // namespace orv::workbench::external
