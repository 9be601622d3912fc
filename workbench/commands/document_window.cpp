// Window sizes, list form, states and resize differences of the document
// windows.
#include "workbench/commands/document_window.h"

#include <cstdlib>
#include <strings.h>

#include "platform/profile/profile.h"
#include "vc/include/vc.h"
#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::commands {

namespace {

// A stored dimension: kept when it lies in [1, client), else three quarters
// of the client.
int restoredDimension(std::optional<long> stored, int client) {
  if (stored && *stored >= 1 && *stored < client) return static_cast<int>(*stored);
  return client * 3 / 4;
}

// The decimal number at *p (blanks and a sign allowed before it); p moves
// past it. Nothing when no digit is there.
std::optional<long> readNumber(const char*& p) {
  char* end = nullptr;
  const long value = std::strtol(p, &end, 10);
  if (end == p) return std::nullopt;
  p = end;
  return value;
}

}  // namespace

std::string_view windowSection(ChildKind kind) {
  return kind == ChildKind::project ? loadString(kStrProjectWindowSection) : "Archive Window";
}

Extent restoredWindowSize(std::string_view stored, Extent client) {
  const std::string text(stored);
  const char* p = text.c_str();
  const std::optional<long> width = readNumber(p);
  std::optional<long> height;
  if (width && *p == ',') height = readNumber(++p);
  return {restoredDimension(width, client.width), restoredDimension(height, client.height)};
}

Extent restoreWindowSize(const std::string& settingsFile, std::string_view section, Extent client) {
  return restoredWindowSize(
      profile::getProfileString(settingsFile, std::string(section), "WindowSize", "-1,-1"), client);
}

std::optional<std::string> windowSizeToStore(ShowState state, Extent normal) {
  if (state != ShowState::normal) return std::nullopt;
  return formatText("%d,%d", normal.width, normal.height);
}

int saveWindowSize(const std::string& settingsFile, std::string_view section, ShowState state,
                   Extent normal) {
  const std::optional<std::string> value = windowSizeToStore(state, normal);
  if (!value) return 0;
  return profile::writeProfileString(settingsFile, std::string(section), "WindowSize",
                                     value->c_str());
}

bool listViewChosen(std::string_view value) {
  return value.size() >= 3 && strncasecmp(value.data(), "yes", 3) == 0;
}

bool readListViewSetting(const std::string& settingsFile, std::string_view section) {
  return listViewChosen(profile::getProfileString(settingsFile, std::string(section), "ListView", "yes"));
}

bool namesSeveralStates(std::optional<std::string_view> states) {
  return states && states->find_first_of(", \t") != std::string_view::npos;
}

bool hasSeveralStates() {
  char states[512] = {};
  if (vcGetConfig("states", nullptr, 0, states, sizeof states) != 0) return false;
  return namesSeveralStates(std::string_view(states));
}

std::optional<ClientSizeTracker::Change> ClientSizeTracker::resized(ShowState state,
                                                                    bool frameMinimized,
                                                                    Extent size) {
  if (state == ShowState::minimized || (state == ShowState::maximized && frameMinimized))
    return std::nullopt;
  const Change change{size.width - last_.width, size.height - last_.height};
  last_ = size;
  return change;
}

Extent minimumWindowSize(Extent screen) { return {screen.width / 3, screen.height / 3}; }

ShowState initialShowState(std::optional<ShowState> activeWindow) {
  return activeWindow == ShowState::maximized ? ShowState::maximized : ShowState::normal;
}

}  // namespace orv::workbench::commands
