// Progress arithmetic and the status callback's answers.
#include <gtest/gtest.h>

#include "platform/ui/testing/scripted_ui.h"
#include "workbench/app/progress_window.h"

namespace orv::workbench::app {
namespace {

TEST(ProgressWindow, NoWindowAnswersGoOn) {
  EXPECT_EQ(ProgressWindow::statusCallback("step"), 0);
  EXPECT_EQ(ProgressWindow::statusCallback("!sure"), 0);
}

TEST(ProgressWindow, GaugeStepsOnlyWhenStepping) {
  ui::testing::ScriptedUi ui;
  ProgressWindow w(ui, "Check In", 4);
  EXPECT_EQ(ProgressWindow::statusCallback("a.c"), 0);
  EXPECT_EQ(w.view().percent, 0) << "stepping off";
  EXPECT_EQ(w.view().line, "a.c");
  w.setStepping(true);
  std::vector<int> seen;
  for (const char* f : {"a", "b", "c", "d", "e"}) {
    ProgressWindow::statusCallback(f);
    seen.push_back(w.view().percent);
  }
  EXPECT_EQ(seen, (std::vector<int>{25, 50, 75, 100, 100})) << "clamped at 100";
  EXPECT_GT(ui.pumps, 0);
}

TEST(ProgressWindow, NoTotalMeansNoGaugeButLines) {
  ui::testing::ScriptedUi ui;
  ProgressWindow w(ui, std::string(80, 'h'), 0);
  w.setStepping(true);
  ProgressWindow::statusCallback("x");
  EXPECT_FALSE(w.view().gauge);
  EXPECT_EQ(w.view().percent, 0);
  EXPECT_EQ(w.view().line, "x");
  EXPECT_EQ(w.view().heading.size(), 59u);
}

TEST(ProgressWindow, QuestionsWarningsAndCancel) {
  ui::testing::ScriptedUi ui;
  {
    ProgressWindow w(ui, "Scan", 0);
    ui.expectMessage("Overwrite a.c\nContinue?", ui::kAnswerNo);
    EXPECT_EQ(ProgressWindow::statusCallback("!Overwrite a.c"), -1);
    ui.expectMessage("Careful", ui::kAnswerOk);
    EXPECT_EQ(ProgressWindow::statusCallback("@Careful"), 0);
    EXPECT_EQ(ui.messages.back().caption, "Scan");
    w.cancel();
    EXPECT_EQ(ProgressWindow::statusCallback("b.c"), -1);
    EXPECT_EQ(w.view().line, "") << "no line after Cancel";
    ui.expectMessage("Again\nContinue?", ui::kAnswerYes);
    EXPECT_EQ(ProgressWindow::statusCallback("!Again"), 0) << "questions still asked";
    EXPECT_EQ(ProgressWindow::statusCallback("c.c"), -1);
  }
  EXPECT_EQ(ProgressWindow::current(), nullptr);
  EXPECT_FALSE(ui.progressShown);
}

// A clock that moves only when the test moves it.
ProgressWindow::Clock::time_point gFakeNow{std::chrono::hours(1)};
ProgressWindow::Clock::time_point fakeNow() { return gFakeNow; }

TEST(ProgressWindow, ManyItemsRepaintAndPumpOnlyAFewTimesASecond) {
  ProgressWindow::setClock(&fakeNow);
  ui::testing::ScriptedUi ui;
  {
    ProgressWindow w(ui, "Scan", 10000);
    w.setStepping(true);
    ASSERT_EQ(ui.progress.size(), 1u) << "shown when opened";
    // 10,000 items within one interval: one more drawing and one pump at
    // most, however many items.
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(ProgressWindow::statusCallback(("f" + std::to_string(i)).c_str()), 0);
    EXPECT_LE(ui.progress.size(), 2u);
    EXPECT_LE(ui.pumps, 1);
    EXPECT_EQ(w.view().percent, 100) << "the gauge follows every item";
    EXPECT_EQ(w.view().line, "f9999");
    // Time passes: the next item is drawn with the latest line, once.
    const std::size_t drawn = ui.progress.size();
    const int pumped = ui.pumps;
    gFakeNow += ProgressWindow::kRepaintInterval;
    ProgressWindow::statusCallback("late");
    ProgressWindow::statusCallback("later");
    ASSERT_EQ(ui.progress.size(), drawn + 1);
    EXPECT_EQ(ui.progress.back().line, "late");
    EXPECT_EQ(ui.pumps, pumped + 1);
    // A new heading shows at once; Cancel still stops the next item.
    w.setTitle("Second pass");
    EXPECT_EQ(ui.progress.back().heading, "Second pass");
    w.cancel();
    EXPECT_EQ(ProgressWindow::statusCallback("x"), -1);
  }
  ProgressWindow::setClock(nullptr);
}

}  // namespace
}  // namespace orv::workbench::app
