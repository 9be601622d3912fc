#include "qt/child_geometry.h"

#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

#include "shell/document_window.h"

namespace orv::workbench {

shell::WindowMetrics windowMetrics(const QWidget& w) {
  shell::WindowMetrics m;
  m.scrollBarHeight = w.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &w);
  m.frameHeight = w.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &w);
  m.captionHeight = w.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &w);
  return m;
}

void placePart(QWidget* w, const shell::Rect& r) { w->setGeometry(r.x, r.y, r.width, std::max(r.height, 0)); }

void restoreChildSize(QMdiSubWindow* sub, const std::string& settingsFile, shell::ChildKind kind, QSize client,
                      shell::Extent least) {
  if (!sub) return;
  const shell::Extent size =
      shell::restoreWindowSize(settingsFile, shell::windowSection(kind), {client.width(), client.height()});
  sub->setMinimumSize(least.width, least.height);
  sub->resize(std::max(size.width, least.width), std::max(size.height, least.height));
}

void storeChildSize(QMdiSubWindow* sub, const std::string& settingsFile, shell::ChildKind kind) {
  if (!sub || !sub->isVisible()) return;
  const shell::ShowState state = sub->isMinimized()   ? shell::ShowState::minimized
                                 : sub->isMaximized() ? shell::ShowState::maximized
                                                      : shell::ShowState::normal;
  shell::saveWindowSize(settingsFile, shell::windowSection(kind), state, {sub->width(), sub->height()});
}

}  // namespace orv::workbench
