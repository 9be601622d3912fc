// Where the parts of the archive and project windows go inside their client
// area, the smallest size each window may be dragged to, and how the column
// titles above a tree follow its horizontal scrolling. All in pixels, from
// the line height (the height of "A" in the window's font) and the system's
// metrics.
#pragma once

#include "platform/ui/dialog_description.h"
#include "workbench/commands/document_window.h"
#include "workbench/layers.h"

namespace orv::workbench::commands {

using ui::Rect;

// The system metrics the layouts use.
struct WindowMetrics {
  int scrollBarHeight = 0;  // a horizontal scroll bar
  int frameHeight = 0;      // a sizing frame
  int captionHeight = 0;
};

// The archive window: the revisions (a tree under a strip of column titles,
// or a list), a splitter, and the log-message panel at the bottom.
struct ArchiveLayout {
  Rect titles;  // tree form only
  Rect view;    // the tree or the list
  Rect splitter;
  Rect logPanel;
};

// The log panel's height at the window's first layout: a scroll bar, three
// lines and one pixel.
int initialLogPanelHeight(int lineHeight, const WindowMetrics& metrics);
// The archive window's parts in client, with the log panel panelHeight
// high. The splitter lies 5 pixels above the panel and is 4 pixels high;
// the tree reaches from one pixel under the titles down to the splitter and
// is at least 4 pixels high; the list reaches from the top down to the
// splitter, however small that leaves it.
ArchiveLayout layoutArchiveWindow(const Rect& client, int lineHeight, int panelHeight, bool listForm);

// The project window: the members (a tree under a strip of column titles,
// or a list) and the detail pane at the bottom.
struct ProjectLayout {
  Rect titles;  // tree form only
  Rect view;    // the tree or the list
  Rect detail;
};

// The detail pane's height: a scroll bar, two lines and 10 pixels.
int detailPaneHeight(int lineHeight, const WindowMetrics& metrics);
// The project window's parts in client: the tree is at least 4 pixels
// high, the list's height is passed as computed (it may be 0 or less).
ProjectLayout layoutProjectWindow(const Rect& client, int lineHeight, const WindowMetrics& metrics,
                                  bool listForm);

// The smallest sizes: a fifth (archive) or a quarter (project) of the
// screen's width; four lines, two frames, a caption, two scroll bars and 2
// pixels high.
Extent archiveMinimumSize(int screenWidth, int lineHeight, const WindowMetrics& metrics);
Extent projectMinimumSize(int screenWidth, int lineHeight, const WindowMetrics& metrics);

// The horizontal scroll state of a tree's list, as the toolkit gives it.
struct TreeScrollState {
  int minimum = 0;
  int maximum = 0;
  int page = 0;  // 0 when the toolkit gives no page size
  int position = 0;
  int extent = 0;       // the width of the longest row
  int clientWidth = 0;  // the list's visible area
  int clientHeight = 0;
  int rows = 0;
};

// What the column titles are told so that they scroll with the tree.
struct TitleScroll {
  int minimum = 0;
  int maximum = 0;  // the last position the tree can scroll to
  int position = 0;
  int contentWidth = 0;
  bool verticalBar = false;
  bool operator==(const TitleScroll&) const = default;
};

// The maximum becomes the last reachable position (maximum - (page - 1));
// a horizontal bar shows when the rows are wider than the list and then
// takes a scroll bar's height from the visible rows; the vertical bar shows
// when the rows are higher than what is visible.
TitleScroll titleScrollFor(const TreeScrollState& tree, int lineHeight, const WindowMetrics& metrics);

}  // namespace orv::workbench::commands
