// The revision library's client fixtures (vc/tests/archive_test_support.h)
// as the workbench's tests use them: the archive passwords the workbench
// remembers are forgotten around each test, and prompts go to a scripted
// Ui. Every text a progress window is sent is drawn (the window's clock
// moves on a whole repaint interval at each reading), so that tests see each
// line as the user of a slow run would.
#pragma once

#include "platform/ui/testing/scripted_ui.h"
#include "vc/tests/archive_test_support.h"
#include "workbench/app/progress_window.h"
#include "workbench/archive/password_cache.h"

namespace orv::workbench::testing {

using archive_test::KelDouble;

inline app::ProgressWindow::Clock::time_point everyReadingAnIntervalLater() {
  static app::ProgressWindow::Clock::time_point now{std::chrono::hours(1)};
  now += app::ProgressWindow::kRepaintInterval;
  return now;
}

struct DrawEveryProgressText {
  DrawEveryProgressText() { app::ProgressWindow::setClock(&everyReadingAnIntervalLater); }
  ~DrawEveryProgressText() { app::ProgressWindow::setClock(nullptr); }
  DrawEveryProgressText(const DrawEveryProgressText&) = delete;
  DrawEveryProgressText& operator=(const DrawEveryProgressText&) = delete;
};

class ArchiveTest : public archive_test::ClientArchiveTest {
 protected:
  void forgetClientState() override { archive::forgetAllArchivePasswords(); }

  DrawEveryProgressText drawEveryProgressText_;
  ui::testing::ScriptedUi ui;
};

class ProjectTest : public archive_test::ClientProjectTest<ArchiveTest> {};

}  // namespace orv::workbench::testing
