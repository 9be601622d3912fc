// The newcomer's road through the real frame, with the real dialogs filled
// as a user fills them: File > Create Project from a folder of three files
// (members gathered in the file-list dialog) with a sandbox elsewhere, the
// sandbox's window, Member > Select by a name pattern, a check-out of one
// member, an edit, Member > Check In with a log message, and the new
// revision in Member Information and in the member's archive window. Each
// step leaves a screenshot for a person to look at.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/create_project_dialog.h"
#include "workbench/dialogs/member_info_dialog.h"
#include "workbench/dialogs/member_select.h"
#include "workbench/dialogs/project_info_dialog.h"
#include "workbench/dialogs/sandbox_dialog.h"
#include "workbench/dialogs/qt/file_list_dialog.h"
#include "workbench/qt/archive_window.h"
#include "workbench/qt/main_frame.h"
#include "workbench/qt/project_window.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/qt/member_list_view.h"
#include "workbench/views/qt/revision_list_view.h"

namespace orv::workbench {
namespace {

class NewcomerRoadTest : public testing::ProjectTest {
 protected:
  static QAction* item(QMenu* menu, int id) {
    for (QAction* a : menu->actions())
      if (a->data().toInt() == id) return a;
    return nullptr;
  }
  template <class W>
  static W* active(MainFrame& frame) {
    QMdiSubWindow* window = frame.mdiArea()->currentSubWindow();
    return window ? qobject_cast<W*>(window->widget()) : nullptr;
  }
  static std::vector<std::string> selectedNames(ProjectChild& w) {
    std::vector<std::string> out;
    for (int row : w.selection(false)) out.push_back(w.list()->rows()[static_cast<std::size_t>(row)].name);
    std::sort(out.begin(), out.end());
    return out;
  }
  static void selectOnly(ProjectChild& w, const std::string& name) {
    views::MemberListView* list = w.list();
    for (int row = 0; row < static_cast<int>(list->rows().size()); ++row)
      if (list->rows()[static_cast<std::size_t>(row)].name == name)
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  // The head and the locks of the archive of working file work.
  static std::string archiveHead(const std::string& work) {
    char name[512] = {};
    int h = 0;
    if (vcFindArchiveName(work.c_str(), name, sizeof name, &h, VC_ARCHIVE_OPEN_READ) != 0) return "";
    char rev[64] = {};
    vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_HEAD, rev, sizeof rev);
    vcCloseArchive(h);
    return rev;
  }
  static std::vector<std::string> archiveLocks(const std::string& work) {
    char name[512] = {};
    int h = 0;
    std::vector<std::string> out;
    if (vcFindArchiveName(work.c_str(), name, sizeof name, &h, VC_ARCHIVE_OPEN_READ) != 0) return out;
    char entry[128] = {};
    while (vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_NEXT_LOCK, entry, sizeof entry) == 0 && out.size() < 100) out.push_back(entry);
    vcCloseArchive(h);
    return out;
  }
  static void shoot(QWidget& w, const char* name) { EXPECT_FALSE(test::saveScreenshot(w, name).isEmpty()) << name; }

  ui::qt::QtUi qtUi;
  std::string ini = dir.file("ORVTY.INI");
};

TEST_F(NewcomerRoadTest, FromAFolderOfFilesToANewRevision) {
  ::mkdir(dir.file("app").c_str(), 0755);
  dir.write("app/main.c", "int main(void) { return run(); }\n");
  dir.write("app/util.c", "int run(void) { return 0; }\n");
  dir.write("app/util.h", "int run(void);\n");
  const std::string project = dir.file("app/app.pj"), sandbox = dir.file("mine/app.pj");
  const std::string mine = dir.file("mine/util.c");

  MainFrame frame(qtUi, ini);
  qtUi.setOwner(&frame);
  frame.resize(1100, 680);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));

  // File > Create Project: the locations typed, the members gathered in the
  // file-list dialog.
  test::onNextModal([&](QWidget* m) {
    auto& w = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(w.windowTitle(), "Create Project");
    qobject_cast<QLineEdit*>(w.control(dialogs::kCrpProject))->setText(QString::fromStdString(project));
    qobject_cast<QLineEdit*>(w.control(dialogs::kCrpSandbox))->setText(QString::fromStdString(sandbox));
    test::onNextModal([&](QWidget* m2) {
      auto* list = qobject_cast<dialogs::FileListWindow*>(m2);
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(list->directory(), QString::fromStdString(dir.file("app")));
      list->selectAll()->click();
      shoot(*list, "road_2_file_list");
      list->addButton()->click();
      list->okButton()->click();
    });
    QTest::mouseClick(w.control(dialogs::kCrpAddFiles), Qt::LeftButton);
    EXPECT_EQ(qobject_cast<QListWidget*>(w.control(dialogs::kCrpMemberList))->count(), 3);
    shoot(w, "road_1_create_project");
    QTest::mouseClick(w.control(dialogs::kCrpOk), Qt::LeftButton);
  });
  item(frame.fileMenu(), 1503)->trigger();

  // The sandbox's window, its members copied.
  ProjectChild* w = active<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->name(), sandbox);
  EXPECT_TRUE(w->sandbox());
  char cwd[4096] = {};
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd), dir.file("mine")) << "the active window's folder is the current one";
  ASSERT_EQ(w->list()->rows().size(), 3u);
  EXPECT_EQ(dir.read("mine/util.c"), "int run(void) { return 0; }\n");
  EXPECT_EQ(archiveHead(dir.file("app/util.c")), "1.1");
  QTest::qWait(0);
  shoot(frame, "road_3_sandbox_window");

  // Member > Select: the members named util.*.
  test::onNextModal([&](QWidget* m) {
    auto& d = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(d.windowTitle(), "Select Members");
    qobject_cast<QCheckBox*>(d.control(dialogs::kMsFileName))->click();
    qobject_cast<QLineEdit*>(d.control(dialogs::kMsFileNameText))->setText("util.*");
    shoot(d, "road_4_select_members");
    QTest::mouseClick(d.control(dialogs::kMsOk), Qt::LeftButton);
  });
  emit frame.memberMenu()->aboutToShow();
  ASSERT_TRUE(item(frame.memberMenu(), 1531)->isEnabled());
  item(frame.memberMenu(), 1531)->trigger();
  EXPECT_EQ(selectedNames(*w), (std::vector<std::string>{dir.file("mine/util.c"), dir.file("mine/util.h")}));
  shoot(frame, "road_5_selected");

  // The check-out of util.c, locked, through the check-out core (the
  // Check Out dialog is not part of this workbench yet).
  {
    project::OpenProject& p = w->project();
    ASSERT_EQ(vcInProject(p.project, mine.c_str()), 0);
    archive::OpenArchive archive(qtUi, mine, 1, p.project);
    ASSERT_EQ(archive.status(), 0);
    archive::TCoTransferStruct record;
    record.locked = 1;
    record.memberRev = 1;
    archive::setField(record.workFile, mine);
    int answer = 1;
    // The sandbox's copy is writable: the core asks before it replaces it.
    test::onNextModal([](QWidget* m) {
      for (QPushButton* b : m->findChildren<QPushButton*>())
        if (b->text().remove(QLatin1Char('&')) == QLatin1String("Yes")) b->click();
    });
    ASSERT_EQ(archive::checkOutRevision(archive, p.project, record, answer), 0);
  }
  w->refreshMembers(nullptr, 0);
  EXPECT_EQ(archiveLocks(dir.file("app/util.c")), std::vector<std::string>{"alice 1.1"});
  dir.write("mine/util.c", "int run(void) { return 1; }\n");

  // Member > Check In with a log message.
  selectOnly(*w, mine);
  test::onNextModal([&](QWidget* m) {
    auto& d = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(d.windowTitle(), "Check In");
    QTest::keyClicks(qobject_cast<QPlainTextEdit*>(d.control(dialogs::kCiDescription)), "run reports success.");
    shoot(d, "road_6_check_in");
    QTest::mouseClick(d.control(dialogs::kCiOk), Qt::LeftButton);
  });
  emit frame.memberMenu()->aboutToShow();
  item(frame.memberMenu(), 1533)->trigger();
  EXPECT_EQ(archiveHead(dir.file("app/util.c")), "1.2");

  // The new revision in Member Information...
  selectOnly(*w, mine);
  test::onNextModal([&](QWidget* m) {
    auto& d = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(d.windowTitle(), "Member Information");
    auto* revisions = qobject_cast<QComboBox*>(d.control(dialogs::kMiRevisions));
    EXPECT_EQ(revisions->currentText(), "1.2");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(d.control(dialogs::kMiLog))->toPlainText(), "run reports success.");
    shoot(d, "road_7_member_information");
    QTest::mouseClick(d.control(dialogs::kMiCancel), Qt::LeftButton);
  });
  emit frame.memberMenu()->aboutToShow();
  ASSERT_TRUE(item(frame.memberMenu(), 1528)->isEnabled());
  item(frame.memberMenu(), 1528)->trigger();

  // ... and in the member's archive window.
  selectOnly(*w, mine);
  emit frame.memberMenu()->aboutToShow();
  item(frame.memberMenu(), 1532)->trigger();
  ArchiveChild* a = active<ArchiveChild>(frame);
  ASSERT_NE(a, nullptr);
  std::vector<std::string> revisions;
  for (const auto& r : a->list()->rows())
    if (!r.isWorkFile()) revisions.push_back(r.revision);
  EXPECT_EQ(revisions, (std::vector<std::string>{"1.2", "1.1"}));
  QTest::qWait(0);
  shoot(frame, "road_8_archive_window");
  frame.close();
}

// Project > Add Members, Project Information and Create Sandbox through the
// frame's menu, each dialog filled on its widgets.
TEST_F(NewcomerRoadTest, TheProjectMenusDialogs) {
  makeArchive("a.c", {"one\n"});
  dir.write("b.c", "b\n");
  const std::string path = makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  MainFrame frame(qtUi, ini);
  qtUi.setOwner(&frame);
  frame.resize(1000, 600);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = active<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  emit frame.projectMenu()->aboutToShow();
  for (int id : {1526, 1529, 1554}) EXPECT_TRUE(item(frame.projectMenu(), id)->isEnabled()) << id;

  test::onNextModal([&](QWidget* m) {
    auto* list = qobject_cast<dialogs::FileListWindow*>(m);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->windowTitle(), "Add Members");
    for (int i = 0; i < list->files()->count(); ++i)
      if (list->files()->item(i)->text() == "b.c") list->files()->item(i)->setSelected(true);
    list->addButton()->click();
    list->interactive()->click();
    list->automatic()->click();
    shoot(*list, "add_members_through_the_frame");
    list->okButton()->click();
  });
  item(frame.projectMenu(), 1526)->trigger();
  ASSERT_EQ(w->list()->rows().size(), 2u) << "the window shows the new member";
  EXPECT_EQ(archiveHead(work("b.c")), "1.1");

  test::onNextModal([&](QWidget* m) {
    auto& d = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(d.windowTitle(), "Project Information");
    qobject_cast<QLineEdit*>(d.control(dialogs::kPiDescription))->setText("Two files");
    QTest::mouseClick(d.control(dialogs::kPiOk), Qt::LeftButton);
  });
  item(frame.projectMenu(), 1529)->trigger();
  EXPECT_EQ(project::OpenProject(qtUi, path.c_str(), 1).getOption("description", ""), "Two files");

  const std::string sandbox = dir.file("box/s.pj");
  test::onNextModal([&](QWidget* m) {
    auto& d = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(d.windowTitle(), "Create Sandbox");
    qobject_cast<QLineEdit*>(d.control(dialogs::kSbLocation))->setText(QString::fromStdString(sandbox));
    QTest::mouseClick(d.control(dialogs::kSbOk), Qt::LeftButton);
  });
  item(frame.projectMenu(), 1554)->trigger();
  ProjectChild* box = active<ProjectChild>(frame);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->name(), sandbox);
  EXPECT_EQ(box->list()->rows().size(), 2u);
  EXPECT_EQ(dir.read("box/b.c"), "b\n");
  QTest::qWait(0);
  shoot(frame, "sandbox_made_through_the_frame");
  frame.close();
}

// Files dropped from the desktop on a project window become its members,
// and the window shows them at once.
TEST_F(NewcomerRoadTest, FilesDroppedOnAProjectWindowBecomeMembers) {
  dir.write("a.c", "a\n");
  dir.write("b.c", "b\n");
  const std::string path = makeProject("p.pj", {{"a.c", 'f', nullptr}});
  MainFrame frame(qtUi, ini);
  qtUi.setOwner(&frame);
  frame.show();
  frame.openNames({path});
  ProjectChild* w = active<ProjectChild>(frame);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w, 30000));
  EXPECT_TRUE(w->acceptDrops());
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(work("b.c")))});
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &drop);
  ASSERT_EQ(w->list()->rows().size(), 2u);
  EXPECT_EQ(w->list()->rows()[1].name, work("b.c"));
  project::OpenProject saved(qtUi, path.c_str(), 1);
  EXPECT_EQ(vcInProject(saved.project, work("b.c").c_str()), 0) << "saved in the project file";
  QTest::qWait(0);
  shoot(frame, "project_window_after_drop");
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
