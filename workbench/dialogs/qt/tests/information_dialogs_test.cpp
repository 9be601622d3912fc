// The Archive Information, Revision Information and Promote dialogs on real
// widgets, built from their descriptions over real archives: what their
// set-up shows, a change made through the widgets, and a screenshot of each
// for a person to look at.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest/QTest>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/dialogs/archive_info_dialog.h"
#include "workbench/dialogs/promote_dialog.h"
#include "workbench/dialogs/revision_info_dialog.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

class InformationDialogsOnScreen : public testing::ArchiveTest {
 protected:
  QString labelText(ui::qt::DialogWindow& w, int id) { return qobject_cast<QLabel*>(w.control(id))->text(); }
  QComboBox* combo(ui::qt::DialogWindow& w, int id) { return qobject_cast<QComboBox*>(w.control(id)); }
  // a.c with three revisions, labels on 1.2 and 1.1, a lock and a
  // description.
  void sample() {
    makeArchive("a.c", {"one\n", "two\n", "three\n"});
    const int h = lockedHandle("a.c");
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "Beta", "1.2"), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "Alpha", "1.2"), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "First", "1.1"), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2", nullptr), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_STATE, "1.2", "Test"), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_DESCRIPTION, "The parser's archive.\nKept since the first release.", nullptr), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }

  ui::qt::QtUi qtUi;
};

TEST_F(InformationDialogsOnScreen, ArchiveInformationShowsTheArchiveAndWritesAChange) {
  start();
  sample();
  archive::OpenArchive archive(qtUi, work("a.c"), 1);
  test::onNextModal([this](QWidget* m) {
    auto& w = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(w.windowTitle(), "Archive Information");
    EXPECT_EQ(labelText(w, kAiArchiveName), QString::fromStdString(archiveOf("a.c")));
    EXPECT_EQ(qobject_cast<QListWidget*>(w.control(kAiLabels))->count(), 3);
    EXPECT_EQ(qobject_cast<QListWidget*>(w.control(kAiLocks))->item(0)->text(), "alice 1.2");
    EXPECT_FALSE(w.control(kAiProjects)->isVisible());
    test::saveScreenshot(w, "archive_information_dialog");
    QTest::mouseClick(w.control(kAiShowProjects), Qt::LeftButton);
    EXPECT_TRUE(w.control(kAiProjects)->isVisible());
    test::saveScreenshot(w, "archive_information_dialog_projects");
    auto* description = qobject_cast<QPlainTextEdit*>(w.control(kAiDescription));
    description->moveCursor(QTextCursor::End);
    QTest::keyClicks(description, " Reviewed.");
    QTest::mouseClick(w.control(kAiOk), Qt::LeftButton);
  });
  archiveInformation(archive);
  archive.dropWriteLock();
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char text[256] = {};
  vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_DESCRIPTION, text, sizeof text);
  vcCloseArchive(h);
  EXPECT_STREQ(text, "The parser's archive.\nKept since the first release. Reviewed.");
}

TEST_F(InformationDialogsOnScreen, RevisionInformationShowsTheRevisionAndAddsALabel) {
  start("states=Dev,Test,Rel\n");
  sample();
  archive::OpenArchive archive(qtUi, work("a.c"), 1);
  test::onNextModal([this](QWidget* m) {
    auto& w = *static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(w.windowTitle(), "Revision Information");
    EXPECT_EQ(labelText(w, kRiRevision), "1.2");
    EXPECT_EQ(labelText(w, kRiLocker), "alice");
    EXPECT_EQ(combo(w, kRiLabel)->count(), 2);
    EXPECT_EQ(combo(w, kRiLabel)->currentText(), "Alpha");
    EXPECT_EQ(combo(w, kRiStates)->currentText(), "Test");
    EXPECT_FALSE(w.control(kRiState)->isVisible());
    EXPECT_FALSE(w.control(kRiLabelList)->isVisible());
    combo(w, kRiLabel)->setEditText("Gamma");
    QTest::mouseClick(w.control(kRiAddLabel), Qt::LeftButton);
    EXPECT_EQ(combo(w, kRiLabel)->count(), 3);
    test::saveScreenshot(w, "revision_information_dialog");
    QTest::mouseClick(w.control(kRiOk), Qt::LeftButton);
  });
  EXPECT_EQ(revisionInformation(archive, "1.2"), ui::kAnswerOk);
  archive.dropWriteLock();
  EXPECT_EQ(labelRevision("a.c", "Gamma"), "1.2");
}

TEST_F(InformationDialogsOnScreen, PromoteDialogOffersTheLaterStates) {
  start("states=Dev,Test,Rel\n");
  sample();
  archive::OpenArchive archive(qtUi, work("a.c"), 1);
  archive::TPromoteRevTransferStruct record;
  ASSERT_EQ(setPromoteDefaults(archive, record, "1.2", true), 1);
  PromoteDialog logic(record);
  ui::qt::DialogWindow w(promoteDialogDescription(PromoteSubject::revision, true), logic, qtUi, nullptr);
  w.setUpLogic();
  w.show();
  w.adjustSize();
  EXPECT_EQ(w.windowTitle(), "Promote Revision");
  EXPECT_EQ(labelText(w, kPrCurrentState), "Test");
  EXPECT_EQ(combo(w, kPrTargets)->count(), 2);
  EXPECT_EQ(combo(w, kPrTargets)->currentText(), "Rel");
  test::saveScreenshot(w, "promote_revision_dialog");
  w.hide();
}

}  // namespace
}  // namespace orv::workbench::dialogs
