// The icon of a user's program or file, in the order of icon_resolver.h.
#include "workbench/external/icon_resolver.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "workbench/external/desktop_integration.h"

namespace orv::workbench::external {

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string suffixOf(const std::string& path) {
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return lower(path.substr(dot + 1));
}

std::string baseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string cleaned(const std::string& file) {
  std::string s = file;
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  s = s.substr(b, s.find_last_not_of(" \t") - b + 1);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

std::optional<std::string> readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The directories that hold desktop entries, most personal first.
std::vector<std::string> applicationDirs() {
  std::vector<std::string> dirs{DesktopPaths::fromEnvironment().dataHome + "/applications"};
  const char* env = std::getenv("XDG_DATA_DIRS");
  std::string list = env && *env ? env : "/usr/local/share:/usr/share";
  std::istringstream in(list);
  std::string dir;
  while (std::getline(in, dir, ':'))
    if (!dir.empty()) dirs.push_back(dir + "/applications");
  return dirs;
}

std::function<bool(const std::string&)>& themeCheck() {
  static std::function<bool(const std::string&)> check;
  return check;
}

}  // namespace

void setThemeIconCheck(std::function<bool(const std::string&)> check) { themeCheck() = std::move(check); }

IconChoice IconResolver::fromIconValue(const std::string& value) const {
  if (value.empty()) return {};
  if (value.front() == '/') return lookup_.isImageFile(value) ? IconChoice{IconChoice::Kind::file, value, 0} : IconChoice{};
  return {IconChoice::Kind::theme, value, 0};
}

IconChoice IconResolver::iconOf(const std::string& file) const {
  const std::string path = cleaned(file);
  if (path.empty()) return {};
  if (suffixOf(path) == "desktop") {
    const auto icon = lookup_.desktopEntryIcon(path);
    return icon ? fromIconValue(*icon) : IconChoice{};
  }
  if (lookup_.isImageFile(path)) return {IconChoice::Kind::file, path, 0};
  const std::string name = baseName(path);
  if (!name.empty() && lookup_.hasThemeIcon(name)) return {IconChoice::Kind::theme, name, 0};
  if (const auto icon = lookup_.desktopEntryIconForProgram(path)) return fromIconValue(*icon);
  return {};
}

IconChoice IconResolver::userButton(int n, const std::string& command, const std::string& iconFile) const {
  if (IconChoice icon = iconOf(iconFile); icon.kind != IconChoice::Kind::none) return icon;
  if (IconChoice icon = iconOf(command); icon.kind != IconChoice::Kind::none) return icon;
  return {IconChoice::Kind::builtIn, {}, 4249 + n};
}

IconChoice IconResolver::programButton(const std::string& program, int builtInId) const {
  if (IconChoice icon = iconOf(program); icon.kind != IconChoice::Kind::none) return icon;
  return {IconChoice::Kind::builtIn, {}, builtInId};
}

std::string iconKey(const IconChoice& choice, int fallbackId) {
  using Kind = IconChoice::Kind;
  switch (choice.kind) {
    case Kind::file: return choice.value;
    case Kind::theme: return "theme:" + choice.value + ":" + std::to_string(fallbackId);
    case Kind::builtIn: return "icon:" + std::to_string(choice.builtInId);
    case Kind::none: break;
  }
  return "icon:" + std::to_string(fallbackId);
}

bool SystemIconLookup::isImageFile(const std::string& path) const {
  static const char* const kImages[] = {"png", "svg", "svgz", "xpm", "ico", "jpg", "jpeg", "bmp", "gif"};
  const std::string suffix = suffixOf(path);
  if (std::none_of(std::begin(kImages), std::end(kImages), [&](const char* s) { return suffix == s; })) return false;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> SystemIconLookup::desktopEntryIcon(const std::string& path) const {
  const auto text = readText(path);
  if (!text) return std::nullopt;
  auto icon = desktopEntryValue(*text, "Icon");
  if (icon && icon->empty()) return std::nullopt;
  return icon;
}

bool SystemIconLookup::hasThemeIcon(const std::string& name) const {
  if (hasThemeIcon_) return hasThemeIcon_(name);
  return themeCheck() && themeCheck()(name);
}

std::optional<std::string> SystemIconLookup::desktopEntryIconForProgram(const std::string& program) const {
  const std::string wanted = baseName(program);
  for (const std::string& dir : applicationDirs()) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) continue;
    std::optional<std::string> found;
    while (dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (suffixOf(name) != "desktop") continue;
      const auto text = readText(dir + "/" + name);
      if (!text) continue;
      const auto exec = desktopEntryValue(*text, "Exec");
      if (!exec) continue;
      const std::string started = execProgram(*exec);
      if (started == program || baseName(started) == wanted) {
        found = desktopEntryValue(*text, "Icon");
        if (found && !found->empty()) break;
        found.reset();
      }
    }
    ::closedir(d);
    if (found) return found;
  }
  return std::nullopt;
}

}  // namespace orv::workbench::external
