#include "workbench/qt/child_geometry.h"

#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

#include "workbench/commands/document_window.h"

namespace orv::workbench {

commands::WindowMetrics windowMetrics(const QWidget& w) {
  commands::WindowMetrics m;
  m.scrollBarHeight = w.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &w);
  m.frameHeight = w.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &w);
  m.captionHeight = w.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &w);
  return m;
}

void placePart(QWidget* w, const ui::Rect& r) { w->setGeometry(r.x, r.y, r.width, std::max(r.height, 0)); }

void restoreChildSize(QMdiSubWindow* sub, const std::string& settingsFile, commands::ChildKind kind, QSize client,
                      commands::Extent least) {
  if (!sub) return;
  const commands::Extent size =
      commands::restoreWindowSize(settingsFile, commands::windowSection(kind), {client.width(), client.height()});
  sub->setMinimumSize(least.width, least.height);
  sub->resize(std::max(size.width, least.width), std::max(size.height, least.height));
}

QRect fitInsideArea(QRect rect, QSize area) {
  if (area.width() <= 0 || area.height() <= 0) return rect;
  rect.setWidth(std::min(rect.width(), area.width()));
  rect.setHeight(std::min(rect.height(), area.height()));
  const int x = std::clamp(rect.x(), 0, area.width() - rect.width());
  const int y = std::clamp(rect.y(), 0, area.height() - rect.height());
  rect.moveTo(x, y);
  return rect;
}

void storeChildSize(QMdiSubWindow* sub, const std::string& settingsFile, commands::ChildKind kind) {
  if (!sub || !sub->isVisible()) return;
  const commands::ShowState state = sub->isMinimized()   ? commands::ShowState::minimized
                                 : sub->isMaximized() ? commands::ShowState::maximized
                                                      : commands::ShowState::normal;
  commands::saveWindowSize(settingsFile, commands::windowSection(kind), state, {sub->width(), sub->height()});
}

}  // namespace orv::workbench
