// The list forms of the project and archive windows in the frame, over a
// project of thousands of members and an archive of thousands of
// revisions: the window shows its first rows as soon as it opens, the rest
// come between the user's events in the list's sort order (whatever title
// the user clicks meanwhile), the status line counts them as they come,
// and a command run before the last rows came sees every row. The tree
// form reads a project file changed behind its window again.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QtTest/QTest>
#include <algorithm>
#include <functional>
#include <set>

#include "platform/profile/profile.h"
#include "testing/long_archive.h"
#include "testing/qt_test_support.h"
#include "workbench/commands/window_selection.h"
#include "workbench/qt/archive_window.h"
#include "workbench/qt/main_frame.h"
#include "workbench/qt/project_window.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/qt/member_list_view.h"
#include "workbench/views/qt/member_tree_view.h"
#include "workbench/views/qt/revision_list_view.h"
#include "workbench/views/qt/slice_feeder.h"

namespace orv::workbench {
namespace {

constexpr int kMembers = 12000;
constexpr int kRevisions = 30000;

class ListFeedWindowTest : public testing::ProjectTest {
 protected:
  // A few steps a slice: a large list takes many slices on any machine.
  ListFeedWindowTest() { views::SliceFeeder::stepsPerSliceBound = 8; }
  ~ListFeedWindowTest() override { views::SliceFeeder::stepsPerSliceBound = 0; }
  void chooseForm(const char* section, bool list, unsigned sortKey) {
    ASSERT_EQ(profile::writeProfileString(ini, section, "ListView", list ? "yes" : "no"), 0);
    ASSERT_EQ(profile::writeProfileString(ini, section, "SortKey", std::to_string(sortKey).c_str()), 0);
  }

  // big.pj: the mixed project's archived a.c (locked by bob) and b.c,
  // then kMembers plain members in folders of 100, written as the library
  // writes a project file. Their working-file names, in the library's
  // order.
  std::string makeLargeProject() {
    makeMixedProject();
    std::string text = "--ORV Project--\n$Revision$\nEndOptions\n$(projectdir)/a.c a 1.2 \n$(projectdir)/b.c a 1.1 \n";
    names = {work("a.c"), work("b.c")};
    for (int i = 0; i < kMembers; ++i) {
      const std::string name = "d" + std::to_string(100 + i / 100) + "/f" + std::to_string(1000 + i % 100) + ".c";
      text += "$(projectdir)/" + name + " f  \n";
      names.push_back(work(name));
    }
    dir.write("big.pj", text);
    return work("big.pj");
  }

  // h.c's archive of kRevisions trunk revisions written directly (one
  // every ten minutes, a label on every 500th, 1.7 locked by bob) and its
  // working file.
  void makeLongArchive() {
    const std::string out = orv::test::longArchiveText(kRevisions, "bob:1.7");
    ::mkdir(dir.file("rcs").c_str(), 0755);
    dir.write("rcs/h.c", out);
    dir.write("h.c", "first " + std::to_string(kRevisions) + "\n");
  }

  template <class Child>
  Child* child(MainFrame& frame) {
    QMdiSubWindow* window = frame.mdiArea()->currentSubWindow();
    return window ? qobject_cast<Child*>(window->widget()) : nullptr;
  }

  static void clickTitle(QTreeView& view, int logical) {
    QHeaderView* titles = view.header();
    const QPoint at(titles->sectionViewportPosition(logical) + titles->sectionSize(logical) / 2, titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
  }

  template <class Row>
  static bool inOrder(const std::vector<Row>& rows, const std::function<int(const Row&, const Row&)>& compare) {
    for (std::size_t i = 1; i < rows.size(); ++i)
      if (compare(rows[i - 1], rows[i]) > 0) return false;
    return true;
  }

  static std::vector<int> selected(const QTreeView& view) {
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  std::string ini = dir.file("ORVTY.INI");
  std::vector<std::string> names;
};

TEST_F(ListFeedWindowTest, TheProjectListShowsItsFirstMembersAtOnceAndTheRestInOrderAsTheyCome) {
  const std::string path = makeLargeProject();
  // Names from last to first: each member read goes before those shown.
  const unsigned byNameDown = views::kMemberColName | views::kSortDescending;
  chooseForm("Project Window", true, byNameDown);
  MainFrame frame(ui, ini);
  frame.resize(1000, 600);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = child<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  views::MemberListView* list = w->list();
  ASSERT_NE(list, nullptr);
  const auto byKey = [&](const project::MemberRow& a, const project::MemberRow& b) {
    return views::compareMemberRows(a, b, list->columns().sortKey());
  };
  const std::size_t total = names.size();
  ASSERT_FALSE(list->filled()) << "a project this large is not read in one slice";
  EXPECT_GT(list->rows().size(), 0u);
  EXPECT_LT(list->rows().size(), total);
  EXPECT_TRUE(inOrder<project::MemberRow>(list->rows(), byKey));
  EXPECT_EQ(selected(*list), std::vector<int>{0});
  EXPECT_EQ(list->currentIndex().row(), 0);

  // The status line counts the members as they come.
  std::set<std::string> lines;
  while (!list->filled()) {
    QCoreApplication::processEvents();
    if (lines.empty() && !list->filled()) {
      EXPECT_FALSE(test::saveScreenshot(frame, QStringLiteral("project_list_feeding")).isEmpty());
    }
    const std::string line = frame.statusBar()->currentMessage().toStdString();
    EXPECT_EQ(line, project::memberStatusLine(w->project()));
    lines.insert(line);
    ASSERT_TRUE(inOrder<project::MemberRow>(list->rows(), byKey));
  }
  EXPECT_GE(lines.size(), 2u);

  ASSERT_EQ(list->rows().size(), total);
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end(), std::greater<>());
  for (std::size_t i = 0; i < total; ++i) ASSERT_EQ(list->rows()[i].name, expected[i]) << i;
  EXPECT_EQ(selected(*list), std::vector<int>{0}) << "the top row stays the chosen one";
  EXPECT_EQ(list->currentIndex().row(), 0);
  EXPECT_EQ(w->project().memberCount, total);
  EXPECT_EQ(w->project().lockedCount, 1u);
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), project::memberStatusLine(w->project()));
  EXPECT_NE(frame.statusBar()->currentMessage().toStdString().find(std::to_string(total)), std::string::npos);
  EXPECT_FALSE(test::saveScreenshot(frame, QStringLiteral("project_list_fed")).isEmpty());
  frame.close();
}

TEST_F(ListFeedWindowTest, ATitleClickAndACommandWhileMembersComeSeeEveryMemberInOrder) {
  const std::string path = makeLargeProject();
  chooseForm("Project Window", true, views::kMemberColName | views::kSortDescending);
  MainFrame frame(ui, ini);
  frame.resize(1000, 600);
  frame.show();
  const std::size_t total = names.size();
  {
    // Closed before its rows are in: nothing more is read.
    frame.openNames({path});
    ProjectChild* w = child<ProjectChild>(frame);
    ASSERT_NE(w, nullptr);
    ASSERT_FALSE(w->list()->filled());
    w->close();
    QTest::qWait(50);
    EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 0);
  }
  frame.openNames({path});
  ProjectChild* w = child<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  views::MemberListView* list = w->list();
  ASSERT_FALSE(list->filled());
  // The user picks a row of his own, then sorts by the Type column.
  const std::string picked = list->rows()[2].name;
  list->selectRow(2);
  clickTitle(*list, views::kMemberColType);
  ASSERT_EQ(list->header()->sortIndicatorSection(), views::kMemberColType);
  // A command takes the selection before the last rows came.
  ASSERT_FALSE(list->filled());
  const std::vector<int> rows = w->selection(false);
  EXPECT_TRUE(list->filled()) << "the command read the rest first";
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(w->findMemberItem(rows.front(), false)->name, picked) << "the row the user picked";
  EXPECT_EQ(w->rowCount(), static_cast<int>(total));
  const unsigned key = list->columns().sortKey();
  EXPECT_EQ(views::sortColumn(key), views::kMemberColType);
  EXPECT_TRUE(inOrder<project::MemberRow>(list->rows(), [key](const auto& a, const auto& b) {
    return views::compareMemberRows(a, b, key);
  }));
  std::set<std::string> shown;
  for (const project::MemberRow& row : list->rows()) shown.insert(row.name);
  EXPECT_EQ(shown, std::set<std::string>(names.begin(), names.end())) << "every member once";
  frame.close();
}

TEST_F(ListFeedWindowTest, TheArchiveListFeedsItsRevisionsInOrderAndSelectAllTakesEveryOne) {
  makeLongArchive();
  // Lowest revision first: each revision read goes before those shown.
  chooseForm("Archive Window", true, views::kColRevision | views::kSortDescending);
  MainFrame frame(ui, ini);
  frame.resize(1000, 600);
  frame.show();
  frame.openNames({archiveOf("h.c")});
  ArchiveChild* w = child<ArchiveChild>(frame);
  ASSERT_NE(w, nullptr);
  views::RevisionListView* list = w->list();
  ASSERT_NE(list, nullptr);
  const std::size_t total = kRevisions + 1;  // and the working file's row
  const auto byKey = [&](const views::RevisionRecord& a, const views::RevisionRecord& b) {
    return views::compareRevisionRecords(a, b, list->columns().sortKey());
  };
  ASSERT_FALSE(list->filled());
  EXPECT_GT(list->rows().size(), 1u);
  EXPECT_LT(list->rows().size(), total);
  EXPECT_TRUE(inOrder<views::RevisionRecord>(list->rows(), byKey));
  EXPECT_TRUE(list->rows().front().isWorkFile());
  EXPECT_EQ(selected(*list), std::vector<int>{0});
  std::set<std::string> lines;
  while (!list->filled()) {
    QCoreApplication::processEvents();
    if (lines.empty() && !list->filled()) {
      EXPECT_FALSE(test::saveScreenshot(frame, QStringLiteral("archive_list_feeding")).isEmpty());
    }
    lines.insert(frame.statusBar()->currentMessage().toStdString());
  }
  EXPECT_GE(lines.size(), 2u) << "the counts grow as the rows come";
  ASSERT_EQ(list->rows().size(), total);
  for (int k = 1; k <= kRevisions; ++k) ASSERT_EQ(list->rows()[static_cast<std::size_t>(k)].revision, "1." + std::to_string(k));
  EXPECT_EQ(list->rows()[7].locker, "bob");
  EXPECT_EQ(list->rows()[500].labels, "L500");
  EXPECT_EQ(selected(*list), std::vector<int>{0});
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), commands::revisionStatusLine(kRevisions, 1, 1));
  list->scrollToBottom();
  EXPECT_FALSE(test::saveScreenshot(frame, QStringLiteral("archive_list_fed")).isEmpty());
  frame.close();

  // Again, sorted by date (newest first) while the rows come; select all
  // before the last came.
  MainFrame again(ui, ini);
  again.resize(1000, 600);
  again.show();
  again.openNames({archiveOf("h.c")});
  w = child<ArchiveChild>(again);
  ASSERT_NE(w, nullptr);
  list = w->list();
  ASSERT_FALSE(list->filled());
  clickTitle(*list, views::kColDate);
  ASSERT_FALSE(list->filled());
  list->setFocus();
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(list->filled());
  EXPECT_EQ(w->selectedRows().size(), total);
  EXPECT_EQ(again.statusBar()->currentMessage().toStdString(),
            commands::revisionStatusLine(kRevisions, 1, static_cast<int>(total)));
  ASSERT_EQ(list->rows().size(), total);
  EXPECT_EQ(views::sortColumn(list->columns().sortKey()), views::kColDate);
  EXPECT_TRUE(inOrder<views::RevisionRecord>(list->rows(), byKey));
  EXPECT_EQ(list->rows()[1].revision, "1." + std::to_string(kRevisions)) << "the newest first";
  again.close();
}

TEST_F(ListFeedWindowTest, InTheTreeFormACommandAndSelectAllSeeEveryMemberToo) {
  const std::string path = makeLargeProject();
  chooseForm("Project Window", false, views::kMemberColName);
  MainFrame frame(ui, ini);
  frame.resize(1000, 600);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = child<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  views::MemberTreeView* tree = w->tree();
  ASSERT_NE(tree, nullptr);
  ASSERT_FALSE(tree->filled());
  EXPECT_EQ(w->selection(false), std::vector<int>{0});
  EXPECT_TRUE(tree->filled()) << "the command read the rest first";
  EXPECT_EQ(tree->rows().size(), names.size());

  w->close();
  QTest::qWait(50);
  frame.openNames({path});
  w = child<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  tree = w->tree();
  ASSERT_FALSE(tree->filled());
  tree->setFocus();
  QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(tree->filled());
  EXPECT_EQ(w->selection(false).size(), names.size());
  frame.close();
}

TEST_F(ListFeedWindowTest, TheProjectTreeReadsAProjectFileChangedBehindItsWindow) {
  const std::string path = makeMixedProject();
  chooseForm("Project Window", false, views::kMemberColName);
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = child<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  ASSERT_NE(w->tree(), nullptr);
  QTRY_VERIFY_WITH_TIMEOUT(w->tree()->filled(), 60000);
  ASSERT_EQ(w->tree()->rows().size(), 4u);
  // Someone else adds a member and saves.
  dir.write("new.c", "new\n");
  int h = 0;
  ASSERT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY, &h, 0), 0);
  ASSERT_EQ(vcAddMember(h, 'f', work("new.c").c_str(), nullptr, nullptr), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  vcCloseProject(h);
  w->activated();
  ASSERT_TRUE(w->tree()->filled());
  ASSERT_EQ(w->tree()->rows().size(), 5u);
  EXPECT_EQ(w->project().memberCount, 5u);
  bool found = false;
  for (const project::MemberRow& row : w->tree()->rows()) found = found || row.name == work("new.c");
  EXPECT_TRUE(found);
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
