// The frame's document windows as the menu commands see them: an archive
// window over one OpenArchive, a project or sandbox window over one
// OpenProject, and the registry that finds, activates and builds them. The
// windows themselves (list and tree views, captions, layout) live in the
// toolkit layer and implement these interfaces; the commands here never
// touch a widget.
//
// Beside the interfaces stand the selection helpers that every command
// uses: the active window of a kind, a window found by name, the selection
// of the active project window, and the one member or one revision a
// command needs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/commands/child_kind.h"
#include "workbench/commands/window_selection.h"
#include "workbench/layers.h"
#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_member_ops.h"

namespace orv::workbench::commands {

class DocumentWindow {
 public:
  virtual ~DocumentWindow() = default;
  virtual ChildKind kind() const = 0;
  // The archive, project or sandbox name the window shows.
  virtual std::string name() const = 0;
  // Restores the window when it is minimised and brings it to the top.
  virtual void raise() = 0;
  // Closes the window and deletes it: the caller drops every reference.
  virtual void close() = 0;
};

class ArchiveWindow : public DocumentWindow {
 public:
  ChildKind kind() const override { return ChildKind::archive; }
  virtual OpenArchive& archive() = 0;
  // The selected rows, top to bottom.
  virtual std::vector<RevisionRow> selectedRows() = 0;
  // True in the list form, false in the tree form.
  virtual bool listForm() const = 0;
  // Fills the revisions again; false when the view could not.
  virtual bool refreshRevisions() = 0;
  // List form: clears the selection and focus of the first row, then
  // selects and focuses the first row whose text is revision.
  virtual void reselectRevision(const std::string& revision) = 0;
};

class ProjectWindow : public DocumentWindow {
 public:
  ChildKind kind() const override { return ChildKind::project; }
  virtual OpenProject& project() = 0;
  // The selected row indexes, top to bottom. With warn an empty selection
  // has been reported to the user.
  virtual std::vector<int> selection(bool warn) = 0;
  // The member rows (each row's record, re-reading rows).
  virtual MemberView& members() = 0;
  // The member operations over the window's rows and dialogs.
  virtual ProjectMemberOperations& memberOperations() = 0;
  // Lets the library close the project, reads every member row again and
  // renews the status line.
  virtual void reloadMembers() = 0;
  // Makes rows (indexes, top to bottom) the selection, the first in view,
  // and gives the list the focus.
  virtual void selectRows(const std::vector<int>& rows) = 0;
};

// What a new project or sandbox window opens.
struct ProjectWindowRequest {
  std::string name;
  bool createNew = false;  // open mode 7 (create), else 1
  bool remember = false;   // enter the name in the recent-file list
  std::optional<std::string> revision;
  bool frozenRequested = false;
  bool historical = false;
};

class WindowRegistry {
 public:
  virtual ~WindowRegistry() = default;
  // The active document window, nullptr when none is open.
  virtual DocumentWindow* activeChild() = 0;
  // Every document window, in the frame's order.
  virtual std::vector<DocumentWindow*> children() = 0;
  // Builds and shows an archive window for name (entered in the recent-file
  // list when remember is set). False when its archive did not open: the
  // failure was reported and no window remains.
  virtual bool buildArchiveWindow(const std::string& name, bool remember) = 0;
  // The same for the archive of member (its full name) of project, whose
  // object the window shares.
  virtual bool buildMemberArchiveWindow(const std::string& member, OpenProject& project) = 0;
  // Builds and shows a project or sandbox window; false as above.
  virtual bool buildProjectWindow(const ProjectWindowRequest& request) = 0;
};

// The active window when it is of kind, else nullptr.
DocumentWindow* activeChildOfKind(WindowRegistry& windows, ChildKind kind);
ArchiveWindow* activeArchiveWindow(WindowRegistry& windows);
ProjectWindow* activeProjectWindow(WindowRegistry& windows);

// The first window of kind whose name equals name without regard to case;
// nullptr when there is none or no window is open at all.
DocumentWindow* findChild(WindowRegistry& windows, ChildKind kind, std::string_view name);

// The active project window and its selected rows.
struct ProjectSelection {
  ProjectWindow* window = nullptr;
  std::vector<int> rows;

  explicit operator bool() const { return window && !rows.empty(); }
  int count() const { return static_cast<int>(rows.size()); }
};
// The selection of the active project window; empty without one, or when
// nothing is selected (reported by the window when warn is set).
ProjectSelection activeProjectSelection(WindowRegistry& windows, bool warn);

// The one selected member of window: its row index, and its name (at most
// 511 characters) when name is given. False, after telling the user, when
// not exactly one row is selected.
bool singleMember(ui::Ui& ui, ProjectWindow& window, std::string* name, int& row);

// The one selected row of window: revision becomes its revision number,
// empty for the working-file row. When not exactly one row is selected,
// revision is emptied, the user is told when tell is set, and the answer is
// false.
bool singleSelection(ui::Ui& ui, ArchiveWindow& window, std::string& revision, bool tell);

// The revision numbers of the selected rows; the working-file row is never
// one of them, wherever it stands.
std::vector<std::string> selectedRevisions(ArchiveWindow& window);

}  // namespace orv::workbench::commands
