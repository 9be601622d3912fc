// Reordering the rows of a list by dragging: the row under the pointer is
// the target, clamped into the list, so rows never leave it; the dragged
// row moves one target at a time, whole.
#pragma once

#include <utility>
#include <vector>

namespace orv::ui {

// row clamped into 0 .. count - 1; -1 for an empty list.
inline int clampRow(int row, int count) {
  if (count <= 0) return -1;
  return row < 0 ? 0 : (row >= count ? count - 1 : row);
}

// Moves row from to position to (clamped into the list); the index it ends
// at, or -1 (nothing moved) when from is not a row.
template <class T>
int moveRow(std::vector<T>& rows, int from, int to) {
  const int count = static_cast<int>(rows.size());
  if (from < 0 || from >= count) return -1;
  to = clampRow(to, count);
  if (to == from) return from;
  T row = std::move(rows[static_cast<std::size_t>(from)]);
  rows.erase(rows.begin() + from);
  rows.insert(rows.begin() + to, std::move(row));
  return to;
}

}  // namespace orv::ui
