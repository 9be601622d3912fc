// The main window: menus, tool bars, MDI client, placement and recent files.
#include "workbench/qt/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/profile/profile.h"
#include "platform/ui/qt/help_key_filter.h"
#include "platform/ui/ui.h"
#include "vc/include/vc.h"
#include "workbench/app/frame_placement.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/app/text_fit.h"
#include "workbench/archive/password_cache.h"
#include "workbench/commands/command_handlers.h"
#include "workbench/commands/command_table.h"
#include "workbench/commands/document_window.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/dialogs/frame_registrations.h"
#include "workbench/dialogs/qt/file_list_dialog.h"
#include "workbench/external/archive_reports.h"
#include "workbench/app/tool_hints.h"
#include "workbench/app/toolbar_config.h"
#include "workbench/external/icon_resolver.h"
#include "workbench/external/program_starts.h"
#include "workbench/qt/about_box.h"
#include "workbench/qt/child_geometry.h"
#include "workbench/qt/toolbar_icons.h"

namespace orv::workbench {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The menu text of a command of the command table.
QString menuText(int id) {
  const commands::CommandInfo* info = commands::findCommand(id);
  return info ? q(std::string(info->menuText)) : QString();
}

// The commands the frame answers itself, always available.
bool isFrameCommand(int id) {
  return id == kCmdExit || id == kCmdHelp || id == kCmdHelpOnHelp || id == kCmdTechnicalSupport ||
         id == kCmdTutorial || id == kCmdAbout;
}

constexpr int kArchiveKind = 2;
// How often ended child programs are collected.
constexpr int kReapIntervalMs = 1000;
constexpr int kFirstUserTool = 1543;  // User1..User5
constexpr int kCmdViewMember = 1557;
constexpr int kProjectKind = 4;

// "CheckIn" -> "Check In"
QString spacedName(const std::string& name) {
  QString out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (i > 0 && c >= 'A' && c <= 'Z' && !(name[i - 1] >= 'A' && name[i - 1] <= 'Z'))
      out += QLatin1Char(' ');
    out += QLatin1Char(c);
  }
  return out;
}

// The icon of a tool-bar button: a user button's from its program or icon
// file, View/Edit's from the editor, every other its built-in icon.
QIcon buttonIcon(const app::ToolbarButton& b, const profile::ProfileFile& settings) {
  const external::IconResolver resolver(systemIconLookup());
  if (const int n = app::userButtonOf(b.commandId)) {
    const app::UserButton user = app::readUserButton(settings, n);
    return iconOf(resolver.userButton(n, user.command, user.icon), b.iconId);
  }
  if (b.commandId == commands::kCommandViewEdit || b.commandId == kCmdViewMember) {
    const auto editor = external::editorCommand();
    return iconOf(resolver.programButton(editor.empty() ? std::string() : editor.front(), b.iconId), b.iconId);
  }
  return builtInIcon(b.iconId);
}

// Keeps a tool button's tip from showing (hint modes without tips).
class NoTips : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::ToolTip; }
};

Qt::ToolBarArea areaOf(int orientation) {
  switch (orientation) {
    case 1: return Qt::BottomToolBarArea;
    case 2: return Qt::LeftToolBarArea;
    case 3: return Qt::RightToolBarArea;
    default: return Qt::TopToolBarArea;
  }
}

}  // namespace

std::string documentPath(const QMdiSubWindow* window) {
  return window->property("orvPath").toString().toStdString();
}

QIcon programIcon() {
  // A revision tree: a trunk of three revisions and a branch.
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(24, 60, 112));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(0, 0, 32, 32), 6, 6);
  p.setPen(QPen(QColor(220, 232, 248), 2.5));
  p.drawLine(11, 7, 11, 25);
  p.drawLine(11, 16, 22, 22);
  p.setBrush(Qt::white);
  p.setPen(Qt::NoPen);
  for (int y : {7, 16, 25}) p.drawEllipse(QPointF(11, y), 3.5, 3.5);
  p.drawEllipse(QPointF(22, 22), 3.5, 3.5);
  return QIcon(pm);
}

// What the frame's command handlers work with: the dialogs and services of
// the registration table, the open and create commands, the item commands
// and the temporary files of comparisons, over the frame's windows. The
// commands of dialogs that are not there are disabled.
struct MainFrame::Commands {
  Commands(MainFrame& frame, ui::Ui& ui)
      : registry(registrations(frame, ui)),
        opening(ui, frame, registry.opening),
        temps(ui),
        items(ui, frame, opening, temps, registry.items),
        context{ui, frame, opening, items, frame.starts_, temps, external::libraryImporters(),
                external::libraryExporter(), frame.recent_, openers(frame), registry.flows} {}

  static commands::FrameRegistry registrations(MainFrame& frame, ui::Ui& ui) {
    commands::FrameRegistry registry;
    dialogs::setFileListDialog(dialogs::runQtFileListDialog);
    registry.opening.addRecentFile = [&frame](const std::string& path, int kind) { frame.recent_.add(path, kind); };
    commands::runRegistrations(dialogs::frameRegistrations(), registry, {ui, frame.starts_, &frame});
    return registry;
  }
  static commands::WindowOpeners openers(MainFrame& frame) {
    commands::WindowOpeners open;
    open.openProjectWindow = [&frame](const std::string& path) { frame.openDocument(path, true); };
    open.openArchiveWindow = [&frame](const std::string& path) { frame.openDocument(path, false); };
    return open;
  }

  commands::FrameRegistry registry;
  commands::OpenCreateCommands opening;
  app::TempFiles temps;
  commands::WindowCommands items;
  commands::CommandContext context;
};

bool isProjectName(const std::string& name) {
  const QString suffix = QFileInfo(q(name)).suffix().toLower();
  return suffix == QLatin1String("pj") || suffix == QLatin1String("prj");
}

MainFrame::MainFrame(ui::Ui& ui, std::string settingsFile, platform::Spawner* spawner,
                     commands::PermissionOracle* permissions)
    : ui_(ui),
      settingsFile_(std::move(settingsFile)),
      mdi_(new QMdiArea(this)),
      starts_{ui, spawner ? *spawner : ownSpawner_, settingsFile_, external::workbenchProgramDirectory()},
      oracle_(permissions ? *permissions : permissions_),
      router_(ui, oracle_),
      commands_(std::make_unique<Commands>(*this, ui)) {
  setWindowTitle(q(std::string(app::loadString(app::kStrAppTitle))));
  setObjectName(QStringLiteral("orvty32"));
  setWindowIcon(programIcon());
  installIconProvider();
  // The tips' look: black on pale yellow.
  QPalette tips = QToolTip::palette();
  tips.setColor(QPalette::ToolTipBase, QColor(255, 255, 128));
  tips.setColor(QPalette::ToolTipText, Qt::black);
  QToolTip::setPalette(tips);
  mdi_->setViewMode(QMdiArea::SubWindowView);
  mdi_->setBackground(QColor(0x80, 0x80, 0x80));
  setCentralWidget(mdi_);

  profile::ProfileFile settings;
  settings.load(settingsFile_);
  recent_.load(settings);

  registerCommands();
  buildMenus();
  buildToolbars(settings);
  statusBar()->showMessage(QStringLiteral("Ready"));
  // F1 where no dialog is up opens the contents.
  setProperty(ui::qt::kHelpContextProperty, kHelpContentsContext);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &MainFrame::activeWindowChanged);
  // The library's own password requests (member archives, reports) reach
  // the password dialog through the frame's Ui.
  archive::setPasswordCallbackUi(&ui_);
  vcRegisterPasswdCallback(archive::passwordCallback);
  // The programs the workbench started (vardel32, the editor, user tools)
  // are collected as they end, not left as zombies until the next start.
  auto* reaper = new QTimer(this);
  connect(reaper, &QTimer::timeout, this, [this] { starts_.spawner.reap(); });
  reaper->start(kReapIntervalMs);
  qApp->installEventFilter(this);
}

MainFrame::~MainFrame() {
  // The MDI area reports its windows going while the frame is taken down:
  // nothing of the frame may answer then. The windows go before the
  // commands they may still be asked by.
  mdi_->disconnect(this);
  for (QMdiSubWindow* window : mdi_->subWindowList()) delete window;
  // Windows closed but not yet deleted (their deletion still posted) go
  // now too, without telling the frame.
  for (QMdiSubWindow* window : mdi_->findChildren<QMdiSubWindow*>()) {
    window->disconnect(this);
    delete window;
  }
  archive::setPasswordCallbackUi(nullptr);
  archive::setLockMailDialog({});
}

void MainFrame::buildMenus() {
  fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
  auto add = [this](QMenu* menu, const QString& text, int id, const QString& tip,
                    QKeySequence key = {}) {
    QAction* a = menu->addAction(text);
    a->setData(id);
    a->setStatusTip(tip);
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, [this, id] { command(id); });
    return a;
  };
  add(fileMenu_, QStringLiteral("Open &Archive..."), commands::kCommandOpenArchive,
      QStringLiteral("Opens an archive"));
  add(fileMenu_, QStringLiteral("Open &Project..."), commands::kCommandOpenProject,
      QStringLiteral("Opens a project or sandbox"));
  add(fileMenu_, menuText(commands::kCommandClose), commands::kCommandClose,
      QStringLiteral("Closes the active window"));
  fileMenu_->addSeparator();
  add(fileMenu_, menuText(commands::kCommandCreateArchive), commands::kCommandCreateArchive,
      QStringLiteral("Puts files under revision control"));
  add(fileMenu_, menuText(commands::kCommandCreateProject), commands::kCommandCreateProject,
      QStringLiteral("Makes a project of files, with its sandbox"));
  add(fileMenu_, menuText(commands::kCommandCompareFiles), commands::kCommandCompareFiles,
      QStringLiteral("Compares two files in the visual merge program"));
  add(fileMenu_, menuText(commands::kCommandImportArchive), commands::kCommandImportArchive,
      QStringLiteral("Converts SCCS and PVCS files into archives"));
  fileMenu_->addSeparator();
  add(fileMenu_, menuText(commands::kCommandConfiguration), commands::kCommandConfiguration,
      QStringLiteral("Edits your personal configuration"));
  recentSeparator_ = fileMenu_->addSeparator();
  fileMenu_->addSeparator();
  add(fileMenu_, QStringLiteral("E&xit"), kCmdExit, QStringLiteral("Ends the workbench"));
  connect(fileMenu_, &QMenu::aboutToShow, this, &MainFrame::rebuildRecentItems);
  connect(fileMenu_, &QMenu::aboutToShow, this, [this] { enableMenu(fileMenu_); });
  rebuildRecentItems();

  // The commands of the active archive window, from the command table (a
  // text after a tab names the item's key).
  auto addCommand = [this](QMenu* menu, int id) {
    const QString text = menuText(id);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    QAction* a = menu->addAction(text);
    a->setData(id);
    if (tab >= 0) a->setShortcut(QKeySequence::fromString(text.mid(tab + 1)));
    connect(a, &QAction::triggered, this, [this, id] { command(id); });
  };
  archiveMenu_ = menuBar()->addMenu(QStringLiteral("&Archive"));
  for (int id : std::initializer_list<int>{commands::kCommandCheckIn, commands::kCommandCheckOut, commands::kCommandCompareRevisions, 0,
                 commands::kCommandLockRevision, commands::kCommandUnlockRevision, commands::kCommandDeleteRevision, 0,
                 commands::kCommandViewEdit, commands::kCommandPromoteRevision, commands::kCommandDemoteRevision, 0,
                 commands::kCommandArchiveInfo, commands::kCommandRevisionInfo, commands::kCommandArchiveReport}) {
    if (id == 0)
      archiveMenu_->addSeparator();
    else
      addCommand(archiveMenu_, id);
  }
  connect(archiveMenu_, &QMenu::aboutToShow, this, [this] { enableMenu(archiveMenu_); });
  archiveMenu_->menuAction()->setVisible(false);

  // The commands of the active project window.
  auto addMenu = [&](const QString& title, std::initializer_list<int> ids) {
    QMenu* menu = menuBar()->addMenu(title);
    for (int id : ids) {
      if (id == 0)
        menu->addSeparator();
      else
        addCommand(menu, id);
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { enableMenu(menu); });
    menu->menuAction()->setVisible(false);
    return menu;
  };
  projectMenu_ = addMenu(QStringLiteral("&Project"),
                         {commands::kCommandAddMembers, commands::kCommandRemoveMembers, 0, commands::kCommandProjectInfo,
                          commands::kCommandViewLog, 0, commands::kCommandBuild, commands::kCommandCheckpoint,
                          commands::kCommandOpenProjectArchive, commands::kCommandCreateSandbox, 0,
                          commands::kCommandPromoteProject, commands::kCommandDemoteProject, commands::kCommandFreezeProject,
                          commands::kCommandThawProject, 0, commands::kCommandProjectReport});
  memberMenu_ = addMenu(QStringLiteral("&Member"),
                        {commands::kCommandCheckInMembers, commands::kCommandCheckOutMembers, commands::kCommandLockMembers,
                         commands::kCommandUnlockMembers, 0, commands::kCommandEditMember, commands::kCommandMemberDifferences,
                         commands::kCommandMemberInfo, 0, commands::kCommandSelectMembers, commands::kCommandLabelMembers,
                         commands::kCommandUpdateToHead, commands::kCommandResynchronize, commands::kCommandRemoveUnusedLocks, 0,
                         commands::kCommandOpenMemberArchive, commands::kCommandDependencies, 0,
                         commands::kCommandPromoteMembers, commands::kCommandDemoteMembers, commands::kCommandFreezeMembers,
                         commands::kCommandThawMembers});

  QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
  addCommand(window, commands::kCommandRefresh);
  window->addSeparator();
  QAction* cascade = window->addAction(QStringLiteral("&Cascade"));
  connect(cascade, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
  QAction* tile = window->addAction(QStringLiteral("&Tile"));
  connect(tile, &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
  QAction* closeAll = window->addAction(QStringLiteral("Close &All"));
  connect(closeAll, &QAction::triggered, mdi_, &QMdiArea::closeAllSubWindows);
  connect(window, &QMenu::aboutToShow, this, [this, window] { enableMenu(window); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  add(help, QStringLiteral("&Contents"), kCmdHelp, QStringLiteral("Shows the help contents"),
      QKeySequence(Qt::Key_F1));
  add(help, QStringLiteral("&How to Use Help"), kCmdHelpOnHelp,
      QStringLiteral("Shows how to use the help"));
  add(help, menuText(kCmdTechnicalSupport), kCmdTechnicalSupport,
      QStringLiteral("Shows where to get help with a problem"));
  add(help, menuText(kCmdTutorial), kCmdTutorial,
      QStringLiteral("Shows a first walk through the workbench"));
  help->addSeparator();
  add(help, QStringLiteral("&About Orv Tessalyworkbench..."), kCmdAbout,
      QStringLiteral("Shows the program's version"));
}

void MainFrame::rebuildRecentItems() {
  for (QAction* a : recentActions_) {
    fileMenu_->removeAction(a);
    a->deleteLater();
  }
  recentActions_.clear();
  const QFontMetrics metrics(fileMenu_->font());
  const int width = std::max(200, (mdi_->width() > 0 ? mdi_->width() : 800) / 2);
  auto fit = [&](const std::string& path) {
    auto fitted = app::fitTextWithEllipsis(
        path, width, [&](std::string_view t) { return metrics.horizontalAdvance(q(std::string(t))); });
    return fitted.text.empty() ? path : fitted.text;
  };
  const auto items = recent_.menuItems(fit);
  recentSeparator_->setVisible(!items.empty());
  // The entries follow the separator after the open commands, in order.
  const auto actions = fileMenu_->actions();
  const auto sep = actions.indexOf(recentSeparator_);
  QAction* next = actions.value(sep + 1, nullptr);
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* a = new QAction(q(items[i]), fileMenu_);
    const std::string path = recent_.entries()[i].path;
    a->setData(app::kFirstRecentFileCommand + static_cast<int>(i));
    a->setStatusTip(q(path));
    const int id = app::kFirstRecentFileCommand + static_cast<int>(i);
    connect(a, &QAction::triggered, this, [this, id] { command(id); });
    fileMenu_->insertAction(next, a);
    recentActions_.push_back(a);
  }
}

void MainFrame::buildToolbars(const profile::ProfileFile& settings) {
  hintMode_ = app::hintModeOf(settings);
  orientation_ = app::orientationOf(settings);
  const app::HintRoute route = app::routeHint(hintMode_, true);
  auto make = [&](app::ToolbarKind kind, const QString& title) {
    auto* bar = new QToolBar(title, this);
    bar->setObjectName(title);
    bar->setIconSize(QSize(24, 24));
    bar->setMovable(false);
    if (orientation_ == 2 || orientation_ == 3) bar->setOrientation(Qt::Vertical);
    // The buttons have actions of their own, apart from the menus', so that
    // the hint mode rules their hints alone.
    for (const auto& b : app::resolveToolbar(kind, settings)) {
      if (b.commandId == 0) {
        bar->addSeparator();
        continue;
      }
      const app::HintParts hint = app::splitHint(app::buttonHint(b.commandId, settings));
      const QString tip = q(hint.tip.value_or(std::string()));
      QAction* a = bar->addAction(buttonIcon(b, settings), tip.isEmpty() ? spacedName(b.name) : tip);
      a->setData(b.commandId);
      a->setObjectName(QString::fromLatin1(b.name));
      a->setToolTip(route.tip ? tip : QString());
      a->setStatusTip(route.status ? q(hint.status) : QString());
      if (!route.tip || tip.isEmpty())
        if (QWidget* button = bar->widgetForAction(a)) button->installEventFilter(new NoTips(button));
      const int id = b.commandId;
      connect(a, &QAction::triggered, this, [this, id] { command(id); });
    }
    addToolBar(areaOf(orientation_), bar);
    return bar;
  };
  projectBar_ = make(app::ToolbarKind::project, QStringLiteral("Project Toolbar"));
  archiveBar_ = make(app::ToolbarKind::archive, QStringLiteral("Archive Toolbar"));
  showToolbarFor(shownBar_);
}

void MainFrame::rebuildToolbars() {
  for (QToolBar* bar : {archiveBar_, projectBar_}) {
    removeToolBar(bar);
    bar->deleteLater();
  }
  profile::ProfileFile settings;
  settings.load(settingsFile_);
  buildToolbars(settings);
}

QToolBar* MainFrame::toolbar(app::ToolbarKind kind) const {
  return kind == app::ToolbarKind::archive ? archiveBar_ : projectBar_;
}

void MainFrame::updateToolbarEnabling() {
  enablingPending_ = false;
  // The rules of the menus: the active window's first, then the frame's;
  // Exit, Help and About are the frame's own.
  syncActiveWindow();
  for (QToolBar* bar : {archiveBar_, projectBar_}) {
    for (QAction* a : bar->actions()) {
      const int id = a->data().toInt();
      if (id == 0) continue;
      if (isFrameCommand(id)) {
        a->setEnabled(true);
        continue;
      }
      const commands::EnableResult result = router_.enable(id);
      a->setEnabled(result.state == commands::Enabling::undecided ? router_.runnable(id)
                                                                   : result.state == commands::Enabling::enabled);
    }
  }
}

void MainFrame::scheduleToolbarEnabling() {
  if (enablingPending_) return;
  enablingPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (enablingPending_) updateToolbarEnabling();
  });
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
  // After the user did something (a click, a key) the buttons follow the
  // state it left, as menus do when they open.
  switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
      if (isActiveWindow()) scheduleToolbarEnabling();
      break;
    default: break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainFrame::showToolbarFor(app::ToolbarKind kind) {
  shownBar_ = kind;
  updateToolbarEnabling();
  if (archiveMenu_) archiveMenu_->menuAction()->setVisible(kind == app::ToolbarKind::archive);
  const bool hidden = orientation_ == app::kOrientationHidden;
  archiveBar_->setVisible(!hidden && kind == app::ToolbarKind::archive);
  projectBar_->setVisible(!hidden && kind == app::ToolbarKind::project);
}

void MainFrame::activeWindowChanged(QMdiSubWindow* window) {
  ArchiveChild* archive = window && window->widget() ? archiveChildOf(window) : nullptr;
  ProjectChild* project = window && window->widget() ? projectChildOf(window) : nullptr;
  projectMenu_->menuAction()->setVisible(project != nullptr);
  memberMenu_->menuAction()->setVisible(project != nullptr);
  if (activeArchive_ && activeArchive_ != archive) activeArchive_->deactivated();
  if (activeProject_ && activeProject_ != project) activeProject_->deactivated();
  activeArchive_ = archive;
  activeProject_ = project;
  if (!window || !window->widget()) {
    if (mdi_->subWindowList().isEmpty()) showToolbarFor(app::ToolbarKind::project);
    return;
  }
  showToolbarFor(archive ? app::ToolbarKind::archive : app::ToolbarKind::project);
  if (archive) archive->activated();
  if (project) project->activated();
}

ArchiveChild* MainFrame::archiveChildOf(QMdiSubWindow* window) const {
  return window ? qobject_cast<ArchiveChild*>(window->widget()) : nullptr;
}

ProjectChild* MainFrame::projectChildOf(QMdiSubWindow* window) const {
  return window ? qobject_cast<ProjectChild*>(window->widget()) : nullptr;
}

commands::DocumentWindow* MainFrame::activeChild() {
  QMdiSubWindow* window = mdi_->currentSubWindow();
  if (window && !window->isVisible()) return nullptr;
  if (ProjectChild* project = projectChildOf(window)) return project;
  return archiveChildOf(window);
}

std::vector<commands::DocumentWindow*> MainFrame::children() {
  std::vector<commands::DocumentWindow*> out;
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (ArchiveChild* child = archiveChildOf(window)) out.push_back(child);
    if (ProjectChild* child = projectChildOf(window)) out.push_back(child);
  }
  return out;
}

ArchiveChild::Frame MainFrame::archiveFrame() {
  // The status line follows the selection, and the buttons with it.
  return {ui_, settingsFile_,
          [this](const std::string& text) {
            statusBar()->showMessage(q(text));
            updateToolbarEnabling();
          },
          [this](int id) { command(id); }};
}

ProjectChild::Frame MainFrame::projectFrame() { return {archiveFrame(), commands_->registry.memberDialogs}; }

bool MainFrame::buildArchiveWindow(const std::string& name, bool remember) {
  const ArchiveChild::Frame frame = archiveFrame();
  auto window = ArchiveChild::open(frame, name);
  if (!window) return false;
  if (remember) recent_.add(name, kArchiveKind);
  ArchiveChild* child = window.release();
  addChild(child, name, [child](QSize client) { child->restoreSize(client.width(), client.height()); });
  return true;
}

bool MainFrame::buildMemberArchiveWindow(const std::string& member, project::OpenProject& project) {
  const ArchiveChild::Frame frame = archiveFrame();
  auto window = ArchiveChild::open(frame, member, project.project, project.name);
  if (!window) return false;
  ArchiveChild* child = window.release();
  QMdiSubWindow* sub =
      addChild(child, member, [child](QSize client) { child->restoreSize(client.width(), client.height()); });
  // The archive window uses the project's handle: the project stays open
  // until the window goes, whichever of the two goes first.
  ProjectChild::share(project);
  project::OpenProject* shared = &project;
  // Bound to the window alone, so that it holds however the frame goes.
  connect(sub, &QObject::destroyed, [shared] { ProjectChild::release(shared); });
  return true;
}

bool MainFrame::buildProjectWindow(const commands::ProjectWindowRequest& request) {
  auto window = ProjectChild::open(projectFrame(), request);
  if (!window) return false;
  if (request.remember) recent_.add(request.name, static_cast<int>(window->project().kind));
  ProjectChild* child = window.release();
  addChild(child, request.name, [child](QSize client) { child->restoreSize(client.width(), client.height()); });
  return true;
}

QMdiSubWindow* MainFrame::addChild(QWidget* widget, const std::string& path,
                                  const std::function<void(QSize)>& restore) {
  QMdiSubWindow* active = mdi_->activeSubWindow();
  const bool maximized = active && active->isMaximized();
  QMdiSubWindow* window = mdi_->addSubWindow(widget);
  window->setProperty("orvPath", q(path));
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowIcon(widget->windowIcon());
  // A window that goes clears the library's current archive or project:
  // the active one takes its place again.
  connect(window, &QObject::destroyed, this, [this] {
    if (activeArchive_) activeArchive_->publish();
    if (activeProject_) activeProject_->publish();
  });
  restore(mdi_->viewport()->size());
  if (maximized) {
    window->showMaximized();
  } else {
    window->show();
    // The area's own placement may put a new window partly outside it.
    const QRect inside = fitInsideArea(window->geometry(), mdi_->viewport()->size());
    if (inside != window->geometry()) {
      window->setMinimumSize(window->minimumSize().boundedTo(inside.size()));
      window->setGeometry(inside);
    }
  }
  mdi_->setActiveSubWindow(window);
  return window;
}

void MainFrame::applyStoredPlacement() {
  const std::string stored =
      profile::getProfileString(settingsFile_, "General", "FrameWindowCoordinates", "-1,-1,-1,-1");
  // The screen the frame was last on; a place outside every screen goes
  // onto the primary one.
  int x = -1, y = -1;
  std::sscanf(stored.c_str(), "%d,%d", &x, &y);
  QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  std::string local = stored;
  if (screen && screen != QGuiApplication::primaryScreen()) {
    int v[4] = {-1, -1, -1, -1};
    std::sscanf(stored.c_str(), "%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3]);
    local = std::to_string(v[0] - area.x()) + "," + std::to_string(v[1] - area.y()) + "," +
            std::to_string(v[2]) + "," + std::to_string(v[3]);
  }
  const ui::Rect r = app::framePlacement(local, area.width(), area.height());
  const bool relative = screen && screen != QGuiApplication::primaryScreen();
  setGeometry(r.x + (relative ? area.x() : 0), r.y + (relative ? area.y() : 0), r.width, r.height);
}

void MainFrame::openNames(const std::vector<std::string>& names) {
  for (const auto& name : names) openDocument(name, isProjectName(name));
}

void MainFrame::openDocument(const std::string& name, bool project) {
  QMdiSubWindow* window = nullptr;
  for (QMdiSubWindow* open : mdi_->subWindowList())
    if (documentPath(open) == name) window = open;
  if (!window && !project) {
    buildArchiveWindow(name, true);
    return;
  }
  if (!window) {
    commands::ProjectWindowRequest request;
    request.name = name;
    request.remember = true;
    buildProjectWindow(request);
    return;
  }
  mdi_->setActiveSubWindow(window);
  recent_.add(name, project ? kProjectKind : kArchiveKind);
}

void MainFrame::bringForward() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void MainFrame::runCommand(const app::ExecuteCommand& c) {
  using app::ExecuteVerb;
  switch (c.verb) {
    case ExecuteVerb::openArchive:
    case ExecuteVerb::openProject:
      bringForward();
      openNames(c.args);
      break;
    case ExecuteVerb::about:
      bringForward();
      showAbout();
      break;
    case ExecuteVerb::help: ui_.showHelp(kHelpContentsContext); break;
    case ExecuteVerb::createArchive:
      bringForward();
      commands_->opening.ddeCreateArchive(c.args);
      break;
    case ExecuteVerb::configuration:
      bringForward();
      command(commands::kCommandConfiguration);
      break;
    default:
      // The commands the registered dialogs and programs answer.
      if (auto handler = commands_->registry.execute.find(c.verb); handler != commands_->registry.execute.end()) {
        if (handler->second.bringForward) bringForward();
        handler->second.run(c.args);
      }
      break;
  }
  refreshChangedWindows();
  updateToolbarEnabling();
}

bool MainFrame::canRun(const app::ExecuteCommand& c) const {
  using app::ExecuteVerb;
  switch (c.verb) {
    case ExecuteVerb::openArchive:
    case ExecuteVerb::openProject:
    case ExecuteVerb::about:
    case ExecuteVerb::help:
    case ExecuteVerb::createArchive: return true;
    case ExecuteVerb::configuration: return static_cast<bool>(commands_->registry.items.configurationSheet);
    default: return commands_->registry.execute.count(c.verb) != 0;
  }
}

void MainFrame::showAbout() { runAboutBox(ui_); }

void MainFrame::command(int id) {
  switch (id) {
    case kCmdExit: close(); break;
    case kCmdHelp: ui_.showHelp(kHelpContentsContext); break;
    case kCmdHelpOnHelp: ui_.showHelp(kHelpOnHelpContext); break;
    case kCmdTechnicalSupport: ui_.showHelp(app::kTechnicalSupportHelpContext); break;
    case kCmdTutorial: ui_.showHelp(app::kTutorialHelpContext); break;
    case kCmdAbout: showAbout(); break;
    default:
      // A command acts on what is on disk now.
      refreshChangedWindows();
      syncActiveWindow();
      if (router_.enable(id).state == commands::Enabling::disabled) break;
      router_.dispatch(id);
      refreshChangedWindows();
      // The sheet may have changed the bars, the user buttons or the hint
      // mode.
      if (id == commands::kCommandConfiguration) rebuildToolbars();
      break;
  }
  scheduleToolbarEnabling();
}

void MainFrame::registerCommands() {
  // Every command's handler (the frame answers Help, About and Exit
  // itself).
  commands::registerCommandHandlers(router_, commands_->context);
  router_.setRecentKinds([this] {
    std::vector<int> kinds;
    for (const auto& entry : recent_.entries()) kinds.push_back(entry.kind);
    return kinds;
  });
}

void MainFrame::syncActiveWindow() {
  // The window last active, also while a dialog or another program has the
  // focus; a window being closed no longer counts.
  QMdiSubWindow* window = mdi_->currentSubWindow();
  if (window && (!window->isVisible() || !window->widget())) window = nullptr;
  commands::ChildKind kind = commands::ChildKind::none;
  if (window)
    kind = window->widget()->property("orvKind").toInt() == kArchiveKind ? commands::ChildKind::archive
                                                                          : commands::ChildKind::project;
  // The active window's rules decide first.
  commands::CommandRouter::WindowEnabler enabler;
  if (QPointer<ArchiveChild> archive = archiveChildOf(window))
    enabler = [this, archive](int id) {
      return archive ? commands::enableForArchiveWindow(id, archive->facts(), oracle_) : commands::EnableResult{};
    };
  if (QPointer<ProjectChild> project = projectChildOf(window))
    enabler = [this, project](int id) {
      return project ? commands::enableForProjectWindow(id, project->facts(), oracle_) : commands::EnableResult{};
    };
  router_.setActiveWindow(kind, std::move(enabler));
}

void MainFrame::refreshChangedWindows() {
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (ArchiveChild* archive = archiveChildOf(window)) archive->refreshIfChanged();
    if (ProjectChild* project = projectChildOf(window)) project->refreshIfChanged();
  }
  // The active window is the library's current one again.
  if (activeArchive_) activeArchive_->publish();
  if (activeProject_) activeProject_->publish();
}

void MainFrame::enableMenu(QMenu* menu) {
  syncActiveWindow();
  for (QAction* action : menu->actions()) {
    const int id = action->data().toInt();
    if (id == 0) continue;
    const commands::EnableResult result = router_.enable(id);
    if (result.state != commands::Enabling::undecided)
      action->setEnabled(result.state == commands::Enabling::enabled);
    if (result.text) action->setText(q(*result.text));
  }
}

void MainFrame::store() {
  if (stored_) return;
  stored_ = true;
  profile::ProfileFile settings;
  settings.load(settingsFile_);
  const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
  if (auto value = app::storedPlacement({normal.x(), normal.y(), normal.width(), normal.height()},
                                          !isMaximized() && !isMinimized() && !isFullScreen()))
    settings.set("General", "FrameWindowCoordinates", *value);
  recent_.store(settings);
  if (int rc = settings.save()) {
    ui_.messageBox(ui::okBox(std::string(app::loadString(app::kStrAppTitle)),
                             "Unable to write " + settingsFile_ + ": " + std::strerror(rc),
                             ui::MessageIcon::warning));
  }
}

void MainFrame::closeEvent(QCloseEvent* event) {
  mdi_->closeAllSubWindows();
  store();
  event->accept();
  emit closed();
}

}  // namespace orv::workbench
