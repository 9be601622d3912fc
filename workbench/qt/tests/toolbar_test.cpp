// The tool bars through the real frame, offscreen: the Toolbar page of the
// configuration sheet edits both bars and a user button and the frame
// rebuilds its bars in the new order; the hint mode routes button hints
// while menu hints always reach the status bar; buttons are greyed by the
// rules of the menus; the built-in icons at device pixel ratios 1 and 2;
// the Preferences boxes put the workbench into the desktop and take it out.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QtTest/QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/profile/profile.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/message_dialog.h"
#include "platform/ui/qt/property_sheet_window.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"
#include "testing/temp_dir.h"
#include "workbench/app/toolbar_layout.h"
#include "workbench/dialogs/config_pages.h"
#include "workbench/dialogs/config_toolbar_page.h"
#include "workbench/external/desktop_integration.h"
#include "workbench/qt/main_frame.h"
#include "workbench/qt/toolbar_icons.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench {
namespace {

using ui::qt::PropertySheetWindow;

constexpr int kConfiguration = 1513;
constexpr int kToolbarTab = 6;

// The widget rendered at a device pixel ratio, saved under screenshots/.
void saveAtRatio(QWidget& widget, const QString& name, qreal ratio, QWidget* tip = nullptr) {
  QPixmap pm(widget.size() * ratio);
  pm.setDevicePixelRatio(ratio);
  pm.fill(widget.palette().window().color());
  QPainter p(&pm);
  widget.render(&p);
  if (tip) tip->render(&p, widget.mapFromGlobal(tip->mapToGlobal(QPoint(0, 0))));
  p.end();
  QDir dir(QStringLiteral(ORV_SCREENSHOT_DIR));
  dir.mkpath(QStringLiteral("."));
  EXPECT_TRUE(pm.save(dir.filePath(name + QStringLiteral(".png")), "PNG")) << name.toStdString();
}

QWidget* visibleTip() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->inherits("QTipLabel") && w->isVisible()) return w;
  return nullptr;
}

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return in ? s.str() : "<none>";
}

class ToolbarOnScreen : public testing::ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    std::filesystem::create_directories(dir.file("settings"));
    ini = dir.file("settings") + "/ORVTY.INI";
    ::setenv("XDG_CONFIG_HOME", xdg.file("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", xdg.file("data").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    QToolTip::hideText();
    ArchiveTest::TearDown();
  }
  static QListWidget* list(ui::qt::DialogWindow* page, int id) { return qobject_cast<QListWidget*>(page->control(id)); }
  static int rowOf(QListWidget* l, const QString& text) {
    for (int i = 0; i < l->count(); ++i)
      if (l->item(i)->text() == text) return i;
    return -1;
  }
  static void type(ui::qt::DialogWindow* page, int id, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page->control(id));
    e->setFocus();
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
  static ui::qt::DialogWindow* show(PropertySheetWindow& w, int index) {
    w.tabs()->setCurrentIndex(index);
    EXPECT_EQ(w.tabs()->currentIndex(), index);
    return w.page(index);
  }
  static std::vector<int> ids(QToolBar* bar) {
    std::vector<int> out;
    for (QAction* a : bar->actions()) out.push_back(a->data().toInt());
    return out;
  }
  static QAction* button(MainFrame& frame, app::ToolbarKind kind, int id) {
    for (QAction* a : frame.toolbar(kind)->actions())
      if (a->data().toInt() == id) return a;
    return nullptr;
  }
  // What a hover over the button's tip area shows: the tip's text, empty
  // when none shows.
  static QString tipOver(QToolBar* bar, QAction* action) {
    // A tip shown before goes first (Qt hides tips after a short fade).
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    QWidget* w = bar->widgetForAction(action);
    const QPoint at = w->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  }

  ui::qt::QtUi qtUi;
  std::string ini;
  test::TempDir xdg{"orv-xdg"};
};

TEST_F(ToolbarOnScreen, ThePageRearrangesTheProjectBarAndTheFrameFollows) {
  start();
  MainFrame frame(qtUi, ini);
  qtUi.setOwner(&frame);
  frame.resize(900, 600);
  frame.show();
  bool userDialogShown = false;
  test::onNextModal([&](QWidget* modal) {
    auto& w = *qobject_cast<PropertySheetWindow*>(modal);
    EXPECT_EQ(w.tabs()->tabText(kToolbarTab), "&Toolbar");
    const QSize before = w.size();
    ui::qt::DialogWindow* page = show(w, kToolbarTab);
    // The page's lists get their room: the sheet grows.
    EXPECT_GE(w.height(), before.height());
    EXPECT_GE(page->height(), page->sizeHint().height()) << page->height();
    QListWidget* available = list(page, dialogs::kTbProjectAvailable);
    QListWidget* contents = list(page, dialogs::kTbProjectContents);
    EXPECT_TRUE(available->isVisible());
    EXPECT_FALSE(list(page, dialogs::kTbArchiveAvailable)->isVisible());
    ASSERT_EQ(contents->item(0)->text(), "Create Project");
    EXPECT_FALSE(contents->item(0)->icon().isNull());
    // The separator twice after the first button: it stays available.
    contents->setCurrentRow(0);
    available->setCurrentRow(0);
    click(page, dialogs::kTbAdd);
    available->setCurrentRow(0);
    click(page, dialogs::kTbAdd);
    EXPECT_EQ(contents->item(1)->text(), "Separator");
    EXPECT_EQ(contents->item(2)->text(), "Separator");
    EXPECT_EQ(available->item(0)->text(), "Separator");
    // User 2 after them, through its dialog.
    available->setCurrentRow(rowOf(available, "User 2"));
    test::onNextModal([&](QWidget* d) {
      auto* dialog = qobject_cast<ui::qt::DialogWindow*>(d);
      userDialogShown = true;
      EXPECT_EQ(dialog->windowTitle(), "Customize User Button 2");
      type(dialog, dialogs::kUbProgram, "/usr/bin/make");
      type(dialog, dialogs::kUbDescription, "Build all");
      QTest::keyClick(dialog->control(dialogs::kUbDescription), Qt::Key_Tab);
      EXPECT_FALSE(qobject_cast<QLabel*>(dialog->control(dialogs::kUbPreview))->pixmap().isNull());
      test::saveScreenshot(*dialog, "toolbar_user_button_dialog");
      qobject_cast<QAbstractButton*>(dialog->control(ui::kAnswerOk))->click();
    });
    click(page, dialogs::kTbAdd);
    EXPECT_EQ(contents->item(3)->text(), "User 2");
    EXPECT_EQ(rowOf(available, "User 2"), -1);
    // The archive bar's lists come with its radio button.
    click(page, dialogs::kTbArchiveBar);
    EXPECT_TRUE(list(page, dialogs::kTbArchiveContents)->isVisible());
    EXPECT_FALSE(contents->isVisible());
    QCoreApplication::processEvents();
    saveAtRatio(w, "toolbar_page_archive", 1);
    click(page, dialogs::kTbProjectBar);
    contents->setCurrentRow(3);
    QCoreApplication::processEvents();
    saveAtRatio(w, "toolbar_page", 1);
    saveAtRatio(w, "toolbar_page_ratio2", 2);
    sheetButton(w, QDialogButtonBox::Ok)->click();
  });
  frame.command(kConfiguration);
  EXPECT_TRUE(userDialogShown);
  profile::ProfileFile settings;
  ASSERT_TRUE(settings.load(ini));
  std::vector<std::string> project;
  for (const std::string& key : settings.keys("Project Toolbar")) project.push_back(*settings.get("Project Toolbar", key));
  ASSERT_GE(project.size(), 5u) << read(ini);
  EXPECT_EQ(std::vector<std::string>(project.begin(), project.begin() + 5),
            (std::vector<std::string>{"CreateProject", "Separator", "Separator", "User2", "OpenProject"}));
  EXPECT_EQ(settings.get("Archive Toolbar", "Button7"), "CheckIn");
  EXPECT_EQ(settings.get("User", "User2Command"), "/usr/bin/make");
  EXPECT_EQ(settings.get("User", "User2Description"), "Build all");
  EXPECT_EQ(settings.get("User", "User2Arguments"), std::nullopt);
  EXPECT_EQ(settings.get("User", "HintMode"), "2");
  // The frame's bar in the new order, the user button with its hint.
  const std::vector<int> bar = ids(frame.toolbar(app::ToolbarKind::project));
  ASSERT_GE(bar.size(), 5u);
  EXPECT_EQ(std::vector<int>(bar.begin(), bar.begin() + 5), (std::vector<int>{1503, 0, 0, 1544, 1504}));
  QAction* user = button(frame, app::ToolbarKind::project, 1544);
  ASSERT_TRUE(user);
  EXPECT_EQ(user->toolTip(), "Build all");
  EXPECT_EQ(user->statusTip(), "Launches Build all");
  frame.close();
}

TEST_F(ToolbarOnScreen, HintModesRouteButtonHintsAndMenusKeepTheirs) {
  start();
  MainFrame frame(qtUi, ini);
  frame.resize(700, 400);
  frame.show();
  QApplication::setActiveWindow(&frame);
  struct Case {
    int mode;
    bool status, tip;
  } cases[] = {{0, false, true}, {1, true, false}, {2, true, true}, {3, false, false}};
  for (const Case& c : cases) {
    profile::writeProfileString(ini, "User", "HintMode", std::to_string(c.mode).c_str());
    frame.rebuildToolbars();
    EXPECT_EQ(frame.hintMode(), c.mode);
    QToolBar* bar = frame.toolbar(app::ToolbarKind::project);
    QAction* create = button(frame, app::ToolbarKind::project, 1503);
    ASSERT_TRUE(create);
    // The button's status text.
    frame.statusBar()->showMessage("Ready");
    create->showStatusText(&frame);
    EXPECT_EQ(frame.statusBar()->currentMessage(), c.status ? "Creates a new project" : "") << c.mode;
    // Its tip.
    EXPECT_EQ(tipOver(bar, create), c.tip ? "Create Project" : "") << c.mode;
    // A menu item's status tip reaches the status bar in every mode.
    QAction* open = frame.fileMenu()->actions().front();
    open->showStatusText(&frame);
    EXPECT_EQ(frame.statusBar()->currentMessage(), "Opens an archive") << c.mode;
  }
  // A tip shown over the Check Out button, at ratios 1 and 2.
  profile::writeProfileString(ini, "User", "HintMode", "2");
  frame.rebuildToolbars();
  QToolBar* bar = frame.toolbar(app::ToolbarKind::project);
  QAction* help = button(frame, app::ToolbarKind::project, 1515);
  ASSERT_EQ(tipOver(bar, help), "Help");
  help->showStatusText(&frame);
  QWidget* tip = visibleTip();
  ASSERT_TRUE(tip);
  saveAtRatio(frame, "toolbar_tip", 1, tip);
  saveAtRatio(frame, "toolbar_tip_ratio2", 2, tip);
  frame.close();
}

TEST_F(ToolbarOnScreen, ButtonsAreGreyedByTheRulesOfTheMenus) {
  start();
  MainFrame frame(qtUi, ini);
  frame.show();
  frame.updateToolbarEnabling();
  // No window: the member commands have nothing to work on.
  for (int id : {1533, 1534, 1528, 1557})
    EXPECT_FALSE(button(frame, app::ToolbarKind::project, id)->isEnabled()) << id;
  for (int id : {1503, 1504, 1502, 1513, 1515})
    EXPECT_TRUE(button(frame, app::ToolbarKind::project, id)->isEnabled()) << id;
  // The Configuration button agrees with its menu item.
  QAction* item = nullptr;
  for (QAction* a : frame.fileMenu()->actions())
    if (a->data().toInt() == kConfiguration) item = a;
  ASSERT_TRUE(item);
  emit frame.fileMenu()->aboutToShow();
  EXPECT_EQ(item->isEnabled(), button(frame, app::ToolbarKind::project, kConfiguration)->isEnabled());
  frame.close();
}

TEST_F(ToolbarOnScreen, EveryButtonHasADrawnIconCrispAtRatioTwo) {
  // One row per icon: enabled and disabled, at ratios 1 and 2.
  std::vector<int> iconIds;
  for (const auto& row : app::toolbarCatalogue())
    if (row.iconId && std::find(iconIds.begin(), iconIds.end(), row.iconId) == iconIds.end())
      iconIds.push_back(row.iconId);
  QWidget sheet;
  sheet.resize(32 * 6 + 8, 32 * static_cast<int>((iconIds.size() + 5) / 6) * 2 + 8);
  sheet.setAutoFillBackground(true);
  for (std::size_t i = 0; i < iconIds.size(); ++i) {
    const QIcon icon = builtInIcon(iconIds[i]);
    ASSERT_FALSE(icon.isNull()) << iconIds[i];
    const QPixmap two = icon.pixmap(QSize(24, 24), 2.0);
    EXPECT_EQ(two.size(), QSize(48, 48)) << iconIds[i];
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    // The disabled look is Qt's own, and differs from the normal one.
    EXPECT_NE(icon.pixmap(QSize(24, 24), 1.0, QIcon::Disabled).toImage(), icon.pixmap(QSize(24, 24), 1.0).toImage())
        << iconIds[i];
    for (int disabled : {0, 1}) {
      auto* label = new QLabel(&sheet);
      label->setPixmap(icon.pixmap(QSize(24, 24), sheet.devicePixelRatioF(), disabled ? QIcon::Disabled : QIcon::Normal));
      label->setGeometry(4 + static_cast<int>(i % 6) * 32, 4 + static_cast<int>(i / 6) * 64 + disabled * 32, 28, 28);
    }
  }
  // The Help button is the help icon, no warning sign.
  EXPECT_STREQ(themeNameOf(4129), "help-contents");
  saveAtRatio(sheet, "toolbar_icons", 1);
  QWidget hi;  // the same icons drawn for ratio 2
  hi.resize(sheet.size());
  for (std::size_t i = 0; i < iconIds.size(); ++i) {
    auto* label = new QLabel(&hi);
    label->setPixmap(builtInIcon(iconIds[i]).pixmap(QSize(24, 24), 2.0));
    label->setGeometry(4 + static_cast<int>(i % 6) * 32, 4 + static_cast<int>(i / 6) * 64, 28, 28);
  }
  saveAtRatio(hi, "toolbar_icons_ratio2", 2);
}

TEST_F(ToolbarOnScreen, PreferencesBoxesPutTheWorkbenchIntoTheDesktopAndTakeItOut) {
  start();
  MainFrame frame(qtUi, ini);
  qtUi.setOwner(&frame);
  frame.show();
  const std::string autostart = xdg.file("config/autostart/orvty32.desktop");
  const std::string application = xdg.file("data/applications/orvty32.desktop");
  auto toggle = [&](bool expected) {
    test::onNextModal([&, expected](QWidget* modal) {
      auto& w = *qobject_cast<PropertySheetWindow*>(modal);
      ui::qt::DialogWindow* page = show(w, 0);
      auto* startup = qobject_cast<QAbstractButton*>(page->control(dialogs::kPrefStartup));
      auto* menu = qobject_cast<QAbstractButton*>(page->control(dialogs::kPrefFileManagerMenu));
      // The boxes show whether the entries are there.
      EXPECT_EQ(startup->isChecked(), expected);
      EXPECT_EQ(menu->isChecked(), expected);
      startup->click();
      menu->click();
      sheetButton(w, QDialogButtonBox::Ok)->click();
    });
    frame.command(kConfiguration);
  };
  toggle(false);
  ASSERT_TRUE(std::filesystem::exists(autostart));
  ASSERT_TRUE(std::filesystem::exists(application));
  EXPECT_EQ(profile::getProfileString(ini, "System", "ServerOnStartup", ""), "yes");
  EXPECT_EQ(profile::getProfileString(ini, "System", "FileManagerTYMenu", ""), "yes");
  if (std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0) {
    for (const std::string& f : {autostart, application})
      EXPECT_EQ(std::system(("desktop-file-validate '" + f + "'").c_str()), 0) << read(f);
  }
  EXPECT_EQ(external::desktopEntryValue(read(application), "MimeType"),
            "application/x-orv-project;application/x-orv-archive;");
  toggle(true);
  EXPECT_FALSE(std::filesystem::exists(autostart));
  EXPECT_FALSE(std::filesystem::exists(application));
  EXPECT_EQ(profile::getProfileString(ini, "System", "ServerOnStartup", ""), "no");
  EXPECT_EQ(profile::getProfileString(ini, "System", "FileManagerTYMenu", ""), "no");
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
