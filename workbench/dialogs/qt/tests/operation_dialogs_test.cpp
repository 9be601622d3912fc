// The Check In and Create Archive dialogs on real widgets, built from their
// descriptions over a real archive: captions, what the set-up shows and
// enables, a confirmed Check In through the widgets, and a screenshot of
// each for a person to look at.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/check_in_flows.h"
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

}  // namespace
}  // namespace orv::workbench::dialogs
