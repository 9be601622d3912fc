// Rows that come a few at a time into a list kept in the user's sort order.
// The rows that came wait until they are a quarter of those shown (or no
// more will come); then they are sorted and merged into the shown ones in
// one pass. The shown rows grow by a quarter at least at each merge, so a
// fill of n rows makes O(log n) merges and costs O(n log n) in all; and of
// rows that compare equal, the one that came first stays first, as when
// all rows are sorted at once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace orv::workbench::views {

// Whether waiting rows are merged now: they are a quarter of the shown
// ones, or the last rows came.
inline bool timeToMerge(std::size_t shown, std::size_t waiting, bool last) {
  return waiting > 0 && (last || waiting * 4 >= shown);
}

// Merges rows[shown..] into rows[..shown], both in order by less; of
// equal rows those from the front stay first. The new place of each row,
// by its old place.
template <class Row, class Less>
std::vector<std::size_t> mergeSortedTail(std::vector<Row>& rows, std::size_t shown, Less less) {
  std::vector<std::size_t> place(rows.size());
  std::vector<Row> merged;
  merged.reserve(rows.size());
  std::size_t front = 0, tail = shown;
  while (front < shown || tail < rows.size()) {
    const bool fromTail = tail < rows.size() && (front == shown || less(rows[tail], rows[front]));
    const std::size_t from = fromTail ? tail++ : front++;
    place[from] = merged.size();
    merged.push_back(std::move(rows[from]));
  }
  rows = std::move(merged);
  return place;
}

// Appends waiting to rows and merges them in: waiting is first sorted
// (stably) by less. The new place of each row, by its place in rows
// followed by waiting as sorted.
template <class Row, class Less>
std::vector<std::size_t> mergeWaitingRows(std::vector<Row>& rows, std::vector<Row> waiting, Less less) {
  if (!std::is_sorted(waiting.begin(), waiting.end(), less)) std::stable_sort(waiting.begin(), waiting.end(), less);
  const std::size_t shown = rows.size();
  rows.insert(rows.end(), std::make_move_iterator(waiting.begin()), std::make_move_iterator(waiting.end()));
  return mergeSortedTail(rows, shown, less);
}

}  // namespace orv::workbench::views
