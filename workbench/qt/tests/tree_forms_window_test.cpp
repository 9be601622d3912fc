// The archive and project windows in their tree form ([Archive Window] and
// [Project Window] ListView "no"), in the frame, over real archives with
// branches and real projects with folders: the rows nested as the library
// holds them, every menu command enabled and named as in the list form for
// the same selection, a deep branch revision handed whole to the commands,
// the closed rows remembered, and a command run through the frame.
// Screenshots of both windows in both forms are saved.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QtTest/QTest>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/profile/profile.h"
#include "platform/spawn/recording_spawner.h"
#include "testing/qt_test_support.h"
#include "workbench/commands/document_windows.h"
#include "workbench/qt/archive_window.h"
#include "workbench/qt/main_frame.h"
#include "workbench/qt/project_window.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/qt/log_panel.h"
#include "workbench/views/qt/member_list_view.h"
#include "workbench/views/qt/member_tree_view.h"
#include "workbench/views/qt/revision_list_view.h"
#include "workbench/views/qt/revision_tree_view.h"

namespace orv::workbench {
namespace {

class TreeFormsWindowTest : public testing::ProjectTest {
 protected:
  void beforeStart() override {
    ::mkdir(dir.file("src").c_str(), 0755);
    ::mkdir(dir.file("src/lib").c_str(), 0755);
  }

  void chooseForm(const char* section, bool list) {
    ASSERT_EQ(profile::writeProfileString(ini, section, "ListView", list ? "yes" : "no"), 0);
  }

  std::string checkIn(int h, const std::string& name, const char* base, const std::string& text) {
    dir.write(name, text);
    char number[64] = {};
    EXPECT_EQ(vcCiRevision(h, base, work(name).c_str(), 0, number, sizeof number), 0) << base;
    return number;
  }

  // b.c: trunk 1.1 to 1.3; branches 1.2.1 (two revisions) and 1.2.2 from
  // 1.2; from 1.1 branches ten levels deep (each level's first revision
  // has a second, and the next level branches from the first), the last
  // revision's number 43 characters long; a label and a lock on branch
  // revisions. 25 revisions in all.
  void makeBranchedArchive() {
    makeArchive("b.c", {"one\n", "two\n", "three\n"});
    int h = lockedHandle("b.c");
    EXPECT_EQ(checkIn(h, "b.c", "1.2", "b1\n"), "1.2.1.1");
    EXPECT_EQ(checkIn(h, "b.c", "1.2.1.1", "b2\n"), "1.2.1.2");
    EXPECT_EQ(checkIn(h, "b.c", "1.2", "c1\n"), "1.2.2.1");
    std::string base = "1.1";
    for (int level = 0; level < 10; ++level) {
      base = checkIn(h, "b.c", base.c_str(), "deep " + std::to_string(level) + "\n");
      if (level < 9) checkIn(h, "b.c", base.c_str(), "on " + std::to_string(level) + "\n");
    }
    deep = base;
    EXPECT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "FIX", "1.2.1.2"), 0);
    EXPECT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_LOG, deep.c_str(), "At the bottom."), 0);
    EXPECT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcCloseArchive(h);
    vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "bob");
    h = lockedHandle("b.c");
    EXPECT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2.2.1", nullptr), 0);
    EXPECT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcCloseArchive(h);
    vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
    dir.write("b.c", "three\n");
  }

  // p.pj: the mixed project's members and two more in folders.
  std::string makeFolderProject() {
    makeMixedProject();
    makeArchive("src/c.c", {"c\n"});
    makeArchive("src/lib/d.c", {"d\n", "d2\n"});
    return makeProject("q.pj", {{"a.c", 'a', "1.2"},
                                {"n.c", 'f', nullptr},
                                {"sub.pj", 'i', "1.1"},
                                {"b.c", 'a', "1.1"},
                                {"src/c.c", 'a', "1.1"},
                                {"src/lib/d.c", 'a', "1.2"}});
  }

  // The locks of the archive the library finds for working file name.
  std::vector<std::string> locksOf(const std::string& name) {
    int h = 0;
    char found[513] = {};
    std::vector<std::string> out;
    EXPECT_EQ(vcFindArchiveName(work(name).c_str(), found, sizeof found, &h, VC_ARCHIVE_OPEN_READ), 0) << name;
    char entry[162];
    while (vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_NEXT_LOCK, entry, sizeof entry) == 0 && out.size() < 100) out.push_back(entry);
    vcCloseArchive(h);
    return out;
  }

  template <class Child>
  Child* child(MainFrame& frame) {
    QMdiSubWindow* window = frame.mdiArea()->currentSubWindow();
    return window ? qobject_cast<Child*>(window->widget()) : nullptr;
  }

  // Selects the rows of revisions ("" the working file) in whichever form.
  static void selectRevisions(ArchiveChild& w, const std::vector<std::string>& revisions) {
    QItemSelection selection;
    QAbstractItemView* view = static_cast<QAbstractItemView*>(w.view());
    for (const std::string& revision : revisions) {
      QModelIndex index;
      if (w.list()) {
        const auto& rows = w.list()->rows();
        for (int row = 0; row < static_cast<int>(rows.size()); ++row)
          if ((revision.empty() && rows[static_cast<std::size_t>(row)].isWorkFile()) ||
              (!revision.empty() && rows[static_cast<std::size_t>(row)].revision == revision))
            index = view->model()->index(row, 0);
      } else {
        const views::RevisionTree& tree = w.tree()->tree();
        const int node = revision.empty() ? tree.children(views::RevisionTree::kTop).front() : tree.find(revision);
        index = w.tree()->treeModel()->indexOf(node);
      }
      ASSERT_TRUE(index.isValid()) << revision;
      selection.select(index, index);
      // As a click does, the first row picked is the current one.
      if (selection.size() == 1) view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }

  // Selects the members of working-file names in whichever form.
  void selectMembers(ProjectChild& w, const std::vector<std::string>& names) {
    QItemSelection selection;
    QAbstractItemView* view = static_cast<QAbstractItemView*>(w.view());
    for (const std::string& name : names) {
      QModelIndex index;
      if (w.list()) {
        const auto& rows = w.list()->rows();
        for (int row = 0; row < static_cast<int>(rows.size()); ++row)
          if (rows[static_cast<std::size_t>(row)].name == work(name)) index = view->model()->index(row, 0);
      } else {
        const auto& rows = w.tree()->rows();
        for (int row = 0; row < static_cast<int>(rows.size()); ++row)
          if (rows[static_cast<std::size_t>(row)].name == work(name))
            index = w.tree()->treeModel()->indexOf(w.tree()->treeModel()->tree().nodeOfMember(row));
      }
      ASSERT_TRUE(index.isValid()) << name;
      selection.select(index, index);
    }
    view->selectionModel()->clearSelection();
    if (!names.empty()) view->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  // Every item of menus: "id text enabled".
  static std::vector<std::string> menuState(std::initializer_list<QMenu*> menus) {
    std::vector<std::string> out;
    for (QMenu* menu : menus) {
      emit menu->aboutToShow();
      for (QAction* a : menu->actions())
        if (!a->isSeparator())
          out.push_back(std::to_string(a->data().toInt()) + " " + a->text().toStdString() + (a->isEnabled() ? " on" : " off"));
    }
    return out;
  }

  std::string ini = dir.file("ORVTY.INI");
  std::string deep;
};

TEST_F(TreeFormsWindowTest, TheArchiveTreeNestsBranchesAndHandsADeepRevisionWhole) {
  makeBranchedArchive();
  ASSERT_GE(deep.size(), 40u);
  chooseForm("Archive Window", false);
  MainFrame frame(ui, ini);
  frame.resize(1000, 600);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));
  frame.openNames({archiveOf("b.c")});
  ArchiveChild* w = child<ArchiveChild>(frame);
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->list(), nullptr);
  ASSERT_NE(w->tree(), nullptr);
  EXPECT_FALSE(w->listForm());
  QTRY_VERIFY_WITH_TIMEOUT(w->tree()->filled(), 60000);
  EXPECT_TRUE(w->tree()->complete());

  const views::RevisionTree& tree = w->tree()->tree();
  ASSERT_EQ(tree.size(), 26u) << "the working file and 25 revisions";
  std::vector<std::string> top;
  for (int n : tree.children(views::RevisionTree::kTop))
    top.push_back(tree.record(n).isWorkFile() ? "work" : tree.record(n).revision);
  EXPECT_EQ(top, (std::vector<std::string>{"work", "1.3", "1.2", "1.1"}));
  for (std::size_t n = 0; n < tree.size(); ++n) {
    const std::string& revision = tree.record(static_cast<int>(n)).revision;
    const std::string point(views::branchPointOf(revision));
    const int parent = tree.parent(static_cast<int>(n));
    EXPECT_EQ(parent == views::RevisionTree::kTop ? std::string() : tree.record(parent).revision, point) << revision;
  }
  EXPECT_EQ(frame.statusBar()->currentMessage(), "25 revisions:  1 locked;  1 selected");

  // The view shows the rows open, the titles of the tree above them.
  QStringList titles;
  for (int c = 0; c < views::kRevisionTreeColumnCount; ++c)
    titles << w->tree()->model()->headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(titles, (QStringList{"Revision", "Author", "Date", "State", "Locker", "Labels"}));
  const QModelIndex fix = w->tree()->treeModel()->indexOf(tree.find("1.2.1.2"));
  EXPECT_TRUE(w->tree()->isExpanded(fix.parent()));
  EXPECT_EQ(fix.siblingAtColumn(views::kTreeColLabels).data().toString(), "FIX");
  EXPECT_EQ(w->tree()->treeModel()->indexOf(tree.find("1.2.2.1")).siblingAtColumn(views::kTreeColLocker).data().toString(),
            "bob");

  // The deep revision reaches the commands whole, alone and in a pair.
  selectRevisions(*w, {deep});
  EXPECT_EQ(w->logPanel()->toPlainText(), "At the bottom.");
  std::string chosen;
  EXPECT_TRUE(commands::singleSelection(ui, *w, chosen, false));
  EXPECT_EQ(chosen, deep);
  EXPECT_EQ(w->tree()->transfer(), deep);
  const QModelIndex deepIndex = w->tree()->currentIndex();
  EXPECT_EQ(deepIndex.data(Qt::ToolTipRole).toString().toStdString(), deep) << "its tip shows it whole";
  const int cw = w->tree()->fontMetrics().horizontalAdvance(QLatin1Char('A'));
  EXPECT_GT(w->tree()->header()->sectionSize(views::kTreeColRevision), 16 * cw) << "widened for the branches";
  EXPECT_LE(w->tree()->header()->sectionSize(views::kTreeColRevision), 40 * cw) << "but not without end";
  selectRevisions(*w, {"1.2.1.2"});
  w->subWindow()->resize(980, 470);
  w->tree()->scrollToTop();
  EXPECT_FALSE(test::saveScreenshot(frame, QStringLiteral("archive_window_tree")).isEmpty());
  selectRevisions(*w, {"1.2", deep});
  EXPECT_EQ(commands::selectedRevisions(*w), (std::vector<std::string>{"1.2", deep})) << "top to bottom";

  // Lock Revision from the menu on a branch revision; the refresh keeps
  // the row selected, since the number of rows is the same.
  selectRevisions(*w, {"1.2.1.1"});
  emit frame.archiveMenu()->aboutToShow();
  QAction* lock = nullptr;
  for (QAction* a : frame.archiveMenu()->actions())
    if (a->data().toInt() == 1520) lock = a;
  ASSERT_NE(lock, nullptr);
  ASSERT_TRUE(lock->isEnabled());
  lock->trigger();
  std::vector<std::string> held = locks("b.c");
  std::sort(held.begin(), held.end());
  EXPECT_EQ(held, (std::vector<std::string>{"alice 1.2.1.1", "bob 1.2.2.1"}));
  ASSERT_EQ(w->selectedRows().size(), 1u);
  EXPECT_EQ(w->selectedRows().front().revision, "1.2.1.1");
  EXPECT_EQ(frame.statusBar()->currentMessage(), "25 revisions:  2 locked;  1 selected");
  frame.close();
}

TEST_F(TreeFormsWindowTest, ClosedBranchesStayClosedInTheNextArchiveWindow) {
  makeBranchedArchive();
  chooseForm("Archive Window", false);
  {
    MainFrame frame(ui, ini);
    frame.show();
    frame.openNames({archiveOf("b.c")});
    ArchiveChild* w = child<ArchiveChild>(frame);
    ASSERT_NE(w, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(w->tree()->filled(), 60000);
    const QModelIndex point = w->tree()->treeModel()->indexOf(w->tree()->tree().find("1.2"));
    ASSERT_TRUE(w->tree()->isExpanded(point));
    w->tree()->collapse(point);
    frame.close();
  }
  EXPECT_EQ(profile::getProfileString(ini, "Archive Window", "TreeCollapsed", ""), "1.2");
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({archiveOf("b.c")});
  ArchiveChild* w = child<ArchiveChild>(frame);
  ASSERT_NE(w, nullptr);
  QTRY_VERIFY_WITH_TIMEOUT(w->tree()->filled(), 60000);
  const views::RevisionTree& tree = w->tree()->tree();
  EXPECT_FALSE(w->tree()->isExpanded(w->tree()->treeModel()->indexOf(tree.find("1.2"))));
  EXPECT_TRUE(w->tree()->isExpanded(w->tree()->treeModel()->indexOf(tree.find("1.1.1.1")))) << "only the closed one";
  EXPECT_TRUE(w->tree()->isExpanded(w->tree()->treeModel()->indexOf(tree.find("1.1"))));
  frame.close();
}

TEST_F(TreeFormsWindowTest, EveryArchiveCommandIsTheSameInBothForms) {
  makeBranchedArchive();
  const std::vector<std::vector<std::string>> selections = {
      {""}, {"1.3"}, {"1.2.1.1"}, {"1.3", "1.2"}, {"1.3", "1.2", "1.1"}, {"", "1.3"}, {}};
  std::map<bool, std::vector<std::vector<std::string>>> states;
  for (bool list : {true, false}) {
    chooseForm("Archive Window", list);
    MainFrame frame(ui, ini);
    frame.resize(1000, 600);
    frame.show();
    frame.openNames({archiveOf("b.c")});
    ArchiveChild* w = child<ArchiveChild>(frame);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->listForm(), list);
    if (w->tree()) w->tree()->finishFill();
    if (list) {
      EXPECT_FALSE(test::saveScreenshot(frame, QStringLiteral("archive_window_list")).isEmpty());
    }
    for (const auto& selection : selections) {
      selectRevisions(*w, selection);
      EXPECT_EQ(w->facts().selectedCount, static_cast<int>(selection.size()));
      states[list].push_back(menuState({frame.fileMenu(), frame.archiveMenu()}));
    }
    frame.close();
  }
  ASSERT_EQ(states[true].size(), selections.size());
  for (std::size_t i = 0; i < selections.size(); ++i) EXPECT_EQ(states[false][i], states[true][i]) << "selection " << i;
  // The cases do tell commands apart.
  EXPECT_NE(states[true][0], states[true][1]);
  EXPECT_NE(states[true][3], states[true][4]);
}

TEST_F(TreeFormsWindowTest, TheProjectTreeShowsFoldersAndEveryMemberCommandIsTheSameInBothForms) {
  const std::string path = makeFolderProject();
  // a.c's working file no longer holds its revision, so its detail has
  // something to explain.
  dir.write("a.c", "two\nedited\n");
  const std::vector<std::vector<std::string>> selections = {
      {"a.c"}, {"n.c"}, {"sub.pj"}, {"src/lib/d.c"}, {"a.c", "src/c.c"}, {}};
  std::map<bool, std::vector<std::vector<std::string>>> states;
  for (bool list : {true, false}) {
    chooseForm("Project Window", list);
    MainFrame frame(ui, ini);
    frame.resize(1100, 600);
    frame.show();
    frame.openNames({path});
    ProjectChild* w = child<ProjectChild>(frame);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->list() != nullptr, list);
    if (!list) {
      views::MemberTreeView* tree = w->tree();
      QTRY_VERIFY_WITH_TIMEOUT(tree->filled(), 60000);
      ASSERT_EQ(tree->rows().size(), 6u);
      const views::MemberTree& folders = tree->treeModel()->tree();
      std::vector<std::string> shown;
      for (int n : folders.preorder()) shown.push_back(folders.node(n).label + (folders.isFolder(n) ? "/" : ""));
      EXPECT_EQ(shown, (std::vector<std::string>{"a.c", "b.c", "n.c", "sub.pj", "src/", "c.c", "lib/", "d.c"}))
          << "the library's member order, folders where their first member comes";
      const QModelIndex lib = tree->treeModel()->indexOf(folders.node(folders.nodeOfMember(5)).parent);
      EXPECT_TRUE(tree->isExpanded(lib));
      EXPECT_EQ(lib.siblingAtColumn(views::kTreeColName).data().toString(), "lib");
      // The member glyphs of the list: the type's, a padlock for a lock.
      const int a = folders.nodeOfMember(0);
      const QModelIndex aType = tree->treeModel()->indexOf(a).siblingAtColumn(views::kTreeColType);
      EXPECT_EQ(aType.data().toString(), "Archived");
      EXPECT_EQ(aType.data(views::kGlyphStripRole).toList().size(), 3);
      EXPECT_FALSE(aType.siblingAtColumn(views::kTreeColMemberRevision).data(views::kGlyphStripRole).toList().front().value<QIcon>().isNull())
          << "a.c is locked";
      EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), project::memberStatusLine(w->project()));
    }
    for (const auto& selection : selections) {
      selectMembers(*w, selection);
      EXPECT_EQ(w->selection(false).size(), selection.size());
      states[list].push_back(menuState({frame.fileMenu(), frame.projectMenu(), frame.memberMenu()}));
      // The same detail of the selection, the same status line.
      states[list].back().push_back(w->detailPane()->toPlainText().toStdString());
      states[list].back().push_back(frame.statusBar()->currentMessage().toStdString());
      if (selection.size() == 1) {
        const std::vector<int> rows = w->selection(false);
        EXPECT_EQ(w->findMemberItem(rows.front(), false)->name, work(selection.front()));
        if (selection.front() == "a.c") {
          EXPECT_FALSE(w->detailPane()->toPlainText().isEmpty());
        }
      }
      if (selection == std::vector<std::string>{"src/lib/d.c"}) {
        EXPECT_FALSE(test::saveScreenshot(frame, list ? QStringLiteral("project_window_list")
                                                      : QStringLiteral("project_window_tree"))
                         .isEmpty());
      }
    }
    frame.close();
  }
  ASSERT_EQ(states[true].size(), selections.size());
  for (std::size_t i = 0; i < selections.size(); ++i) EXPECT_EQ(states[false][i], states[true][i]) << "selection " << i;
  EXPECT_NE(states[true][0], states[true][1]);
  EXPECT_NE(states[true][0], states[true][5]);
}

TEST_F(TreeFormsWindowTest, LockingAMemberInTheTreeReadsItsRowAgain) {
  const std::string path = makeFolderProject();
  chooseForm("Project Window", false);
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = child<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  QTRY_VERIFY_WITH_TIMEOUT(w->tree()->filled(), 60000);
  selectMembers(*w, {"src/lib/d.c"});
  emit frame.memberMenu()->aboutToShow();
  QAction* lock = nullptr;
  for (QAction* a : frame.memberMenu()->actions())
    if (a->data().toInt() == 1555) lock = a;
  ASSERT_NE(lock, nullptr);
  ASSERT_TRUE(lock->isEnabled());
  lock->trigger();
  EXPECT_EQ(locksOf("src/lib/d.c"), std::vector<std::string>{"alice 1.2"});
  const std::vector<int> rows = w->selection(false);
  ASSERT_EQ(rows.size(), 1u);
  const project::MemberRow* row = w->findMemberItem(rows.front(), false);
  EXPECT_EQ(row->name, work("src/lib/d.c"));
  EXPECT_EQ(row->locker, "alice") << "the row shows the lock";
  frame.close();
}

TEST_F(TreeFormsWindowTest, ARefreshKeepsTheSelectionOnlyWhenTheNumberOfMembersStays) {
  const std::string path = makeFolderProject();
  chooseForm("Project Window", false);
  MainFrame frame(ui, ini);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = child<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  w->tree()->finishFill();
  selectMembers(*w, {"src/c.c", "b.c"});
  w->reloadMembers();
  auto selectedNames = [&] {
    std::vector<std::string> names;
    for (int row : w->selection(false)) names.push_back(w->findMemberItem(row, false)->name);
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(selectedNames(), (std::vector<std::string>{work("b.c"), work("src/c.c")}));

  // A member more: the selection goes back to the first member.
  dir.write("new.c", "new\n");
  int h = 0;
  ASSERT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY, &h, 0), 0);
  ASSERT_EQ(vcAddMember(h, 'f', work("new.c").c_str(), nullptr, nullptr), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  vcCloseProject(h);
  // As the Refresh command does.
  w->project().reopen();
  w->reloadMembers();
  ASSERT_EQ(w->tree()->rows().size(), 7u);
  const std::vector<int> rows = w->selection(false);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows.front(), 0);
  frame.close();
}

TEST_F(TreeFormsWindowTest, DoubleClickingABranchRevisionViewsItAndLeavesTheBranchOpen) {
  makeBranchedArchive();
  chooseForm("Archive Window", false);
  platform::RecordingSpawner spawner;
  MainFrame frame(ui, ini, &spawner);
  frame.show();
  frame.openNames({archiveOf("b.c")});
  ArchiveChild* w = child<ArchiveChild>(frame);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w, 30000));
  w->tree()->finishFill();
  const QModelIndex point = w->tree()->treeModel()->indexOf(w->tree()->tree().find("1.2"));
  const QModelIndex branch = w->tree()->treeModel()->indexOf(w->tree()->tree().find("1.2.1.1"));
  const QRect cell = w->tree()->visualRect(branch.siblingAtColumn(views::kTreeColAuthor));
  QTest::mouseClick(w->tree()->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(w->tree()->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_EQ(spawner.starts.size(), 1u);
  std::ifstream in(spawner.starts[0].argv.back());
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "b1\n") << "a copy of 1.2.1.1";
  EXPECT_TRUE(w->tree()->isExpanded(point));
  // On the branch point the double click views it too; the branch stays open.
  const QRect pointCell = w->tree()->visualRect(point.siblingAtColumn(views::kTreeColAuthor));
  QTest::mouseClick(w->tree()->viewport(), Qt::LeftButton, {}, pointCell.center());
  QTest::mouseDClick(w->tree()->viewport(), Qt::LeftButton, {}, pointCell.center());
  EXPECT_EQ(spawner.starts.size(), 2u);
  EXPECT_TRUE(w->tree()->isExpanded(point));
  frame.close();
}

TEST_F(TreeFormsWindowTest, AsARevisionChooserTheTreeHandsOnTheCurrentRevisionWhole) {
  makeBranchedArchive();
  archive::OpenArchive archive(ui, archiveOf("b.c"), 1);
  ASSERT_EQ(archive.status(), 0);
  views::RevisionTreeView chooser(archive, ini, nullptr, false);
  chooser.setSelectionMode(QAbstractItemView::SingleSelection);
  chooser.fill(true);
  EXPECT_TRUE(chooser.filled());
  const auto& top = chooser.tree().children(views::RevisionTree::kTop);
  ASSERT_FALSE(top.empty());
  EXPECT_EQ(chooser.tree().record(top.front()).revision, "1.3") << "no working-file row";
  EXPECT_EQ(chooser.transfer(), "1.3") << "the first row is the current one";
  chooser.selectRevision(deep);
  EXPECT_EQ(chooser.transfer(), deep);
  chooser.selectRevision("9.9");
  EXPECT_EQ(chooser.transfer(), deep) << "an unknown text leaves the current row";
  chooser.selectionModel()->clearCurrentIndex();
  EXPECT_EQ(chooser.transfer(), "") << "no current row, nothing chosen";
}

}  // namespace
}  // namespace orv::workbench
