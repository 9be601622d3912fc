#include "workbench/views/qt/revision_tree_view.h"

#include <QHeaderView>
#include <algorithm>

#include "workbench/commands/document_window.h"
#include "workbench/views/qt/revision_list_view.h"

namespace orv::workbench::views {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

constexpr std::string_view kTitles[kRevisionTreeColumnCount] = {"Revision", "Author", "Date", "State", "Locker", "Labels"};

// The path of rows from the top down to node, to order rows as shown.
std::vector<int> rowPath(const RevisionTree& tree, int node) {
  std::vector<int> path;
  for (int n = node; n != RevisionTree::kTop; n = tree.parent(n)) path.push_back(tree.rowOf(n));
  std::reverse(path.begin(), path.end());
  return path;
}

}  // namespace

void RevisionTreeModel::reset(commands::FileState workFile) {
  beginResetModel();
  tree_ = RevisionTree();
  known_.assign(1, 0);
  workFile_ = workFile;
  endResetModel();
}

std::vector<QModelIndex> RevisionTreeModel::add(std::vector<RevisionRecord> rows) {
  std::vector<RevisionTree::Shown> shown;
  for (RevisionRecord& r : rows) {
    if (auto s = tree_.add(std::move(r))) shown.push_back(*s);
  }
  known_.resize(tree_.size() + 1, 0);
  return expose(shown);
}

std::vector<QModelIndex> RevisionTreeModel::finish() {
  const std::vector<RevisionTree::Shown> shown = tree_.finish();
  return expose(shown);
}

std::vector<QModelIndex> RevisionTreeModel::expose(const std::vector<RevisionTree::Shown>& shown) {
  std::vector<QModelIndex> out;
  std::size_t i = 0;
  while (i < shown.size()) {
    // One insertion for a run of rows that follow each other under one
    // parent (the trunk, mostly).
    const int parent = shown[i].parent;
    const int first = tree_.rowOf(shown[i].node);
    std::size_t j = i;
    while (j + 1 < shown.size() && shown[j + 1].parent == parent &&
           tree_.rowOf(shown[j + 1].node) == tree_.rowOf(shown[j].node) + 1)
      ++j;
    // The rows below the new ones come with them.
    for (std::size_t k = i; k <= j; ++k) {
      std::vector<int> stack{shown[k].node};
      while (!stack.empty()) {
        const int n = stack.back();
        stack.pop_back();
        const auto& below = tree_.children(n);
        known_[static_cast<std::size_t>(n) + 1] = static_cast<int>(below.size());
        stack.insert(stack.end(), below.begin(), below.end());
      }
    }
    const int last = tree_.rowOf(shown[j].node);
    const QModelIndex parentIndex = indexOf(parent);
    beginInsertRows(parentIndex, first, last);
    known_[static_cast<std::size_t>(parent + 1)] = last + 1;
    endInsertRows();
    for (std::size_t k = i; k <= j; ++k) out.push_back(indexOf(shown[k].node));
    i = j + 1;
  }
  return out;
}

QModelIndex RevisionTreeModel::indexOf(int node) const {
  if (node < 0 || static_cast<std::size_t>(node) >= tree_.size()) return {};
  return createIndex(tree_.rowOf(node), 0, static_cast<quintptr>(node));
}

QModelIndex RevisionTreeModel::index(int row, int column, const QModelIndex& parent) const {
  const int p = parent.isValid() ? nodeOf(parent) : RevisionTree::kTop;
  if (row < 0 || column < 0 || column >= kRevisionTreeColumnCount || row >= known_[static_cast<std::size_t>(p + 1)])
    return {};
  return createIndex(row, column, static_cast<quintptr>(tree_.children(p)[static_cast<std::size_t>(row)]));
}

QModelIndex RevisionTreeModel::parent(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  return indexOf(tree_.parent(nodeOf(index)));
}

int RevisionTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return known_[static_cast<std::size_t>((parent.isValid() ? nodeOf(parent) : RevisionTree::kTop) + 1)];
}

int RevisionTreeModel::columnCount(const QModelIndex&) const { return kRevisionTreeColumnCount; }

QVariant RevisionTreeModel::data(const QModelIndex& index, int role) const {
  const int node = nodeOf(index);
  if (node < 0) return {};
  const RevisionRecord& r = tree_.record(node);
  const int column = index.column();
  if (r.isWorkFile()) {
    if (column != kTreeColRevision) return {};
    switch (role) {
      case Qt::DisplayRole:
        return workFile_ == commands::FileState::missing ? QStringLiteral("%1 (inaccessible)").arg(q(r.workFileName))
                                                         : q(r.workFileName);
      case kGlyphStripRole: return QVariantList{workFileGlyph(workFile_ == commands::FileState::writable)};
      case Qt::ToolTipRole: return q(r.workFileName);
      default: return {};
    }
  }
  switch (role) {
    case Qt::DisplayRole:
      switch (column) {
        case kTreeColRevision: return q(r.revision);
        case kTreeColAuthor: return q(r.author);
        case kTreeColDate: return q(r.date);
        case kTreeColState: return q(r.state);
        case kTreeColLocker: return q(r.locker.value_or(std::string()));
        case kTreeColLabels: return q(treeLabelsText(r));
        default: return {};
      }
    case kGlyphStripRole:
      if (column == kTreeColRevision) return QVariantList{r.locker ? lockGlyph() : QIcon()};
      return {};
    case Qt::ToolTipRole:
      if (column == kTreeColLabels && !r.labels.empty()) return q(r.labels);
      if (column == kTreeColRevision) return q(r.revision);
      return {};
    case kTreeKeyRole: return q(r.revision);
    default: return {};
  }
}

QVariant RevisionTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kRevisionTreeColumnCount)
    return {};
  const std::string_view title = kTitles[section];
  return QString::fromLatin1(title.data(), static_cast<int>(title.size()));
}

RevisionTreeView::RevisionTreeView(archive::OpenArchive& archive, const std::string& settingsFile, QWidget* parent,
                                   bool showWorkFile)
    : TreeFormView(settingsFile, std::string(commands::windowSection(commands::ChildKind::archive)),
                   {16, 12, 22, 8, 12, 0}, parent),
      archive_(archive),
      model_(new RevisionTreeModel(this)),
      showWorkFile_(showWorkFile) {
  setObjectName(QStringLiteral("revisionTree"));
  setModel(model_);
  setColumnUnits();
}

void RevisionTreeView::fill(bool whole) {
  reselect_.clear();
  for (const RevisionRecord* r : selectedRecords()) reselect_.push_back(r->isWorkFile() ? std::string() : r->revision);
  before_ = model_->tree().size();
  workFile_ = orv::workbench::views::workFileState(archive_.workFileName());
  model_->reset(workFile_);
  complete_ = true;
  feed_ = std::make_unique<RevisionRowFeed>(archive_, showWorkFile_);
  startFeeding();
  if (whole) finishFill();
}

bool RevisionTreeView::feed(std::size_t max) {
  if (!feed_) return false;
  std::vector<RevisionRecord> rows = feed_->next(max);
  if (!rows.empty()) opened(model_->add(std::move(rows)));
  return !feed_->done();
}

void RevisionTreeView::fedAll() {
  opened(model_->finish());
  widenTreeColumn();
  if (feed_) complete_ = feed_->complete();
  feed_.reset();
  // A refresh that left the number of rows alone keeps the selection.
  if (!reselect_.empty() && before_ == model_->tree().size()) selectKeys(reselect_);
  reselect_.clear();
}

void RevisionTreeView::opened(const std::vector<QModelIndex>& shown) {
  for (const QModelIndex& index : shown) {
    const int node = RevisionTreeModel::nodeOf(index);
    if (model_->tree().record(node).isWorkFile()) setFirstColumnSpanned(index.row(), index.parent(), true);
    openRows(index.parent(), index.row(), index.row());
  }
  // The first row is the current one until the user picks another.
  if (!currentIndex().isValid() && model_->rowCount() > 0)
    selectionModel()->setCurrentIndex(model_->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void RevisionTreeView::selectKeys(const std::vector<std::string>& keys) {
  QItemSelection selection;
  QModelIndex first;
  for (const std::string& key : keys) {
    int node = -1;
    if (key.empty()) {
      const auto& top = model_->tree().children(RevisionTree::kTop);
      if (!top.empty() && model_->tree().record(top.front()).isWorkFile()) node = top.front();
    } else {
      node = model_->tree().find(key);
    }
    const QModelIndex index = model_->indexOf(node);
    if (!index.isValid() || !model_->tree().visible(node)) continue;
    selection.select(index, index.siblingAtColumn(kRevisionTreeColumnCount - 1));
    if (!first.isValid()) first = index;
  }
  if (!first.isValid()) return;
  selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

std::vector<const RevisionRecord*> RevisionTreeView::selectedRecords() const {
  std::vector<std::pair<std::vector<int>, int>> order;
  if (!selectionModel()) return {};
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    const int node = RevisionTreeModel::nodeOf(index);
    order.emplace_back(rowPath(model_->tree(), node), node);
  }
  std::sort(order.begin(), order.end());
  std::vector<const RevisionRecord*> out;
  for (const auto& [path, node] : order) out.push_back(&model_->tree().record(node));
  return out;
}

const RevisionRecord* RevisionTreeView::currentRecord() const {
  const int node = RevisionTreeModel::nodeOf(currentIndex());
  return node < 0 ? nullptr : &model_->tree().record(node);
}

void RevisionTreeView::selectRevision(const std::string& revision) {
  finishFill();
  const QModelIndex index = model_->indexOf(model_->tree().find(revision));
  selectionModel()->clearSelection();
  if (!index.isValid()) return;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

}  // namespace orv::workbench::views
