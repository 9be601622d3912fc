// The moveable list (see moveable_list_widget.h).
#include "platform/ui/qt/moveable_list_widget.h"

#include <QMouseEvent>

#include "platform/ui/moveable_list.h"

namespace orv::ui::qt {

MoveableListWidget::MoveableListWidget(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void MoveableListWidget::mousePressEvent(QMouseEvent* event) {
  QListWidget::mousePressEvent(event);
  dragRow_ = -1;
  if (moveEnabled_ && event->button() == Qt::LeftButton) {
    if (QListWidgetItem* item = itemAt(event->position().toPoint())) dragRow_ = row(item);
  }
}

void MoveableListWidget::mouseMoveEvent(QMouseEvent* event) {
  if (dragRow_ < 0 || !(event->buttons() & Qt::LeftButton)) {
    QListWidget::mouseMoveEvent(event);
    return;
  }
  // The row under the pointer; above the first row or below the last the
  // first or last row.
  const QPoint at = event->position().toPoint();
  int target = indexAt(at).row();
  if (target < 0) target = at.y() < 0 || count() == 0 ? 0 : count() - 1;
  target = clampRow(target, count());
  if (target != dragRow_) {
    QListWidgetItem* item = takeItem(dragRow_);  // the whole row, text and data
    insertItem(target, item);
    setCurrentItem(item);
    dragRow_ = target;
    emit rowsReordered();
  }
  event->accept();
}

void MoveableListWidget::mouseReleaseEvent(QMouseEvent* event) {
  dragRow_ = -1;
  QListWidget::mouseReleaseEvent(event);
}

}  // namespace orv::ui::qt
