// The configuration sheet through the real frame, offscreen: opened from
// File > Configuration, its tool-bar button and the command server; one
// value changed on every page and OK pressed, after which a fresh library
// instance reading ORVRCS.RC sees every value; a refused page writes
// nothing. Each page is saved as a screenshot.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest/QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/profile/profile.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/message_dialog.h"
#include "platform/ui/qt/property_sheet_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "workbench/dialogs/config_pages.h"
#include "workbench/qt/main_frame.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench {
namespace {

using ui::qt::PropertySheetWindow;

constexpr int kConfiguration = 1513;

class ConfigSheetOnScreen : public testing::ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    std::filesystem::create_directories(dir.file("settings"));
    settings = dir.file("settings");
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return in ? s.str() : "<none>";
  }
  static QLineEdit* edit(ui::qt::DialogWindow* page, int id) { return qobject_cast<QLineEdit*>(page->control(id)); }
  static void type(ui::qt::DialogWindow* page, int id, const QString& text) {
    QLineEdit* e = edit(page, id);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
  }
  static void click(ui::qt::DialogWindow* page, int id) {
    QWidget* w = page->control(id);
    ASSERT_TRUE(w && w->isEnabled()) << id;
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
  }
  static QAbstractButton* sheetButton(PropertySheetWindow& w, QDialogButtonBox::StandardButton which) {
    return w.findChild<QDialogButtonBox*>()->button(which);
  }
  // Brings tab index to the front and its page.
  static ui::qt::DialogWindow* show(PropertySheetWindow& w, int index) {
    w.tabs()->setCurrentIndex(index);
    EXPECT_EQ(w.tabs()->currentIndex(), index);
    return w.page(index);
  }

  ui::qt::QtUi qtUi;
  std::string settings;
};

TEST_F(ConfigSheetOnScreen, OneValueOnEveryPageReachesTheConfigurationFile) {
  start("states=Draft\n");
  MainFrame frame(qtUi, settings + "/ORVTY.INI");
  qtUi.setOwner(&frame);
  frame.resize(900, 600);
  frame.show();
  QStringList titles;
  test::onNextModal([&](QWidget* modal) {
    auto& w = *qobject_cast<PropertySheetWindow*>(modal);
    EXPECT_EQ(w.windowTitle(), "Personal Configuration");
    for (int i = 0; i < w.tabs()->count(); ++i) titles << w.tabs()->tabText(i);
    w.resize(w.sizeHint().expandedTo(QSize(560, 0)));

    ui::qt::DialogWindow* page = show(w, 0);
    type(page, dialogs::kPrefAuthor, "carol");
    test::saveScreenshot(w, "config_sheet_preferences");

    page = show(w, 1);
    click(page, 201);  // Strict Locking
    test::saveScreenshot(w, "config_sheet_general");

    page = show(w, 2);
    type(page, dialogs::kDirRowWork, "/home/carol/src");
    type(page, dialogs::kDirRowArchive, "/srv/archives/%f");
    click(page, dialogs::kCfgAdd);
    test::saveScreenshot(w, "config_sheet_directories");

    page = show(w, 3);
    type(page, dialogs::kProState, "Review");
    QTest::keyClick(edit(page, dialogs::kProState), Qt::Key_Return);  // Enter adds while the field holds text
    type(page, dialogs::kProState, "Released");
    click(page, dialogs::kCfgAdd);
    auto* states = qobject_cast<QListWidget*>(page->control(dialogs::kProStates));
    ASSERT_EQ(states->count(), 3);
    // "Released" dragged to the top: the new order is the promotion order.
    auto centre = [states](int row) { return states->visualItemRect(states->item(row)).center(); };
    QTest::mousePress(states->viewport(), Qt::LeftButton, {}, centre(2));
    QMouseEvent drag(QEvent::MouseMove, QPointF(centre(0)), states->viewport()->mapToGlobal(QPointF(centre(0))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(states->viewport(), &drag);
    QTest::mouseRelease(states->viewport(), Qt::LeftButton, {}, centre(0));
    EXPECT_EQ(states->item(0)->text(), "Released");
    test::saveScreenshot(w, "config_sheet_promotion");

    page = show(w, 4);
    click(page, dialogs::kLogEnable);
    type(page, dialogs::kLogFile, "/tmp/carol.log");
    type(page, dialogs::kLogFormat, "%u %f %r");
    test::saveScreenshot(w, "config_sheet_logging");

    page = show(w, 5);
    click(page, 806);  // Update To Head Rev
    test::saveScreenshot(w, "config_sheet_recursion");

    sheetButton(w, QDialogButtonBox::Ok)->click();
  });
  frame.command(kConfiguration);
  EXPECT_EQ(titles, (QStringList{"&Preferences", "&General", "&Directories", "Pro&motion", "&Logging", "Recurs&ion",
                              "&Toolbar"}));
  const std::string rc = settings + "/ORVRCS.RC";
  EXPECT_EQ(read(rc),
            "states=\"Released Draft Review \"\nlogname=carol\nstrictlocks\nlogfile=/tmp/carol.log\nlogformat=%u %f %r\n"
            "worktoarch /home/carol/src=/srv/archives/%f\n");
  EXPECT_EQ(profile::getProfileString(settings + "/ORVTY.INI", "Recursion", "RecurseOnUpdateToHeadRevision", ""),
            "yes");
  frame.close();

  // A fresh library instance reads every value back.
  vcAPIcleanup();
  ASSERT_EQ(vcAPIinit(), 0);
  ASSERT_EQ(vcReadConfig(rc.c_str()), 0);
  EXPECT_EQ(dialogs::libraryString("logname"), "carol");
  EXPECT_TRUE(dialogs::libraryFlag("strictlocks", false));
  // The trailing blank is not read back; the states are.
  EXPECT_EQ(dialogs::libraryString("states"), "Released Draft Review");
  EXPECT_EQ(dialogs::libraryString("Logfile"), "/tmp/carol.log");
  EXPECT_EQ(dialogs::libraryString("logformat"), "%u %f %r");
  EXPECT_EQ(dialogs::libraryConfigList(VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH, VC_PROJECT_ITEM_OWN_NEXT_WORKTOARCH),
            std::vector<std::string>{"worktoarch /home/carol/src=/srv/archives/%f"});
}

TEST_F(ConfigSheetOnScreen, ARefusedPageKeepsTheSheetOpenAndWritesNothing) {
  start();
  MainFrame frame(qtUi, settings + "/ORVTY.INI");
  qtUi.setOwner(&frame);
  frame.show();
  QString refusal;
  bool stayedOpen = false;
  test::onNextModal([&](QWidget* modal) {
    auto& w = *qobject_cast<PropertySheetWindow*>(modal);
    ui::qt::DialogWindow* general = show(w, 1);
    click(general, 204);  // Compress Archives
    ui::qt::DialogWindow* prefs = show(w, 0);
    type(prefs, dialogs::kPrefAuthor, "a b");
    // Leaving the page is refused, and so is OK.
    test::onNextModal([&](QWidget* box) {
      refusal = static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text();
      QTest::keyClick(box, Qt::Key_Return);
    });
    w.tabs()->setCurrentIndex(2);
    EXPECT_EQ(w.tabs()->currentIndex(), 0);
    test::onNextModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
    sheetButton(w, QDialogButtonBox::Ok)->click();
    stayedOpen = w.isVisible();
    test::saveScreenshot(w, "config_sheet_refused_author");
    sheetButton(w, QDialogButtonBox::Cancel)->click();
  });
  frame.command(kConfiguration);
  EXPECT_TRUE(refusal.startsWith("Illegal Author")) << refusal.toStdString();
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(read(settings + "/ORVRCS.RC"), "<none>");
  EXPECT_EQ(read(settings + "/ORVTY.INI").find("Recursion"), std::string::npos);
  frame.close();
}

TEST_F(ConfigSheetOnScreen, TheToolBarButtonAndTheCommandServerOpenTheSheet) {
  start();
  MainFrame frame(qtUi, settings + "/ORVTY.INI");
  qtUi.setOwner(&frame);
  frame.show();
  QAction* button = nullptr;
  for (QToolBar* bar : frame.findChildren<QToolBar*>())
    for (QAction* a : bar->actions())
      if (a->data().toInt() == kConfiguration && bar->isVisible()) button = a;
  ASSERT_TRUE(button);
  int opened = 0;
  auto cancel = [&opened](QWidget* modal) {
    ++opened;
    auto& w = *qobject_cast<PropertySheetWindow*>(modal);
    sheetButton(w, QDialogButtonBox::Cancel)->click();
  };
  test::onNextModal(cancel);
  button->trigger();
  app::ExecuteCommand configuration{app::ExecuteVerb::configuration, {}};
  ASSERT_TRUE(frame.canRun(configuration));
  test::onNextModal(cancel);
  frame.runCommand(configuration);
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(read(settings + "/ORVRCS.RC"), "<none>");  // Cancel writes nothing
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
