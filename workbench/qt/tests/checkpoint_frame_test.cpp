// The project-wide operations through the real frame: a two-level project
// checkpointed from the Project menu, then brought back by its label into
// a fresh sandbox (made and filled by the sandbox core directly) whose
// every file equals the checkpointed text; and the menu and tool-bar
// entries of the other operations enabled and running their dialogs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolBar>
#include <QtTest/QTest>
#include <fstream>
#include <map>

#include "platform/ui/testing/fake_surface.h"
#include "testing/qt_test_support.h"
#include "workbench/app/message_styles.h"
#include "workbench/commands/command_table.h"
#include "workbench/dialogs/build_dialog.h"
#include "workbench/dialogs/checkpoint_dialog.h"
#include "workbench/dialogs/label_members_dialog.h"
#include "workbench/dialogs/member_dependencies_dialog.h"
#include "workbench/project/member_walks.h"
#include "workbench/qt/main_frame.h"
#include "workbench/qt/project_window.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/qt/member_list_view.h"

namespace orv::workbench {
namespace {

using ui::testing::FakeSurface;

class CheckpointFrameTest : public testing::ProjectTest {
 protected:
  ProjectChild* child(MainFrame& frame) {
    QMdiSubWindow* window = frame.mdiArea()->currentSubWindow();
    return window ? qobject_cast<ProjectChild*>(window->widget()) : nullptr;
  }
  void select(ProjectChild& w, const std::string& name) {
    views::MemberListView* list = w.list();
    for (int row = 0; row < static_cast<int>(list->rows().size()); ++row)
      if (list->rows()[static_cast<std::size_t>(row)].name == work(name)) {
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
      }
    ADD_FAILURE() << "no row " << name;
  }
  static QAction* item(const QList<QAction*>& actions, int id) {
    for (QAction* a : actions)
      if (a->data().toInt() == id) return a;
    return nullptr;
  }
  // p.pj: a.c and b.c, and the subproject s.pj holding c.c.
  void makeTree() {
    makeArchive("a.c", {"a one\n", "a two\n"});
    makeArchive("b.c", {"b one\n"});
    makeArchive("c.c", {"c one\n"});
    makeProject("s.pj", {{"c.c", 'a', "1.1"}});
    makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"b.c", 'a', "1.1"}, {"s.pj", 'i', nullptr}});
  }
  std::vector<std::string> memberNames(int project) {
    std::vector<std::string> names;
    char name[600] = {};
    for (int rc = vcGetMember(project, VC_MEMBER_ITEM_FIRST, name, sizeof name - 1); rc == 0;
         rc = vcGetMember(project, VC_MEMBER_ITEM_NEXT, name, sizeof name - 1))
      names.emplace_back(name);
    return names;
  }

  std::string ini = dir.file("ORVTY.INI");
};

TEST_F(CheckpointFrameTest, CheckpointedProjectComesBackByItsLabelInAFreshSandbox) {
  makeTree();
  MainFrame frame(ui, ini);
  frame.resize(900, 500);
  frame.show();
  frame.openNames({work("p.pj")});
  ProjectChild* w = child(frame);
  ASSERT_NE(w, nullptr);

  QAction* checkpoint = item(frame.projectMenu()->actions(), commands::kCommandCheckpoint);
  ASSERT_NE(checkpoint, nullptr);
  EXPECT_EQ(checkpoint->text(), "&Checkpoint Project...");
  EXPECT_TRUE(checkpoint->isEnabled());
  ui.expectDialog(dialogs::kCheckpointDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    s.setText(dialogs::kCpLabel, "REL1");
    s.setChecked(dialogs::kCpApplyLabel, true);
    s.setText(dialogs::kCpDescription, "First release.");
    s.close(l, ui::kAnswerOk);
  });
  ui.expectMessage("is a subproject", app::kAnswerYesToAll);
  checkpoint->trigger();

  EXPECT_EQ(head("p.pj"), "1.1");
  EXPECT_EQ(head("s.pj"), "1.1");
  for (const char* name : {"p.pj", "s.pj", "a.c", "b.c", "c.c"}) {
    EXPECT_FALSE(labelRevision(name, "REL1").empty()) << name;
    EXPECT_TRUE(locks(name).empty()) << name;
  }
  // The window shows the project as it is now.
  ASSERT_EQ(child(frame), w);
  EXPECT_EQ(w->list()->rows().size(), 3u);
  const std::map<std::string, std::string> checkpointed = {
      {"a.c", dir.read("a.c")}, {"b.c", dir.read("b.c")}, {"c.c", dir.read("c.c")}};
  frame.close();

  // Work goes on after the checkpoint.
  for (const char* name : {"a.c", "c.c"}) {
    const int h = lockedHandle(name);
    dir.write(name, std::string("later ") + name + "\n");
    char rev[64] = {};
    ASSERT_EQ(vcCiRevision(h, "", work(name).c_str(), 0, rev, sizeof rev), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }

  // A fresh sandbox of the revision the label names, made and filled by the
  // sandbox core, holds every file as checkpointed.
  ::mkdir(work("settings").c_str(), 0755);
  std::ofstream(work("settings/ORVTY.INI")) << "[Recursion]\nRecurseOnCreateSandbox=yes\n";
  const std::string revision = labelRevision("p.pj", "REL1");
  project::OpenProject none(ui, nullptr);
  ASSERT_EQ(project::createSubprojectSandbox(none, work("fresh/p.pj"), VC_SANDBOX_OPEN_CREATE, work("p.pj"),
                                             revision.c_str()),
            0);
  project::OpenProject sandbox(ui, work("fresh/p.pj").c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE);
  ASSERT_EQ(sandbox.status, 0);
  ASSERT_EQ(sandbox.makeCurrent(), 1);
  project::MemberWalk walk;
  for (const std::string& member : memberNames(sandbox.project))
    EXPECT_EQ(project::resynchronizeMembers(sandbox, member, walk, false, true), 0) << member;
  for (const auto& [file, text] : checkpointed) EXPECT_EQ(dir.read("fresh/" + file), text) << file;
}

TEST_F(CheckpointFrameTest, OtherOperationsRunFromTheirMenusAndToolBar) {
  makeTree();
  ::chmod(work("b.c").c_str(), 0444);
  MainFrame frame(ui, ini);
  frame.resize(900, 500);
  frame.show();
  frame.openNames({work("p.pj")});
  ProjectChild* w = child(frame);
  ASSERT_NE(w, nullptr);
  select(*w, "b.c");
  QCoreApplication::processEvents();

  struct Entry {
    QMenu* menu;
    int id;
    int dialog;  // 0: none
  };
  const Entry entries[] = {
      {frame.memberMenu(), commands::kCommandLabelMembers, dialogs::kLabelMembersDialogId},
      {frame.memberMenu(), commands::kCommandDependencies, dialogs::kMemberDependenciesDialogId},
      {frame.projectMenu(), commands::kCommandBuild, dialogs::kBuildDialogId},
      {frame.memberMenu(), commands::kCommandResynchronize, 0},
      {frame.memberMenu(), commands::kCommandRemoveUnusedLocks, 0},
  };
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.id);
    QAction* a = item(e.menu->actions(), e.id);
    if (!a) a = item(frame.projectMenu()->actions(), e.id);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->isEnabled());
    if (e.dialog) ui.expectDialog(e.dialog, [](FakeSurface& s, ui::DialogLogic& l) { s.close(l, ui::kAnswerCancel); });
    // Remove Unused Locks walks every member, the subproject too.
    if (e.id == commands::kCommandRemoveUnusedLocks) ui.expectMessage("is a subproject", ui::kAnswerNo);
    a->trigger();
    EXPECT_TRUE(ui.messages.empty() || ui.messages.back().text.find("not available") == std::string::npos);
  }
  // The tool bar's buttons of these commands act as their menu entries.
  QToolBar* bar = frame.toolbar(app::ToolbarKind::project);
  ASSERT_NE(bar, nullptr);
  for (int id : {commands::kCommandLabelMembers, commands::kCommandBuild})
    if (QAction* a = item(bar->actions(), id)) {
      EXPECT_TRUE(a->isEnabled()) << id;
    }
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
