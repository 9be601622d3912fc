// The merge on screen: the core's MergeModel rows (common lines, block
// markers, the lines chosen for each block, text edited by hand) painted in
// their colours. The Delete key asks to remove the row's side from its
// block, a double click asks to edit the row's block; the window decides.
#pragma once

#include "merge/merge_model.h"
#include "merge/qt/row_list.h"

namespace orv::merge::qt {

class MergeList : public RowList {
  Q_OBJECT

 public:
  explicit MergeList(const MergeModel& model, QWidget* parent = nullptr);

  // The marker row of a block, -1 when there is none.
  int markerRow(int block) const;
  void showBlock(int block);
  // The block a row belongs to: a marker's own, else its line's.
  int blockOfRow(int row) const;

  int rowCount() const override;
  QString rowText(int row) const override;
  int rowClass(int row) const override;
  bool rowSelected(int row) const override { return row == caretRow(); }
  void setRowSelected(int, bool) override {}
  int rowBlock(int row) const override { return blockOfRow(row); }

 signals:
  void removeRowSide(int row);
  void editBlockOfRow(int row);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  const MergeModel& model_;
};

}  // namespace orv::merge::qt
