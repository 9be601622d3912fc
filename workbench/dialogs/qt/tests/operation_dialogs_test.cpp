// The Check In and Create Archive dialogs on real widgets, built from their
// descriptions over a real archive: captions, what the set-up shows and
// enables, a confirmed Check In through the widgets, and a screenshot of
// each for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/check_in_flows.h"
#include "workbench/dialogs/check_out_dialog.h"
#include "workbench/dialogs/lock_mail_dialog.h"
#include "workbench/dialogs/text_view_dialog.h"
#include "workbench/dialogs/create_archive_dialog.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

class OperationDialogsOnScreen : public testing::ArchiveTest {
 protected:
  QString labelText(ui::qt::DialogWindow& w, int id) { return qobject_cast<QLabel*>(w.control(id))->text(); }
  QString editText(ui::qt::DialogWindow& w, int id) { return qobject_cast<QLineEdit*>(w.control(id))->text(); }

  ui::qt::QtUi qtUi;
};

TEST_F(OperationDialogsOnScreen, CheckInShowsTheRecordAndChecksTheFileIn) {
  start("states=Draft,Rel\n");
  makeArchive("main.c", {"one\n", "two\n"});
  dir.write("main.c", "three\n");
  archive::OpenArchive archive(qtUi, work("main.c"), 6);
  archive::TCiTransferStruct record;
  ASSERT_EQ(prepareCheckIn(archive, nullptr, nullptr, record), kPrepareGoOn);
  record.allFiles = archive::kCheckInBoxDisabled;

  test::onNextModal([this](QWidget* m) {
    auto& w = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(w.windowTitle(), "Check In");
    EXPECT_EQ(labelText(w, kCiWorkName), QString::fromStdString(work("main.c")));
    EXPECT_EQ(editText(w, kCiNumber), "1.3");
    EXPECT_EQ(editText(w, kCiState), "Draft");
    EXPECT_FALSE(w.control(kCiState)->isEnabled());
    EXPECT_FALSE(w.control(kCiAllFiles)->isEnabled());
    EXPECT_FALSE(w.control(kCiCancelAll)->isEnabled());
    EXPECT_TRUE(qobject_cast<QCheckBox*>(w.control(kCiKeepWork))->isChecked());
    QTest::keyClicks(qobject_cast<QLineEdit*>(w.control(kCiLabel)), "Beta");
    QTest::keyClicks(qobject_cast<QPlainTextEdit*>(w.control(kCiDescription)), "Third line of text.");
    test::saveScreenshot(w, "check_in_dialog");
    QTest::mouseClick(w.control(kCiOk), Qt::LeftButton);
  });
  EXPECT_EQ(runCheckInDialog(archive, nullptr, record), ui::kAnswerOk);
  EXPECT_EQ(head("main.c"), "1.3");
  EXPECT_EQ(labelRevision("main.c", "Beta"), "1.3");
}

TEST_F(OperationDialogsOnScreen, CreateArchiveShowsTheDefaultsAndSwitchesTheRevisionPart) {
  start("Enforcecompress\n");
  dir.write("tool.c", "int main() { return 0; }\n");
  archive::OpenArchive archive(qtUi, work("tool.c"), 6);
  ASSERT_EQ(archive.status(), 0);
  archive::TCreateArchiveTransferStruct record;
  EnforcedSettings enforced;
  setDefaults(archive, record, enforced);
  record.openArchive = 1;
  CreateArchiveDialog logic(qtUi, record, archive, enforced, true);
  ui::qt::DialogWindow w(createArchiveDialogDescription(), logic, qtUi, nullptr);
  w.setUpLogic();
  w.show();
  w.adjustSize();
  EXPECT_EQ(w.windowTitle(), "Create Archive");
  EXPECT_EQ(labelText(w, kCaArchiveName), QString::fromStdString(archiveOf("tool.c")));
  EXPECT_EQ(qobject_cast<QComboBox*>(w.control(kCaDataType))->currentText(), "Auto-detect");
  EXPECT_FALSE(w.control(kCaCompressed)->isEnabled());
  EXPECT_TRUE(qobject_cast<QCheckBox*>(w.control(kCaCompressed))->isChecked());
  EXPECT_EQ(editText(w, kCaNumber), "1.1");
  EXPECT_TRUE(w.control(kCaNumber)->isEnabled());
  test::saveScreenshot(w, "create_archive_dialog");

  qobject_cast<QCheckBox*>(w.control(kCaCheckIn))->click();
  EXPECT_FALSE(w.control(kCaNumber)->isEnabled());
  EXPECT_FALSE(w.control(kCaLocked)->isEnabled());
  test::saveScreenshot(w, "create_archive_dialog_no_check_in");
  w.hide();
}

TEST_F(OperationDialogsOnScreen, CheckOutShowsTheRevisionsAndSwitchesToTheLabels) {
  start();
  makeArchive("main.c", {"one\n", "two\n", "three\n"});
  int h = lockedHandle("main.c");
  ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL1", "1.2"), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  archive::OpenArchive archive(qtUi, work("main.c"), 1);
  archive::TCoTransferStruct record;
  ASSERT_TRUE(setCheckOutDefaults(archive, record));
  archive::setField(record.choice, "1.2");
  record.allFiles = archive::kCheckOutBoxDisabled;
  record.defaultChoice = kCoRevision;
  CheckOutDialog logic(qtUi, record, archive, nullptr, false);
  ui::qt::DialogWindow w(checkOutDialogDescription(), logic, qtUi, nullptr);
  w.setUpLogic();
  w.show();
  w.adjustSize();
  EXPECT_EQ(w.windowTitle(), "Check Out");
  auto* chooser = qobject_cast<QListWidget*>(w.control(kCoRevisionChooser));
  auto* labels = qobject_cast<QListWidget*>(w.control(kCoLabelList));
  ASSERT_EQ(chooser->count(), 3);
  ASSERT_EQ(chooser->selectedItems().size(), 1);
  EXPECT_TRUE(chooser->selectedItems().front()->text().startsWith("1.2 "));
  EXPECT_TRUE(chooser->isVisible());
  EXPECT_FALSE(labels->isVisible());
  EXPECT_TRUE(qobject_cast<QRadioButton*>(w.control(kCoRevision))->isChecked());
  EXPECT_FALSE(w.control(kCoMemberRev)->isEnabled());
  EXPECT_FALSE(w.control(kCoWorkFile)->isEnabled()) << "locked: the archive's own working file";
  test::saveScreenshot(w, "check_out_dialog");

  qobject_cast<QRadioButton*>(w.control(kCoLabel))->click();
  EXPECT_TRUE(labels->isVisible());
  EXPECT_FALSE(chooser->isVisible());
  EXPECT_EQ(labels->currentItem()->text(), "REL1 1.2");
  QApplication::processEvents();  // the group lays its controls out again
  EXPECT_EQ(labels->y(), chooser->y()) << "the labels stand where the revisions stood";
  test::saveScreenshot(w, "check_out_dialog_labels");
  // A click in the revisions is the Revision choice again.
  qobject_cast<QRadioButton*>(w.control(kCoDefaultRev))->click();
  chooser->item(2)->setSelected(true);
  EXPECT_TRUE(qobject_cast<QRadioButton*>(w.control(kCoRevision))->isChecked());
  qobject_cast<QCheckBox*>(w.control(kCoLocked))->click();
  EXPECT_TRUE(w.control(kCoWorkFile)->isEnabled());
  QTest::mouseClick(w.control(kCoOk), Qt::LeftButton);
  EXPECT_EQ(archive::fieldText(record.choice), "1.1");
  EXPECT_EQ(record.locked, 0u);
}

TEST_F(OperationDialogsOnScreen, LockMailAndTextWindowsShowTheirTexts) {
  archive::LockBrokenMail mail{"bob", "alice", "Lock broken on /work/rcs/main.c",
                               "Your lock on revision 1.2 of file\r\n   /work/rcs/main.c\r\nhas been broken by "
                               "alice\r\nfor the following reason:\r\n"};
  LockMailDialog logic(mail, "");
  ui::qt::DialogWindow w(lockMailDialogDescription(), logic, qtUi, nullptr);
  w.setUpLogic();
  w.show();
  w.adjustSize();
  EXPECT_EQ(labelText(w, kMailTo), "bob");
  auto* notice = qobject_cast<QPlainTextEdit*>(w.control(kMailText));
  EXPECT_TRUE(notice->toPlainText().contains("broken by alice"));
  EXPECT_EQ(notice->textCursor().selectedText(), "Your");
  QTest::keyClicks(qobject_cast<QLineEdit*>(w.control(kMailCc)), "carl dora");
  test::saveScreenshot(w, "lock_mail_dialog");
  QTest::mouseClick(w.control(kMailOk), Qt::LeftButton);
  EXPECT_EQ(mail.addressee, "to:bob,cc:carl,dora");

  TextViewDialog text("Checked in a.c 1.2\nAdded b.c\n");
  // The window keeps its description by reference: it lives as long.
  const ui::DialogDescription logDescription = textViewDescription("Project Log - /work/p.pj");
  ui::qt::DialogWindow t(logDescription, text, qtUi, nullptr);
  t.setUpLogic();
  t.show();
  t.adjustSize();
  EXPECT_EQ(qobject_cast<QPlainTextEdit*>(t.control(kTextViewText))->toPlainText(), "Checked in a.c 1.2\nAdded b.c\n");
  test::saveScreenshot(t, "project_log_window");
  t.hide();
}

TEST_F(OperationDialogsOnScreen, CtrlEnterAcceptsTheCheckInWhileEnterStartsALine) {
  start();
  makeArchive("main.c", {"one\n"});
  dir.write("main.c", "two\n");
  archive::OpenArchive archive(qtUi, work("main.c"), 6);
  archive::TCiTransferStruct record;
  ASSERT_EQ(prepareCheckIn(archive, nullptr, nullptr, record), kPrepareGoOn);
  record.allFiles = archive::kCheckInBoxDisabled;
  test::onNextModal([](QWidget* m) {
    auto& w = *static_cast<ui::qt::DialogWindow*>(m);
    auto* description = qobject_cast<QPlainTextEdit*>(w.control(kCiDescription));
    description->setFocus();
    QTest::keyClicks(description, "First line.");
    QTest::keyClick(description, Qt::Key_Return);
    QTest::keyClicks(description, "Second line.");
    EXPECT_TRUE(w.isVisible()) << "Enter alone starts a line";
    QTest::keyClick(description, Qt::Key_Return, Qt::ControlModifier);
  });
  EXPECT_EQ(runCheckInDialog(archive, nullptr, record), ui::kAnswerOk);
  EXPECT_EQ(head("main.c"), "1.2");
  const std::string log = archive::fieldText(record.description);
  EXPECT_EQ(log.substr(0, 11), "First line.");
  EXPECT_NE(log.find("Second line."), std::string::npos) << "two lines: " << log;
}

}  // namespace
}  // namespace orv::workbench::dialogs
