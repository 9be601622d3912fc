// The logic of the progress window of long operations and of the status
// callback the workbench hands to long revision-library calls.
//
// One window is open at a time; while it is, the library's status texts
// reach it: "!text" asks "text\nContinue?" (No stops the call), "@text" warns,
// any other text is the progress line and, when each line stands for one
// step, advances the gauge. Cancel only sets a flag: the window's owner
// closes it, and until then every answer is "stop".
//
// Long runs send a text for every item: the window is drawn again and
// events are let through at most a few times a second (kRepaintInterval),
// never once per item; the latest line and gauge are what the next drawing
// shows.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

class ProgressWindow {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kRepaintInterval{200};
  // The clock the window reads (tests put in their own); null: the steady
  // clock.
  static void setClock(Clock::time_point (*now)());

  // Opens the window; total 0 means no gauge. Stepping starts off.
  ProgressWindow(ui::Ui& ui, std::string_view heading, unsigned total);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // The window that status texts reach, or nullptr.
  static ProgressWindow* current();
  // The status callback (a VcStatusFn): 0 go on, -1 stop; 0 with no window.
  static int statusCallback(const char* text);

  // Each progress line stands for one step of the gauge.
  void setStepping(bool stepping) { stepping_ = stepping; }
  bool stepping() const { return stepping_; }
  void setTitle(std::string_view heading);
  void setLine(std::string_view line);
  // The Cancel button.
  void cancel();
  int answer(std::string_view text);

  bool cancelled() const { return cancelled_; }
  const ui::ProgressView& view() const { return view_; }

 private:
  void step();
  // True, and the time kept, when at least kRepaintInterval passed since last.
  static bool due(Clock::time_point& last);

  ui::Ui& ui_;
  ui::ProgressView view_;
  ProgressWindow* previous_;
  unsigned total_;
  unsigned count_ = 0;
  bool stepping_ = false;
  bool cancelled_ = false;
  Clock::time_point lastShown_;
  Clock::time_point lastPump_{};
};

}  // namespace orv::workbench::app
