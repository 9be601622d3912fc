// The program's frame: the command line the workbench builds, merging and
// saving a whole file, temporary inputs deleted, the result reports, dropped
// files, the settings written at close, and the hand-off from a second copy.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <atomic>
#include <thread>

#include "merge/qt/comparison_window.h"
#include "merge/qt/merge_list.h"
#include "platform/ipc/command_socket.h"
#include "platform/ipc/socket_path.h"
#include "platform/profile/profile.h"
#include "merge/qt/tests/qt_test_support.h"
#include "testing/qt_test_support.h"
#include "workbench/app/command_line_handoff.h"
#include "platform/ui/testing/scripted_ui.h"
#include "merge/option_dialogs.h"
#include "merge/qt/vardel_frame.h"

namespace orv::merge::qt {
namespace {

using testing::fixture;
using testing::readFile;
using testing::screenshot;
using ui::testing::ScriptedUi;

struct VardelFrameTest : ::testing::Test {
  test::TempDir dir{"orv-vardel"};
  ScriptedUi ui;
  std::string ini = dir.file("vardel.ini");

  std::string copy(const std::string& from, const std::string& name) {
    sys::writeWholeFile(dir.file(name), readFile(from));
    return dir.file(name);
  }
  bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }
};

TEST_F(VardelFrameTest, WorkbenchLineMergeSaveAndClose) {
  profile::writeProfileString(ini, "Options", "SaveFileFormat", "2");
  const std::string t = copy(fixture("queue_v1.c"), "T"), w = copy(fixture("queue_v2.c"), "W");
  VardelFrame frame(ui, ini);
  frame.resize(1200, 800);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 60000));
  QSignalSpy quit(&frame, &VardelFrame::quitRequested);
  frame.runCommandLine("-n-t1|Revision 1.3| -d1 |T| |W|", dir.path());
  ASSERT_EQ(frame.comparisonCount(), 1);
  QMdiSubWindow* sub = frame.area()->subWindowList().front();
  EXPECT_TRUE(sub->isMaximized());
  EXPECT_EQ(sub->windowTitle(), "Revision 1.3 : W");
  EXPECT_FALSE(frame.action(2120)->isVisible());
  EXPECT_TRUE(frame.action(kCopy)->isEnabled());

  frame.action(kMerge)->trigger();
  EXPECT_TRUE(frame.action(kMerge)->isChecked());
  EXPECT_EQ(frame.action(kSave)->text(), "Save Merge &As...");
  EXPECT_EQ(frame.action(kPrint)->text(), "&Print Merge...");
  EXPECT_FALSE(frame.action(kCopy)->isEnabled());
  EXPECT_TRUE(frame.action(2120)->isVisible());
  EXPECT_FALSE(frame.action(2072)->isEnabled());  // no block yet
  frame.action(2120)->trigger();
  frame.activeComparison()->showBlock(1);
  EXPECT_TRUE(frame.action(2072)->isEnabled());
  screenshot(&frame, "frame_merge_all_file2");

  const std::string out = dir.file("merged.c");
  // The Save As chooser starts at the files' own (UNIX) line ends and keeps them.
  test::onNextModal([&](QWidget* modal) {
    auto* chooser = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(chooser, nullptr);
    EXPECT_TRUE(chooser->findChild<QRadioButton*>("format501")->isChecked());
    test::chooseFileName(chooser, QString::fromStdString(out));
  });
  frame.action(kSave)->trigger();
  EXPECT_EQ(readFile(out), readFile(w));  // byte for byte

  sub->close();
  QTRY_COMPARE_WITH_TIMEOUT(frame.comparisonCount(), 0, 60000);
  QTRY_VERIFY_WITH_TIMEOUT(!exists(t), 60000);
  EXPECT_TRUE(exists(w));
  EXPECT_EQ(quit.count(), 0);

  EXPECT_TRUE(frame.close());
  EXPECT_NE(profile::getProfileString(ini, "General", "FrameCoordinates", ""), "");
  EXPECT_EQ(profile::getProfileString(ini, "View", "View", ""), "3");
}

// With no stored choice, Save As offers the compared files' own line ends,
// and the merged file gets them; the merge list's block rows (the marker
// row included) make their block current; the keys shown in the menus move
// between blocks, take a side and save.
TEST_F(VardelFrameTest, MergeKeepsTheInputLineEndsAndAnswersItsKeys) {
  auto crlf = [](std::string text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
  };
  struct Case {
    bool dos;
    const char* radio;
  } cases[] = {{false, "format501"}, {true, "format500"}};
  for (const Case& c : cases) {
    const std::string v1 = readFile(fixture("queue_v1.c")), v2 = readFile(fixture("queue_v2.c"));
    const std::string t = dir.file("one.c"), w = dir.file("two.c");
    sys::writeWholeFile(t, c.dos ? crlf(v1) : v1);
    sys::writeWholeFile(w, c.dos ? crlf(v2) : v2);
    VardelFrame frame(ui, ini);
    frame.resize(1200, 800);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 60000));
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame, 60000));  // the keys go to the active window
    ComparisonWindow* win = frame.compare(t, w, "", "", 0, false, true);
    ASSERT_NE(win, nullptr);
    frame.action(kMerge)->trigger();
    ASSERT_NE(win->mergeList(), nullptr);

    // Every key is shown beside its menu item.
    for (int id : {static_cast<int>(kNextDifference), static_cast<int>(kPreviousDifference), 2072, 2073,
                   static_cast<int>(kSave)})
      EXPECT_FALSE(frame.action(id)->shortcut().isEmpty()) << id;

    // A click on block 2's marker row selects the block.
    MergeList* list = win->mergeList();
    const int marker = list->markerRow(2);
    list->showRow(marker);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(40, (marker - list->topRow()) * list->rowHeight() + 3));
    EXPECT_EQ(win->currentBlock(), 2);
    EXPECT_TRUE(frame.action(2072)->isEnabled());
    EXPECT_TRUE(frame.action(2073)->isEnabled());

    // Alt+Up and F8 move; Alt+1 and Alt+2 take a side.
    win->setFocus();
    QTest::keyClick(&frame, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(win->currentBlock(), 1);
    QTest::keyClick(&frame, Qt::Key_F8);
    EXPECT_EQ(win->currentBlock(), 2);
    for (int b = 0; b < win->diff().blockCount(); ++b) {
      win->showBlock(b);
      QTest::keyClick(&frame, b % 2 ? Qt::Key_1 : Qt::Key_2, Qt::AltModifier);
    }
    frame.action(2120)->trigger();  // all of file 2: the result is file 2 whole

    const std::string out = dir.file(c.dos ? "merged-dos.c" : "merged-unix.c");
    test::onNextModal([&](QWidget* modal) {
      auto* chooser = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(chooser, nullptr);
      EXPECT_TRUE(chooser->findChild<QRadioButton*>(c.radio)->isChecked()) << c.radio;
      test::chooseFileName(chooser, QString::fromStdString(out));
    });
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readFile(out), readFile(w)) << c.radio;  // byte for byte, line ends included
    if (!c.dos) screenshot(&frame, "frame_merge_block_keys");
    EXPECT_TRUE(frame.close());
  }
}

TEST_F(VardelFrameTest, ResultReportsAndTheEndOfTheProgram) {
  VardelFrame frame(ui, ini);
  QSignalSpy quit(&frame, &VardelFrame::quitRequested);
  // No differences, temporary copies flagged: both go, the program ends.
  const std::string a = copy(fixture("queue_v1.c"), "a.tmp"), b = copy(fixture("queue_v1.c"), "b.tmp");
  ui.expectMessage("No difference between the files.", ui::kAnswerOk);
  frame.runCommandLine("-n -d3 a.tmp b.tmp", dir.path());
  EXPECT_EQ(frame.comparisonCount(), 0);
  EXPECT_FALSE(exists(a));
  EXPECT_FALSE(exists(b));
  EXPECT_EQ(quit.count(), 1);

  ui.expectMessage("Error in command line.", ui::kAnswerOk);
  frame.runCommandLine("-x a b", dir.path());

  // The differencer's own message asks whether to go on; No ends the program.
  struct Case {
    std::string file1, file2, message;
    int answer, quits;
  } cases[] = {
      {dir.file("missing"), fixture("queue_v1.c"), "No such file or directory\nOkay to continue?", ui::kAnswerYes, 1},
      {dir.file("missing"), fixture("queue_v1.c"), "No such file or directory", ui::kAnswerNo, 2},
      {fixture("queue_v1.c"), std::string(ORV_BINARY_FIXTURE), "Cannot difference binary files.", ui::kAnswerOk, 2},
  };
  for (const Case& c : cases) {
    ui.expectMessage(c.message, c.answer);
    EXPECT_EQ(frame.compare(c.file1, c.file2, "", "", 0, false, false), nullptr) << c.message;
    EXPECT_EQ(quit.count(), c.quits) << c.message;
  }
  // -n with a window open keeps the program.
  ASSERT_NE(frame.compare(fixture("queue_v1.c"), fixture("queue_v2.c"), "", "", 0, false, false), nullptr);
  ui.expectMessage("No difference between the files.", ui::kAnswerOk);
  frame.runCommandLine("-n " + fixture("queue_v1.c") + " " + fixture("queue_v1.c"), dir.path());
  EXPECT_EQ(quit.count(), 2);
}

TEST_F(VardelFrameTest, TheStatusLineDropsOnlyAHintEqualToTheOneShown) {
  VardelFrame frame(ui, ini);
  frame.show();
  QAction* compare = frame.findChild<QAction*>(QString("command%1").arg(kCompare));
  ASSERT_TRUE(compare);
  QStatusBar* status = frame.statusBar();
  compare->showStatusText(&frame);
  const QString hint = status->currentMessage();
  ASSERT_FALSE(hint.isEmpty());
  // The same hint again (the pointer still on the button) is dropped.
  status->showMessage("3 differences");
  compare->showStatusText(&frame);
  EXPECT_EQ(status->currentMessage(), "3 differences");
  // After a clear every hint shows, the one shown before too.
  QStatusTipEvent clear{QString()};
  QCoreApplication::sendEvent(&frame, &clear);
  EXPECT_EQ(status->currentMessage(), "");
  compare->showStatusText(&frame);
  EXPECT_EQ(status->currentMessage(), hint);
  // A hint that only extends the one shown is no repeat.
  QStatusTipEvent longer{hint + " now"};
  QCoreApplication::sendEvent(&frame, &longer);
  EXPECT_EQ(status->currentMessage(), hint + " now");
}

TEST_F(VardelFrameTest, DroppedFilesOpenAComparison) {
  VardelFrame frame(ui, ini);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 60000));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(fixture("queue_v1.c"))),
                QUrl::fromLocalFile(QString::fromStdString(fixture("queue_v2.c")))});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&frame, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&frame, &drop);
  ASSERT_EQ(frame.comparisonCount(), 1);
  EXPECT_EQ(frame.area()->subWindowList().front()->windowTitle(), "queue_v1.c : queue_v2.c");
  EXPECT_EQ(frame.windowTitle(), "Vardel - [queue_v1.c : queue_v2.c]");
  frame.activeComparison()->showBlock(1);
  screenshot(&frame, "frame_comparison");

  // One file dropped, or -m, or one name: the Compare Files dialog asks,
  // the given names standing in its histories.
  ui.expectDialog(kCompareFilesDialog, [&](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_EQ(s.text(kFile1Box), fixture("queue_v2.c"));
    EXPECT_EQ(s.text(kFile2Box), "");
    s.setText(kFile2Box, fixture("queue_v1.c"));
    EXPECT_TRUE(s.close(logic, ui::kAnswerOk));
  });
  frame.openDropped({fixture("queue_v2.c")});
  ui.expectDialog(kCompareFilesDialog, [&](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_EQ(s.text(kFile1Box), fixture("queue_v1.c"));
    EXPECT_EQ(s.text(kFile2Box), fixture("queue_v2.c"));
    EXPECT_EQ(s.listItems(kFile1Box), (std::vector<std::string>{fixture("queue_v1.c"), fixture("queue_v2.c")}));
    EXPECT_TRUE(s.close(logic, ui::kAnswerCancel));
  });
  frame.runCommandLine("-m queue_v1.c queue_v2.c", MERGE_QT_FIXTURES);
  ui.expectDialog(kCompareFilesDialog, [&](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    s.close(logic, ui::kAnswerCancel);
  });
  frame.runCommandLine("queue_v1.c", MERGE_QT_FIXTURES);
  EXPECT_EQ(frame.comparisonCount(), 2);
  EXPECT_EQ(frame.activeComparison()->diff().file1(), fixture("queue_v2.c"));
}

struct HandoffTest : VardelFrameTest {
  test::TempDir runtime{"orv-vardel-run"};
  void SetUp() override {
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    ::setenv("ORVTY_INSTANCE_KEY", "handoff-test", 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("ORVTY_INSTANCE_KEY");
  }
};

TEST_F(HandoffTest, SecondCopyHandsItsLineToTheFirst) {
  const std::string path = ipc::prepareSocketPath("vardel");
  ASSERT_FALSE(path.empty());
  ipc::Claim claim = ipc::claimSocket(path, 1000);
  ASSERT_TRUE(claim.server.has_value());
  claim.server->setRefuseOwnProcess(false);
  VardelFrame frame(ui, ini);
  frame.listen(std::move(*claim.server));

  // A second program started in the fixtures' folder with relative names.
  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("ORV_SETTINGS", QString::fromStdString(dir.path()));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  second.setProcessEnvironment(env);
  second.setWorkingDirectory(MERGE_QT_FIXTURES);
  second.start(VARDEL32_PATH, {"-t1|Old|", "queue_v1.c", "queue_v2.c"});
  QTRY_VERIFY_WITH_TIMEOUT((ui.runPosted(), frame.comparisonCount() == 1), 60000);
  if (second.state() != QProcess::NotRunning) {
    ASSERT_TRUE(second.waitForFinished(60000));
  }
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
  EXPECT_EQ(frame.activeComparison()->diff().file1(), fixture("queue_v1.c"));
  EXPECT_EQ(frame.area()->subWindowList().front()->windowTitle(), "Old : queue_v2.c");

  // A line over 780 bytes is refused on both sides: the sender does not
  // send it, and the first copy does not take one it is sent.
  const std::string longLine = "-d1 " + std::string(800, 'x') + " y";
  EXPECT_EQ(handOffCommandLine(-1, "/", longLine), Handoff::TooLong);
  std::atomic<bool> done{false};
  std::optional<std::uint32_t> answer;
  std::thread client([&] {
    ipc::Fd fd = ipc::connectTo(path, 5000);
    if (fd) answer = ipc::request(fd.get(), ipc::kFrameHandoff, workbench::app::handoffPayload("/", longLine, ""), 60000);
    done = true;
  });
  QTRY_VERIFY_WITH_TIMEOUT(done.load(), 30000);
  client.join();
  ASSERT_TRUE(answer.has_value());
  EXPECT_NE(*answer, 0u);
  EXPECT_EQ(ui.runPosted(), 0);
  EXPECT_EQ(frame.comparisonCount(), 1);
}

}  // namespace
}  // namespace orv::merge::qt
