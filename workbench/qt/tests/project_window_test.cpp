// The project window in the frame, over real projects: what it shows (a
// screenshot is saved), the detail pane of the selected member, the Project
// and Member menus enabled by the selection, Lock through the frame's
// commands, and a sandbox's window class and menu text.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QtTest/QTest>
#include <algorithm>

#include "platform/spawn/recording_spawner.h"
#include "testing/qt_test_support.h"
#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/qt/main_frame.h"
#include "workbench/qt/project_window.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/qt/member_list_view.h"

namespace orv::workbench {
namespace {

class ProjectWindowTest : public testing::ProjectTest {
 protected:
  ProjectChild* child(MainFrame& frame) {
    QMdiSubWindow* window = frame.mdiArea()->currentSubWindow();
    return window ? qobject_cast<ProjectChild*>(window->widget()) : nullptr;
  }
  // Selects the row of working file name (alone, or added to the selection).
  void select(ProjectChild& w, const std::string& name, bool add = false) {
    views::MemberListView* list = w.list();
    for (int row = 0; row < static_cast<int>(list->rows().size()); ++row)
      if (list->rows()[static_cast<std::size_t>(row)].name == work(name)) {
        list->selectionModel()->select(list->model()->index(row, 0),
                                       (add ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect) |
                                           QItemSelectionModel::Rows);
        return;
      }
    ADD_FAILURE() << "no row " << name;
  }
  static QAction* item(QMenu* menu, int id) {
    for (QAction* a : menu->actions())
      if (a->data().toInt() == id) return a;
    return nullptr;
  }

  std::string ini = dir.file("ORVTY.INI");
};

TEST_F(ProjectWindowTest, ShowsTheMembersTheCountsAndTheDetailOfTheSelection) {
  const std::string path = makeMixedProject();
  // a.c's working file no longer holds its revision (one that does reads
  // as current, and the list form explains nothing about it).
  dir.write("a.c", "two\nedited\n");
  MainFrame frame(ui, ini);
  frame.resize(1000, 560);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));
  frame.openNames({path});
  ProjectChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(frame.activeChild(), w);
  EXPECT_EQ(w->subWindow()->windowTitle().toStdString(), "Project " + path);
  EXPECT_EQ(w->windowClass(), "TMDIProject");
  EXPECT_EQ(frame.recentFiles().entries().at(0).path, path);
  char cwd[4096] = {};
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd), w->project().workDirectory.empty() ? w->project().projectDirectory
                                                                  : w->project().workDirectory);

  const auto& rows = w->list()->rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].name, work("a.c")) << "sorted by member name";
  EXPECT_EQ(rows[3].name, work("sub.pj"));
  QStringList titles;
  for (int p = 0; p < 8; ++p)
    titles << w->list()->model()->headerData(w->list()->header()->logicalIndex(p), Qt::Horizontal, Qt::ToolTipRole).toString();
  EXPECT_EQ(titles, (QStringList{"Type", "Frozen", "Changed", "Locked", "Revision", "Member Name", "State", "Labels"}));
  EXPECT_EQ(w->list()->model()->data(w->list()->model()->index(0, views::kMemberColLocked)).toString(), "bob");
  EXPECT_EQ(w->list()->model()->data(w->list()->model()->index(0, views::kMemberColType)).toString(), "Archived");
  EXPECT_EQ(frame.statusBar()->currentMessage(), "4 members:  1 locked;  1 selected");

  // The parts lie one under the other and fill the window.
  QTest::qWait(0);
  EXPECT_EQ(w->list()->y(), 0);
  EXPECT_EQ(w->detailPane()->y() + w->detailPane()->height(), w->height());
  EXPECT_GT(w->detailPane()->y(), w->list()->y() + w->list()->height());
  EXPECT_TRUE(w->detailPane()->isReadOnly());

  select(*w, "a.c");
  EXPECT_NE(w->detailPane()->toPlainText(), "") << "the locked member is explained";
  EXPECT_FALSE(::testing::Test::HasFailure());
  EXPECT_FALSE(test::saveScreenshot(frame, QStringLiteral("project_window")).isEmpty());
  select(*w, "b.c", true);
  EXPECT_EQ(frame.statusBar()->currentMessage(), "4 members:  1 locked;  2 selected");
  EXPECT_EQ(w->detailPane()->toPlainText(), "") << "no single member";
  EXPECT_EQ(w->selection(false).size(), 2u);
  frame.close();
}

TEST_F(ProjectWindowTest, MenusFollowTheWindowAndItsSelection) {
  const std::string path = makeMixedProject();
  MainFrame frame(ui, ini);
  frame.show();
  EXPECT_FALSE(frame.projectMenu()->menuAction()->isVisible());
  EXPECT_FALSE(frame.memberMenu()->menuAction()->isVisible());
  frame.openNames({path});
  ProjectChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(frame.projectMenu()->menuAction()->isVisible());
  EXPECT_TRUE(frame.memberMenu()->menuAction()->isVisible());
  EXPECT_FALSE(frame.archiveMenu()->menuAction()->isVisible());
  for (int id : {1526, 1527, 1529, 1537, 1541, 1548, 1549, 1554, 1559, 1560, 1574, 1575, 1538})
    EXPECT_NE(item(frame.projectMenu(), id), nullptr) << id;
  for (int id : {1533, 1534, 1555, 1556, 1557, 1558, 1528, 1531, 1535, 1530, 1551, 1552, 1532, 1540, 1561, 1562,
                 1576, 1577})
    EXPECT_NE(item(frame.memberMenu(), id), nullptr) << id;
  EXPECT_EQ(item(frame.projectMenu(), 1541)->shortcut(), QKeySequence(Qt::Key_F9));

  struct Case {
    const char* select;  // nullptr: nothing
    bool checkIn, lock;
    QString editText;
    bool edit;
  } cases[] = {
      {nullptr, false, false, "View &Working File", false},
      {"a.c", true, true, "Edit &Working File", true},
      {"n.c", true, false, "Edit &Working File", true},  // no revision: nothing to lock
      {"sub.pj", true, true, "Open Subprojec&t", true},
  };
  for (const Case& c : cases) {
    if (c.select) select(*w, c.select);
    else w->list()->selectionModel()->clearSelection();
    emit frame.memberMenu()->aboutToShow();
    emit frame.projectMenu()->aboutToShow();
    const char* name = c.select ? c.select : "none";
    // Member Information needs one member.
    EXPECT_EQ(item(frame.memberMenu(), 1528)->isEnabled(), c.select != nullptr) << name;
    EXPECT_EQ(item(frame.memberMenu(), 1533)->isEnabled(), c.checkIn) << name;
    EXPECT_EQ(item(frame.memberMenu(), 1555)->isEnabled(), c.lock) << name;
    EXPECT_EQ(item(frame.memberMenu(), 1557)->text(), c.editText) << name;
    EXPECT_EQ(item(frame.memberMenu(), 1557)->isEnabled(), c.edit) << name;
    EXPECT_TRUE(item(frame.projectMenu(), 1541)->isEnabled()) << "Build, " << name;
    EXPECT_FALSE(item(frame.projectMenu(), 1538)->isEnabled()) << "Reports, " << name;
    EXPECT_EQ(item(frame.projectMenu(), 1529)->text(), "Project &Information...");
  }
  frame.mdiArea()->closeAllSubWindows();
  QCoreApplication::processEvents();
  EXPECT_FALSE(frame.projectMenu()->menuAction()->isVisible()) << "no project window, no Project menu";
  frame.close();
}

TEST_F(ProjectWindowTest, LockThroughTheFrameLocksTheSelectedMembersArchive) {
  const std::string path = makeMixedProject();
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  select(*w, "b.c");
  item(frame.memberMenu(), 1555)->trigger();
  EXPECT_EQ(locks("b.c"), std::vector<std::string>{"alice 1.1"});
  EXPECT_EQ(frame.statusBar()->currentMessage(), "4 members:  2 locked;  1 selected");
  int row = -1;
  for (int i = 0; i < 4; ++i)
    if (w->list()->rows()[static_cast<std::size_t>(i)].name == work("b.c")) row = i;
  ASSERT_GE(row, 0);
  EXPECT_EQ(w->list()->model()->data(w->list()->model()->index(row, views::kMemberColLocked)).toString(), "alice");
  frame.close();
}

TEST_F(ProjectWindowTest, DoubleClickEditsTheMemberAndARestoredWindowFocusesTheList) {
  const std::string path = makeMixedProject();
  platform::RecordingSpawner spawner;
  MainFrame frame(ui, ini, &spawner);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w, 30000));
  views::MemberListView* list = w->list();
  const QRect cell = list->visualRect(list->model()->index(1, views::kMemberColRevision));  // b.c
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_EQ(spawner.starts.size(), 1u);
  EXPECT_EQ(spawner.starts[0].argv.back(), work("b.c"));

  w->subWindow()->showMinimized();
  w->detailPane()->setFocus();
  w->subWindow()->showNormal();
  EXPECT_EQ(w->focusWidget(), list) << "the keys go to the list again";
  frame.close();
}

TEST_F(ProjectWindowTest, ASandboxHasItsOwnClassAndInformationText) {
  makeMixedProject();
  ::mkdir(dir.file("sb").c_str(), 0755);
  const std::string sandbox =
      dir.write("sb.pj", "--ORV Project--Sandbox--\nmasterproject=p.pj\nworkdir=" + work("sb") + "\n");
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({sandbox});
  ProjectChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->sandbox());
  EXPECT_EQ(w->windowClass(), "TMDISandbox");
  EXPECT_EQ(w->subWindow()->windowTitle().toStdString(), "Sandbox " + sandbox);
  emit frame.projectMenu()->aboutToShow();
  EXPECT_EQ(item(frame.projectMenu(), 1529)->text(), "Sandbox &Information");
  EXPECT_FALSE(item(frame.projectMenu(), 1554)->isEnabled()) << "no sandbox of a sandbox";
  frame.close();
}

TEST_F(ProjectWindowTest, AProjectThatDoesNotOpenLeavesNoWindow) {
  MainFrame frame(ui, ini);
  frame.show();
  ui.expectMessage("Cannot open project " + work("missing.pj") + ".", ui::kAnswerOk);
  frame.openNames({work("missing.pj")});
  EXPECT_TRUE(frame.mdiArea()->subWindowList().isEmpty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(frame.recentFiles().entries().empty());
  frame.close();
}

TEST_F(ProjectWindowTest, CheckInOfASelectedMemberRunsTheDialogAndRecordsTheRevision) {
  const std::string path = makeMixedProject();
  dir.write("b.c", "changed\n");
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  select(*w, "b.c");
  ui.expectDialog(dialogs::kCheckInDialogId, [](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    s.setText(dialogs::kCiDescription, "from the project");
    s.close(logic, ui::kAnswerOk);
  });
  item(frame.memberMenu(), 1533)->trigger();
  EXPECT_EQ(head("b.c"), "1.2");
  // The member's row names the new revision.
  bool found = false;
  for (const project::MemberRow& row : w->list()->rows())
    if (row.name == work("b.c")) {
      found = true;
      EXPECT_EQ(row.revision.value_or(""), "1.2");
    }
  EXPECT_TRUE(found);
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
