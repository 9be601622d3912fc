// A list whose rows the user drags into another order: pressing a row and
// moving the pointer shifts the row to the row under the pointer as it
// crosses rows (never out of the list); every move is told by
// rowsReordered. Moving can be switched off, and then pressing and dragging
// only changes the selection.
#pragma once

#include <QListWidget>

namespace orv::ui::qt {

class MoveableListWidget : public QListWidget {
  Q_OBJECT

 public:
  explicit MoveableListWidget(QWidget* parent = nullptr);

  void setMoveEnabled(bool enabled) { moveEnabled_ = enabled; }
  bool moveEnabled() const { return moveEnabled_; }

 signals:
  void rowsReordered();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool moveEnabled_ = true;
  int dragRow_ = -1;
};

}  // namespace orv::ui::qt
