// One side of a comparison on screen (file 1, file 2 or both combined): the
// rows of the core's DiffView painted in their colours, with line numbers
// when asked, a range of selected rows to copy, and a jump to a block.
#pragma once

#include <memory>

#include "merge/diff_view.h"
#include "merge/qt/row_list.h"

namespace orv::merge::qt {

class DiffList : public RowList {
  Q_OBJECT

 public:
  // id: 105 file 1, 106 file 2, 111 combined.
  DiffList(const FileDiff& diff, int side, bool commonLines, QWidget* parent = nullptr);

  int side() const { return view_->side(); }
  const DiffView& view() const { return *view_; }
  // The rows again, with or without the common lines.
  void rebuild(bool commonLines);
  // Scrolls the block's first row into view and puts the caret there.
  void showBlock(int block);
  // The selected rows to the clipboard; nothing when none is selected.
  void copy() const;
  // The block of a row and whether it is an empty row standing in for the
  // other file's lines.
  int blockOfRow(int row) const;
  bool emptyRow(int row) const;

  int rowCount() const override;
  QString rowText(int row) const override;
  int rowClass(int row) const override;
  bool rowSelected(int row) const override;
  void setRowSelected(int row, bool selected) override;
  int rowBlock(int row) const override { return blockOfRow(row); }

 protected:
  int longestRow() const override;

 private:
  const FileDiff& diff_;
  std::unique_ptr<DiffView> view_;
};

}  // namespace orv::merge::qt
