// The About box's texts and its animator (see about_info.h).
#include "workbench/app/about_info.h"

#include <algorithm>

#include "platform/sys/system_calls.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::app {

namespace {

std::string cut(std::string text) {
  if (text.size() > kAboutTextLimit) text.resize(kAboutTextLimit);
  return text;
}

}  // namespace

std::string availableMemoryText(std::string_view meminfo) {
  constexpr std::string_view kKey = "MemAvailable:";
  std::size_t at = 0;
  while (at < meminfo.size()) {
    const std::size_t end = std::min(meminfo.find('\n', at), meminfo.size());
    const std::string_view line = meminfo.substr(at, end - at);
    if (line.substr(0, kKey.size()) == kKey) {
      std::size_t i = kKey.size();
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      std::size_t j = i;
      while (j < line.size() && line[j] >= '0' && line[j] <= '9') ++j;
      if (j > i) return std::string(line.substr(i, j - i)) + " KB";
      break;
    }
    at = end + 1;
  }
  return "unknown";
}

AboutTexts aboutTexts(std::string_view meminfo) {
  return {cut(std::string(loadString(kStrAppTitle))), cut(std::string(kWorkbenchVersion)),
          cut(availableMemoryText(meminfo))};
}

std::string readMemInfo() {
  std::string text;
  if (sys::readWholeFile("/proc/meminfo", text) != 0) text.clear();
  return text;
}

int Animator::tick() {
  --countdown;
  if (countdown != 0 || currentFrame >= frameCount) return 0;
  const int shown = firstPicture + currentFrame;
  ++currentFrame;
  const bool last = currentFrame == frameCount;
  countdown = last ? lastFrameTicks : ticksPerFrame;
  if (last && loop) currentFrame = 0;
  return shown;
}

int aboutTimerTick(Animator& animator, bool animationOn) {
  if (!animationOn || animator.countdown == 0) return 0;
  return animator.tick();
}

}  // namespace orv::workbench::app
