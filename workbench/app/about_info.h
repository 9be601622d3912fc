// What the About box shows and does apart from its window: the title,
// version and available-memory lines, and the frame animator that can step
// its picture through a series of pictures on the box's timer.
#pragma once

#include <string>
#include <string_view>

#include "workbench/layers.h"

namespace orv::workbench::app {

inline constexpr std::string_view kWorkbenchVersion = "Version 1.0";
// The About box's texts are 40 characters each.
inline constexpr std::size_t kAboutTextLimit = 40;

struct AboutTexts {
  std::string title;
  std::string version;
  std::string memory;  // after "Available Memory:"
};

// The memory line from the text of /proc/meminfo: MemAvailable in
// kilobytes followed by " KB"; "unknown" when the line is not there.
std::string availableMemoryText(std::string_view meminfo);
// The three texts, each cut to 40 characters; meminfo as above.
AboutTexts aboutTexts(std::string_view meminfo);
// The text of /proc/meminfo ("" when it cannot be read).
std::string readMemInfo();

// Steps a picture through frameCount pictures, firstPicture + i for frame
// i, each up for ticksPerFrame timer ticks (the last for lastFrameTicks),
// starting again after the last one when loop is set.
struct Animator {
  int ticksPerFrame = 4;
  int lastFrameTicks = 4;
  int countdown = 1;  // ticks left before the next frame
  int frameCount = 7;
  int currentFrame = 0;  // the next frame to show
  bool loop = true;
  int firstPicture = 4103;

  // One timer tick: the picture to show now, 0 for no change.
  int tick();
};

// The About box's timer: with the switch off, or the countdown spent,
// nothing changes (0); else the animator's tick.
int aboutTimerTick(Animator& animator, bool animationOn);

}  // namespace orv::workbench::app
