#include "workbench/qt/archive_window.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>

#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/commands/command_table.h"
#include "workbench/commands/document_window.h"
#include "workbench/commands/window_captions.h"
#include "workbench/commands/window_layout.h"
#include "workbench/qt/child_geometry.h"
#include "workbench/views/qt/log_panel.h"
#include "workbench/views/qt/revision_list_view.h"
#include "workbench/views/qt/revision_tree_view.h"
#include "workbench/views/qt/split_bar.h"

namespace orv::workbench {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }


}  // namespace

std::unique_ptr<ArchiveChild> ArchiveChild::open(const Frame& frame, const std::string& name, int project,
                                                 const std::optional<std::string>& projectFile) {
  auto archive = std::make_unique<archive::OpenArchive>(frame.ui, name, 1, project);
  if (archive->status() != 0) {
    archive->showError(app::kStyleError);
    return nullptr;
  }
  if (project) {
    // A member's working file is where the project keeps it.
    char work[1024] = {};
    if (vcMemberWorkName(project, nullptr, nullptr, work, sizeof work) == 0 && work[0])
      archive->setWorkFileName(work);
  }
  std::unique_ptr<ArchiveChild> window(new ArchiveChild(frame, name, std::move(archive), projectFile));
  window->publish();
  // The list or the tree shows its first rows now and reads the rest as
  // the window runs; a walk that fails is reported and keeps the rows read,
  // but a list whose walk failed before it showed anything opens no window.
  if (window->list_) {
    window->list_->fill(false);
    if (window->list_->filled() && !window->list_->complete()) return nullptr;
  }
  if (window->tree_) window->tree_->fill(false);
  window->selectionChanged();
  return window;
}

ArchiveChild::ArchiveChild(const Frame& frame, std::string name, std::unique_ptr<archive::OpenArchive> archive,
                           std::optional<std::string> projectFile)
    : frame_(frame), name_(std::move(name)), archive_(std::move(archive)), projectFile_(std::move(projectFile)) {
  setObjectName(QStringLiteral("archiveWindow"));
  setProperty("orvKind", 2);
  setProperty("orvPath", q(name_));
  listForm_ = commands::readListViewSetting(frame_.settingsFile, commands::windowSection(commands::ChildKind::archive));
  if (listForm_) {
    list_ = new views::RevisionListView(*archive_, frame_.settingsFile, this);
    views::setControlId(list_, kArchiveListId);
    connect(list_, &views::RevisionListView::selectionChangedByUser, this, &ArchiveChild::selectionChanged);
    connect(list_, &views::RevisionListView::rowsFed, this, [this] {
      if (active_ && frame_.statusText) frame_.statusText(statusLine());
    });
  } else {
    tree_ = new views::RevisionTreeView(*archive_, frame_.settingsFile, this);
    views::setControlId(tree_, kArchiveTreeId);
    connect(tree_, &views::RevisionTreeView::selectionChangedByUser, this, &ArchiveChild::selectionChanged);
    connect(tree_, &views::RevisionTreeView::rowsFed, this, [this] {
      if (active_ && frame_.statusText) frame_.statusText(statusLine());
    });
  }
  log_ = new views::LogPanel(this);
  views::setControlId(log_, kArchiveLogPanelId);
  const int ids[] = {listForm_ ? kArchiveListId : kArchiveTreeId, -1, kArchiveLogPanelId, -1};
  bar_ = new views::SplitBar(this, kArchiveSplitBarId, true, ids);
  setWindowTitle(caption());
  setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));
  connect(static_cast<QAbstractItemView*>(view()), &QAbstractItemView::doubleClicked, this, [this] {
    if (frame_.command) frame_.command(commands::kCommandViewEdit);
  });
  resize(560, 320);
}

ArchiveChild::~ArchiveChild() {
  // The list stores its sort key while the archive is still there.
  delete list_;
  list_ = nullptr;
  // The tree reads through the archive: it goes before the archive does.
  delete std::exchange(tree_, nullptr);
}

QString ArchiveChild::caption() const {
  std::optional<std::string_view> project;
  if (projectFile_) project = *projectFile_;
  return q(commands::archiveCaption(archive_->archiveName().empty() ? name_ : archive_->archiveName(), project));
}

QWidget* ArchiveChild::view() const {
  if (list_) return list_;
  return tree_;
}

std::vector<const views::RevisionRecord*> ArchiveChild::selectedRecords() const {
  if (tree_) return tree_->selectedRecords();
  std::vector<const views::RevisionRecord*> records;
  if (!list_) return records;
  for (int row : list_->selectedRowNumbers()) records.push_back(&list_->rows()[static_cast<std::size_t>(row)]);
  return records;
}

QMdiSubWindow* ArchiveChild::subWindow() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

void ArchiveChild::raise() {
  QMdiSubWindow* sub = subWindow();
  if (!sub) return QWidget::raise();
  if (sub->isMinimized()) sub->showNormal();
  if (QMdiArea* area = sub->mdiArea()) area->setActiveSubWindow(sub);
}

void ArchiveChild::close() {
  if (QMdiSubWindow* sub = subWindow()) sub->close();
  else QWidget::close();
}

std::vector<commands::RevisionRow> ArchiveChild::selectedRows() {
  // A command works on every revision: the rows still to come are read
  // before it takes the selection.
  if (list_) list_->finishFill();
  if (tree_) tree_->finishFill();
  std::vector<commands::RevisionRow> rows;
  for (const views::RevisionRecord* record : selectedRecords()) rows.push_back(record->row());
  return rows;
}

bool ArchiveChild::refreshRevisions() {
  if (tree_) {
    // After an operation the tree is read whole before the command goes
    // on, so that the command finds what it changed.
    tree_->fill(true);
    selectionChanged();
    return true;
  }
  if (!list_ || !list_->fill()) return false;
  selectionChanged();
  return true;
}

void ArchiveChild::reselectRevision(const std::string& revision) {
  if (tree_) tree_->selectRevision(revision);
  else list_->selectRevision(revision);
  selectionChanged();
}

void ArchiveChild::publish() {
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, std::to_string(archive_->handle()).c_str());
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, archive_->project() ? std::to_string(archive_->project()).c_str() : "");
}

bool ArchiveChild::refreshIfChanged() {
  char changed = 0;
  if (!archive_->handle() ||
      vcGetArchiveInfo(archive_->handle(), VC_ARCHIVE_ITEM_FILE_CHANGED, &changed, 1) != 0 || !changed)
    return false;
  // The handle's picture of the archive is stale: it is read again, and the
  // rows with it.
  if (archive_->reopen()) refreshRevisions();
  if (active_) publish();
  return true;
}

void ArchiveChild::activated() {
  active_ = true;
  refreshIfChanged();
  publish();
  if (frame_.statusText) frame_.statusText(statusLine());
  const QString folder = QFileInfo(q(archive_->workFileName())).absolutePath();
  if (!archive_->workFileName().empty() && ::chdir(folder.toLocal8Bit().constData()) != 0) {
    // A folder that is gone leaves the current one as it is.
  }
  view()->setFocus();
}

void ArchiveChild::deactivated() {
  active_ = false;
  if (frame_.statusText) frame_.statusText(std::string());
}

std::string ArchiveChild::statusLine() const {
  return commands::revisionStatusLine(archive_->revisionCount, archive_->lockedCount, archive_->selectedCount);
}

commands::ArchiveWindowFacts ArchiveChild::facts() const {
  commands::ArchiveWindowFacts facts;
  facts.selectedCount = archive_->selectedCount;
  facts.firstSelectedIsWorkFile = archive_->firstSelectedIsWorkFile != 0;
  facts.workFile = views::workFileState(archive_->workFileName());
  facts.hasSeveralStates = [] { return commands::hasSeveralStates(); };
  return facts;
}

void ArchiveChild::selectionChanged() {
  if (!list_ && !tree_) return;
  const std::vector<const views::RevisionRecord*> selected = selectedRecords();
  archive_->selectedCount = static_cast<int>(selected.size());
  archive_->firstSelectedIsWorkFile = !selected.empty() && selected.front()->isWorkFile();
  if (active_ && frame_.statusText) frame_.statusText(statusLine());
  if (selected.size() == 1) {
    const auto& row = *selected.front();
    log_->setFont(view()->font());
    log_->showRevision(archive_->handle(), row.isWorkFile() ? std::string() : row.revision);
  } else {
    log_->clear();
  }
}

int ArchiveChild::lineHeight() const { return fontMetrics().height(); }

int ArchiveChild::firstLogPanelHeight() const {
  // Three lines of the panel's own text with its frame and margins, and
  // room for a horizontal scroll bar; never less than the window's rule.
  const int margins = 2 * log_->frameWidth() + 2 * static_cast<int>(log_->document()->documentMargin()) + 2;
  const int own = 3 * log_->fontMetrics().lineSpacing() + margins + windowMetrics(*this).scrollBarHeight;
  return std::max(own, commands::initialLogPanelHeight(lineHeight(), windowMetrics(*this)));
}

void ArchiveChild::restoreSize(int clientWidth, int clientHeight) {
  QMdiSubWindow* sub = subWindow();
  if (!sub) return;
  const QScreen* screen = QGuiApplication::primaryScreen();
  restoreChildSize(sub, frame_.settingsFile, commands::ChildKind::archive, QSize(clientWidth, clientHeight),
                   commands::archiveMinimumSize(screen ? screen->geometry().width() : 1024, lineHeight(), windowMetrics(*this)));
}

void ArchiveChild::layoutParts(bool first) {
  const int panel = first ? firstLogPanelHeight() : log_->height();
  const commands::ArchiveLayout layout =
      commands::layoutArchiveWindow({0, 0, width(), height()}, lineHeight(), panel, listForm_);
  if (listForm_) {
    placePart(list_, layout.view);
  } else {
    // The tree's own header is the strip of titles above it.
    placePart(tree_, {layout.titles.x, layout.titles.y, layout.view.width,
                      layout.view.y + layout.view.height - layout.titles.y});
  }
  placePart(bar_, layout.splitter);
  placePart(log_, layout.logPanel);
}

void ArchiveChild::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutParts(!laidOut_);
  const bool first = !laidOut_;
  laidOut_ = true;
  if (first) return;
  storeChildSize(subWindow(), frame_.settingsFile, commands::ChildKind::archive);
}

}  // namespace orv::workbench
