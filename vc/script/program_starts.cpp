// Program starts of the script language over the spawner seam.
#include "vc/script/program_starts.h"

#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "platform/spawn/spawner.h"

#include <cstdlib>

namespace vc {
namespace {

struct ShowMode {
  const char* name;
  int value;
};

constexpr ShowMode kShowModes[] = {
    {"SW_HIDE", 0},          {"SW_SHOWNORMAL", 1},      {"SW_NORMAL", 1},
    {"SW_SHOWMINIMIZED", 2}, {"SW_SHOWMAXIMIZED", 3},   {"SW_MAXIMIZE", 3},
    {"SW_SHOWNOACTIVATE", 4}, {"SW_SHOW", 5},           {"SW_MINIMIZE", 6},
    {"SW_SHOWMINNOACTIVE", 7}, {"SW_SHOWNA", 8},        {"SW_RESTORE", 9},
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int parseShowMode(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i == text.size()) return 1;
  const char c = text[i];
  if (c == 's' || c == 'S') {
    std::size_t e = i;
    while (e < text.size() && !isBlank(text[e])) ++e;
    std::string name = text.substr(i, e - i);
    for (char& ch : name)
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    const int value = showModeNamed(name);
    return value < 0 ? 1 : value;
  }
  if ((c >= '0' && c <= '9') || ((c == '-' || c == '+') && i + 1 < text.size() &&
                                  text[i + 1] >= '0' && text[i + 1] <= '9')) {
    long v = std::strtol(text.c_str() + i, nullptr, 10);
    return static_cast<int>(v);
  }
  return 1;
}

// Registered so that an ending instance leaves no finished child behind.
void reapAtCleanup(VcInstance&) { reapFinishedPrograms(); }
CleanupRegistration g_reapAtCleanup(&reapAtCleanup);

}  // namespace

int showModeNamed(const std::string& upperName) {
  for (const ShowMode& m : kShowModes)
    if (upperName == m.name) return m.value;
  return -1;
}

CommandAndShow splitCommandAndShow(const std::string& text) {
  CommandAndShow out;
  const std::size_t comma = text.find(',');
  out.command = text.substr(0, comma);
  while (!out.command.empty() && isBlank(out.command.back())) out.command.pop_back();
  if (comma != std::string::npos) out.show = parseShowMode(text.substr(comma + 1));
  return out;
}

int startProgram(const std::string& command, int show) {
  orv::platform::Spawner* spawner = seams().spawner;
  if (!spawner) return 0;
  return spawner->start(command, show);
}

}  // namespace vc
