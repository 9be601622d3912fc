#include "workbench/views/split_bar.h"

#include <algorithm>

namespace orv::workbench::views {

std::optional<SplitGroups> parseSplitIds(std::span<const int> ids) {
  SplitGroups groups;
  std::size_t i = 0;
  for (; i < ids.size() && ids[i] != -1; ++i) groups.leading.push_back(ids[i]);
  if (i == ids.size()) return std::nullopt;
  for (++i; i < ids.size() && ids[i] != -1; ++i) groups.trailing.push_back(ids[i]);
  if (i == ids.size() || groups.leading.empty() || groups.trailing.empty()) return std::nullopt;
  return groups;
}

int confineTravel(int pointerTravel, bool vertical, const SplitPanes& panes) {
  const auto size = [vertical](const Rect& r) { return vertical ? r.height : r.width; };
  int travel = pointerTravel;
  for (const Rect& r : panes.leading) travel = std::max(travel, -std::max(size(r), 0));
  for (const Rect& r : panes.trailing) travel = std::min(travel, std::max(size(r), 0));
  return travel;
}

SplitPanes applySplit(const SplitPanes& panes, bool vertical, int travel) {
  SplitPanes out = panes;
  for (Rect& r : out.leading) (vertical ? r.height : r.width) += travel;
  for (Rect& r : out.trailing) {
    (vertical ? r.y : r.x) += travel;
    (vertical ? r.height : r.width) -= travel;
  }
  (vertical ? out.bar.y : out.bar.x) += travel;
  return out;
}

}  // namespace orv::workbench::views
