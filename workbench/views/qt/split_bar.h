// A thin bar between the panes of a window. The panes are the bar's
// siblings named by their control ids (the property "orvControlId"):
// the leading group above or left of the bar, the trailing group below or
// right of it. While the left button is held an outline of the bar follows
// the pointer; on release the leading panes grow by the travel, the
// trailing ones move and shrink by as much, and the bar moves with them.
// No pane is dragged to a negative size.
#pragma once

#include <QPoint>
#include <QWidget>
#include <span>

#include "workbench/views/split_bar.h"

class QRubberBand;

namespace orv::workbench::views {

// The control id of a pane, as the split bar finds it.
void setControlId(QWidget* widget, int id);
QWidget* findControl(QWidget* parent, int id);

class SplitBar : public QWidget {
  Q_OBJECT

 public:
  // ids: the leading ids, -1, the trailing ids, -1. Throws
  // std::invalid_argument when a group is empty or a -1 is missing.
  SplitBar(QWidget* parent, int id, bool vertical, std::span<const int> ids);

 signals:
  // The bar and its panes moved by travel pixels.
  void moved(int travel);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  SplitPanes panes() const;
  int axis(const QPoint& p) const { return vertical_ ? p.y() : p.x(); }

  bool vertical_;
  SplitGroups groups_;
  bool dragging_ = false;
  QPoint press_;
  QRubberBand* outline_ = nullptr;
};

}  // namespace orv::workbench::views
