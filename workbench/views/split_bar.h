// The geometry of a splitter bar between the panes of a window: which
// panes lie before the bar (left or above) and which after it, how far a
// drag may take the bar, and where the panes and the bar go when it is
// released.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "platform/ui/dialog_description.h"

namespace orv::workbench::views {

using ui::Rect;

struct SplitGroups {
  std::vector<int> leading;   // ids of the panes left of or above the bar
  std::vector<int> trailing;  // ids of the panes right of or below it
};

// The ids of the leading panes, -1, the ids of the trailing panes, -1.
// Nothing when a -1 is missing or a group is empty.
std::optional<SplitGroups> parseSplitIds(std::span<const int> ids);

struct SplitPanes {
  std::vector<Rect> leading;
  std::vector<Rect> trailing;
  Rect bar;
};

// The travel (along the bar's axis: y when it moves up and down, else x)
// that a drag of pointerTravel gives: no pane is left with a negative size.
int confineTravel(int pointerTravel, bool vertical, const SplitPanes& panes);

// The panes after a travel: the leading ones grow by it in place, the
// trailing ones move by it and shrink by as much, and the bar moves by it.
SplitPanes applySplit(const SplitPanes& panes, bool vertical, int travel);

}  // namespace orv::workbench::views
