// Frame placement arithmetic and the user tools' hints.
#include "workbench/app/frame_placement.h"

#include <cstdlib>

#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::app {

Rect framePlacement(const std::string& stored, int screenWidth, int screenHeight) {
  int v[4] = {-1, -1, -1, -1};
  const char* p = stored.c_str();
  for (int i = 0; i < 4 && *p; ++i) {
    char* end = nullptr;
    long n = std::strtol(p, &end, 10);
    if (end == p) break;
    v[i] = static_cast<int>(n);
    p = end;
    if (*p != ',') break;
    ++p;
  }
  Rect r;
  r.width = v[2] < 1 || v[2] >= screenWidth ? screenWidth * 4 / 5 : v[2];
  r.height = v[3] < 1 || v[3] >= screenHeight ? screenHeight * 4 / 5 : v[3];
  r.x = v[0] < 1 || v[0] >= screenWidth ? (screenWidth - r.width) / 2 : v[0];
  r.y = v[1] < 1 || v[1] >= screenHeight ? (screenHeight - r.height) / 2 : v[1];
  return r;
}

std::optional<std::string> storedPlacement(const Rect& normal, bool normalState) {
  if (!normalState) return std::nullopt;
  return formatText("%d,%d,%d,%d", normal.x, normal.y, normal.width, normal.height);
}

std::optional<std::string> userToolHint(const std::string& description, const std::string& command) {
  const std::string& text = description.empty() ? command : description;
  if (text.empty()) return std::nullopt;
  return std::string(loadString(kStrLaunches)) + " " + text + "\n" + text;
}

}  // namespace orv::workbench::app
