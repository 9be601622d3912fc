#include "workbench/views/qt/split_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStyleOption>
#include <stdexcept>

namespace orv::workbench::views {

namespace {

const char* const kControlId = "orvControlId";

Rect rectOf(const QWidget* w) { return {w->x(), w->y(), w->width(), w->height()}; }

}  // namespace

void setControlId(QWidget* widget, int id) { widget->setProperty(kControlId, id); }

QWidget* findControl(QWidget* parent, int id) {
  if (!parent) return nullptr;
  for (QWidget* child : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    const QVariant value = child->property(kControlId);
    if (value.isValid() && value.toInt() == id) return child;
  }
  return nullptr;
}

SplitBar::SplitBar(QWidget* parent, int id, bool vertical, std::span<const int> ids)
    : QWidget(parent), vertical_(vertical) {
  auto groups = parseSplitIds(ids);
  if (!groups) throw std::invalid_argument("split bar: each side needs at least one pane");
  groups_ = std::move(*groups);
  setControlId(this, id);
  setObjectName(QStringLiteral("splitBar"));
  setCursor(vertical ? Qt::SplitVCursor : Qt::SplitHCursor);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
}

SplitPanes SplitBar::panes() const {
  // An id that names no sibling takes no part.
  SplitPanes panes;
  for (int id : groups_.leading)
    if (QWidget* w = findControl(parentWidget(), id)) panes.leading.push_back(rectOf(w));
  for (int id : groups_.trailing)
    if (QWidget* w = findControl(parentWidget(), id)) panes.trailing.push_back(rectOf(w));
  panes.bar = rectOf(this);
  return panes;
}

void SplitBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  dragging_ = true;
  press_ = event->position().toPoint();
}

void SplitBar::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const int travel = confineTravel(axis(event->position().toPoint()) - axis(press_), vertical_, panes());
  QRect outline = geometry();
  outline.translate(vertical_ ? QPoint(0, travel) : QPoint(travel, 0));
  if (!outline_) outline_ = new QRubberBand(QRubberBand::Line, parentWidget());
  // One outline at a time; a move along the bar changes nothing.
  if (outline_->geometry() != outline || !outline_->isVisible()) {
    outline_->setGeometry(outline);
    outline_->show();
  }
}

void SplitBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
  dragging_ = false;
  if (outline_) outline_->hide();
  const SplitPanes before = panes();
  const int travel = confineTravel(axis(event->position().toPoint()) - axis(press_), vertical_, before);
  if (travel == 0) return;
  const SplitPanes after = applySplit(before, vertical_, travel);
  auto place = [this](const std::vector<int>& ids, const std::vector<Rect>& rects) {
    std::size_t i = 0;
    for (int id : ids)
      if (QWidget* w = findControl(parentWidget(), id)) {
        const Rect& r = rects[i++];
        w->setGeometry(r.x, r.y, r.width, r.height);
      }
  };
  place(groups_.leading, after.leading);
  place(groups_.trailing, after.trailing);
  move(after.bar.x, after.bar.y);
  emit moved(travel);
}

void SplitBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Button));
  p.setPen(palette().color(QPalette::Mid));
  if (vertical_) p.drawLine(0, height() - 1, width(), height() - 1);
  else p.drawLine(width() - 1, 0, width() - 1, height());
}

}  // namespace orv::workbench::views
