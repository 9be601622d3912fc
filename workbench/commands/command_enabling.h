// Which commands are enabled, as pure functions over what the windows know:
// the archive window's rules, the project window's rules and the frame's
// own rules. Each answers enabled, disabled, or "not mine" (the next level
// decides), and may give the menu item a new text.
//
// Rules are tested left to right and stop at the first term that fails, so
// a permission (a question to the security database) is only asked while
// the terms before it hold. Permissions go through PermissionOracle so that
// tests can see which were asked, and in which order.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "workbench/layers.h"

namespace orv::workbench::commands {

enum class Enabling { undecided, enabled, disabled };

struct EnableResult {
  Enabling state = Enabling::undecided;
  std::optional<std::string> text;  // the menu item's new text, when it changes

  bool operator==(const EnableResult&) const = default;
};

class PermissionOracle {
 public:
  virtual ~PermissionOracle() = default;
  // True when the current user holds the permission, in the scope of the
  // library's current project and archive.
  virtual bool hasPermission(std::string_view name) = 0;
  // Runs check with the library's current project and archive saved and
  // cleared (the global scope), puts them back, and answers check's answer.
  virtual bool withoutLibraryContext(const std::function<bool()>& check) = 0;
};

// The oracle over the revision library.
class LibraryPermissions : public PermissionOracle {
 public:
  bool hasPermission(std::string_view name) override;
  bool withoutLibraryContext(const std::function<bool()>& check) override;
};

// What a working file is on disk.
enum class FileState { missing, readOnly, writable };

// The archive window as its rules see it.
struct ArchiveWindowFacts {
  int selectedCount = 0;
  bool firstSelectedIsWorkFile = false;  // the first selected row is the working-file row
  FileState workFile = FileState::missing;
  // Whether the configuration names several states; asked only when a rule
  // gets that far.
  std::function<bool()> hasSeveralStates;
};

// The one selected member of a project window.
struct SelectedMember {
  char type = 'f';  // a, f, i or s
  FileState file = FileState::missing;
};

// The project or sandbox window as its rules see it. The functions are
// asked only when a rule gets that far; a missing one answers false or
// nothing.
struct ProjectWindowFacts {
  bool sandbox = false;
  unsigned selectedCount = 0;         // S
  bool selectionHasRevision = false;  // R: a selected row has a revision
  bool frozen = false;                // F
  bool historical = false;            // Hs
  bool frozenRequested = false;       // Fr: opened frozen (a frozen subproject)
  std::function<bool()> mayCheckpointVariant;  // V
  std::function<bool()> hasSeveralStates;
  // The project's revision (project item 141); nothing when it cannot be read.
  std::function<std::optional<std::string>()> projectRevision;
  // The member of the one selected row; nothing unless exactly one row is
  // selected.
  std::function<std::optional<SelectedMember>()> selectedMember;
};

// The frame's rules: the permissions of the File commands, the member
// commands that stay grey without a project window, and the recent files by
// the kind bits of their entries (recentKinds[0] for the first; an id past
// the list is left alone).
EnableResult enableForFrame(int id, PermissionOracle& oracle, std::span<const int> recentKinds);

// The archive window's rules (18 commands; the others are undecided).
EnableResult enableForArchiveWindow(int id, const ArchiveWindowFacts& facts,
                                    PermissionOracle& oracle);

// The project window's rules (34 commands; the others are undecided).
EnableResult enableForProjectWindow(int id, const ProjectWindowFacts& facts,
                                    PermissionOracle& oracle);

}  // namespace orv::workbench::commands
