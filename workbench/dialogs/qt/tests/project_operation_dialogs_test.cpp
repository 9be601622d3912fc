// The project-wide operation dialogs on real widgets, over real projects:
// Checkpoint, Label Members, Build Project with the make output, and
// Member Dependencies, each laid out from its description, with what its
// set-up shows and enables, and a screenshot of each for a person to look
// at.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest/QTest>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/app/progress_window.h"
#include "workbench/dialogs/build_dialog.h"
#include "workbench/dialogs/checkpoint_dialog.h"
#include "workbench/dialogs/label_members_dialog.h"
#include "workbench/dialogs/member_dependencies_dialog.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

class ProjectDialogsOnScreen : public testing::ProjectTest {
 protected:
  // Shows w as the user would see it and saves its screenshot.
  void show(ui::qt::DialogWindow& w, const char* name) {
    w.setUpLogic();
    w.show();
    w.adjustSize();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
    EXPECT_FALSE(test::saveScreenshot(w, name).isEmpty());
  }
  QString editText(ui::qt::DialogWindow& w, int id) { return qobject_cast<QLineEdit*>(w.control(id))->text(); }

  ui::qt::QtUi qtUi;
};

TEST_F(ProjectDialogsOnScreen, CheckpointShowsTheProposedRevision) {
  restart("states=Draft,Tested,Released\n");
  makeArchive("a.c", {"one\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  archive::OpenArchive archive(qtUi, work("p.pj"), VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE);
  project::OpenProject project(qtUi, work("p.pj").c_str());
  CheckpointRecord record;
  ASSERT_EQ(prepareCheckpoint(archive, project, "1.1", record), 1);
  record.allSubprojects = kCheckpointBoxFixed;
  record.updateMember = kCheckpointBoxFixed;
  CheckpointDialog logic(qtUi, record, archive);
  ui::qt::DialogWindow w(checkpointDialogDescription(), logic, qtUi, nullptr);
  show(w, "checkpoint_dialog");
  EXPECT_EQ(w.windowTitle(), "Checkpoint");
  EXPECT_EQ(editText(w, kCpNumber), "1.1");
  EXPECT_EQ(editText(w, kCpAuthor), "alice");
  EXPECT_TRUE(w.control(kCpStates)->isVisible());
  EXPECT_FALSE(w.control(kCpState)->isVisible());
  EXPECT_EQ(qobject_cast<QComboBox*>(w.control(kCpStates))->currentText(), "Draft");
  EXPECT_FALSE(w.control(kCpAllSubprojects)->isEnabled());
  EXPECT_FALSE(w.control(kCpCancelAll)->isEnabled());
  EXPECT_FALSE(w.control(kCpUpdateMember)->isEnabled());
  EXPECT_TRUE(w.control(kCpApplyLabel)->isEnabled());
  EXPECT_EQ(qobject_cast<QLabel*>(w.control(kCpArchiveName))->text(), QString::fromStdString(archiveOf("p.pj")));
  w.hide();
}

TEST_F(ProjectDialogsOnScreen, LabelMembersOffersAsIsAndTheStates) {
  restart("states=Draft,Tested,Released\n");
  MemberLabelRecord record;
  setLabelDefaults(record);
  LabelMembersDialog logic(qtUi, record);
  ui::qt::DialogWindow w(labelMembersDialogDescription(), logic, qtUi, nullptr);
  show(w, "label_members_dialog");
  EXPECT_EQ(w.windowTitle(), "Label Members");
  auto* states = qobject_cast<QComboBox*>(w.control(kLmStates));
  ASSERT_NE(states, nullptr);
  EXPECT_TRUE(states->isVisible());
  EXPECT_FALSE(w.control(kLmState)->isVisible());
  EXPECT_EQ(states->currentText(), "<as is>");
  EXPECT_EQ(states->count(), 4);
  w.hide();
}

TEST_F(ProjectDialogsOnScreen, BuildShowsTheProjectsSettingsAndMakeItsOutput) {
  makeArchive("a.c", {"one\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  project::OpenProject project(qtUi, work("p.pj").c_str());
  ASSERT_EQ(project.makeCurrent(), 1);
  BuildDialog logic(project, {});
  ui::qt::DialogWindow w(buildDialogDescription(), logic, qtUi, nullptr);
  show(w, "build_dialog");
  EXPECT_EQ(w.windowTitle(), "Build Project");
  EXPECT_EQ(editText(w, kBdMakefile), "makefile");
  EXPECT_EQ(editText(w, kBdMake), "make");
  EXPECT_EQ(editText(w, kBdParameters), "-f %f");
  EXPECT_EQ(editText(w, kBdDirectory), QString::fromStdString(project.workDirectory));
  EXPECT_TRUE(w.control(kBdRunMake)->isEnabled());
  // Emptying the make program's name disables Run Make.
  QLineEdit* make = qobject_cast<QLineEdit*>(w.control(kBdMake));
  make->selectAll();
  QTest::keyClick(make, Qt::Key_Delete);
  EXPECT_FALSE(w.control(kBdRunMake)->isEnabled());
  w.hide();

  dir.write("makefile", "all:\n\t@echo compiling a.c\n\t@echo done\n");
  const MakeRun run = runMake(qtUi, "make -f makefile", project.workDirectory);
  ASSERT_EQ(run.error, 0);
  EXPECT_EQ(run.output, "compiling a.c\ndone\n");
  // The window that shows it.
  struct OutputLogic : ui::DialogLogic {
    explicit OutputLogic(const MakeRun& r) : run(r) {}
    void setUp(ui::DialogSurface& s) override {
      s.setText(kMoCommand, "make -f makefile");
      s.setText(kMoOutput, run.output);
      s.setText(kMoStatus, "make ended successfully.");
    }
    void command(ui::DialogSurface&, int) override {}
    bool canClose(ui::DialogSurface&, int) override { return true; }
    const MakeRun& run;
  } output(run);
  ui::qt::DialogWindow o(makeOutputDescription(), output, qtUi, nullptr);
  show(o, "make_output_dialog");
  EXPECT_EQ(qobject_cast<QPlainTextEdit*>(o.control(kMoOutput))->toPlainText(), "compiling a.c\ndone\n");
  o.hide();
}

TEST_F(ProjectDialogsOnScreen, MemberDependenciesListsTheFiles) {
  dir.write("b.h", "int b;\n");
  makeArchive("a.c", {"#include \"b.h\"\nint main() { return 0; }\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  project::OpenProject project(qtUi, work("p.pj").c_str());
  ASSERT_EQ(project.makeCurrent(), 1);
  ASSERT_EQ(vcProjectOptionSet(project.project, "bcc_prj=borland.prj", VC_STATEMENT_APPLY), 0);
  vcInitUses(project.project);
  ASSERT_EQ(vcInProject(project.project, work("a.c").c_str()), 0);
  {
    app::ProgressWindow progress(qtUi, "scan", 0);
    ASSERT_TRUE(project.scanDependencies());
  }
  MemberDependenciesDialog logic(project, work("a.c"));
  ui::qt::DialogWindow w(memberDependenciesDescription(), logic, qtUi, nullptr);
  show(w, "member_dependencies_dialog");
  EXPECT_EQ(w.windowTitle(), "Member Dependencies");
  EXPECT_TRUE(qobject_cast<QCheckBox*>(w.control(kMdFromCompilerFile))->isChecked());
  EXPECT_EQ(editText(w, kMdFile), "borland.prj");
  EXPECT_EQ(qobject_cast<QComboBox*>(w.control(kMdType))->currentText(), "Borland .prj");
  EXPECT_TRUE(w.control(kMdAddMissing)->isEnabled());
  // Unticking disables the compiler-file controls.
  qobject_cast<QCheckBox*>(w.control(kMdFromCompilerFile))->click();
  EXPECT_FALSE(w.control(kMdFile)->isEnabled());
  EXPECT_FALSE(w.control(kMdBrowse)->isEnabled());
  w.hide();
}

}  // namespace
}  // namespace orv::workbench::dialogs
