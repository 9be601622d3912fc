#include "workbench/views/qt/member_list_view.h"

#include <QHeaderView>
#include <algorithm>
#include <set>
#include <utility>

#include "workbench/app/string_table.h"
#include "workbench/commands/document_window.h"

namespace orv::workbench::views {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QString title(int column) {
  const std::string_view t = kMemberColumnTitles[static_cast<std::size_t>(column)];
  return QString::fromLatin1(t.data(), static_cast<int>(t.size()));
}

}  // namespace

QIcon memberTypeGlyph(char type) {
  static const QIcon archived = paintedGlyph([](QPainter& p) {
    // A page over a drawer: the file and its archive.
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 0.5, 8, 9));
    p.setBrush(QColor(70, 120, 190));
    p.drawRect(QRectF(1.5, 8.5, 13, 6));
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(QPointF(6, 11.5), QPointF(10, 11.5));
  });
  static const QIcon plain = paintedGlyph([](QPainter& p) {
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(3.5, 0.5), QPointF(10.5, 0.5), QPointF(13.5, 3.5), QPointF(13.5, 15.5),
                             QPointF(3.5, 15.5)}));
  });
  static const QIcon subproject = paintedGlyph([](QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(240, 200, 90));
    p.drawPolygon(QPolygonF({QPointF(0.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5), QPointF(15.5, 5),
                             QPointF(15.5, 14.5), QPointF(0.5, 14.5)}));
  });
  switch (type) {
    case 'a': return archived;
    case 'f': return plain;
    case 'i':
    case 's': return subproject;
    default: return {};
  }
}

QIcon frozenGlyph() {
  static const QIcon icon = paintedGlyph([](QPainter& p) {
    // A snowflake.
    p.setPen(QPen(QColor(40, 110, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
    p.drawLine(QPointF(2.4, 4.8), QPointF(13.6, 11.2));
    p.drawLine(QPointF(2.4, 11.2), QPointF(13.6, 4.8));
  });
  return icon;
}

QIcon changedGlyph() {
  static const QIcon icon = paintedGlyph([](QPainter& p) {
    // A red triangle with a mark: the member needs a look.
    p.setPen(QPen(QColor(150, 30, 20), 1));
    p.setBrush(QColor(225, 70, 50));
    p.drawPolygon(QPolygonF({QPointF(8, 1), QPointF(15, 14.5), QPointF(1, 14.5)}));
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 5.5), QPointF(8, 9.5));
    p.drawPoint(QPointF(8, 12.2));
  });
  return icon;
}

void MemberListModel::setRows(std::vector<project::MemberRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void MemberListModel::addRows(std::vector<project::MemberRow> rows, unsigned sortKey) {
  mergeRows(rows_, std::move(rows), [sortKey](const project::MemberRow& a, const project::MemberRow& b) {
    return compareMemberRows(a, b, sortKey) < 0;
  });
}

void MemberListModel::sortRows(unsigned sortKey) {
  beginResetModel();
  sortMemberRows(rows_, sortKey);
  endResetModel();
}

void MemberListModel::rowsChanged() {
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kMemberColumnCount - 1));
}

int MemberListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MemberListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kMemberColumnCount;
}

QVariant MemberListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const project::MemberRow& r = rows_[static_cast<std::size_t>(index.row())];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole: return q(memberCellText(r, column));
    case Qt::DecorationRole:
      switch (column) {
        case kMemberColType: return memberTypeGlyph(r.type);
        case kMemberColFrozen: return r.frozen ? frozenGlyph() : QIcon();
        case kMemberColChanged: return r.changeMark ? changedGlyph() : QIcon();
        case kMemberColLocked: return memberLocked(r) ? lockGlyph() : QIcon();
        default: return {};
      }
    case Qt::ToolTipRole:
      if (column == kMemberColName) return q(r.name);
      if (column == kMemberColLabels && r.labels) return q(*r.labels);
      if (column == kMemberColFrozen && r.frozen) return title(kMemberColFrozen);
      if (column == kMemberColChanged && r.changeMark) return title(kMemberColChanged);
      return {};
    case kPathCellRole: return column == kMemberColName;
    case kCentredGlyphRole: return column == kMemberColFrozen || column == kMemberColChanged;
    default: return {};
  }
}

QVariant MemberListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kMemberColumnCount) return {};
  // Frozen and Changed show their glyph in place of the title.
  const bool glyphTitle = section == kMemberColFrozen || section == kMemberColChanged;
  switch (role) {
    case Qt::DisplayRole: return glyphTitle ? QVariant() : QVariant(title(section));
    case Qt::DecorationRole:
      if (!glyphTitle) return {};
      return section == kMemberColFrozen ? frozenGlyph() : changedGlyph();
    case Qt::ToolTipRole: return title(section);
    default: return {};
  }
}

MemberListView::MemberListView(project::OpenProject& project, const std::string& settingsFile, QWidget* parent)
    : ReportListView(settingsFile, std::string(commands::windowSection(commands::ChildKind::project)), kMemberColumnCount,
                     kMemberColumnDefaults, parent),
      project_(project),
      model_(new MemberListModel(this)) {
  setObjectName(QStringLiteral("memberList"));
  setItemDelegate(new PathCellDelegate(this));
  attachModel(model_);
}

void MemberListView::showSortIndicator() {
  const int column = sortColumn(columns_.sortKey());
  // Revisions come highest first when ascending.
  const bool descending = sortDescending(columns_.sortKey()) != (column == kMemberColRevision);
  if (column < kMemberColumnCount)
    header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  else
    header()->setSortIndicator(-1, Qt::AscendingOrder);
}

void MemberListView::titleClicked(int logical) {
  std::set<std::uint32_t> selected;
  for (int row : selectedRowNumbers()) selected.insert(rows()[static_cast<std::size_t>(row)].position);
  const std::uint32_t current =
      currentIndex().isValid() ? rows()[static_cast<std::size_t>(currentIndex().row())].position : ~0u;
  columns_.clickTitle(logical);
  showSortIndicator();
  model_->sortRows(columns_.sortKey());
  QItemSelection selection;
  for (int row = 0; row < static_cast<int>(rows().size()); ++row) {
    const std::uint32_t position = rows()[static_cast<std::size_t>(row)].position;
    if (selected.count(position)) selection.select(model_->index(row, 0), model_->index(row, kMemberColumnCount - 1));
    if (position == current) selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  scrollToTop();
}

void MemberListView::widenToContents(bool last) {
  // As in the revision list: until the user sets widths of his own, a text
  // column takes what its title and texts need when that is more.
  if (widened_ || columns_.widthsStored()) return;
  widened_ = last;
  const QFontMetrics metrics(font());
  for (int column : {kMemberColType, kMemberColLocked, kMemberColRevision, kMemberColState}) {
    int width = header()->sectionSizeHint(column);
    TextWidths widths(metrics);
    for (const project::MemberRow& r : rows()) {
      const int glyph = column == kMemberColType || (column == kMemberColLocked && memberLocked(r)) ? iconSize().width() + 6 : 0;
      width = std::max(width, widths.width(memberCellText(r, column)) + glyph + 14);
    }
    if (width > header()->sectionSize(column)) {
      header()->resizeSection(column, width);
      columns_.setWidth(columns_.position(column), width, false);
    }
  }
}

bool MemberListView::fill(ui::Ui& ui) {
  // Rows still to come from an earlier fill are read here anew.
  stopFeeding();
  feed_.reset();
  waiting_.clear();
  MemberFill filled = readMemberRows(ui, project_);
  sortMemberRows(filled.rows, columns_.sortKey());
  model_->setRows(std::move(filled.rows));
  widenToContents();
  if (!rows().empty()) selectRow(0);
  return filled.complete;
}

void MemberListView::fill(bool whole) {
  stopFeeding();
  model_->setRows({});
  waiting_.clear();
  feed_ = std::make_unique<MemberRowFeed>(project_);
  startFeeding();
  if (whole) finishFill();
}

bool MemberListView::feed(std::size_t max) {
  if (!feed_) return false;
  std::vector<project::MemberRow> more = feed_->next(max);
  waiting_.insert(waiting_.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  return !feed_->done();
}

void MemberListView::sliceFed() { showWaiting(false); }

void MemberListView::showWaiting(bool last) {
  if (!timeToMerge(rows().size(), waiting_.size(), last)) return;
  const bool first = rows().empty();
  model_->addRows(std::exchange(waiting_, {}), columns_.sortKey());
  keepTopRowChosen();
  // The first rows set the widths the user sees while the rest come.
  if (first && !last) widenToContents(false);
}

void MemberListView::fedAll() {
  showWaiting(true);
  feed_.reset();
  widenToContents();
}

void MemberListView::refresh(ui::Ui& ui) {
  if (!project_.project) return;
  if (!fill(ui))
    ui.messageBox(ui::okBox(std::string(app::loadString(app::kStrAppTitle)), std::string(kIncompleteMemberList), ui::MessageIcon::information));
}

void MemberListView::refreshRows(ui::Ui& ui, const std::vector<int>& which) {
  rereadMemberRows(ui, project_, rows(), which);
  model_->rowsChanged();
  viewport()->update();
}

void MemberListView::selectRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows().size())) return;
  const QModelIndex index = model_->index(row, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

}  // namespace orv::workbench::views
