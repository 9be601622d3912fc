// The project dialogs on real widgets: Create Project, the file-list
// dialog (typed names filter the list, a double click adds, Select All,
// Add and Remove follow the selections), Create Sandbox, Select Members and
// Project Information, each with a screenshot for a person to look at.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/commands/window_commands.h"
#include "workbench/dialogs/create_project_dialog.h"
#include "workbench/dialogs/member_info_dialog.h"
#include "workbench/dialogs/member_select.h"
#include "workbench/dialogs/project_info_dialog.h"
#include "workbench/dialogs/qt/file_list_dialog.h"
#include "workbench/dialogs/sandbox_dialog.h"
#include "workbench/external/file_choices.h"
#include "workbench/external/file_filters.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

QStringList texts(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

class ProjectCreationDialogsOnScreen : public testing::ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    for (const char* n : {"main.c", "util.c", "util.h", "notes.txt"}) dir.write(n, std::string(n) + "\n");
    ::mkdir(dir.file("docs").c_str(), 0755);
    dir.write("docs/guide.txt", "guide\n");
  }
  FileListRequest request(bool archives) {
    FileListRequest r;
    r.caption = archives ? "Add Members" : "Add Project Members";
    r.directory = dir.path();
    r.filters = external::fileDialogFilters(external::kMemberFileFilter);
    r.archiveChoices = archives;
    return r;
  }
  ui::qt::QtUi qtUi;
};

TEST_F(ProjectCreationDialogsOnScreen, FileListFiltersByTypedNamesAndAddsByDoubleClick) {
  FileListWindow w(request(false), nullptr);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
  EXPECT_EQ(texts(w.files()), (QStringList{"main.c", "notes.txt", "util.c", "util.h"}));
  EXPECT_EQ(texts(w.folders()), (QStringList{"..", "docs", "settings"}));
  EXPECT_FALSE(w.addButton()->isEnabled());
  EXPECT_FALSE(w.removeButton()->isEnabled());
  EXPECT_EQ(w.createArchives(), nullptr) << "Create Project's list has no archive choices";

  QTest::keyClicks(w.nameBox(), "util.h  main.c");
  QTest::keyClick(w.nameBox(), Qt::Key_Return);
  EXPECT_EQ(texts(w.files()), (QStringList{"main.c", "util.h"}));
  EXPECT_EQ(w.nameBox()->text(), "util.h  main.c") << "the text stays as typed";

  QListWidget* files = w.files();
  ASSERT_TRUE(w.isVisible()) << "Enter in the name box filters; it does not end the dialog";
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(1)).center());
  QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(1)).center());
  EXPECT_EQ(texts(w.members()), QStringList{QString::fromStdString(work("util.h"))});

  w.nameBox()->clear();
  QTest::keyClick(w.nameBox(), Qt::Key_Return);
  w.types()->setCurrentIndex(1);  // C/C++ Files
  EXPECT_EQ(texts(w.files()), (QStringList{"main.c", "util.c", "util.h"}));
  w.selectAll()->click();
  EXPECT_EQ(files->selectedItems().size(), 3);
  EXPECT_TRUE(w.addButton()->isEnabled());
  test::saveScreenshot(w, "file_list_dialog");
  w.addButton()->click();
  EXPECT_EQ(w.members()->count(), 3) << "util.h only once";
  EXPECT_FALSE(w.addButton()->isEnabled());
  EXPECT_FALSE(w.selectAll()->isChecked());
  w.members()->item(0)->setSelected(true);
  EXPECT_TRUE(w.removeButton()->isEnabled());
  w.removeButton()->click();
  EXPECT_EQ(w.members()->count(), 2);
  test::saveScreenshot(w, "file_list_dialog_members");

  w.types()->setCurrentIndex(0);
  w.nameBox()->setText("docs");
  QTest::keyClick(w.nameBox(), Qt::Key_Return);
  EXPECT_EQ(w.directory(), QString::fromStdString(work("docs")));
  EXPECT_EQ(texts(w.files()), QStringList{"guide.txt"});
  w.hide();
}

TEST_F(ProjectCreationDialogsOnScreen, AddMembersShowsItsArchiveChoices) {
  FileListWindow w(request(true), nullptr);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
  ASSERT_NE(w.createArchives(), nullptr);
  EXPECT_TRUE(w.createArchives()->isChecked());
  EXPECT_TRUE(w.automatic()->isChecked());
  w.files()->item(0)->setSelected(true);
  test::saveScreenshot(w, "add_members_dialog");
  w.createArchives()->click();
  EXPECT_FALSE(w.automatic()->isEnabled());
  EXPECT_FALSE(w.interactive()->isEnabled());
  w.okButton()->click();
  const FileListAnswer answer = w.answer();
  EXPECT_EQ(answer.members, std::vector<std::string>{work("main.c")}) << "OK takes the selected files";
  EXPECT_FALSE(answer.createArchives);
}

TEST_F(ProjectCreationDialogsOnScreen, CreateProjectDialog) {
  CreateProjectRequest result;
  CreateProjectDialog logic(qtUi, dir.path(), {work("main.c"), work("util.c")}, result);
  ui::qt::DialogWindow w(createProjectDialogDescription(), logic, qtUi, nullptr);
  w.setUpLogic();
  w.show();
  w.adjustSize();
  EXPECT_EQ(w.windowTitle(), "Create Project");
  EXPECT_EQ(qobject_cast<QLineEdit*>(w.control(kCrpProject))->text(), QString::fromStdString(work("project.pj")));
  EXPECT_EQ(qobject_cast<QListWidget*>(w.control(kCrpMemberList))->count(), 2);
  EXPECT_TRUE(qobject_cast<QCheckBox*>(w.control(kCrpMembersArchives))->isChecked());
  EXPECT_TRUE(qobject_cast<QRadioButton*>(w.control(kCrpAutomatic))->isChecked());
  EXPECT_FALSE(w.control(kCrpRemove)->isEnabled());
  qobject_cast<QLineEdit*>(w.control(kCrpSandbox))->setText(QString::fromStdString(work("sandbox/sandbox.pj")));
  test::saveScreenshot(w, "create_project_dialog");
  qobject_cast<QCheckBox*>(w.control(kCrpMembersArchives))->click();
  EXPECT_FALSE(w.control(kCrpAutomatic)->isEnabled());
  w.hide();
}

TEST_F(ProjectCreationDialogsOnScreen, SandboxSelectAndInformationDialogs) {
  makeArchive("main.c", {"one\n", "two\n"});
  const std::string path = makeProject("p.pj", {{"main.c", 'a', "1.2"}, {"util.c", 'f', nullptr}});
  int h = 0;
  ASSERT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE, &h, 0), 0);
  ASSERT_EQ(vcProjectOptionSet(h, "description=The tools of the build", 1), 0);
  ASSERT_EQ(vcProjectOptionSet(h, "lang=c", 1), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  vcCloseProject(h);
  testing::FakeRegistry windows(qtUi);
  testing::FakeProjectWindow& window = windows.openProject(path);

  {
    SandboxRequest result;
    SandboxDialog logic(qtUi, window.project(), result);
    ui::qt::DialogWindow w(sandboxDialogDescription(), logic, qtUi, nullptr);
    w.setUpLogic();
    w.show();
    w.adjustSize();
    EXPECT_EQ(w.windowTitle(), "Create Sandbox");
    EXPECT_EQ(qobject_cast<QLabel*>(w.control(kSbMaster))->text(), QString::fromStdString(path));
    EXPECT_TRUE(qobject_cast<QCheckBox*>(w.control(kSbCopyMembers))->isChecked());
    EXPECT_FALSE(w.control(kSbVariant)->isEnabled()) << "the project file has no archive";
    qobject_cast<QLineEdit*>(w.control(kSbLocation))->setText(QString::fromStdString(work("box/sandbox.pj")));
    test::saveScreenshot(w, "create_sandbox_dialog");
    w.hide();
  }
  {
    std::vector<project::MemberRow> rows;
    for (int i = 0; i < window.view.rowCount(); ++i) {
      project::MemberRow* row = window.view.findMemberItem(i, true);
      project::updateMemberStatus(window.project(), *row, 0);
      rows.push_back(*row);
    }
    TMemberSelectTransferStruct record;
    MemberSelectDialog logic(record, rows);
    ui::qt::DialogWindow w(memberSelectDialogDescription(), logic, qtUi, nullptr);
    w.setUpLogic();
    w.show();
    w.adjustSize();
    EXPECT_EQ(w.windowTitle(), "Select Members");
    EXPECT_FALSE(w.control(kMsAnd)->isEnabled());
    qobject_cast<QCheckBox*>(w.control(kMsFileName))->click();
    qobject_cast<QLineEdit*>(w.control(kMsFileNameText))->setText("*.c");
    qobject_cast<QCheckBox*>(w.control(kMsChanged))->click();
    EXPECT_TRUE(w.control(kMsAnd)->isEnabled());
    test::saveScreenshot(w, "select_members_dialog");
    w.hide();
  }
  {
    ProjectInfoDialog logic(qtUi, window.project(), commands::kProjectInformationDialog);
    ui::qt::DialogWindow w(projectInfoDialogDescription(commands::kProjectInformationDialog), logic, qtUi, nullptr);
    w.setUpLogic();
    w.show();
    w.adjustSize();
    EXPECT_EQ(w.windowTitle(), "Project Information");
    EXPECT_EQ(qobject_cast<QLineEdit*>(w.control(kPiDescription))->text(), "The tools of the build");
    QListWidget* attributes = qobject_cast<QListWidget*>(w.control(kPiAttributes));
    ASSERT_EQ(attributes->count(), 1);
    attributes->item(0)->setSelected(true);
    EXPECT_EQ(qobject_cast<QLineEdit*>(w.control(kPiVariable))->text(), "lang");
    EXPECT_EQ(qobject_cast<QLineEdit*>(w.control(kPiValue))->text(), "c");
    EXPECT_TRUE(w.control(kPiDelete)->isEnabled());
    test::saveScreenshot(w, "project_information_dialog");
    w.hide();
  }
}

TEST_F(ProjectCreationDialogsOnScreen, MemberAndSandboxInformation) {
  makeArchive("main.c", {"one\n", "two\n"});
  const int h = lockedHandle("main.c");
  ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL1", "1.2"), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  vcCloseArchive(h);
  const std::string path = makeProject("p.pj", {{"main.c", 'a', "1.2"}});
  {
    int p = 0;
    ASSERT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE, &p, 0), 0);
    ASSERT_EQ(vcInProject(p, work("main.c").c_str()), 0);
    ASSERT_EQ(vcSetMember(p, VC_MEMBER_ITEM_SET_RULES, "lang=c,owner=tools"), 0);
    ASSERT_EQ(vcProjectOptionSet(p, "description=The tools", 1), 0);
    ASSERT_EQ(vcSaveProject(p), 0);
    vcCloseProject(p);
  }
  testing::FakeRegistry windows(qtUi);
  {
    testing::FakeProjectWindow& window = windows.openProject(path);
    project::MemberRow& row = *window.view.findMemberItem(0, true);
    project::updateMemberStatus(window.project(), row, 0);
    MemberInfoDialog logic(qtUi, window.project(), row);
    ui::qt::DialogWindow w(memberInfoDialogDescription(false), logic, qtUi, nullptr);
    w.setUpLogic();
    w.show();
    w.adjustSize();
    EXPECT_EQ(w.windowTitle(), "Member Information");
    EXPECT_EQ(qobject_cast<QComboBox*>(w.control(kMiRevisions))->currentText(), "1.2");
    EXPECT_EQ(qobject_cast<QComboBox*>(w.control(kMiLabels))->currentText(), "REL1");
    EXPECT_FALSE(w.control(kMiAttributes)->isVisible());
    test::saveScreenshot(w, "member_information_dialog");
    QTest::mouseClick(w.control(kMiShowAttributes), Qt::LeftButton);
    EXPECT_TRUE(w.control(kMiAttributes)->isVisible());
    EXPECT_EQ(qobject_cast<QListWidget*>(w.control(kMiAttributes))->count(), 2);
    w.adjustSize();
    test::saveScreenshot(w, "member_information_dialog_attributes");
    w.hide();
  }
  ::mkdir(dir.file("box").c_str(), 0755);
  int sb = 0;
  const std::string sandbox = dir.file("box/s.pj");
  ASSERT_EQ(vcOpenSandbox(sandbox.c_str(), VC_PROJECT_OPEN_WRITE | VC_PROJECT_OPEN_CREATE, &sb, 0), 0);
  ASSERT_EQ(vcSandboxOptionSet(sb, ("masterproject=" + path).c_str(), 1), 0);
  ASSERT_EQ(vcSandboxOptionSet(sb, "builder=me", 1), 0);
  ASSERT_EQ(vcSaveSandbox(sb), 0);
  vcCloseSandbox(sb);
  testing::FakeProjectWindow& box = windows.openProject(sandbox);
  ProjectInfoDialog logic(qtUi, box.project(), commands::kSandboxInformationDialog);
  ui::qt::DialogWindow w(projectInfoDialogDescription(commands::kSandboxInformationDialog), logic, qtUi, nullptr);
  w.setUpLogic();
  w.show();
  w.adjustSize();
  EXPECT_EQ(w.windowTitle(), "Sandbox Information");
  EXPECT_EQ(qobject_cast<QLineEdit*>(w.control(kPiDescription))->text(), "The tools");
  EXPECT_FALSE(w.control(kPiDescription)->isEnabled()) << "a sandbox never writes the description";
  QListWidget* master = qobject_cast<QListWidget*>(w.control(kPiMasterAttributes));
  QStringList masterTexts;
  for (int i = 0; i < master->count(); ++i) masterTexts << master->item(i)->text();
  EXPECT_TRUE(masterTexts.isEmpty()) << masterTexts.join(QLatin1Char(',')).toStdString();
  QListWidget* own = qobject_cast<QListWidget*>(w.control(kPiAttributes));
  QStringList ownTexts;
  for (int i = 0; i < own->count(); ++i) ownTexts << own->item(i)->text();
  EXPECT_TRUE(ownTexts.contains(QStringLiteral("builder=me"))) << ownTexts.join(QLatin1Char(',')).toStdString();
  test::saveScreenshot(w, "sandbox_information_dialog");
  w.hide();
}

}  // namespace
}  // namespace orv::workbench::dialogs
