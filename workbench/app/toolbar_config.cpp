// The Toolbar page's model: both bars' contents and available buttons,
// orientation, hint mode and the user buttons' settings.
#include "workbench/app/toolbar_config.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ui/moveable_list.h"
#include "workbench/app/tool_hints.h"

namespace orv::workbench::app {

namespace {

long storedInt(const profile::ProfileFile& settings, const char* key, long fallback) {
  const auto value = settings.get("User", key);
  if (!value || value->empty()) return fallback;
  char* end = nullptr;
  const long n = std::strtol(value->c_str(), &end, 10);
  return end == value->c_str() ? fallback : n;
}

std::string userKey(int n, const char* field) { return "User" + std::to_string(n) + field; }

}  // namespace

int orientationFrom(long stored) { return stored >= 0 && stored <= kOrientationHidden ? static_cast<int>(stored) : 0; }

int orientationOf(const profile::ProfileFile& settings) {
  return orientationFrom(storedInt(settings, "Orientation", 0));
}

int userButtonOf(int commandId) {
  const int n = commandId - kFirstUserButtonCommand + 1;
  return n >= 1 && n <= kUserButtonCount ? n : 0;
}

UserButton readUserButton(const profile::ProfileFile& settings, int n) {
  auto get = [&](const char* field) { return settings.get("User", userKey(n, field)).value_or(""); };
  return {get("Command"), get("Arguments"), get("Description"), get("Icon")};
}

void writeUserButton(profile::ProfileFile& settings, int n, const UserButton& button) {
  auto put = [&](const char* field, const std::string& value) {
    if (value.empty()) settings.removeKey("User", userKey(n, field));
    else settings.set("User", userKey(n, field), value);
  };
  put("Command", button.command);
  put("Arguments", button.arguments);
  put("Description", button.description);
  put("Icon", button.icon);
}

ToolbarConfig::ToolbarConfig(const profile::ProfileFile& settings)
    : archive_(read(ToolbarKind::archive, settings)),
      project_(read(ToolbarKind::project, settings)),
      orientation_(orientationOf(settings)),
      hintMode_(hintModeOf(settings)) {}

ToolbarConfig::Bar ToolbarConfig::read(ToolbarKind kind, const profile::ProfileFile& settings) {
  Bar b;
  b.contents = readToolbarRows(kind, settings);
  const auto catalogue = toolbarCatalogue();
  std::vector<bool> inUse(catalogue.size(), false);
  for (const ToolbarRowRef& r : b.contents) inUse[static_cast<std::size_t>(r.row)] = true;
  b.available.push_back(0);
  for (std::size_t i = 1; i < catalogue.size(); ++i)
    if (rowOnBar(catalogue[i], kind) && catalogue[i].commandId != 0 && !inUse[i])
      b.available.push_back(static_cast<int>(i));
  return b;
}

ToolbarConfig::AddResult ToolbarConfig::add(ToolbarKind kind, int availableIndex, int selected, int* inserted) {
  Bar& b = bar(kind);
  if (availableIndex < 0 || availableIndex >= static_cast<int>(b.available.size())) return AddResult::nothing;
  if (static_cast<int>(b.contents.size()) >= kMaxToolbarButtons) return AddResult::full;
  const int row = b.available[static_cast<std::size_t>(availableIndex)];
  const int at = selected >= 0 && selected < static_cast<int>(b.contents.size())
                     ? selected + 1
                     : static_cast<int>(b.contents.size());
  b.contents.insert(b.contents.begin() + at, ToolbarRowRef{row, false});
  if (row != 0) b.available.erase(b.available.begin() + availableIndex);
  if (inserted) *inserted = at;
  modified_ = true;
  return AddResult::added;
}

bool ToolbarConfig::remove(ToolbarKind kind, int index) {
  Bar& b = bar(kind);
  if (index < 0 || index >= static_cast<int>(b.contents.size())) return false;
  const int row = b.contents[static_cast<std::size_t>(index)].row;
  b.contents.erase(b.contents.begin() + index);
  // A row the section named twice returns once.
  if (row != 0 && std::find(b.available.begin(), b.available.end(), row) == b.available.end() &&
      std::none_of(b.contents.begin(), b.contents.end(), [row](const ToolbarRowRef& r) { return r.row == row; }))
    b.available.push_back(row);
  modified_ = true;
  return true;
}

bool ToolbarConfig::move(ToolbarKind kind, int from, int to) {
  Bar& b = bar(kind);
  const int at = ui::moveRow(b.contents, from, to);
  if (at < 0 || at == from) return false;
  modified_ = true;
  return true;
}

void ToolbarConfig::setOrientation(int orientation) {
  orientation = orientationFrom(orientation);
  if (orientation != orientation_) modified_ = true;
  orientation_ = orientation;
}

void ToolbarConfig::setHintMode(int mode) {
  mode = hintModeFrom(mode);
  if (mode != hintMode_) modified_ = true;
  hintMode_ = mode;
}

void ToolbarConfig::writeButtons(profile::ProfileFile& settings) const {
  const auto catalogue = toolbarCatalogue();
  for (ToolbarKind kind : {ToolbarKind::archive, ToolbarKind::project}) {
    settings.removeSection(toolbarSection(kind));
    int n = 0;
    for (const ToolbarRowRef& r : bar(kind).contents)
      settings.set(toolbarSection(kind), "Button" + std::to_string(++n), catalogue[static_cast<std::size_t>(r.row)].name);
  }
}

}  // namespace orv::workbench::app
