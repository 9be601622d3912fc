// What the archive and project windows share about their geometry: the
// style's metrics their layouts need, placing a part, and the size of the
// MDI child kept in the settings file per kind of window.
#pragma once

#include <QWidget>
#include <string>

#include "workbench/commands/child_kind.h"
#include "workbench/commands/window_layout.h"

class QMdiSubWindow;

namespace orv::workbench {

// Scroll bar, frame and caption heights of w's style.
commands::WindowMetrics windowMetrics(const QWidget& w);
// Puts w at r (a negative height becomes 0).
void placePart(QWidget* w, const ui::Rect& r);
// Sizes sub as the settings say for kind inside a client area of client,
// at least least, which also becomes its smallest size.
void restoreChildSize(QMdiSubWindow* sub, const std::string& settingsFile, commands::ChildKind kind, QSize client,
                      commands::Extent least);
// The place of a child window of rect inside an area of area's size: moved
// (and, when larger, shrunk) so that it lies wholly inside, caption first.
QRect fitInsideArea(QRect rect, QSize area);
// Stores the size of sub, when it is shown, with its state.
void storeChildSize(QMdiSubWindow* sub, const std::string& settingsFile, commands::ChildKind kind);

}  // namespace orv::workbench
