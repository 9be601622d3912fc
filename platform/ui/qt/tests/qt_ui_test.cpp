// The seam's services as real widgets on the offscreen platform: message
// boxes (default button, Esc, long words), the progress window, cursors,
// posting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>

#include "testing/qt_test_support.h"
#include "platform/ui/qt/message_dialog.h"
#include "platform/ui/qt/progress_dialog.h"
#include "platform/ui/qt/qt_ui.h"

namespace orv::ui::qt {
namespace {

MessageRequest fiveButtons(int defaultAnswer) {
  MessageRequest r;
  r.caption = "Title";
  r.text = "Check in a.c?";
  r.icon = MessageIcon::question;
  r.buttons = {{kAnswerYes, "&Yes"},
               {kAnswerOk, "Yes to &All"},
               {kAnswerNo, "&No"},
               {kAnswerAbort, "No to A&ll"},
               {kAnswerCancel, "&Cancel"}};
  r.defaultAnswer = defaultAnswer;
  return r;
}

TEST(QtMessageBox, EnterPressesTheDefaultButton) {
  QtUi ui;
  for (int answer : {kAnswerYes, kAnswerNo, kAnswerAbort, kAnswerCancel}) {
    test::onNextModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(ui.messageBox(fiveButtons(answer)), answer);
  }
}

TEST(QtMessageBox, EachButtonGivesItsAnswer) {
  QtUi ui;
  for (int answer : {kAnswerYes, kAnswerOk, kAnswerNo, kAnswerAbort, kAnswerCancel}) {
    test::onNextModal([answer](QWidget* w) {
      auto* box = qobject_cast<MessageDialog*>(w);
      ASSERT_TRUE(box);
      QTest::mouseClick(box->button(answer), Qt::LeftButton);
    });
    EXPECT_EQ(ui.messageBox(fiveButtons(kAnswerNo)), answer);
  }
}

TEST(QtMessageBox, EscapeAnswersCancelOrTheOnlyButtonOrNothing) {
  QtUi ui;
  test::onNextModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_EQ(ui.messageBox(fiveButtons(kAnswerYes)), kAnswerCancel);

  test::onNextModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_EQ(ui.messageBox(okBox("c", "t", MessageIcon::information)), kAnswerOk);

  // A Yes/No question cannot be escaped: Esc leaves it up, No answers.
  test::onNextModal([](QWidget* w) {
    auto* box = qobject_cast<MessageDialog*>(w);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);
    QTest::mouseClick(box->button(kAnswerNo), Qt::LeftButton);
  });
  EXPECT_EQ(ui.messageBox(yesNoBox("c", "sure?", MessageIcon::question)), kAnswerNo);
}

TEST(QtMessageBox, LongWordsAreShortenedToTheBox) {
  MessageRequest r = okBox("c", "Cannot open /" + std::string(600, 'x') + "/end.c now.",
                           MessageIcon::warning);
  MessageDialog box(r, nullptr);
  box.adjustSize();
  const QString shown = box.textLabel()->text();
  EXPECT_TRUE(shown.startsWith("Cannot open /xxx"));
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("now."));
  EXPECT_LT(box.width(), 700);
}

TEST(QtProgress, GaugeAndCancel) {
  QtUi ui;
  int cancels = 0;
  ProgressView v;
  v.heading = "Checking in";
  v.gauge = true;
  v.onCancel = [&] { ++cancels; };
  ui.showProgress(v);
  ProgressDialog* w = ui.progressWindow();
  ASSERT_TRUE(w);
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->isModal());
  for (int p : {25, 50, 75, 100}) {
    v.percent = p;
    v.line = "file" + std::to_string(p) + ".c";
    ui.showProgress(v);
    EXPECT_EQ(w->gauge()->value(), p);
    EXPECT_EQ(w->gauge()->text(), QString::number(p) + "%");
    EXPECT_EQ(w->line()->text().toStdString(), v.line);
  }
  QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
  EXPECT_EQ(cancels, 1);
  EXPECT_TRUE(w->isVisible()) << "the owner hides it";
  QTest::keyClick(w, Qt::Key_Escape);
  EXPECT_EQ(cancels, 2);

  v.gauge = false;
  ui.showProgress(v);
  EXPECT_FALSE(w->gauge()->isVisible());
  QPointer<ProgressDialog> gone = w;
  ui.hideProgress();
  EXPECT_EQ(ui.progressWindow(), nullptr);
  EXPECT_TRUE(gone.isNull() || !gone->isVisible());
}

TEST(QtProgress, DisabledWhileABoxIsUp) {
  QtUi ui;
  ProgressView v;
  v.heading = "Getting";
  ui.showProgress(v);
  ProgressDialog* w = ui.progressWindow();
  bool enabledDuringBox = true;
  test::onNextModal([&](QWidget* box) {
    enabledDuringBox = w->isEnabled();
    QTest::keyClick(box, Qt::Key_Return);
  });
  ui.messageBox(okBox("Getting", "warning", MessageIcon::warning));
  EXPECT_FALSE(enabledDuringBox);
  EXPECT_TRUE(w->isEnabled());
  ui.hideProgress();
}

TEST(QtUiServices, CursorStackKeepsTenAndPostRunsLater) {
  QtUi ui;
  for (int i = 0; i < 11; ++i) ui.pushBusyCursor();
  EXPECT_EQ(ui.cursorDepth(), 11);
  for (int i = 0; i < 11; ++i) ui.popCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ui.popCursor();  // one too many does nothing
  EXPECT_EQ(ui.cursorDepth(), 0);

  bool ran = false;
  ui.post([&] { ran = true; });
  EXPECT_FALSE(ran) << "never inside the caller";
  EXPECT_TRUE(QTest::qWaitFor([&] { return ran; }, 30000));
}

}  // namespace
}  // namespace orv::ui::qt
