// The Directory Mapping and Create Directory dialogs on real widgets, built
// from their descriptions: what each use shows, Escape leaving the mapping
// dialog open, and a directory made through the dialog.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "testing/temp_dir.h"
#include "workbench/external/file_choices.h"
#include "workbench/external/variable_query.h"

namespace orv::workbench {
namespace {

QString labelText(ui::qt::DialogWindow& w, int id) { return qobject_cast<QLabel*>(w.control(id))->text(); }

TEST(DirectoryMappingOnScreen, ProjectVariableUseStaysOpenOnEscape) {
  ui::qt::QtUi ui;
  external::QueryVariableDialog logic(ui, "SRCROOT", "/home/ann/work/src", "/lib/util.c", false, false);
  ui::qt::DialogWindow w(external::queryVariableDescription(true), logic, ui, nullptr);
  w.setUpLogic();
  w.show();
  w.adjustSize();
  EXPECT_EQ(w.windowTitle(), "Project Variable Mapping");
  EXPECT_EQ(labelText(w, external::kQueryLine1), "$(SRCROOT)/lib/util.c");
  EXPECT_FALSE(w.control(external::kQueryUseDefaults)->isVisible());
  EXPECT_EQ(qobject_cast<QLineEdit*>(w.control(external::kQueryValue))->text(), "/home/ann/work/src");
  test::saveScreenshot(w, "directory_mapping_variable");
  QTest::keyClick(&w, Qt::Key_Escape);
  EXPECT_TRUE(w.isVisible()) << "only OK leaves the dialog";
  w.hide();
}

TEST(DirectoryMappingOnScreen, SandboxUseOffersDefaults) {
  ui::qt::QtUi ui;
  external::QueryVariableDialog logic(ui, "util.c", "/srv/proj/lib", "/srv/other/lib/util.c", true, true);
  test::onNextModal([](QWidget* m) {
    auto* w = static_cast<ui::qt::DialogWindow*>(m);
    EXPECT_EQ(w->windowTitle(), "Directory Mapping");
    EXPECT_TRUE(w->control(external::kQueryUseDefaults)->isVisible());
    EXPECT_EQ(labelText(*w, external::kQueryLine2), "has an explicit mapping for its archive file.");
    test::saveScreenshot(*w, "directory_mapping_sandbox");
    QTest::mouseClick(w->control(external::kQueryUseDefaults), Qt::LeftButton);
  });
  EXPECT_EQ(ui.runDialog(external::queryVariableDescription(false), logic), external::kQueryUseDefaults);
}

TEST(CreateDirectoryOnScreen, TwoLevelsAreMade) {
  test::TempDir dir("orv-createdir");
  ui::qt::QtUi ui;
  test::onNextModal([](QWidget* m) {
    auto* w = static_cast<ui::qt::DialogWindow*>(m);
    QTest::keyClicks(qobject_cast<QLineEdit*>(w->control(external::kCreateDirName)), "release/2024");
    test::saveScreenshot(*w, "create_directory");
    QTest::mouseClick(w->control(external::kCreateDirOk), Qt::LeftButton);
  });
  EXPECT_EQ(external::createDirectory(ui, dir.path()), dir.file("release/2024"));
  struct stat st {};
  EXPECT_EQ(::stat(dir.file("release/2024").c_str(), &st), 0);
}

}  // namespace
}  // namespace orv::workbench
