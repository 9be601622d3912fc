// What the archive and project windows share, apart from the toolkit: the
// window size each kind remembers in ORVTY.INI ([Archive Window] and
// [Project Window] WindowSize "width,height", ListView "yes"), how a resize
// reaches the window's layout as a difference, the smallest size a window
// may be dragged to, and whether a new window opens maximised.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "workbench/commands/child_kind.h"
#include "workbench/layers.h"

namespace orv::workbench::commands {

struct Extent {
  int width = 0;
  int height = 0;
  bool operator==(const Extent&) const = default;
};

// The settings section of a window kind.
std::string_view windowSection(ChildKind kind);

// The size a window takes for the stored "WindowSize" value inside a client
// area of client.width x client.height: each stored dimension d is kept
// when 1 <= d < the client's, else it becomes three quarters of the
// client's. A value that does not read as "width,height" counts as not
// stored.
Extent restoredWindowSize(std::string_view stored, Extent client);
// The same, read from settingsFile ("-1,-1" when the key is missing).
Extent restoreWindowSize(const std::string& settingsFile, std::string_view section, Extent client);

enum class ShowState { normal, minimized, maximized };

// The "WindowSize" value to store for a window shown as state with its
// normal size; nothing unless it is shown normally.
std::optional<std::string> windowSizeToStore(ShowState state, Extent normal);
// Stores it in settingsFile: 0, or the errno of a failed write (nothing is
// written for a window that is not shown normally).
int saveWindowSize(const std::string& settingsFile, std::string_view section, ShowState state,
                   Extent normal);

// The list form: the value's first three characters are "yes" without
// regard to case.
bool listViewChosen(std::string_view value);
// The same read from settingsFile ("yes" when the key is missing).
bool readListViewSetting(const std::string& settingsFile, std::string_view section);

// The configuration value "states" names more than one state: it holds a
// comma, a blank or a tab. False when it could not be read.
bool namesSeveralStates(std::optional<std::string_view> states);
// The same over the revision library's configuration.
bool hasSeveralStates();

// The client size at the last layout, and the difference a resize makes.
class ClientSizeTracker {
 public:
  struct Change {
    int dx = 0;
    int dy = 0;
    bool operator==(const Change&) const = default;
  };

  // The first layout: remembers size.
  void relayout(Extent size) { last_ = size; }
  // A resize to size shown as state: nothing for a minimised window or a
  // maximised one inside a minimised frame (the size is not taken); else
  // the difference from the last size, which size replaces.
  std::optional<Change> resized(ShowState state, bool frameMinimized, Extent size);
  Extent last() const { return last_; }

 private:
  Extent last_;
};

// The smallest size a window may be dragged to: a third of the screen each
// way.
Extent minimumWindowSize(Extent screen);

// A new window opens maximised when the active one is maximised.
ShowState initialShowState(std::optional<ShowState> activeWindow);

}  // namespace orv::workbench::commands
