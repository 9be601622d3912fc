// The project window: an MDI child that shows one open project or sandbox
// with its members in a list and, under it, a read-only pane that explains
// the selected member. It owns the open project (shared with the archive
// windows opened on its members, the last one to go closes it), makes it
// the library's current project whenever it becomes active, keeps the
// counts of the status line, and carries out the member operations on its
// selection.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "workbench/commands/command_enabling.h"
#include "workbench/commands/document_windows.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_member_ops.h"
#include "platform/fs/file_identity.h"
#include "workbench/qt/archive_window.h"

class QMdiSubWindow;
class QPlainTextEdit;

namespace orv::workbench::views {
class MemberListView;
class MemberTreeView;
}

namespace orv::workbench {

// Control ids of the window's parts.
enum ProjectControl : int { kProjectTreeId = 203, kProjectDetailId = 205, kProjectListId = 207 };

class ProjectChild : public QWidget, public commands::ProjectWindow, public project::MemberView {
  Q_OBJECT

 public:
  // What the window tells its frame: as an archive window, and the
  // dialogs of the member operations.
  struct Frame : ArchiveChild::Frame {
    project::MemberDialogs dialogs;
  };

  // Opens the project or sandbox of request and reads its first rows (the
  // rest come as the window runs). Nothing when it did not open: the
  // failure was shown.
  static std::unique_ptr<ProjectChild> open(const Frame& frame, const commands::ProjectWindowRequest& request);
  ~ProjectChild() override;

  // Takes one more user of project (an archive window of one of its
  // members), and gives one back: the last user closes it.
  static void share(project::OpenProject& project) { ++project.useCount; }
  static void release(project::OpenProject* project);

  // commands::ProjectWindow
  std::string name() const override { return name_; }
  void raise() override;
  void close() override;
  project::OpenProject& project() override { return *project_; }
  std::vector<int> selection(bool warn) override;
  project::MemberView& members() override { return *this; }
  project::ProjectMemberOperations& memberOperations() override { return *operations_; }
  void reloadMembers() override;
  void selectRows(const std::vector<int>& rows) override;

  // project::MemberView
  project::MemberRow* findMemberItem(int index, bool moveCursor) override;
  int rowCount() override;
  void refreshMembers(const int* rows, int count) override;
  void updateCaption() override;

  // The window became active: the library's current project, the project's
  // working folder as the current directory, and the focus on the list.
  void activated();
  // The window is no longer the active one: the status line is cleared.
  void deactivated();
  // The library's current project becomes this window's (and no archive).
  void publish();
  // Reads the project and its rows again when its file changed on disk
  // since the window last read it, whoever changed it. True when it did.
  bool refreshIfChanged();
  // What the command rules need to know of the window.
  commands::ProjectWindowFacts facts();
  QString caption() const;
  // "TMDIProject" or "TMDISandbox".
  QString windowClass() const;
  bool sandbox() const;

  // The list (list form) or the tree (tree form, as [Project Window]
  // ListView chooses); the other is nullptr.
  views::MemberListView* list() const { return list_; }
  views::MemberTreeView* tree() const { return tree_; }
  QWidget* view() const;
  QPlainTextEdit* detailPane() const { return detail_; }
  QMdiSubWindow* subWindow() const;

  // Sizes the MDI child as [Project Window] WindowSize says, inside a
  // client area of clientWidth x clientHeight, and sets its smallest size;
  // watches the child for a restore from minimised.
  void restoreSize(int clientWidth, int clientHeight);

  // Files dropped on the window (or handed in as if dropped) become
  // members.
  void dropFiles(const std::vector<std::string>& files);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  ProjectChild(const Frame& frame, std::string name, project::OpenProject* project);
  void layoutParts();
  // The focus on the list, the selection's counts, the status line and the
  // detail pane.
  void focusMemberList();
  void updateStatus();
  int lineHeight() const;
  // The member rows and the selected ones, in either form.
  std::vector<project::MemberRow>& memberRows();
  std::vector<int> selectedRowNumbers() const;
  // Reads the rows still to come now.
  void finishFill();

  Frame frame_;
  std::string name_;
  project::OpenProject* project_;
  std::unique_ptr<project::ProjectMemberOperations> operations_;
  bool listForm_ = true;
  views::MemberListView* list_ = nullptr;
  views::MemberTreeView* tree_ = nullptr;
  QPlainTextEdit* detail_ = nullptr;
  bool laidOut_ = false;
  bool active_ = false;
  bool watching_ = false;
  // The project file as the window last read it.
  fs::FileIdentity projectFile_;
  void rememberProjectFile();
};

}  // namespace orv::workbench
