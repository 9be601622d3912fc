// A table model over rows kept in the list's sort order while more rows
// come: waiting rows are shown at the end and then moved to their places in
// one layout change, the selection and the current row staying on the same
// rows.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "workbench/views/sorted_feed.h"

namespace orv::workbench::views {

class SortedRowsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

 protected:
  // Merges waiting into rows (the model's own, in order by less).
  template <class Row, class Less>
  void mergeRows(std::vector<Row>& rows, std::vector<Row> waiting, Less less) {
    if (waiting.empty()) return;
    // Rows read in the list's own order need no sort.
    if (!std::is_sorted(waiting.begin(), waiting.end(), less)) std::stable_sort(waiting.begin(), waiting.end(), less);
    const std::size_t shown = rows.size();
    // Rows that all sort after those shown (as rows read in the list's own
    // order do) only go at the end.
    const bool after = shown == 0 || !less(waiting.front(), rows.back());
    beginInsertRows({}, static_cast<int>(shown), static_cast<int>(shown + waiting.size() - 1));
    // The first rows are taken as they are, with the room kept for more.
    if (shown == 0) rows = std::move(waiting);
    else rows.insert(rows.end(), std::make_move_iterator(waiting.begin()), std::make_move_iterator(waiting.end()));
    endInsertRows();
    if (after) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<std::size_t> place = mergeSortedTail(rows, shown, less);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from)
      to.append(this->index(static_cast<int>(place[static_cast<std::size_t>(index.row())]), index.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }
};

}  // namespace orv::workbench::views
