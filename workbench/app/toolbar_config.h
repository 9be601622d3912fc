// What the Toolbar page edits, without a window: for each bar its contents
// (catalogue rows in order, separators included) and the buttons still
// available, the bars' orientation and the hint mode; and the five user
// buttons' settings.
//
//   contents   as the bar's section names them (readToolbarRows)
//   available  "Separator" first, then every catalogue row from 1 on that
//              belongs to the bar and is not in the contents
//   add        inserts the chosen available row after the selected
//              contents row (at the end when none is selected); the
//              separator stays available, any other row leaves the list.
//              A bar full with kMaxToolbarButtons rows takes no more, so
//              what is saved is what the next start shows.
//   remove     a separator goes; any other row returns to the end of the
//              available list
//   write      deletes each bar's section and writes Button1..N in order
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/profile/profile.h"
#include "workbench/app/toolbar_layout.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

inline constexpr const char* kOrientationNames[] = {"Top", "Bottom", "Left", "Right", "Hidden"};
inline constexpr int kOrientationHidden = 4;
// A stored orientation; anything outside 0-4 is Top.
int orientationFrom(long stored);
int orientationOf(const profile::ProfileFile& settings);

inline constexpr int kUserButtonCount = 5;
inline constexpr int kFirstUserButtonCommand = 1543;
// The user button (1-5) of a command, 0 for any other command.
int userButtonOf(int commandId);

// The four [User] settings of user button n.
struct UserButton {
  std::string command, arguments, description, icon;
  bool operator==(const UserButton&) const = default;
};
UserButton readUserButton(const profile::ProfileFile& settings, int n);
// Writes User<n>Command, ...Arguments, ...Description, ...Icon; an empty
// field deletes its key.
void writeUserButton(profile::ProfileFile& settings, int n, const UserButton& button);

class ToolbarConfig {
 public:
  explicit ToolbarConfig(const profile::ProfileFile& settings);

  const std::vector<ToolbarRowRef>& contents(ToolbarKind kind) const { return bar(kind).contents; }
  // Catalogue rows; row 0 (the separator) is always first.
  const std::vector<int>& available(ToolbarKind kind) const { return bar(kind).available; }

  enum class AddResult { added, nothing, full };
  // Adds available row availableIndex after contents row selected (-1:
  // at the end); inserted receives the new contents index.
  AddResult add(ToolbarKind kind, int availableIndex, int selected, int* inserted = nullptr);
  // Removes contents row index; false when there is no such row.
  bool remove(ToolbarKind kind, int index);
  // Moves contents row from to position to (a drag); false when nothing moved.
  bool move(ToolbarKind kind, int from, int to);

  int orientation() const { return orientation_; }
  int hintMode() const { return hintMode_; }
  void setOrientation(int orientation);
  void setHintMode(int mode);

  bool modified() const { return modified_; }
  void markModified() { modified_ = true; }

  // Rewrites both bars' sections (archive first) from the contents.
  void writeButtons(profile::ProfileFile& settings) const;

 private:
  struct Bar {
    std::vector<ToolbarRowRef> contents;
    std::vector<int> available;
  };
  Bar& bar(ToolbarKind kind) { return kind == ToolbarKind::archive ? archive_ : project_; }
  const Bar& bar(ToolbarKind kind) const { return kind == ToolbarKind::archive ? archive_ : project_; }
  static Bar read(ToolbarKind kind, const profile::ProfileFile& settings);

  Bar archive_, project_;
  int orientation_ = 0;
  int hintMode_ = 2;
  bool modified_ = false;
};

}  // namespace orv::workbench::app
