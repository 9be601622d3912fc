#include "workbench/qt/project_window.h"

#include <unistd.h>

#include <utility>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/commands/command_table.h"
#include "workbench/commands/document_window.h"
#include "workbench/commands/window_captions.h"
#include "workbench/commands/window_layout.h"
#include "workbench/commands/window_selection.h"
#include "workbench/project/member_rows.h"
#include "workbench/qt/child_geometry.h"
#include "workbench/views/qt/member_list_view.h"
#include "workbench/views/qt/member_tree_view.h"
#include "workbench/views/qt/split_bar.h"

namespace orv::workbench {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kProjectKind = 4;

// Open failures the window explains itself.
constexpr int kProjectNotOpened = VC_E_CANNOT_OPEN_PROJECT;
constexpr int kMasterInaccessible = VC_E_MASTER_PROJECT_INACCESSIBLE;


// Shows why the project of name did not open.
void showOpenFailure(ui::Ui& ui, project::OpenProject& project, const std::string& name) {
  std::string text;
  switch (project.status) {
    case VC_E_ENCRYPTED_FILE:
      text = "Sandbox " + name +
             " cannot be opened because its project archive is encrypted. Sandboxes cannot be used with "
             "encrypted project archives.";
      break;
    case kProjectNotOpened: text = "Cannot open project " + name + "."; break;
    case kMasterInaccessible:
      text = "Cannot open sandbox " + name + "\nThe master project file is inaccessible.";
      break;
    default: project.showError(app::kStyleError); return;
  }
  project.status = -14;
  app::rcsMessage(ui, app::kStyleError, text);
}

// The window's icon: a folder of files; a sandbox's holds a spade.
QIcon projectIcon(bool sandbox) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(120, 90, 20), 1));
  p.setBrush(sandbox ? QColor(236, 214, 150) : QColor(240, 200, 90));
  p.drawPolygon(QPolygonF({QPointF(0.5, 2.5), QPointF(6, 2.5), QPointF(7.5, 4), QPointF(15.5, 4), QPointF(15.5, 14.5),
                           QPointF(0.5, 14.5)}));
  if (sandbox) {
    p.setPen(QPen(QColor(90, 60, 20), 1.4));
    p.drawLine(QPointF(5, 12.5), QPointF(11, 6.5));
    p.setBrush(QColor(150, 150, 160));
    p.drawEllipse(QPointF(11, 6.5), 2, 2);
  } else {
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 6.5, 7, 6));
  }
  return QIcon(pm);
}

}  // namespace

std::unique_ptr<ProjectChild> ProjectChild::open(const Frame& frame, const commands::ProjectWindowRequest& request) {
  auto* project = new project::OpenProject(frame.ui, request.name.c_str(), request.createNew ? 7 : 1,
                                         request.revision ? request.revision->c_str() : nullptr,
                                         request.frozenRequested, request.historical);
  if (project->status != 0 || !project->project) {
    showOpenFailure(frame.ui, *project, request.name);
    delete project;
    return nullptr;
  }
  project->useCount = 1;
  // The permissions the rules ask are read once, here.
  app::prefetchPermissions();
  std::unique_ptr<ProjectChild> window(new ProjectChild(frame, request.name, project));
  window->publish();
  // The list or the tree shows its first members now and reads the rest
  // as the window runs.
  if (window->list_) window->list_->fill(false);
  if (window->tree_) window->tree_->fill(false);
  window->updateStatus();
  window->rememberProjectFile();
  return window;
}

ProjectChild::ProjectChild(const Frame& frame, std::string name, project::OpenProject* project)
    : frame_(frame), name_(std::move(name)), project_(project) {
  setObjectName(QStringLiteral("projectWindow"));
  setProperty("orvKind", kProjectKind);
  setProperty("orvPath", q(name_));
  setProperty("orvClass", windowClass());
  setAcceptDrops(true);
  operations_ = std::make_unique<project::ProjectMemberOperations>(*project_, *this, frame_.dialogs);
  project_->onReloaded = [this] {
    if (list_) list_->fill(frame_.ui);
    if (tree_) tree_->fill(true);
    updateStatus();
  };
  listForm_ = commands::readListViewSetting(frame_.settingsFile, commands::windowSection(commands::ChildKind::project));
  if (listForm_) {
    list_ = new views::MemberListView(*project_, frame_.settingsFile, this);
    views::setControlId(list_, kProjectListId);
    connect(list_, &views::MemberListView::selectionChangedByUser, this, &ProjectChild::updateStatus);
    connect(list_, &views::MemberListView::rowsFed, this, [this] {
      if (active_ && frame_.statusText) frame_.statusText(project::memberStatusLine(*project_));
    });
  } else {
    tree_ = new views::MemberTreeView(*project_, frame_.settingsFile, this);
    views::setControlId(tree_, kProjectTreeId);
    connect(tree_, &views::MemberTreeView::selectionChangedByUser, this, &ProjectChild::updateStatus);
    connect(tree_, &views::MemberTreeView::rowsFed, this, [this] {
      if (active_ && frame_.statusText) frame_.statusText(project::memberStatusLine(*project_));
    });
  }
  detail_ = new QPlainTextEdit(this);
  detail_->setObjectName(QStringLiteral("memberDetail"));
  detail_->setReadOnly(true);
  detail_->setLineWrapMode(QPlainTextEdit::NoWrap);
  detail_->setFocusPolicy(Qt::ClickFocus);
  views::setControlId(detail_, kProjectDetailId);
  // The pane reads as an ordinary text window, not as a grey box.
  QPalette pal = detail_->palette();
  pal.setColor(QPalette::Base, palette().color(QPalette::Active, QPalette::Base));
  pal.setColor(QPalette::Text, palette().color(QPalette::Active, QPalette::Text));
  detail_->setPalette(pal);
  setWindowTitle(caption());
  setWindowIcon(projectIcon(sandbox()));
  connect(static_cast<QAbstractItemView*>(view()), &QAbstractItemView::doubleClicked, this, [this] {
    if (frame_.command) frame_.command(commands::kCommandViewEdit);
  });
  resize(640, 360);
}

ProjectChild::~ProjectChild() {
  // The list stores its sort key while the project is still there.
  delete list_;
  list_ = nullptr;
  // The tree reads through the project: it goes before the project does.
  delete std::exchange(tree_, nullptr);
  project_->onReloaded = nullptr;
  release(project_);
}

QWidget* ProjectChild::view() const {
  if (list_) return list_;
  return tree_;
}

std::vector<project::MemberRow>& ProjectChild::memberRows() { return tree_ ? tree_->rows() : list_->rows(); }

std::vector<int> ProjectChild::selectedRowNumbers() const {
  if (tree_) return tree_->selectedRowNumbers();
  return list_ ? list_->selectedRowNumbers() : std::vector<int>();
}

void ProjectChild::release(project::OpenProject* project) {
  if (!project) return;
  if (project->useCount > 1) {
    --project->useCount;
    return;
  }
  delete project;
}

bool ProjectChild::sandbox() const { return (project_->kind & project::kProjectKindSandbox) != 0; }

QString ProjectChild::caption() const {
  return q(commands::projectCaption(name_, project_->kind, project_->frozen, project_->historical));
}

QString ProjectChild::windowClass() const {
  const std::string_view name = commands::projectWindowClass(project_->kind);
  return QString::fromLatin1(name.data(), static_cast<int>(name.size()));
}

QMdiSubWindow* ProjectChild::subWindow() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

void ProjectChild::raise() {
  QMdiSubWindow* sub = subWindow();
  if (!sub) return QWidget::raise();
  if (sub->isMinimized()) sub->showNormal();
  if (QMdiArea* area = sub->mdiArea()) area->setActiveSubWindow(sub);
}

void ProjectChild::close() {
  if (QMdiSubWindow* sub = subWindow()) sub->close();
  else QWidget::close();
}

void ProjectChild::finishFill() {
  if (list_) list_->finishFill();
  if (tree_) tree_->finishFill();
}

std::vector<int> ProjectChild::selection(bool warn) {
  // A command works on every member: the rows still to come are read
  // before it takes the selection.
  finishFill();
  const std::vector<int> rows = selectedRowNumbers();
  return commands::takeSelectedRows(frame_.ui, rows.size(), warn,
                                 [&rows](std::vector<int>& out) { out.insert(out.end(), rows.begin(), rows.end()); });
}

void ProjectChild::selectRows(const std::vector<int>& rows) {
  finishFill();
  if (tree_) {
    tree_->selectRows(rows);
    focusMemberList();
    return;
  }
  QItemSelection chosen;
  for (int row : rows)
    if (row >= 0 && row < rowCount()) chosen.select(list_->model()->index(row, 0), list_->model()->index(row, 0));
  list_->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (!rows.empty() && rows.front() >= 0 && rows.front() < rowCount()) {
    const QModelIndex first = list_->model()->index(rows.front(), 0);
    list_->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    list_->scrollTo(first);
  }
  focusMemberList();
}

void ProjectChild::reloadMembers() {
  if (tree_) tree_->refresh();
  else list_->refresh(frame_.ui);
  updateStatus();
  rememberProjectFile();
}

project::MemberRow* ProjectChild::findMemberItem(int index, bool moveCursor) {
  // The rows shown so far: an index comes from them.
  if (index < 0 || index >= static_cast<int>(memberRows().size())) return nullptr;
  project::MemberRow& row = memberRows()[static_cast<std::size_t>(index)];
  if (moveCursor && project_->project) vcMemberSetPosition(project_->project, static_cast<int>(row.position));
  return &row;
}

int ProjectChild::rowCount() {
  // Whoever counts the rows goes through all of them.
  finishFill();
  return static_cast<int>(memberRows().size());
}

void ProjectChild::refreshMembers(const int* rows, int count) {
  if (!rows) {
    if (tree_) tree_->fill(true);
    else list_->fill(frame_.ui);
  } else if (tree_) {
    tree_->refreshRows(frame_.ui, std::vector<int>(rows, rows + count));
  } else {
    list_->refreshRows(frame_.ui, std::vector<int>(rows, rows + count));
  }
  updateStatus();
  // What this window's own operations saved is what it shows.
  rememberProjectFile();
}

void ProjectChild::updateCaption() {
  setWindowTitle(caption());
  if (QMdiSubWindow* sub = subWindow()) sub->setWindowTitle(caption());
}

void ProjectChild::publish() {
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, std::to_string(project_->project).c_str());
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, "");
}

void ProjectChild::rememberProjectFile() {
  const std::string file = project::projectText(project_->project, VC_PROJECT_ITEM_FILE);
  projectFile_ = file.empty() ? fs::FileIdentity{} : fs::readIdentity(file);
}

bool ProjectChild::refreshIfChanged() {
  const std::string file = project::projectText(project_->project, VC_PROJECT_ITEM_FILE);
  if (file.empty() || !projectFile_.valid || !fs::fileChanged(projectFile_, file)) return false;
  // Archive windows of members hold the project's handle: it stays.
  if (project_->useCount > 1) return false;
  char modified = 0;
  // Changes of our own not yet saved are not thrown away.
  if (vcGetProject(project_->project, VC_PROJECT_ITEM_CHANGED, &modified, 1) == 0 && modified) return false;
  project_->reopen();
  rememberProjectFile();
  if (list_) list_->fill(frame_.ui);
  if (tree_) tree_->fill(true);
  updateStatus();
  return true;
}

void ProjectChild::activated() {
  active_ = true;
  refreshIfChanged();
  publish();
  const std::string& folder = !project_->workDirectory.empty() ? project_->workDirectory : project_->projectDirectory;
  if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
    // A folder that is gone leaves the current one as it is.
  }
  focusMemberList();
}

void ProjectChild::deactivated() {
  active_ = false;
  if (frame_.statusText) frame_.statusText(std::string());
}

void ProjectChild::focusMemberList() {
  view()->setFocus();
  updateStatus();
}

void ProjectChild::updateStatus() {
  if (!list_ && !tree_) return;
  const std::vector<int> selected = selectedRowNumbers();
  project_->selectedCount = static_cast<unsigned>(selected.size());
  project_->selectionHasRevision = false;
  for (int row : selected)
    if (memberRows()[static_cast<std::size_t>(row)].hasRevision()) project_->selectionHasRevision = true;
  if (active_ && frame_.statusText) frame_.statusText(project::memberStatusLine(*project_));
  project::MemberRow* row = selected.size() == 1 ? &memberRows()[static_cast<std::size_t>(selected.front())] : nullptr;
  project::LibraryMemberDetails source(*project_);
  detail_->setPlainText(q(project::memberDetailText(source, row, false)));
}

commands::ProjectWindowFacts ProjectChild::facts() {
  commands::ProjectWindowFacts facts;
  facts.sandbox = sandbox();
  facts.selectedCount = project_->selectedCount;
  facts.selectionHasRevision = project_->selectionHasRevision;
  facts.frozen = project_->frozen;
  facts.historical = project_->historical;
  facts.frozenRequested = project_->frozenRequested;
  project::OpenProject* project = project_;
  facts.mayCheckpointVariant = [project] { return project->mayCheckpointVariant(); };
  facts.hasSeveralStates = [] { return commands::hasSeveralStates(); };
  facts.projectRevision = [project]() -> std::optional<std::string> {
    char revision[81] = {};
    if (vcGetProject(project->project, VC_PROJECT_ITEM_REVISION, revision, 80) != 0) return std::nullopt;
    return std::string(revision);
  };
  facts.selectedMember = [this]() -> std::optional<commands::SelectedMember> {
    const std::vector<int> selected = selectedRowNumbers();
    if (selected.size() != 1) return std::nullopt;
    const project::MemberRow* row = findMemberItem(selected.front(), true);
    if (!row) return std::nullopt;
    return commands::SelectedMember{row->type, views::workFileState(row->name)};
  };
  return facts;
}

int ProjectChild::lineHeight() const { return fontMetrics().height(); }

void ProjectChild::restoreSize(int clientWidth, int clientHeight) {
  QMdiSubWindow* sub = subWindow();
  if (!sub) return;
  const QScreen* screen = QGuiApplication::primaryScreen();
  restoreChildSize(sub, frame_.settingsFile, commands::ChildKind::project, QSize(clientWidth, clientHeight),
                   commands::projectMinimumSize(screen ? screen->geometry().width() : 1024, lineHeight(), windowMetrics(*this)));
  if (!watching_) {
    watching_ = true;
    // Back from minimised, the keys go to the member list again.
    connect(sub, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
      if ((before & Qt::WindowMinimized) && !(now & Qt::WindowMinimized)) focusMemberList();
    });
  }
}

void ProjectChild::layoutParts() {
  const commands::ProjectLayout layout =
      commands::layoutProjectWindow({0, 0, width(), height()}, lineHeight(), windowMetrics(*this), listForm_);
  if (listForm_) {
    placePart(list_, layout.view);
  } else {
    // The tree's own header is the strip of titles above it.
    placePart(tree_, {layout.titles.x, layout.titles.y, layout.view.width,
                      layout.view.y + layout.view.height - layout.titles.y});
  }
  placePart(detail_, layout.detail);
}

void ProjectChild::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void ProjectChild::dropEvent(QDropEvent* event) {
  std::vector<std::string> files;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
  if (files.empty()) return;
  event->acceptProposedAction();
  dropFiles(files);
}

void ProjectChild::dropFiles(const std::vector<std::string>& files) {
  // Dropped files become members as they are, without archives.
  operations_->dropFiles(files, project::MemberAddServices{});
  updateStatus();
}

void ProjectChild::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  updateCaption();
  layoutParts();
  const bool first = !laidOut_;
  laidOut_ = true;
  if (first) return;
  storeChildSize(subWindow(), frame_.settingsFile, commands::ChildKind::project);
}

}  // namespace orv::workbench
