// What the report-style lists of the archive and project windows keep
// apart from the toolkit: the order and widths of their columns and the
// sort key, stored per kind of window in ORVTY.INI ("FieldOrder",
// "ColumnWidths", "SortKey"), where a dragged title lands, how a title click
// changes the sort key, how a cell's text is fitted to its width, and the
// two comparisons the lists sort with.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/app/text_fit.h"

namespace orv::workbench::views {

constexpr int kMaxColumns = 8;
constexpr int kMinimumColumnWidth = 26;
// Sort key: the low 16 bits name the logical column, this bit descends.
constexpr unsigned kSortDescending = 0x10000;

constexpr int sortColumn(unsigned key) { return static_cast<int>(key & 0xFFFF); }
constexpr bool sortDescending(unsigned key) { return (key & kSortDescending) != 0; }
// A click on the title of logical column: that column ascending, or the
// direction flipped when it is already the sort column.
unsigned sortKeyAfterClick(unsigned key, int column);

// A stored list "a,b,c": each value a decimal number, read left to right
// until a value is not followed by ","; count entries, those not read 0.
std::vector<int> parseColumnList(std::string_view text, int count);
// The values joined with "," and no blanks.
std::string joinColumnList(const std::vector<int>& values);

struct ColumnDefaults {
  std::string_view order;
  std::string_view widths;
  unsigned sortKey = 0;
};

class ListColumns {
 public:
  // Reads the section's settings of settingsFile (defaults where missing).
  ListColumns(std::string settingsFile, std::string section, int count, const ColumnDefaults& defaults);

  int count() const { return count_; }
  // Width of display position p, left to right.
  int width(int p) const { return widths_[static_cast<std::size_t>(p)]; }
  // The logical column shown at display position p, and the reverse.
  int logical(int p) const { return order_[static_cast<std::size_t>(p)]; }
  int position(int column) const { return position_[static_cast<std::size_t>(column)]; }
  // Left edge of logical column within a row.
  int offset(int column) const { return offsets_[static_cast<std::size_t>(column)]; }
  unsigned sortKey() const { return sortKey_; }
  // Whether the widths came from the settings rather than the defaults.
  bool widthsStored() const { return widthsStored_; }
  void setSortKey(unsigned key) { sortKey_ = key; }
  // A title click on logical column (see sortKeyAfterClick).
  void clickTitle(int column) { sortKey_ = sortKeyAfterClick(sortKey_, column); }

  // Moves the column at display position from to position to (the others
  // shift by one) and stores order and widths: 0 or the errno of a failed
  // write. Positions out of range change nothing.
  int moveColumn(int from, int to);
  // A divider dragged: display position p becomes width wide (at least the
  // minimum) and the widths are stored (with store; else only kept until
  // the next change that stores them).
  int setWidth(int p, int width, bool store = true);
  // Stores the sort key (when the list goes).
  int saveSortKey() const;

  // The display position a title dropped at x (within a row) lands on:
  // the first whose right edge lies beyond x; 0 left of the list, the last
  // at or beyond its right edge.
  int dropPosition(int x) const;

 private:
  void rebuild();
  int storeLayout() const;

  std::string file_;
  std::string section_;
  int count_;
  std::array<int, kMaxColumns> widths_{};
  std::array<int, kMaxColumns> order_{};
  std::array<int, kMaxColumns> position_{};
  std::array<int, kMaxColumns> offsets_{};
  unsigned sortKey_ = 0;
  bool widthsStored_ = false;
};

// A cell's text fitted to a cell width wide: nothing for an empty text;
// else cut at its end with "..." to width - 4 (at most 531 characters
// kept); a path is first shortened in its middle, and cut at its end when
// that is not enough.
std::string fitCellText(std::string_view text, int width, const app::MeasureText& measure,
                        bool path = false);

// Revision numbers by their dot-separated fields, from the left; equal
// ignoring case is 0; a shorter number with the same fields sorts first
// (1.2 before 1.2.1.1). -1, 0 or 1.
int compareRevisionNumbers(std::string_view a, std::string_view b);
// Path names component by component (at "/"), ignoring case; a file sorts
// before the subfolders of its folder. Negative, 0 or positive.
int comparePaths(std::string_view a, std::string_view b);
// Texts ignoring case: negative, 0 or positive.
int compareNoCase(std::string_view a, std::string_view b);

}  // namespace orv::workbench::views
