// The archive window in the frame, over real archives: what it shows (a
// screenshot is saved), the log of the selected revision, the split bar,
// Lock Revision through the frame's commands, and two windows taking turns
// as the library's current archive and the process's current folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QtTest/QTest>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/profile/profile.h"
#include "platform/spawn/recording_spawner.h"
#include "testing/qt_test_support.h"
#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/revision_info_dialog.h"
#include "workbench/qt/archive_window.h"
#include "workbench/qt/main_frame.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/qt/log_panel.h"
#include "workbench/views/qt/revision_list_view.h"
#include "workbench/views/qt/split_bar.h"

namespace orv::workbench {
namespace {

class ArchiveWindowTest : public testing::ProjectTest {
 protected:
  void beforeStart() override { ::mkdir(dir.file("sub").c_str(), 0755); }

  // a.c: four revisions, 1.2 locked by bob, two labels on 1.3 and one
  // on 1.1, a state on 1.1 and a log on 1.3.
  void makeRichArchive() {
    makeArchive("a.c", {"one\n", "two\n", "three\n", "four\n"});
    vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "bob");
    int h = lockedHandle("a.c");
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2", nullptr), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL1", "1.3"), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL2", "1.3"), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "BASE", "1.1"), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_STATE, "1.1", "Beta"), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_LOG, "1.3", "Fixes the parser.\nKeeps the old syntax."), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcCloseArchive(h);
    vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
  }

  ArchiveChild* child(MainFrame& frame, int i = -1) {
    QMdiSubWindow* window = i < 0 ? frame.mdiArea()->currentSubWindow() : frame.mdiArea()->subWindowList().value(i);
    return window ? qobject_cast<ArchiveChild*>(window->widget()) : nullptr;
  }
  static void selectRow(ArchiveChild& w, int row, QItemSelectionModel::SelectionFlags how =
                                                      QItemSelectionModel::ClearAndSelect) {
    views::RevisionListView* list = w.list();
    list->selectionModel()->select(list->model()->index(row, 0), how | QItemSelectionModel::Rows);
  }
  static std::string log(int h, const char* rev) {
    char buffer[2048] = {};
    EXPECT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_LOG, rev, buffer, sizeof buffer), 0);
    return buffer;
  }
  static int currentArchive() {
    std::uint32_t handle = 0;
    EXPECT_EQ(vcGetSysInfo(VC_SYSINFO_CURRENT_ARCHIVE, reinterpret_cast<char*>(&handle), sizeof handle), 0);
    return static_cast<int>(handle);
  }
  static std::string cwd() {
    char buffer[4096] = {};
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
  }

  std::string ini = dir.file("ORVTY.INI");
};

TEST_F(ArchiveWindowTest, ShowsTheRevisionsTheLogAndTheCounts) {
  makeRichArchive();
  MainFrame frame(ui, ini);
  frame.resize(900, 560);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));
  frame.openNames({archiveOf("a.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->subWindow()->windowTitle().toStdString(), "Archive " + archiveOf("a.c"));
  EXPECT_EQ(frame.recentFiles().entries().at(0).path, archiveOf("a.c"));

  const auto& rows = w->list()->rows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_TRUE(rows[0].isWorkFile());
  EXPECT_EQ(rows[1].revision, "1.4") << "highest revision first";
  EXPECT_EQ(w->list()->model()->data(w->list()->model()->index(3, views::kColLocked)).toString(), "bob");
  QStringList titles;
  for (int p = 0; p < 6; ++p)
    titles << w->list()->model()->headerData(w->list()->header()->logicalIndex(p), Qt::Horizontal).toString();
  EXPECT_EQ(titles, (QStringList{"Revision", "Author", "Date", "Locked", "State", "Labels"}));
  EXPECT_EQ(frame.statusBar()->currentMessage(), "4 revisions:  1 locked;  1 selected");
  EXPECT_EQ(w->logPanel()->toPlainText(), "Working file") << "the working-file row is selected";

  // The parts lie one under the other and fill the window.
  QTest::qWait(0);
  EXPECT_EQ(w->list()->y(), 0);
  EXPECT_EQ(w->splitBar()->y(), w->list()->y() + w->list()->height());
  EXPECT_EQ(w->logPanel()->y(), w->splitBar()->y() + 5);
  EXPECT_EQ(w->logPanel()->y() + w->logPanel()->height(), w->height());
  EXPECT_GT(w->logPanel()->height(), 3 * w->fontMetrics().height());

  selectRow(*w, 2);  // 1.3
  EXPECT_EQ(w->logPanel()->toPlainText().toStdString(), log(w->archive().handle(), "1.3"));
  EXPECT_FALSE(::testing::Test::HasFailure());
  EXPECT_FALSE(test::saveScreenshot(frame, QStringLiteral("archive_window")).isEmpty());
  selectRow(*w, 3, QItemSelectionModel::Select);
  EXPECT_EQ(frame.statusBar()->currentMessage(), "4 revisions:  1 locked;  2 selected");
  EXPECT_EQ(w->logPanel()->toPlainText(), "") << "no single revision";
  std::vector<std::string> selected;
  for (const auto& row : w->selectedRows()) selected.push_back(row.revision);
  EXPECT_EQ(selected, (std::vector<std::string>{"1.3", "1.2"}));
  frame.close();
}

TEST_F(ArchiveWindowTest, SplitBarDragMovesTheBarAndBothPanes) {
  makeArchive("a.c", {"one\n", "two\n"});
  MainFrame frame(ui, ini);
  frame.resize(800, 600);
  frame.show();
  frame.openNames({archiveOf("a.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w, 30000));
  const QRect list = w->list()->geometry(), bar = w->splitBar()->geometry(), panel = w->logPanel()->geometry();
  QTest::mousePress(w->splitBar(), Qt::LeftButton, {}, QPoint(20, 1));
  QTest::mouseMove(w->splitBar(), QPoint(20, 11));
  QTest::mouseRelease(w->splitBar(), Qt::LeftButton, {}, QPoint(20, 11));
  EXPECT_EQ(w->list()->geometry(), list.adjusted(0, 0, 0, 10));
  EXPECT_EQ(w->splitBar()->geometry(), bar.translated(0, 10));
  EXPECT_EQ(w->logPanel()->geometry(), panel.adjusted(0, 10, 0, 0));

  // The panel keeps its new height when the window grows.
  w->subWindow()->resize(w->subWindow()->width() + 30, w->subWindow()->height() + 40);
  EXPECT_EQ(w->logPanel()->height(), panel.height() - 10);
  EXPECT_EQ(w->logPanel()->y() + w->logPanel()->height(), w->height());
  const std::string size = profile::getProfileString(ini, "Archive Window", "WindowSize", "");
  EXPECT_EQ(size, std::to_string(w->subWindow()->width()) + "," + std::to_string(w->subWindow()->height()));
  frame.close();
}

TEST_F(ArchiveWindowTest, TitlesSortAndMoveAndTheWindowRemembersThem) {
  makeRichArchive();
  auto order = [](ArchiveChild& w) {
    std::vector<std::string> out;
    for (const auto& r : w.list()->rows()) out.push_back(r.isWorkFile() ? "work" : r.revision);
    return out;
  };
  {
    MainFrame frame(ui, ini);
    frame.show();
    frame.openNames({archiveOf("a.c")});
    ArchiveChild* w = child(frame);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w, 30000));
    QHeaderView* titles = w->list()->header();
    const QPoint revisionTitle(titles->sectionPosition(views::kColRevision) + 10, titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, revisionTitle);
    EXPECT_EQ(order(*w), (std::vector<std::string>{"work", "1.1", "1.2", "1.3", "1.4"}));
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, revisionTitle);
    EXPECT_EQ(order(*w), (std::vector<std::string>{"work", "1.4", "1.3", "1.2", "1.1"}));
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, revisionTitle);
    titles->moveSection(titles->visualIndex(views::kColLocked), 0);
    EXPECT_EQ(profile::getProfileString(ini, "Archive Window", "FieldOrder", ""), "3,0,1,2,4,5");
    frame.close();
  }
  EXPECT_EQ(profile::getProfileString(ini, "Archive Window", "SortKey", ""), "65536");
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({archiveOf("a.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->list()->header()->logicalIndex(0), views::kColLocked);
  EXPECT_EQ(order(*w), (std::vector<std::string>{"work", "1.1", "1.2", "1.3", "1.4"}));
  frame.close();
}

TEST_F(ArchiveWindowTest, LockRevisionThroughTheFrameKeepsTheRowSelected) {
  makeRichArchive();
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({archiveOf("a.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  selectRow(*w, 2);  // 1.3
  frame.command(1520);
  std::vector<std::string> held = locks("a.c");
  std::sort(held.begin(), held.end());
  EXPECT_EQ(held, (std::vector<std::string>{"alice 1.3", "bob 1.2"}));
  ASSERT_EQ(w->list()->selectedRowNumbers(), std::vector<int>{2});
  EXPECT_EQ(w->list()->rows()[2].revision, "1.3");
  EXPECT_EQ(w->list()->rows()[2].locker, "alice");
  EXPECT_EQ(frame.statusBar()->currentMessage(), "4 revisions:  2 locked;  1 selected");

  // The working-file row alone is no revision to lock.
  selectRow(*w, 0);
  frame.command(1520);
  EXPECT_EQ(locks("a.c").size(), 2u);
  frame.close();
}

TEST_F(ArchiveWindowTest, DoubleClickEditsTheWorkingFileOrViewsARevision) {
  makeArchive("a.c", {"one\n", "two\n"});
  platform::RecordingSpawner spawner;
  MainFrame frame(ui, ini, &spawner);
  frame.show();
  frame.openNames({archiveOf("a.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w, 30000));
  auto doubleClick = [&](int row) {
    views::RevisionListView* list = w->list();
    const QRect cell = list->visualRect(list->model()->index(row, views::kColAuthor));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  };
  doubleClick(0);
  ASSERT_EQ(spawner.starts.size(), 1u);
  EXPECT_EQ(spawner.starts[0].argv.back(), work("a.c"));
  doubleClick(2);  // 1.1
  ASSERT_EQ(spawner.starts.size(), 2u);
  const std::string copy = spawner.starts[1].argv.back();
  EXPECT_NE(copy, work("a.c"));
  std::ifstream in(copy);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "one\n") << copy;
  frame.close();
}

TEST_F(ArchiveWindowTest, ActivatingAWindowMakesItsArchiveAndFolderCurrent) {
  makeArchive("a.c", {"a\n"});
  makeArchive("sub/b.c", {"b\n"});
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({work("a.c"), work("sub/b.c")});
  ASSERT_EQ(frame.mdiArea()->subWindowList().size(), 2);
  ArchiveChild* a = child(frame, 0);
  ArchiveChild* b = child(frame, 1);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(frame.activeChild(), b);
  EXPECT_EQ(currentArchive(), b->archive().handle());
  EXPECT_EQ(cwd(), dir.file("sub"));
  frame.mdiArea()->setActiveSubWindow(a->subWindow());
  EXPECT_EQ(currentArchive(), a->archive().handle());
  EXPECT_NE(a->archive().handle(), b->archive().handle());
  EXPECT_EQ(cwd(), dir.path());
  EXPECT_EQ(frame.statusBar()->currentMessage(), "1 revisions:  0 locked;  1 selected");
  frame.close();
}

TEST_F(ArchiveWindowTest, CheckInThroughTheFrameAddsTheRevisionToTheList) {
  makeArchive("a.c", {"one\n", "two\n"});
  dir.write("a.c", "three\n");
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({archiveOf("a.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  ui.expectDialog(dialogs::kCheckInDialogId, [](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    s.setText(dialogs::kCiDescription, "third line");
    s.close(logic, ui::kAnswerOk);
  });
  frame.command(1509);
  EXPECT_EQ(head("a.c"), "1.3");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  EXPECT_EQ(log(h, "1.3"), "third line");
  vcCloseArchive(h);
  ASSERT_GE(w->list()->rows().size(), 2u);
  EXPECT_EQ(w->list()->rows()[1].revision, "1.3") << "the list shows the new revision";
  frame.close();
}

TEST_F(ArchiveWindowTest, ArchiveMenuFollowsTheWindowAndItsSelection) {
  makeRichArchive();
  MainFrame frame(ui, ini);
  frame.show();
  EXPECT_FALSE(frame.archiveMenu()->menuAction()->isVisible());
  frame.openNames({archiveOf("a.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(frame.archiveMenu()->menuAction()->isVisible());
  auto item = [&](int id) -> QAction* {
    for (QAction* a : frame.archiveMenu()->actions())
      if (a->data().toInt() == id) return a;
    return nullptr;
  };
  ASSERT_NE(item(1522), nullptr);
  ASSERT_NE(item(1512), nullptr);
  struct Case {
    int row;
    QString viewEdit;
    bool revisionInformation;
  } cases[] = {
      {0, "Edit &Working File", false},  // the working file, writable
      {2, "&View Revision", true},
  };
  for (const Case& c : cases) {
    selectRow(*w, c.row);
    emit frame.archiveMenu()->aboutToShow();
    EXPECT_EQ(item(1522)->text(), c.viewEdit) << c.row;
    EXPECT_TRUE(item(1522)->isEnabled()) << c.row;
    EXPECT_EQ(item(1512)->isEnabled(), c.revisionInformation) << c.row;
  }
  // Lock Revision from the menu locks the selected revision.
  item(1520)->trigger();
  std::vector<std::string> held = locks("a.c");
  std::sort(held.begin(), held.end());
  EXPECT_EQ(held, (std::vector<std::string>{"alice 1.3", "bob 1.2"}));
  frame.mdiArea()->closeAllSubWindows();
  QCoreApplication::processEvents();
  EXPECT_FALSE(frame.archiveMenu()->menuAction()->isVisible()) << "no archive window, no Archive menu";
  frame.close();
}

TEST_F(ArchiveWindowTest, RevisionInformationFromTheMenuAddsTheLabel) {
  makeArchive("a.c", {"one\n", "two\n"});
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({archiveOf("a.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  selectRow(*w, 2);  // 1.1
  ui.expectDialog(dialogs::kRevisionInfoDialogId, [](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_EQ(s.text(dialogs::kRiRevision), "1.1");
    s.setText(dialogs::kRiLabel, "FIRST");
    s.press(logic, dialogs::kRiAddLabel);
    s.close(logic, ui::kAnswerOk);
  });
  frame.command(1512);
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char rev[64] = {};
  EXPECT_EQ(vcExpandRevision(h, "FIRST", rev, sizeof rev), 0);
  EXPECT_STREQ(rev, "1.1");
  vcCloseArchive(h);
  ASSERT_EQ(w->list()->selectedRowNumbers(), std::vector<int>{2}) << "the revision stays selected";
  frame.close();
}

// A long history through the frame: an archive of 3,000 trunk revisions
// with labels (two on one revision) fills its window with every row, each
// with its own author, date, state and labels.
TEST_F(ArchiveWindowTest, ALongHistoryFillsEveryRowWithItsLabels) {
  constexpr int kCount = 3000;
  std::string text = "head 1." + std::to_string(kCount) + ";\naccess ;\nsymbols";
  for (int k = 100; k <= kCount; k += 100) text += " L" + std::to_string(k) + ":1." + std::to_string(k);
  text += " ALSO:1.200;\nlocks ; strict;\ncomment @# @;\n\n";
  auto date = [](int k) {
    char d[32];
    std::snprintf(d, sizeof d, "2020.%02d.%02d.%02d.%02d.00", 1 + k / 720, 1 + k / 24 % 28, k % 24, k % 60);
    return std::string(d);
  };
  for (int k = kCount; k >= 1; --k)
    text += "\n1." + std::to_string(k) + "\ndate " + date(k) + "; author u" + std::to_string(k % 7) +
            "; state " + (k % 3 ? "Exp" : "Rel") + ";\nbranches ;\nnext " + (k > 1 ? "1." + std::to_string(k - 1) : "") +
            ";\n";
  text += "\n\ndesc\n@@\n";
  for (int k = kCount; k >= 1; --k)
    text += "\n\n1." + std::to_string(k) + "\nlog\n@r" + std::to_string(k) + "\n@\ntext\n@" +
            (k == kCount ? "last\n" : "d1 1\na1 1\nv" + std::to_string(k) + "\n") + "@\n";
  ::mkdir(dir.file("rcs").c_str(), 0755);
  dir.write("rcs/long.c", text);

  MainFrame frame(ui, ini);
  frame.resize(900, 560);
  frame.show();
  frame.openNames({archiveOf("long.c")});
  ArchiveChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  // The rows that did not come with the first slice.
  w->list()->finishFill();
  const auto& rows = w->list()->rows();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kCount));
  for (int i = 0; i < kCount; ++i) {
    const int k = kCount - i;  // highest revision first
    const views::RevisionRecord& r = rows[static_cast<std::size_t>(i)];
    ASSERT_EQ(r.revision, "1." + std::to_string(k));
    ASSERT_EQ(r.author, "u" + std::to_string(k % 7)) << r.revision;
    ASSERT_EQ(r.state, k % 3 ? "Exp" : "Rel") << r.revision;
    ASSERT_EQ(r.date.substr(0, 5), "2020/") << r.revision;
    const std::string labels = k == 200 ? "L200 ALSO" : k % 100 == 0 ? "L" + std::to_string(k) : "";
    ASSERT_EQ(r.labels, labels) << r.revision;
  }
  EXPECT_EQ(frame.statusBar()->currentMessage(), "3000 revisions:  0 locked;  1 selected");
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
