// The frame's windows stay true: an archive window reads its archive again
// when another hand changed it (after a command of the frame or of the
// command server, and when it becomes active); new windows open inside the
// frame; the programs the frame started are collected; an archive named by
// its own path opens as itself; View Log shows the project's log in the
// program; the library's password requests reach the password dialog, a
// password once accepted is not asked again, and Cancel fails cleanly. The
// About box shows its texts and picture.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolBar>
#include <QtTest/QTest>

#include "platform/spawn/recording_spawner.h"
#include "testing/qt_test_support.h"
#include "workbench/archive/password_dialogs.h"
#include "workbench/commands/command_table.h"
#include "workbench/dialogs/archive_info_dialog.h"
#include "workbench/dialogs/check_out_dialog.h"
#include "workbench/dialogs/text_view_dialog.h"
#include "workbench/qt/about_box.h"
#include "workbench/qt/archive_window.h"
#include "workbench/qt/bitmap_control.h"
#include "workbench/qt/main_frame.h"
#include "workbench/qt/project_window.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/qt/member_list_view.h"
#include "workbench/views/qt/revision_list_view.h"

namespace orv::workbench {
namespace {

using ui::testing::FakeSurface;

class WindowsStayTrue : public testing::ProjectTest {
 protected:
  ArchiveChild* archiveChild(QMdiSubWindow* window) {
    return window ? qobject_cast<ArchiveChild*>(window->widget()) : nullptr;
  }
  QMdiSubWindow* windowOf(MainFrame& frame, const std::string& path) {
    for (QMdiSubWindow* w : frame.mdiArea()->subWindowList())
      if (documentPath(w) == path) return w;
    return nullptr;
  }
  static std::vector<std::string> revisionsShown(ArchiveChild& w) {
    std::vector<std::string> out;
    for (const auto& row : w.list()->rows())
      if (!row.isWorkFile()) out.push_back(row.revision);
    return out;
  }
  // A revision checked in by another hand: the library directly.
  void checkInElsewhere(const std::string& name, const std::string& text) {
    dir.write(name, text);
    int h = lockedHandle(name);
    char rev[64] = {};
    ASSERT_EQ(vcCiRevision(h, "", work(name).c_str(), 0, rev, sizeof rev), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcCloseArchive(h);
  }
  static ui::testing::DialogScript typePassword(const char* text) {
    return [text](FakeSurface& surface, ui::DialogLogic& logic) {
      if (!text) {
        surface.close(logic, ui::kAnswerCancel);
        return;
      }
      surface.setText(archive::kPasswordEntry, text);
      surface.close(logic, ui::kAnswerOk);
    };
  }

  std::string ini = dir.file("ORVTY.INI");
};

TEST_F(WindowsStayTrue, AnArchiveWindowReadsAChangeMadeElsewhere) {
  makeArchive("a.c", {"one\n", "two\n"});
  makeArchive("b.c", {"one\n"});
  MainFrame frame(ui, ini);
  frame.resize(900, 600);
  frame.show();
  frame.openNames({work("a.c"), work("b.c")});
  QMdiSubWindow* a = windowOf(frame, work("a.c"));
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(revisionsShown(*archiveChild(a)), (std::vector<std::string>{"1.2", "1.1"}));

  // Changed while b.c's window is active: a.c's is read again as it comes
  // forward.
  checkInElsewhere("a.c", "three\n");
  frame.mdiArea()->setActiveSubWindow(a);
  EXPECT_EQ(revisionsShown(*archiveChild(a)), (std::vector<std::string>{"1.3", "1.2", "1.1"}));

  // Changed while it is active: a command of the command server (or of a
  // menu) leaves every window true.
  checkInElsewhere("a.c", "four\n");
  frame.runCommand({app::ExecuteVerb::help, {}});
  EXPECT_EQ(revisionsShown(*archiveChild(a)).front(), "1.4");
  checkInElsewhere("a.c", "five\n");
  ui.expectDialog(dialogs::kArchiveInfoDialogId,
                  [](FakeSurface& s, ui::DialogLogic& logic) { s.close(logic, ui::kAnswerCancel); });
  frame.command(commands::kCommandArchiveInfo);
  EXPECT_EQ(revisionsShown(*archiveChild(a)).front(), "1.5");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WindowsStayTrue, NewWindowsOpenInsideTheFrame) {
  makeArchive("a.c", {"one\n"});
  const std::string project = makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  MainFrame frame(ui, ini);
  frame.resize(700, 450);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));
  frame.openNames({work("a.c")});
  frame.openNames({project});
  const QRect area(QPoint(0, 0), frame.mdiArea()->viewport()->size());
  ASSERT_EQ(frame.mdiArea()->subWindowList().size(), 2);
  for (QMdiSubWindow* w : frame.mdiArea()->subWindowList())
    EXPECT_TRUE(area.contains(w->geometry())) << documentPath(w) << " at " << w->geometry().x() << ","
                                              << w->geometry().y() << " " << w->width() << "x" << w->height();
  EXPECT_FALSE(test::saveScreenshot(frame, "two_windows_inside_the_frame").isEmpty());
}

TEST_F(WindowsStayTrue, TheProgramsTheFrameStartedAreCollected) {
  platform::RecordingSpawner spawner;
  MainFrame frame(ui, ini, &spawner);
  frame.show();
  // No program need start: the frame collects on its own, not only at the
  // next start.
  for (int i = 0; i < 6000 && spawner.reap_calls == 0; ++i) QTest::qWait(10);
  EXPECT_GT(spawner.reap_calls, 0);
  EXPECT_TRUE(spawner.starts.empty());
}

TEST_F(WindowsStayTrue, AnArchiveNamedByItsOwnPathOpensAsItself) {
  // w.c,v beside its working file, where no archive rule looks.
  dir.write("w.c", "one\n");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(work("w.c,v").c_str(), &h, VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE), 0);
  char rev[64] = {};
  ASSERT_EQ(vcCiRevision(h, "", work("w.c").c_str(), 0, rev, sizeof rev), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  vcCloseArchive(h);
  makeArchive("a.c", {"one\n", "two\n"});

  MainFrame frame(ui, ini);
  frame.resize(900, 600);
  frame.show();
  frame.openNames({work("w.c,v")});
  ArchiveChild* w = archiveChild(windowOf(frame, work("w.c,v")));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->archive().archiveName(), work("w.c,v"));
  EXPECT_EQ(w->archive().workFileName(), work("w.c"));
  EXPECT_EQ(revisionsShown(*w), std::vector<std::string>{"1.1"});
  // The rules still map a working file's name, and an archive's own path
  // in the rules' place, to the archive.
  frame.openNames({work("a.c"), archiveOf("a.c")});
  ArchiveChild* byWork = archiveChild(windowOf(frame, work("a.c")));
  ArchiveChild* byArchive = archiveChild(windowOf(frame, archiveOf("a.c")));
  ASSERT_NE(byWork, nullptr);
  ASSERT_NE(byArchive, nullptr);
  EXPECT_EQ(byWork->archive().archiveName(), byArchive->archive().archiveName());
  EXPECT_EQ(revisionsShown(*byArchive), (std::vector<std::string>{"1.2", "1.1"}));
  // From the recent list the same.
  frame.mdiArea()->closeAllSubWindows();
  QApplication::processEvents();
  frame.command(app::kFirstRecentFileCommand + 2);  // w.c,v, third from the top
  EXPECT_NE(windowOf(frame, work("w.c,v")), nullptr);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WindowsStayTrue, ViewLogShowsTheProjectsLogInTheProgram) {
  const std::string project = makeProject("p.pj", {});
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({project});
  ui.expectDialog(dialogs::kTextViewDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_EQ(s.text(dialogs::kTextViewText), project::kProjectLogEmpty);
    s.close(logic, ui::kAnswerOk);
  });
  frame.command(commands::kCommandViewLog);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WindowsStayTrue, AnEncryptedMembersPasswordIsAskedOnceThroughTheDialog) {
  makeArchive("a.c", {"one\n", "two\n"}, "secret");
  const std::string project = makeProject("p.pj", {{"a.c", 'a', "1.2"}});
  MainFrame frame(ui, ini);
  frame.show();
  // A wrong password is asked again; the right one opens the member.
  ui.expectDialog(archive::kPasswordDialogId, typePassword("wrong"));
  ui.expectMessage("Invalid password", ui::kAnswerOk);
  ui.expectDialog(archive::kPasswordDialogId, typePassword("secret"));
  frame.openNames({project});
  auto* w = qobject_cast<ProjectChild*>(frame.mdiArea()->currentSubWindow()->widget());
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->list()->rows().size(), 1u);
  EXPECT_EQ(w->list()->rows()[0].changeFlags & VC_MEMBER_STATUS_ENCRYPTED, 0u);
  EXPECT_TRUE(archive::hasRememberedPassword(archiveOf("a.c").c_str()));
  // The member's archive window opens with the remembered password.
  w->list()->selectionModel()->select(w->list()->model()->index(0, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  frame.command(commands::kCommandOpenMemberArchive);
  auto* member = archiveChild(frame.mdiArea()->currentSubWindow());
  ASSERT_NE(member, nullptr);
  EXPECT_EQ(revisionsShown(*member), (std::vector<std::string>{"1.2", "1.1"}));
  EXPECT_EQ(ui.dialogs.size(), 2u) << "no third dialog";
}

TEST_F(WindowsStayTrue, AnEncryptedArchiveFromTheRecentListTakesTheRememberedPassword) {
  makeArchive("e.c", {"one\n", "two\n"}, "secret");
  MainFrame frame(ui, ini);
  frame.show();
  ui.expectDialog(archive::kPasswordDialogId, typePassword("secret"));
  frame.openNames({work("e.c")});
  ASSERT_NE(windowOf(frame, work("e.c")), nullptr);
  frame.mdiArea()->closeAllSubWindows();
  QApplication::processEvents();
  frame.command(app::kFirstRecentFileCommand);
  ArchiveChild* w = archiveChild(windowOf(frame, work("e.c")));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(revisionsShown(*w), (std::vector<std::string>{"1.2", "1.1"}));
  EXPECT_EQ(ui.dialogs, std::vector<int>{archive::kPasswordDialogId}) << "asked once";
}

TEST_F(WindowsStayTrue, CancelAtThePasswordLeavesTheMemberEncrypted) {
  makeArchive("a.c", {"one\n"}, "secret");
  const std::string project = makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  MainFrame frame(ui, ini);
  frame.show();
  ui.expectDialog(archive::kPasswordDialogId, typePassword(nullptr));
  frame.openNames({project});
  auto* w = qobject_cast<ProjectChild*>(frame.mdiArea()->currentSubWindow()->widget());
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->list()->rows().size(), 1u);
  EXPECT_NE(w->list()->rows()[0].changeFlags & VC_MEMBER_STATUS_ENCRYPTED, 0u);
  EXPECT_FALSE(archive::hasRememberedPassword(archiveOf("a.c").c_str()));
}

TEST_F(WindowsStayTrue, MemberCheckOutOverTheSelectedMembers) {
  makeArchive("a.c", {"a one\n", "a two\n"});
  makeArchive("b.c", {"b one\n", "b two\n"});
  const std::string project = makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"b.c", 'a', "1.1"}});
  for (const char* name : {"a.c", "b.c"}) ::chmod(work(name).c_str(), 0444);
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({project});
  auto* w = qobject_cast<ProjectChild*>(frame.mdiArea()->currentSubWindow()->widget());
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->list()->rows().size(), 2u);
  QItemSelectionModel* selection = w->list()->selectionModel();
  for (int row : {0, 1})
    selection->select(w->list()->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  // One dialog for both: the member's revision, not locked, All Files.
  ui.expectDialog(dialogs::kCheckOutDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_TRUE(s.isChecked(dialogs::kCoMemberRev));
    EXPECT_TRUE(s.isEnabled(dialogs::kCoAllFiles));
    s.setChecked(dialogs::kCoLocked, false);
    s.press(logic, dialogs::kCoLocked);
    s.setChecked(dialogs::kCoAllFiles, true);
    s.close(logic, ui::kAnswerOk);
  });
  frame.command(commands::kCommandCheckOutMembers);
  EXPECT_EQ(dir.read("a.c"), "a one\n");
  EXPECT_EQ(dir.read("b.c"), "b one\n");
  EXPECT_TRUE(locks("a.c").empty());
  EXPECT_EQ(ui.dialogs, std::vector<int>{dialogs::kCheckOutDialogId});
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WindowsStayTrue, ButtonsAndMenuItemsAgreeAsTheSelectionChanges) {
  makeArchive("a.c", {"one\n", "two\n", "three\n"});
  MainFrame frame(ui, ini);
  frame.resize(900, 600);
  frame.show();
  frame.openNames({work("a.c")});
  ArchiveChild* w = archiveChild(windowOf(frame, work("a.c")));
  ASSERT_NE(w, nullptr);
  auto agree = [&](const char* when) {
    emit frame.archiveMenu()->aboutToShow();
    int compared = 0;
    for (QAction* button : frame.toolbar(app::ToolbarKind::archive)->actions()) {
      const int id = button->data().toInt();
      for (QAction* item : frame.archiveMenu()->actions())
        if (id != 0 && item->data().toInt() == id) {
          EXPECT_EQ(button->isEnabled(), item->isEnabled()) << when << ": command " << id;
          ++compared;
        }
    }
    EXPECT_GT(compared, 3) << when;
  };
  QItemSelectionModel* selection = w->list()->selectionModel();
  const auto pick = [&](std::initializer_list<std::string> revisions) {
    selection->clearSelection();
    for (const std::string& r : revisions)
      selection->select(w->list()->model()->index(w->list()->rowOf(r), 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  };
  pick({"1.2"});
  agree("one revision");
  pick({"1.1", "1.3"});
  agree("two revisions");
  pick({});
  agree("nothing selected");
}

TEST(AboutBoxOnScreen, ShowsTheTextsAndThePictureAndStepsTheAnimation) {
  AboutBox box(app::aboutTexts("MemTotal: 100 kB\nMemAvailable: 123456 kB\n"));
  box.show();
  EXPECT_EQ(box.windowTitle(), "About Orv Tessalyworkbench");
  EXPECT_EQ(box.text(kAboutVersion)->text().toStdString(), app::kWorkbenchVersion);
  EXPECT_EQ(box.text(kAboutMemory)->text(), "123456 KB");
  ASSERT_FALSE(box.picture()->picture().isNull());
  EXPECT_EQ(box.picture()->borderKind(), 2);
  EXPECT_FALSE(test::saveScreenshot(box, "about_box_picture").isEmpty());
  // Switched off, ticks change nothing.
  const QImage first = box.picture()->picture().toImage();
  const QRect place = box.picture()->geometry();
  for (int i = 0; i < 8; ++i) box.timerTick();
  EXPECT_EQ(box.picture()->picture().toImage(), first);
  // Switched on, the first tick shows the first frame at the same place.
  box.setAnimationOn(true);
  box.timerTick();
  EXPECT_NE(box.picture()->picture().toImage(), first);
  EXPECT_EQ(box.picture()->geometry(), place);
  EXPECT_EQ(box.animator().currentFrame, 1);
}

}  // namespace
}  // namespace orv::workbench
