// Layout arithmetic of the archive and project windows.
#include "workbench/commands/window_layout.h"

#include <algorithm>

namespace orv::workbench::commands {

namespace {

constexpr int kMinimumTreeHeight = 4;
constexpr int kSplitterGap = 5;     // from the splitter's top to the log panel
constexpr int kSplitterHeight = 4;

Rect band(const Rect& client, int top, int height) { return {client.x, top, client.width, height}; }

int minimumHeight(int lineHeight, const WindowMetrics& metrics) {
  return 4 * lineHeight + 2 * metrics.frameHeight + metrics.captionHeight +
         2 * metrics.scrollBarHeight + 2;
}

}  // namespace

int initialLogPanelHeight(int lineHeight, const WindowMetrics& metrics) {
  return metrics.scrollBarHeight + 3 * lineHeight + 1;
}

ArchiveLayout layoutArchiveWindow(const Rect& client, int lineHeight, int panelHeight, bool listForm) {
  const int top = client.y;
  const int bottom = client.y + client.height;
  ArchiveLayout layout;
  layout.logPanel = band(client, bottom - panelHeight, panelHeight);
  layout.splitter = band(client, layout.logPanel.y - kSplitterGap, kSplitterHeight);
  if (listForm) {
    layout.view = band(client, top, layout.splitter.y - top);
  } else {
    layout.titles = band(client, top, lineHeight);
    const int treeTop = top + lineHeight + 1;
    layout.view = band(client, treeTop, std::max(kMinimumTreeHeight, layout.splitter.y - treeTop));
  }
  return layout;
}

int detailPaneHeight(int lineHeight, const WindowMetrics& metrics) {
  return metrics.scrollBarHeight + 2 * lineHeight + 10;
}

ProjectLayout layoutProjectWindow(const Rect& client, int lineHeight, const WindowMetrics& metrics,
                                  bool listForm) {
  const int top = client.y;
  const int bottom = client.y + client.height;
  const int pane = detailPaneHeight(lineHeight, metrics);
  ProjectLayout layout;
  if (listForm) {
    layout.view = band(client, top, bottom - top - pane - 4);
  } else {
    layout.titles = band(client, top, lineHeight);
    const int treeTop = top + lineHeight + 1;
    layout.view = band(client, treeTop, std::max(kMinimumTreeHeight, bottom - treeTop - pane - 4));
  }
  layout.detail = band(client, bottom - pane, pane);
  return layout;
}

Extent archiveMinimumSize(int screenWidth, int lineHeight, const WindowMetrics& metrics) {
  return {screenWidth / 5, minimumHeight(lineHeight, metrics)};
}

Extent projectMinimumSize(int screenWidth, int lineHeight, const WindowMetrics& metrics) {
  return {screenWidth / 4, minimumHeight(lineHeight, metrics)};
}

TitleScroll titleScrollFor(const TreeScrollState& tree, int lineHeight, const WindowMetrics& metrics) {
  TitleScroll scroll;
  scroll.minimum = tree.minimum;
  // Without a page size every position up to the maximum can be reached.
  scroll.maximum = tree.maximum - std::max(tree.page - 1, 0);
  scroll.position = tree.position;
  scroll.contentWidth = tree.extent;
  int visibleHeight = tree.clientHeight;
  if (tree.clientWidth < tree.extent) visibleHeight -= metrics.scrollBarHeight;
  scroll.verticalBar = tree.rows > 0 && tree.rows * lineHeight > visibleHeight;
  return scroll;
}

}  // namespace orv::workbench::commands
