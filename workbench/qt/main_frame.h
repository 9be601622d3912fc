// The workbench's main window: the MDI client with its document windows,
// the File, Window and Help menus (Help: Contents, How to Use Help,
// Technical Support, Tutorial and About) (the File menu lists the files opened
// last, rebuilt each time it opens), the archive and project tool bars (the
// one for the active window's kind shows, at the edge [User] Orientation
// names) and the status bar. It opens where it was last closed and, when it
// closes in its normal state, stores its place; the recent files are
// stored at every close.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "platform/spawn/spawner.h"
#include "workbench/app/execute_command.h"
#include "workbench/app/help_topics.h"
#include "workbench/app/recent_files.h"
#include "workbench/app/toolbar_layout.h"
#include "workbench/commands/command_enabling.h"
#include "workbench/commands/command_router.h"
#include "workbench/commands/document_windows.h"
#include "workbench/external/program_starts.h"
#include "workbench/qt/archive_window.h"
#include "workbench/qt/project_window.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace orv::ui {
class Ui;
}

namespace orv::workbench {

// Menu and tool-bar command ids the frame answers itself.
enum FrameCommand : int {
  kCmdHelp = 1515,
  kCmdTechnicalSupport = 1516,
  kCmdTutorial = 1517,
  kCmdAbout = 1518,
  kCmdExit = 24340,
  kCmdHelpOnHelp = 24341,
};

// The help topics of the Help menu.
constexpr int kHelpContentsContext = app::kHelpContentsContext;
constexpr int kHelpOnHelpContext = app::kUsingHelpHelpContext;

class MainFrame : public QMainWindow, public commands::WindowRegistry {
  Q_OBJECT

 public:
  // spawner: how the editor, vardel32 and the user tools start;
  // permissions: who may run which command (the security database through
  // the revision library). The frame's own ones when null.
  MainFrame(ui::Ui& ui, std::string settingsFile, platform::Spawner* spawner = nullptr,
            commands::PermissionOracle* permissions = nullptr);
  ~MainFrame() override;

  // Places the frame as the settings say (before it is shown).
  void applyStoredPlacement();

  // Opens a document window for each name (a project for project files,
  // else an archive) and puts it first among the recent files.
  void openNames(const std::vector<std::string>& names);
  // Opens (or brings forward) the document window of name as a project or
  // an archive window, and puts it first among the recent files.
  void openDocument(const std::string& name, bool project);
  // The command server kept out while a menu command runs.
  void setCommandServer(app::ExecuteServer* server) { router_.setCommandServer(server); }
  // Runs a command of the command server.
  void runCommand(const app::ExecuteCommand& command);
  // Whether runCommand has something to run for the command's verb.
  bool canRun(const app::ExecuteCommand& command) const;
  // The About box (a dialog of the seam).
  void showAbout();
  // Runs command id as its menu item or tool-bar button does.
  void command(int id);

  // The document windows (commands::WindowRegistry): archive and project
  // windows.
  commands::DocumentWindow* activeChild() override;
  std::vector<commands::DocumentWindow*> children() override;
  bool buildArchiveWindow(const std::string& name, bool remember) override;
  bool buildMemberArchiveWindow(const std::string& member, project::OpenProject& project) override;
  bool buildProjectWindow(const commands::ProjectWindowRequest& request) override;

  QMdiArea* mdiArea() const { return mdi_; }
  QMenu* fileMenu() const { return fileMenu_; }
  // The Archive menu, shown while an archive window is active.
  QMenu* archiveMenu() const { return archiveMenu_; }
  // The Project and Member menus, shown while a project window is active.
  QMenu* projectMenu() const { return projectMenu_; }
  QMenu* memberMenu() const { return memberMenu_; }
  QToolBar* toolbar(app::ToolbarKind kind) const;
  // The hint mode the tool bars follow ([User] HintMode).
  int hintMode() const { return hintMode_; }
  // Builds both tool bars again from the settings file (order, icons,
  // hints, orientation, hint mode), showing the one shown before.
  void rebuildToolbars();
  // Enables and greys the tool-bar buttons by the rules of the menus.
  void updateToolbarEnabling();
  const app::RecentFiles& recentFiles() const { return recent_; }
  // Brings the frame to the front (restoring it when minimised).
  void bringForward();

 signals:
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void buildToolbars(const profile::ProfileFile& settings);
  void rebuildRecentItems();
  void showToolbarFor(app::ToolbarKind kind);
  void scheduleToolbarEnabling();
  void activeWindowChanged(QMdiSubWindow* window);
  void registerCommands();
  ArchiveChild* archiveChildOf(QMdiSubWindow* window) const;
  ProjectChild* projectChildOf(QMdiSubWindow* window) const;
  ArchiveChild::Frame archiveFrame();
  ProjectChild::Frame projectFrame();
  // Shows widget as a new MDI child (maximised when the active one is),
  // sized by restore from the client area's size first.
  QMdiSubWindow* addChild(QWidget* widget, const std::string& path, const std::function<void(QSize)>& restore);
  void syncActiveWindow();
  // Every archive and project window re-reads what changed on disk since
  // it last read it, whoever changed it.
  void refreshChangedWindows();
  void enableMenu(QMenu* menu);
  void store();

  ui::Ui& ui_;
  std::string settingsFile_;
  int orientation_ = 0;
  int hintMode_ = 2;
  app::ToolbarKind shownBar_ = app::ToolbarKind::project;
  bool enablingPending_ = false;
  QMdiArea* mdi_;
  QMenu* fileMenu_ = nullptr;
  QMenu* archiveMenu_ = nullptr;
  QMenu* projectMenu_ = nullptr;
  QMenu* memberMenu_ = nullptr;
  QAction* recentSeparator_ = nullptr;
  std::vector<QAction*> recentActions_;
  QToolBar* archiveBar_ = nullptr;
  QToolBar* projectBar_ = nullptr;
  app::RecentFiles recent_;
  bool stored_ = false;
  platform::PosixSpawner ownSpawner_;
  external::ProgramStarts starts_;
  commands::LibraryPermissions permissions_;
  commands::PermissionOracle& oracle_;
  commands::CommandRouter router_;
  struct Commands;
  std::unique_ptr<Commands> commands_;
  QPointer<ArchiveChild> activeArchive_;
  QPointer<ProjectChild> activeProject_;
};

// The program's icon (frame, boxes, task bar).
QIcon programIcon();

// The file a document window shows.
std::string documentPath(const QMdiSubWindow* window);

// Whether a name is opened as a project (project and sandbox files).
bool isProjectName(const std::string& name);

}  // namespace orv::workbench
