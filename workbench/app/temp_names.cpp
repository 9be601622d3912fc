// Making, remembering and removing the workbench's temporary files.
#include "workbench/app/temp_names.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#include "platform/fs/temp_file.h"
#include "platform/profile/settings_dir.h"
#include "platform/sys/system_calls.h"
#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"
#include "workbench/project/member_walks.h"

namespace orv::workbench::app {

namespace {

constexpr unsigned kCounterLimit = 65535;  // 00000 to 0fffe

}  // namespace

std::string tempFileName(std::string_view dir, std::string_view path, unsigned counter) {
  std::size_t slash = path.rfind('/');
  std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (base.empty()) return {};
  std::size_t dot = base.find('.');
  std::string_view stem = base.substr(0, std::min<std::size_t>(dot, 3));
  std::string_view ext = dot == std::string_view::npos ? std::string_view{} : base.substr(dot + 1);
  char counterText[8];
  std::snprintf(counterText, sizeof counterText, "%05x", counter);
  std::string name(dir);
  if (!name.empty() && name.back() != '/') name.push_back('/');
  name += stem.empty() ? "xxx" : std::string(stem);
  name += counterText;
  name += ".";
  name += ext;
  return name;
}

std::vector<std::string> TempFiles::directories() {
  std::vector<std::string> dirs = fs::temporaryDirectories();
  dirs.push_back(profile::settingsDirectory(false));
  dirs.emplace_back();
  return dirs;
}

bool TempFiles::ensureDirectory(const std::string& dir) {
  if (project::makeDirectories(dir)) return true;
  showText(ui_, ui::MessageIcon::warning,
           formatText(std::string(loadString(kStrCannotCreateDir)).c_str(), dir.c_str()));
  return false;
}

std::optional<std::string> TempFiles::make(std::string_view path,
                                           const std::vector<std::string>& dirs) {
  if (tempFileName("", path, 0).empty()) return std::nullopt;
  for (const auto& dir : dirs) {
    if (!ensureDirectory(dir)) continue;
    fs::CreatedFile f = fs::createUnique(
        [&](unsigned counter) { return tempFileName(dir, path, counter); }, kCounterLimit, 0600);
    if (f.fd < 0) continue;
    sys::calls().close(f.fd);
    names_.push_back(f.path);
    return f.path;
  }
  return std::nullopt;
}

void TempFiles::removeAll() {
  for (const auto& n : names_) {
    sys::calls().chmod(n.c_str(), 0666);
    sys::calls().unlink(n.c_str());
  }
  names_.clear();
}

}  // namespace orv::workbench::app
