// The shell's logic on real windows: the five-button question, the
// progress window driven by the status callback, and the library's echo,
// trace and query callbacks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>

#include "platform/ui/qt/message_dialog.h"
#include "platform/ui/qt/progress_dialog.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/app/custom_message_box.h"
#include "workbench/app/library_callbacks.h"
#include "workbench/app/progress_window.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench {
namespace {

TEST(FiveButtonBox, StyleSelectsNoAsDefault) {
  ui::qt::QtUi ui;
  test::onNextModal([](QWidget* w) {
    auto* box = static_cast<ui::qt::MessageDialog*>(w);
    EXPECT_TRUE(box->button(ui::kAnswerNo)->isDefault());
    EXPECT_FALSE(box->button(ui::kAnswerYes)->isDefault());
    EXPECT_EQ(box->windowTitle(), "Orv Tessalyworkbench");
    test::saveScreenshot(*box, "five_button_box");
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(app::customMessageBox(ui, 0x42,
                                    "The working file /home/ann/src/project/main.c is writable.\n"
                                    "Check it out anyway and overwrite it?"),
            ui::kAnswerNo);
}

TEST(ProgressOnScreen, StepsCancelAndQuestions) {
  // Each step a repaint interval after the last: every one is drawn.
  testing::DrawEveryProgressText everyText;
  ui::qt::QtUi ui;
  {
    app::ProgressWindow progress(ui, "Checking in project demo.pj", 4);
    progress.setStepping(true);
    ui::qt::ProgressDialog* w = ui.progressWindow();
    ASSERT_TRUE(w);
    std::vector<int> seen;
    for (const char* f : {"/work/src/a.c", "/work/src/b.c", "/work/src/c.c", "/work/src/d.c"}) {
      EXPECT_EQ(app::ProgressWindow::statusCallback(f), 0);
      seen.push_back(w->gauge()->value());
      if (seen.size() == 2) test::saveScreenshot(*w, "progress_window");
    }
    EXPECT_EQ(seen, (std::vector<int>{25, 50, 75, 100}));

    // A '!' question is a Yes/No box over the progress window.
    test::onNextModal([](QWidget* box) {
      EXPECT_EQ(static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text(),
                "Overwrite a.c\nContinue?");
      QTest::mouseClick(static_cast<ui::qt::MessageDialog*>(box)->button(ui::kAnswerNo),
                        Qt::LeftButton);
    });
    EXPECT_EQ(app::ProgressWindow::statusCallback("!Overwrite a.c"), -1);

    QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(app::ProgressWindow::statusCallback("/work/src/e.c"), -1);
    EXPECT_EQ(w->line()->text(), "/work/src/d.c") << "no line after Cancel";
  }
  EXPECT_EQ(ui.progressWindow(), nullptr);
  EXPECT_EQ(app::ProgressWindow::statusCallback("late"), 0);
}

TEST(LibraryCallbacksOnScreen, EchoTraceAndQueryReachTheirWindows) {
  ui::qt::QtUi ui;
  app::LibraryCallbacks callbacks(ui, nullptr);

  QString caption, text;
  test::onNextModal([&](QWidget* box) {
    caption = box->windowTitle();
    text = static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(callbacks.echoTrace("a\\>b", "orvrcs.rc", 3, 0), 0);
  EXPECT_EQ(caption, "Configuration Echo");
  EXPECT_EQ(text, "a\\>b");

  test::onNextModal([&](QWidget* box) {
    caption = box->windowTitle();
    text = static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text();
    QTest::mouseClick(static_cast<ui::qt::MessageDialog*>(box)->button(ui::kAnswerCancel),
                      Qt::LeftButton);
  });
  EXPECT_EQ(callbacks.echoTrace("set x=1", "/etc/orvrcs.rc", 12, 1), 0);
  EXPECT_EQ(caption, "Tracing Config File /etc/orvrcs.rc");
  EXPECT_EQ(text, "Line 12: set x=1");
  EXPECT_TRUE(callbacks.tracingOff());
  EXPECT_EQ(callbacks.echoTrace("no box now", "f", 13, 2), 0);

  test::onNextModal([&](QWidget* w) {
    auto* input = qobject_cast<QInputDialog*>(w);
    ASSERT_TRUE(input);
    caption = input->windowTitle();
    text = input->labelText();
    QTest::keyClicks(input->findChild<QLineEdit*>(), "release-2");
    QTest::keyClick(input, Qt::Key_Return);
  });
  char buffer[8] = "Label?";
  EXPECT_TRUE(callbacks.query(buffer, sizeof buffer));
  EXPECT_EQ(caption, "Configuration Query");
  EXPECT_EQ(text, "Label?");
  EXPECT_STREQ(buffer, "release") << "cut to the caller's buffer";

  test::onNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
  char empty[8] = "Name?";
  EXPECT_FALSE(callbacks.query(empty, sizeof empty)) << "an empty answer";
}

}  // namespace
}  // namespace orv::workbench
