#include "workbench/views/qt/member_tree_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

#include "workbench/commands/document_window.h"
#include "workbench/views/member_list.h"
#include "workbench/views/qt/member_list_view.h"

namespace orv::workbench::views {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

constexpr std::string_view kTitles[kMemberTreeColumnCount] = {"Type", "Revision", "Member Name", "State", "Labels"};

}  // namespace

void MemberTreeModel::reset(std::string root) {
  beginResetModel();
  tree_ = MemberTree(std::move(root));
  rows_.clear();
  known_.assign(1, 0);
  endResetModel();
}

void MemberTreeModel::add(std::vector<project::MemberRow> rows) {
  std::vector<int> made;
  for (project::MemberRow& row : rows) {
    const int member = static_cast<int>(rows_.size());
    rows_.push_back(std::move(row));
    for (int n : tree_.add(member, rows_.back().name)) made.push_back(n);
  }
  known_.resize(tree_.size() + 1, 0);
  // One insertion per run of new rows under one parent; a folder is shown
  // before the rows under it.
  std::size_t i = 0;
  while (i < made.size()) {
    const int parent = tree_.node(made[i]).parent;
    std::size_t j = i;
    while (j + 1 < made.size() && tree_.node(made[j + 1]).parent == parent &&
           tree_.rowOf(made[j + 1]) == tree_.rowOf(made[j]) + 1)
      ++j;
    const int first = tree_.rowOf(made[i]), last = tree_.rowOf(made[j]);
    const QModelIndex parentIndex = indexOf(parent);
    beginInsertRows(parentIndex, first, last);
    known_[static_cast<std::size_t>(parent + 1)] = last + 1;
    endInsertRows();
    emit rowsShown(parentIndex, first, last);
    i = j + 1;
  }
}

void MemberTreeModel::rowsChanged() {
  // Every row may have changed: tell the view without rebuilding it.
  std::vector<QModelIndex> stack{QModelIndex()};
  while (!stack.empty()) {
    const QModelIndex parent = stack.back();
    stack.pop_back();
    const int count = rowCount(parent);
    if (count == 0) continue;
    emit dataChanged(index(0, 0, parent), index(count - 1, kMemberTreeColumnCount - 1, parent));
    for (int row = 0; row < count; ++row)
      if (tree_.isFolder(tree_.children(nodeOf(parent))[static_cast<std::size_t>(row)])) stack.push_back(index(row, 0, parent));
  }
}

QModelIndex MemberTreeModel::indexOf(int node) const {
  if (node < 0 || static_cast<std::size_t>(node) >= tree_.size()) return {};
  return createIndex(tree_.rowOf(node), 0, static_cast<quintptr>(node));
}

QModelIndex MemberTreeModel::index(int row, int column, const QModelIndex& parent) const {
  const int p = parent.isValid() ? nodeOf(parent) : MemberTree::kTop;
  if (row < 0 || column < 0 || column >= kMemberTreeColumnCount || row >= known_[static_cast<std::size_t>(p + 1)])
    return {};
  return createIndex(row, column, static_cast<quintptr>(tree_.children(p)[static_cast<std::size_t>(row)]));
}

QModelIndex MemberTreeModel::parent(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  return indexOf(tree_.node(nodeOf(index)).parent);
}

int MemberTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return known_[static_cast<std::size_t>((parent.isValid() ? nodeOf(parent) : MemberTree::kTop) + 1)];
}

int MemberTreeModel::columnCount(const QModelIndex&) const { return kMemberTreeColumnCount; }

QVariant MemberTreeModel::data(const QModelIndex& index, int role) const {
  const int node = nodeOf(index);
  if (node < 0) return {};
  const MemberTree::Node& n = tree_.node(node);
  const int column = index.column();
  if (n.member < 0) {
    // A folder: its name, under its glyph, in the name column.
    if (role == kTreeKeyRole) return q(n.key);
    if (column != kTreeColName) return {};
    if (role == Qt::DisplayRole) return q(n.label);
    if (role == Qt::ToolTipRole) return q(n.key);
    if (role == kGlyphStripRole) {
      static const QIcon folder = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
      return QVariantList{folder};
    }
    return {};
  }
  const project::MemberRow& r = rows_[static_cast<std::size_t>(n.member)];
  switch (role) {
    case Qt::DisplayRole:
      switch (column) {
        case kTreeColType: return q(treeMemberTypeText(r.type));
        case kTreeColMemberRevision: return q(r.revision.value_or(std::string()));
        case kTreeColName: return q(n.label);
        case kTreeColMemberState: return q(r.state.value_or(std::string()));
        case kTreeColMemberLabels: return q(r.labels.value_or(std::string()));
        default: return {};
      }
    case kGlyphStripRole:
      // The glyphs of the list form: frozen, changed (a change to report),
      // the type; a padlock before a locked member's revision.
      if (column == kTreeColType)
        return QVariantList{r.frozen ? frozenGlyph() : QIcon(), r.changeMark == 1 ? changedGlyph() : QIcon(),
                            memberTypeGlyph(r.type)};
      if (column == kTreeColMemberRevision) return QVariantList{memberLocked(r) ? lockGlyph() : QIcon()};
      return {};
    case Qt::ToolTipRole:
      if (column == kTreeColName) return q(r.name);
      if (column == kTreeColMemberRevision && memberLocked(r)) return q(r.locker.value_or(std::string()));
      if (column == kTreeColMemberLabels && r.labels) return q(*r.labels);
      return {};
    default: return {};
  }
}

QVariant MemberTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kMemberTreeColumnCount)
    return {};
  return q(kTitles[section]);
}

MemberTreeView::MemberTreeView(project::OpenProject& project, const std::string& settingsFile, QWidget* parent)
    : TreeFormView(settingsFile, std::string(commands::windowSection(commands::ChildKind::project)), {17, 14, 38, 12, 0},
                   parent),
      project_(project),
      model_(new MemberTreeModel(this)) {
  setObjectName(QStringLiteral("memberTree"));
  setModel(model_);
  // The folders nest in the name column.
  setTreePosition(kTreeColName);
  // Three glyphs and the longest type name fit the type column.
  setMinimumColumnWidth(kTreeColType, 3 * 18 + fontMetrics().horizontalAdvance(QStringLiteral("Non-Archived")) + 16);
  connect(model_, &MemberTreeModel::rowsShown, this, [this](const QModelIndex& under, int first, int last) {
    openRows(under, first, last);
  });
}

void MemberTreeView::fill(bool whole) {
  reselect_ = selectedRowNumbers();
  before_ = rows().size();
  model_->reset(!project_.workDirectory.empty() ? project_.workDirectory : project_.projectDirectory);
  feed_ = std::make_unique<MemberRowFeed>(project_);
  startFeeding();
  if (whole) finishFill();
}

void MemberTreeView::refresh() {
  if (!project_.project) return;
  fill(true);
}

bool MemberTreeView::feed(std::size_t max) {
  if (!feed_) return false;
  std::vector<project::MemberRow> rows = feed_->next(max);
  if (!rows.empty()) model_->add(std::move(rows));
  // The first member is the current row until the user picks another.
  if (!currentIndex().isValid() && !this->rows().empty()) selectRow(0);
  return !feed_->done();
}

void MemberTreeView::fedAll() {
  feed_.reset();
  widenTreeColumn();
  if (!reselect_.empty() && before_ == rows().size()) selectRows(reselect_);
  reselect_.clear();
}

void MemberTreeView::refreshRows(ui::Ui& ui, const std::vector<int>& which) {
  rereadMemberRows(ui, project_, rows(), which);
  model_->rowsChanged();
  viewport()->update();
}

std::vector<int> MemberTreeView::selectedRowNumbers() const {
  std::vector<int> out;
  if (!selectionModel()) return out;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    const int member = model_->tree().node(MemberTreeModel::nodeOf(index)).member;
    if (member >= 0) out.push_back(member);
  }
  std::sort(out.begin(), out.end());
  return out;
}

void MemberTreeView::selectRows(const std::vector<int>& rows) {
  QItemSelection selection;
  QModelIndex first;
  for (int row : rows) {
    const QModelIndex index = model_->indexOf(model_->tree().nodeOfMember(row));
    if (!index.isValid()) continue;
    selection.select(index, index.siblingAtColumn(kMemberTreeColumnCount - 1));
    if (!first.isValid()) first = index;
  }
  if (!first.isValid()) return;
  selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void MemberTreeView::selectRow(int row) {
  const QModelIndex index = model_->indexOf(model_->tree().nodeOfMember(row));
  if (!index.isValid()) return;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

}  // namespace orv::workbench::views
