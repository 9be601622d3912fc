// The merge on screen (see merge_list.h).
#include "merge/qt/merge_list.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace orv::merge::qt {

MergeList::MergeList(const MergeModel& model, QWidget* parent) : RowList(parent), model_(model) {
  setObjectName("list112");
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  rowsChanged();
}

int MergeList::markerRow(int block) const {
  const auto& rows = model_.rows();
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].rowClass == kMarkerRow && rows[i].block == block) return static_cast<int>(i);
  return -1;
}

void MergeList::showBlock(int block) { showRow(markerRow(block)); }

int MergeList::blockOfRow(int row) const {
  const MergeRow& r = model_.rows()[static_cast<std::size_t>(row)];
  return r.rowClass == kMarkerRow ? r.block : r.line.blockIndex;
}

int MergeList::rowCount() const { return static_cast<int>(model_.rows().size()); }

QString MergeList::rowText(int row) const {
  const MergeRow& r = model_.rows()[static_cast<std::size_t>(row)];
  const QString text = expandTabs(QString::fromStdString(r.line.text));
  if (!lineNumbers() || r.rowClass == kMarkerRow) return text;
  if (r.rowClass == kEditedRow) return "     " + text;
  return QString::asprintf("%.5d:", r.line.lineNumber) + text;
}

int MergeList::rowClass(int row) const { return model_.rows()[static_cast<std::size_t>(row)].rowClass; }

void MergeList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && caretRow() >= 0) {
    emit removeRowSide(caretRow());
    return;
  }
  RowList::keyPressEvent(event);
}

void MergeList::mouseDoubleClickEvent(QMouseEvent* event) {
  const int row = rowAt(event->position().toPoint().y());
  if (row >= 0) emit editBlockOfRow(row);
}

}  // namespace orv::merge::qt
