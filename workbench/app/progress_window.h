// The logic of the progress window of long operations and of the status
// callback the workbench hands to long revision-library calls.
//
// One window is open at a time; while it is, the library's status texts
// reach it: "!text" asks "text\nContinue?" (No stops the call), "@text" warns,
// any other text is the progress line and, when each line stands for one
// step, advances the gauge. Cancel only sets a flag: the window's owner
// closes it, and until then every answer is "stop".
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

class ProgressWindow {
 public:
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

  ui::Ui& ui_;
  ui::ProgressView view_;
  ProgressWindow* previous_;
  unsigned total_;
  unsigned count_ = 0;
  bool stepping_ = false;
  bool cancelled_ = false;
};

}  // namespace orv::workbench::app
