// The main road through the real frame, offscreen, as a user walks it with
// the menu commands and the dialogs: a new file put under revision control
// (its first revision checked in), two more revisions checked in with log
// messages, all three seen in the archive window, revision 1.1 checked out
// and its bytes compared, the head locked and unlocked, and 1.1 compared
// with 1.3 in the merge program, which is closed again leaving no copy
// behind. A screenshot of each step is saved.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/spawn/spawner.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/message_dialog.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/commands/command_table.h"
#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/check_out_dialog.h"
#include "workbench/dialogs/create_archive_dialog.h"
#include "workbench/qt/archive_window.h"
#include "workbench/qt/main_frame.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/qt/revision_list_view.h"

namespace orv::workbench {
namespace {

int entriesIn(const std::string& dir) {
  int n = 0;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
    ::closedir(d);
  }
  return n;
}

// Whether pid has a handler of its own for SIGTERM (bit 15 of SigCgt): the
// merge program has taken its command line from then on.
bool catchesTerminate(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) != 0) continue;
    return std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGTERM - 1));
  }
  return false;
}

class MainRoad : public testing::ProjectTest {
 protected:
  void SetUp() override {
    testing::ProjectTest::SetUp();
    for (const char* v : {"TMPDIR", "XDG_RUNTIME_DIR"})
      if (const char* old = std::getenv(v)) saved_.emplace_back(v, old);
    ::mkdir(tmp.c_str(), 0700);
    ::mkdir(runtime.c_str(), 0700);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);  // a command socket of the merge program's own
  }
  void TearDown() override {
    for (const char* v : {"TMPDIR", "XDG_RUNTIME_DIR"}) ::unsetenv(v);
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    testing::ProjectTest::TearDown();
  }

  ArchiveChild* archiveWindow(MainFrame& frame) {
    QMdiSubWindow* window = frame.mdiArea()->currentSubWindow();
    return window ? qobject_cast<ArchiveChild*>(window->widget()) : nullptr;
  }
  // Selects the rows of revisions in the window's list, as clicks would.
  static void selectRevisions(ArchiveChild& w, const std::vector<std::string>& revisions) {
    QItemSelectionModel* model = w.list()->selectionModel();
    model->clearSelection();
    for (const std::string& revision : revisions) {
      const int row = w.list()->rowOf(revision);
      ASSERT_GE(row, 0) << revision;
      model->select(w.list()->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  void shot(QWidget& w, const char* name) { EXPECT_FALSE(test::saveScreenshot(w, name).isEmpty()) << name; }

  // Answers the next message box with answer.
  static void answerNextBox(int answer) {
    test::onNextModal([answer](QWidget* m) {
      auto* box = qobject_cast<ui::qt::MessageDialog*>(m);
      ASSERT_NE(box, nullptr) << "a message box";
      ASSERT_NE(box->button(answer), nullptr);
      box->button(answer)->click();
    });
  }

  // Checks the working file in from the archive window with log, typed
  // into the dialog and accepted with Ctrl+Enter.
  void checkIn(MainFrame& frame, const std::string& text, const QString& log, const char* screenshot) {
    dir.write("main.c", text);
    test::onNextModal([this, log, screenshot](QWidget* m) {
      auto& w = *static_cast<ui::qt::DialogWindow*>(m);
      EXPECT_EQ(w.windowTitle(), "Check In");
      auto* description = qobject_cast<QPlainTextEdit*>(w.control(dialogs::kCiDescription));
      description->setFocus();
      QTest::keyClicks(description, log);
      QTest::keyClick(description, Qt::Key_Return);  // a new line of the log
      QTest::keyClicks(description, "Second line.");
      shot(w, screenshot);
      QTest::keyClick(description, Qt::Key_Return, Qt::ControlModifier);
    });
    frame.command(commands::kCommandCheckIn);
  }

  ui::qt::QtUi qtUi;
  std::string tmp = dir.file("tmp");
  std::string runtime = dir.file("run");

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

// A window the road does not expect (a question, an error) would wait for
// an answer forever: one that stays up for half a minute fails the test
// with its text and is closed.
class UnexpectedWindowWatch {
 public:
  UnexpectedWindowWatch() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      ticks_ = modal == last_ ? ticks_ + 1 : 0;
      last_ = modal;
      if (!modal || ticks_ < 60) return;
      QString text = modal->windowTitle() + " (" + modal->metaObject()->className() + ")";
      if (auto* box = qobject_cast<ui::qt::MessageDialog*>(modal)) text += ": " + box->textLabel()->text();
      ADD_FAILURE() << "a window nobody answered: " << text.toStdString();
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      ticks_ = 0;
    });
    timer_.start(500);
  }

 private:
  QTimer timer_;
  QPointer<QWidget> last_;
  int ticks_ = 0;
};

TEST_F(MainRoad, CreateCheckInCheckOutLockAndCompare) {
  UnexpectedWindowWatch watch;
  platform::PosixSpawner spawner;
  MainFrame frame(qtUi, dir.file("ORVTY.INI"), &spawner);
  qtUi.setOwner(&frame);
  frame.resize(1100, 700);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));

  // 1. A new file put under revision control, its text the first revision.
  dir.write("main.c", "one\n");
  test::onNextModal([this](QWidget* m) {
    auto* chooser = qobject_cast<QFileDialog*>(m);
    ASSERT_NE(chooser, nullptr);
    // The name typed as a user types it: picking it in the chooser's list
    // would wait for the listing the chooser makes in the background.
    const QStringList wanted{QString::fromStdString(work("main.c"))};
    auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(wanted.front());
    ASSERT_EQ(chooser->selectedFiles(), wanted);
    // The dialog that follows the chooser is answered as it comes.
    test::onNextModal([this](QWidget* dialog) {
      auto& w = *static_cast<ui::qt::DialogWindow*>(dialog);
      EXPECT_EQ(w.windowTitle(), "Create Archive");
      auto box = [&w](int id) { return qobject_cast<QCheckBox*>(w.control(id)); };
      if (!box(dialogs::kCaCheckIn)->isChecked()) box(dialogs::kCaCheckIn)->click();
      if (!box(dialogs::kCaKeepWork)->isChecked()) box(dialogs::kCaKeepWork)->click();
      if (box(dialogs::kCaLocked)->isChecked()) box(dialogs::kCaLocked)->click();
      if (!box(dialogs::kCaOpenArchive)->isChecked()) box(dialogs::kCaOpenArchive)->click();
      QTest::keyClicks(qobject_cast<QPlainTextEdit*>(w.control(dialogs::kCaDescription)), "The main program.");
      shot(w, "main_road_1_create_archive");
      QTest::mouseClick(w.control(dialogs::kCaOk), Qt::LeftButton);
    });
    // Ends as Open does, without waiting for the chooser's folder listing.
    static_cast<QDialog*>(chooser)->done(QDialog::Accepted);
  });
  frame.command(commands::kCommandCreateArchive);
  EXPECT_EQ(head("main.c"), "1.1");
  ArchiveChild* window = archiveWindow(frame);
  ASSERT_NE(window, nullptr) << "the new archive's window opened";
  EXPECT_EQ(dir.read("main.c"), "one\n");

  // 2. Two more revisions, each with a log message of two lines.
  ::chmod(work("main.c").c_str(), 0644);
  checkIn(frame, "one\ntwo\n", "Adds the second line.", "main_road_2_check_in");
  EXPECT_EQ(head("main.c"), "1.2");
  ::chmod(work("main.c").c_str(), 0644);
  checkIn(frame, "one\ntwo\nthree\n", "Adds the third line.", "main_road_3_check_in");
  EXPECT_EQ(head("main.c"), "1.3");

  // 3. All three are in the window, newest first, below the working file.
  window = archiveWindow(frame);
  ASSERT_NE(window, nullptr);
  std::vector<std::string> listed;
  for (const auto& row : window->list()->rows())
    if (!row.isWorkFile()) listed.push_back(row.revision);
  EXPECT_EQ(listed, (std::vector<std::string>{"1.3", "1.2", "1.1"}));
  selectRevisions(*window, {"1.2"});
  shot(frame, "main_road_4_archive_window");

  // 4. Revision 1.1 checked out, not locked, over the working file.
  selectRevisions(*window, {"1.1"});
  ::chmod(work("main.c").c_str(), 0644);
  test::onNextModal([this](QWidget* m) {
    auto& w = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(w.windowTitle(), "Check Out");
    auto* chooser = qobject_cast<QListWidget*>(w.control(dialogs::kCoRevisionChooser));
    ASSERT_NE(chooser, nullptr);
    ASSERT_EQ(chooser->selectedItems().size(), 1);
    EXPECT_TRUE(chooser->selectedItems().front()->text().startsWith("1.1 "));
    auto* locked = qobject_cast<QCheckBox*>(w.control(dialogs::kCoLocked));
    if (locked->isChecked()) locked->click();
    shot(w, "main_road_5_check_out");
    answerNextBox(ui::kAnswerYes);  // the working file is writable: replace it
    QTest::mouseClick(w.control(dialogs::kCoOk), Qt::LeftButton);
  });
  frame.command(commands::kCommandCheckOut);
  EXPECT_EQ(dir.read("main.c"), "one\n") << "the working file holds revision 1.1 byte for byte";
  EXPECT_TRUE(locks("main.c").empty());

  // 5. The head locked, then unlocked.
  window = archiveWindow(frame);
  ASSERT_NE(window, nullptr);
  selectRevisions(*window, {"1.3"});
  frame.command(commands::kCommandLockRevision);
  EXPECT_EQ(locks("main.c"), std::vector<std::string>{"alice 1.3"});
  window = archiveWindow(frame);
  ASSERT_NE(window, nullptr);
  const int lockedRow = window->list()->rowOf("1.3");
  ASSERT_GE(lockedRow, 0);
  EXPECT_EQ(window->list()->rows()[static_cast<std::size_t>(lockedRow)].locker.value_or(""), "alice");
  shot(frame, "main_road_6_locked");
  selectRevisions(*window, {"1.3"});
  frame.command(commands::kCommandUnlockRevision);
  EXPECT_TRUE(locks("main.c").empty());

  // 6. 1.1 against 1.3 in the merge program, closed again.
  window = archiveWindow(frame);
  ASSERT_NE(window, nullptr);
  selectRevisions(*window, {"1.1", "1.3"});
  shot(frame, "main_road_7_compare_selected");
  frame.command(commands::kCommandCompareRevisions);
  ASSERT_EQ(spawner.children().size(), 1u) << "the merge program started";
  const pid_t pid = spawner.children()[0];
  EXPECT_EQ(entriesIn(tmp), 2) << "a copy of each revision";
  for (int i = 0; i < 6000 && ::kill(pid, 0) == 0 && !catchesTerminate(pid); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(catchesTerminate(pid)) << "the merge program did not take its command line";
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  // The frame collects the program as it ends.
  for (int i = 0; i < 6000 && !spawner.children().empty(); ++i) QTest::qWait(10);
  if (!spawner.children().empty()) {
    ::kill(pid, SIGKILL);
    spawner.wait_all();
    FAIL() << "the merge program did not close";
  }
  EXPECT_EQ(entriesIn(tmp), 0) << "no temporary copy is left";
  shot(frame, "main_road_8_done");
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
