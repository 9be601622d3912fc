// The rows of one side of a comparison as the difference lists show them:
// file 1, file 2 (the shorter half of a change padded with empty rows, and
// an empty row for each line only the other file has, so both sides stay
// level row for row) or both files combined; common lines shown or hidden.
// Also the first row of each block, the block of a row, the text of the
// selected rows, and the saved difference listing with its banners.
#pragma once

#include <string>
#include <vector>

#include "merge/file_diff.h"

namespace orv::merge {

enum ViewSide : int { kSide1 = 0, kSide2 = 1, kCombined = 2 };

// Colour classes (also the colour table's indexes).
enum ViewClass : int {
  kNormal = 0, kChanged = 1, kAdded = 2, kDeleted = 3, kFile1Class = 4, kFile2Class = 5, kEmpty = 6, kHighlight = 7
};

struct ViewRow {
  const DiffLine* line = nullptr;  // none for an empty row
  int block = -1;                  // the block the row belongs to or stands in for; -1 common
  int viewClass = kNormal;
  bool selected = false;
  int number = 0;  // the line's number in this side's file (file 2's for common lines on side 2)
};

class DiffView {
 public:
  DiffView(const FileDiff& diff, int side, bool commonLines);

  int side() const { return side_; }
  std::vector<ViewRow>& rows() { return rows_; }
  const std::vector<ViewRow>& rows() const { return rows_; }
  // The first row of each block in this view (-1 when it has none).
  const std::vector<int>& blockRows() const { return blockRows_; }
  // The text of the selected rows that are not empty, a line feed after each.
  std::string selectedText() const;
  // The listing: every row's text, the blocks framed by banners (comment
  // begin, "***** summary  BEGINS *****", comment end, each followed by a
  // blank), "=====" lines where the file changes inside a combined change
  // block; lines end in "\n" (format 2) or "\r\n".
  std::string listing(const std::string& name1, const std::string& name2, int format, const std::string& commentBegin,
                      const std::string& commentEnd) const;
  // Writes the listing; empty on success, else "Cannot write to %s.\n%s".
  std::string save(const std::string& path, const std::string& name1, const std::string& name2, int format,
                   const std::string& commentBegin, const std::string& commentEnd) const;

 private:
  void buildCombined(bool commonLines);
  void buildSide(bool commonLines);
  void addRow(const DiffLine* line, int block, int viewClass, int number = 0);

  const FileDiff& diff_;
  int side_;
  std::vector<ViewRow> rows_;
  std::vector<int> blockRows_;
};

}  // namespace orv::merge
