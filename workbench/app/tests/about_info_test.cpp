// The About box's texts and its animator's ticks.
#include <gtest/gtest.h>

#include <vector>

#include "workbench/app/about_info.h"

namespace orv::workbench::app {
namespace {

TEST(AboutTexts, MemoryIsMemAvailableInKilobytes) {
  struct Case {
    const char* meminfo;
    const char* expected;
  } cases[] = {
      {"MemTotal:       16303780 kB\nMemFree:         1093868 kB\nMemAvailable:    9121212 kB\n", "9121212 KB"},
      {"MemAvailable:\t12 kB", "12 KB"},
      {"MemTotal: 100 kB\nMemFree: 50 kB\n", "unknown"},
      {"XMemAvailable: 5 kB\n", "unknown"},
      {"", "unknown"},
  };
  for (const Case& c : cases) EXPECT_EQ(availableMemoryText(c.meminfo), c.expected) << c.meminfo;
  const AboutTexts texts = aboutTexts("MemAvailable: 42 kB\n");
  EXPECT_EQ(texts.memory, "42 KB");
  EXPECT_EQ(texts.version, kWorkbenchVersion);
  EXPECT_LE(texts.title.size(), kAboutTextLimit);
  EXPECT_FALSE(readMemInfo().empty()) << "Linux reports its memory";
  EXPECT_NE(availableMemoryText(readMemInfo()), "unknown");
}

// The picture shown at each tick (0: unchanged), for the first ticks.
std::vector<int> run(Animator a, int ticks, bool on = true) {
  std::vector<int> shown;
  for (int i = 0; i < ticks; ++i) shown.push_back(aboutTimerTick(a, on));
  return shown;
}

TEST(AboutAnimator, TicksShowEachFrameForItsTicksAndLoopOrStop) {
  // Three frames from 10, two ticks each, three on the last.
  Animator looping{2, 3, 1, 3, 0, true, 10};
  EXPECT_EQ(run(looping, 12), (std::vector<int>{10, 0, 11, 0, 12, 0, 0, 10, 0, 11, 0, 12}));
  Animator once = looping;
  once.loop = false;
  // After the last frame the countdown runs out and nothing changes again.
  EXPECT_EQ(run(once, 12), (std::vector<int>{10, 0, 11, 0, 12, 0, 0, 0, 0, 0, 0, 0}));
  // Switched off, the picture stays as it is.
  EXPECT_EQ(run(looping, 5, false), (std::vector<int>(5, 0)));
  // The About box's own: seven frames from 4103, each up for four ticks.
  const std::vector<int> box = run(Animator{}, 29);
  EXPECT_EQ(box[0], 4103);
  EXPECT_EQ(box[4], 4104);
  EXPECT_EQ(box[24], 4109);
  EXPECT_EQ(box[28], 4103);
}

}  // namespace
}  // namespace orv::workbench::app
