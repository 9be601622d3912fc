#include "workbench/views/qt/revision_list_view.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QEvent>
#include <QHeaderView>
#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <utility>

#include "vc/include/vc.h"
#include "workbench/commands/document_window.h"

namespace orv::workbench::views {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }


}  // namespace

QIcon lockGlyph() {
  return paintedGlyph([](QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 20), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
    p.drawLine(QPointF(4.5, 6), QPointF(4.5, 8));
    p.drawLine(QPointF(11.5, 6), QPointF(11.5, 8));
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(230, 180, 40));
    p.drawRoundedRect(QRectF(2.5, 7.5, 11, 7), 1.5, 1.5);
  });
}

namespace {

// A page; with a pencil across it when the file may be written.
QIcon fileGlyph(bool writable) {
  return paintedGlyph([writable](QPainter& p) {
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(2.5, 0.5), QPointF(10.5, 0.5), QPointF(13.5, 3.5), QPointF(13.5, 15.5),
                             QPointF(2.5, 15.5)}));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int y : {5, 8, 11}) p.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));
    if (writable) {
      p.setPen(QPen(QColor(30, 110, 40), 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(6, 13), QPointF(14.5, 4.5));
    }
  });
}


}  // namespace

QIcon workFileGlyph(bool writable) {
  static const QIcon yes = fileGlyph(true), no = fileGlyph(false);
  return writable ? yes : no;
}

void PathCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (!index.data(kPathCellRole).toBool()) return;
  const QFontMetrics& metrics = option->fontMetrics;
  const int room = option->rect.width() - (option->icon.isNull() ? 0 : option->decorationSize.width()) - 8;
  option->text = q(fitCellText(option->text.toStdString(), room, [&](std::string_view t) {
    return metrics.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
  }, true));
}

void PathCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (!index.data(kCentredGlyphRole).toBool()) return QStyledItemDelegate::paint(painter, option, index);
  // The glyph alone, in the middle of its cell.
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QIcon icon = opt.icon;
  opt.icon = QIcon();
  opt.features &= ~QStyleOptionViewItem::HasDecoration;
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  if (icon.isNull()) return;
  const QSize size = opt.decorationSize;
  const QRect r(opt.rect.x() + (opt.rect.width() - size.width()) / 2, opt.rect.y() + (opt.rect.height() - size.height()) / 2,
                size.width(), size.height());
  icon.paint(painter, r);
}

commands::FileState workFileState(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return commands::FileState::missing;
  return ::access(path.c_str(), W_OK) == 0 ? commands::FileState::writable : commands::FileState::readOnly;
}

void RevisionListModel::setRows(std::vector<RevisionRecord> rows, commands::FileState workFile) {
  beginResetModel();
  rows_ = std::move(rows);
  workFile_ = workFile;
  endResetModel();
}

void RevisionListModel::addRows(std::vector<RevisionRecord> rows, unsigned sortKey) {
  mergeRows(rows_, std::move(rows), [sortKey](const RevisionRecord& a, const RevisionRecord& b) {
    return compareRevisionRecords(a, b, sortKey) < 0;
  });
}

void RevisionListModel::sortRows(unsigned sortKey) {
  beginResetModel();
  sortRevisionRecords(rows_, sortKey);
  endResetModel();
}

int RevisionListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RevisionListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kRevisionColumnCount;
}

QVariant RevisionListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const RevisionRecord& r = rows_[static_cast<std::size_t>(index.row())];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      if (r.isWorkFile() && column == kColRevision && workFile_ == commands::FileState::missing)
        return QStringLiteral("%1 (inaccessible)").arg(q(r.workFileName));
      return q(cellText(r, column));
    case Qt::DecorationRole:
      if (r.isWorkFile() && column == kColRevision) {
        static const QIcon writable = fileGlyph(true), readOnly = fileGlyph(false);
        return workFile_ == commands::FileState::writable ? writable : readOnly;
      }
      if (!r.isWorkFile() && column == kColLocked && r.locker) {
        static const QIcon lock = lockGlyph();
        return lock;
      }
      return {};
    case Qt::ToolTipRole:
      if (r.isWorkFile()) return q(r.workFileName);
      if (column == kColLabels && !r.labels.empty()) return q(r.labels);
      return {};
    case kPathCellRole: return r.isWorkFile();
    default: return {};
  }
}

QVariant RevisionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kRevisionColumnCount)
    return {};
  const std::string_view title = kRevisionColumnTitles[static_cast<std::size_t>(section)];
  return QString::fromLatin1(title.data(), static_cast<int>(title.size()));
}

ReportListView::ReportListView(const std::string& settingsFile, const std::string& section, int count,
                               const ColumnDefaults& defaults, QWidget* parent)
    : QTreeView(parent),
      columns_(settingsFile, section, count, defaults),
      feeder_({[this](std::size_t max) { return feed(max); }, [this] { sliceFed(); }, [this] { fedAll(); },
               [this] { emit rowsFed(); }},
              this) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideRight);
  setIconSize(QSize(16, 16));
  QHeaderView* titles = header();
  titles->setSectionsMovable(true);
  titles->setFirstSectionMovable(true);
  titles->setSectionsClickable(true);
  // The last column takes the width the others leave, so that the rows
  // and their selection reach across the whole list.
  titles->setStretchLastSection(true);
  titles->setMinimumSectionSize(kMinimumColumnWidth);
  titles->setSectionResizeMode(QHeaderView::Interactive);
  titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  titles->setSortIndicatorShown(true);
  titles->viewport()->installEventFilter(this);
}

ReportListView::~ReportListView() { columns_.saveSortKey(); }

void ReportListView::attachModel(QAbstractItemModel* model) {
  setModel(model);
  applyColumns();
  connect(header(), &QHeaderView::sectionMoved, this, &ReportListView::titleMoved);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int logical) { titleClicked(logical); });
}

RevisionListView::RevisionListView(archive::OpenArchive& archive, const std::string& settingsFile, QWidget* parent)
    : ReportListView(settingsFile, std::string(commands::windowSection(commands::ChildKind::archive)), kRevisionColumnCount,
                     kRevisionColumnDefaults, parent),
      archive_(archive),
      model_(new RevisionListModel(this)) {
  setObjectName(QStringLiteral("revisionList"));
  setItemDelegate(new PathCellDelegate(this));
  attachModel(model_);
}


void ReportListView::applyColumns() {
  applying_ = true;
  QHeaderView* titles = header();
  for (int p = 0; p < columns_.count(); ++p) {
    const int logical = columns_.logical(p);
    titles->moveSection(titles->visualIndex(logical), p);
    titles->resizeSection(logical, columns_.width(p));
  }
  applying_ = false;
  showSortIndicator();
}

void RevisionListView::showSortIndicator() {
  const int column = sortColumn(columns_.sortKey());
  // Revisions and dates come highest first when ascending.
  const bool reversed = column == kColRevision || column == kColDate;
  const bool descending = sortDescending(columns_.sortKey()) != reversed;
  if (column < kRevisionColumnCount)
    header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  else
    header()->setSortIndicator(-1, Qt::AscendingOrder);
}

void ReportListView::titleMoved(int, int from, int to) {
  if (!applying_) columns_.moveColumn(from, to);
}

void RevisionListView::titleClicked(int logical) {
  const std::vector<int> before = selectedRowNumbers();
  std::vector<std::string> revisions;
  for (int row : before) revisions.push_back(rows()[static_cast<std::size_t>(row)].revision);
  columns_.clickTitle(logical);
  showSortIndicator();
  model_->sortRows(columns_.sortKey());
  for (const std::string& revision : revisions) {
    const int row = rowOf(revision);
    if (row >= 0) selectionModel()->select(model_->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  if (!rows().empty() && rows().front().isWorkFile()) setFirstColumnSpanned(0, {}, true);
  scrollToTop();
}

TextWidths::TextWidths(const QFontMetrics& metrics) : metrics_(metrics) {
  const int zeros = metrics_.horizontalAdvance(QStringLiteral("0000000000"));
  evenDigits_ = true;
  for (char d = '1'; d <= '9'; ++d)
    if (metrics_.horizontalAdvance(QString(10, QChar(d))) != zeros) evenDigits_ = false;
}

int TextWidths::width(std::string_view text) {
  const auto keyOf = [this](char c) { return evenDigits_ && c >= '1' && c <= '9' ? '0' : c; };
  if (lastWidth_ >= 0 && text.size() == lastKey_.size()) {
    std::size_t i = 0;
    while (i < text.size() && keyOf(text[i]) == lastKey_[i]) ++i;
    if (i == text.size()) return lastWidth_;
  }
  key_.assign(text);
  for (char& c : key_) c = keyOf(c);
  int width = 0;
  if (auto known = known_.find(key_); known != known_.end()) {
    width = known->second;
  } else {
    width = metrics_.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    known_.emplace(key_, width);
  }
  lastKey_ = key_;
  lastWidth_ = width;
  return width;
}

void RevisionListView::widenToContents(bool last) {
  // The default widths suit a smaller font than most desktops use: until
  // the user sets widths of his own, a column takes what its title and its
  // texts need when that is more. Nothing is stored for it.
  if (widened_ || columns_.widthsStored()) return;
  widened_ = last;
  const QFontMetrics metrics(font());
  // One pass over the rows for all columns: a long list is read once.
  std::array<int, kRevisionColumnCount> widths{};
  std::vector<TextWidths> measures;
  measures.reserve(kRevisionColumnCount);
  for (int column = 0; column < kRevisionColumnCount; ++column) {
    widths[static_cast<std::size_t>(column)] = header()->sectionSizeHint(column);
    measures.emplace_back(metrics);
  }
  const int lockGlyph = iconSize().width() + 6;
  for (const RevisionRecord& r : rows()) {
    if (r.isWorkFile()) continue;
    for (int column = 0; column < kRevisionColumnCount; ++column) {
      const int glyph = column == kColLocked && r.locker ? lockGlyph : 0;
      int& width = widths[static_cast<std::size_t>(column)];
      width = std::max(width, measures[static_cast<std::size_t>(column)].width(cellView(r, column)) + glyph + 14);
    }
  }
  for (int column = 0; column < kRevisionColumnCount; ++column) {
    const int width = widths[static_cast<std::size_t>(column)];
    if (width > header()->sectionSize(column)) {
      header()->resizeSection(column, width);
      columns_.setWidth(columns_.position(column), width, false);
    }
  }
}

bool ReportListView::eventFilter(QObject* watched, QEvent* event) {
  // A divider drag ends with the button: the widths it changed are stored
  // then.
  if (watched == header()->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) {
      pressedWidths_.clear();
      for (int p = 0; p < columns_.count(); ++p) pressedWidths_.push_back(header()->sectionSize(header()->logicalIndex(p)));
    } else if (event->type() == QEvent::MouseButtonRelease) {
      for (int p = 0; p < columns_.count() && p < static_cast<int>(pressedWidths_.size()); ++p) {
        const int size = header()->sectionSize(header()->logicalIndex(p));
        if (size != pressedWidths_[static_cast<std::size_t>(p)]) columns_.setWidth(p, size);
      }
      pressedWidths_.clear();
    }
  }
  return QTreeView::eventFilter(watched, event);
}

bool RevisionListView::fill() {
  fill(true);
  return complete_;
}

void RevisionListView::fill(bool whole) {
  reselect_.clear();
  for (int row : selectedRowNumbers()) {
    const RevisionRecord& r = rows()[static_cast<std::size_t>(row)];
    reselect_.push_back(r.isWorkFile() ? std::string() : r.revision);
  }
  stopFeeding();
  workFile_ = orv::workbench::views::workFileState(archive_.workFileName());
  model_->setRows({}, workFile_);
  waiting_.clear();
  // Room for every revision and the working file's row: the rows are not
  // moved again while the list grows.
  std::uint32_t count = 0;
  if (vcGetArchiveInfo(archive_.handle(), VC_ARCHIVE_ITEM_REVISION_COUNT, reinterpret_cast<char*>(&count), sizeof count) == 0)
    waiting_.reserve(std::min<std::size_t>(count, 1u << 20) + 1);
  complete_ = true;
  feed_ = std::make_unique<RevisionRowFeed>(archive_);
  startFeeding();
  if (whole) finishFill();
}

bool RevisionListView::feed(std::size_t max) {
  if (!feed_) return false;
  feed_->next(max, waiting_);
  return !feed_->done();
}

void RevisionListView::sliceFed() { showWaiting(false); }

void RevisionListView::showWaiting(bool last) {
  if (!timeToMerge(rows().size(), waiting_.size(), last)) return;
  const bool first = rows().empty();
  model_->addRows(std::exchange(waiting_, {}), columns_.sortKey());
  // The working file's row (always the top one) spans the columns.
  if (!rows().empty() && rows().front().isWorkFile()) setFirstColumnSpanned(0, {}, true);
  keepTopRowChosen();
  // The first rows set the widths the user sees while the rest come.
  if (first && !last) widenToContents(false);
}

void RevisionListView::fedAll() {
  showWaiting(true);
  if (feed_) complete_ = feed_->complete();
  feed_.reset();
  widenToContents();
  // The rows selected before stay selected where they are still listed.
  std::set<std::string> selected(reselect_.begin(), reselect_.end());
  reselect_.clear();
  QItemSelection selection;
  int first = -1;
  for (int row = 0; !selected.empty() && row < static_cast<int>(rows().size()); ++row) {
    const RevisionRecord& r = rows()[static_cast<std::size_t>(row)];
    if (selected.count(r.isWorkFile() ? std::string() : r.revision)) {
      selection.select(model_->index(row, 0), model_->index(row, kRevisionColumnCount - 1));
      if (first < 0) first = row;
    }
  }
  if (first >= 0) {
    selectionModel()->setCurrentIndex(model_->index(first, 0), QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    scrollTo(model_->index(first, 0));
  }
}

std::vector<int> ReportListView::selectedRowNumbers() const {
  std::vector<int> out;
  if (!selectionModel()) return out;
  for (const QModelIndex& index : selectionModel()->selectedRows()) out.push_back(index.row());
  std::sort(out.begin(), out.end());
  return out;
}

int RevisionListView::rowOf(const std::string& revision) const {
  for (std::size_t row = 0; row < rows().size(); ++row)
    if (!rows()[row].isWorkFile() && rows()[row].revision == revision) return static_cast<int>(row);
  return -1;
}

void RevisionListView::selectRevision(const std::string& revision) {
  finishFill();
  const int row = rowOf(revision);
  selectionModel()->clearSelection();
  if (row < 0) return;
  const QModelIndex index = model_->index(row, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

void ReportListView::startFeeding() {
  chosen_ = QPersistentModelIndex();
  feeder_.start();
}

void ReportListView::stopFeeding() { feeder_.stop(); }

void ReportListView::finishFill() { feeder_.finish(); }

void ReportListView::selectAll() {
  finishFill();
  QTreeView::selectAll();
}

void ReportListView::chooseTopRow(bool scroll) {
  if (!model() || model()->rowCount() == 0) return;
  const QModelIndex top = model()->index(0, 0);
  // Without scroll the rows the user looks at stay where they are.
  const bool autoScrolls = hasAutoScroll();
  if (!scroll) setAutoScroll(false);
  selectionModel()->setCurrentIndex(top, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  setAutoScroll(autoScrolls);
  if (scroll) scrollTo(top);
  chosen_ = top;
}

void ReportListView::keepTopRowChosen() {
  if (!model() || model()->rowCount() == 0) return;
  if (!currentIndex().isValid()) return chooseTopRow(true);
  if (!chosen_.isValid() || chosen_.row() == 0 || currentIndex().row() != chosen_.row()) return;
  const QModelIndexList selected = selectionModel()->selectedRows();
  if (selected.size() != 1 || selected.front().row() != chosen_.row()) return;
  chooseTopRow(false);
}

void ReportListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QTreeView::selectionChanged(selected, deselected);
  emit selectionChangedByUser();
}

}  // namespace orv::workbench::views
