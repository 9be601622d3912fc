// The main frame on the offscreen platform: placement from the settings and
// its round trip, the recent files in the File menu and in the settings,
// the tool bar that follows the active window's kind, and the commands that
// start other programs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <algorithm>
#include <set>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QtTest/QTest>

#include "platform/profile/profile.h"
#include "platform/spawn/recording_spawner.h"
#include "platform/ui/qt/help_key_filter.h"
#include "workbench/app/help_topics.h"
#include "testing/qt_test_support.h"
#include "workbench/qt/main_frame.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench {
namespace {

// The frame's archive windows open real archives: every test runs over a
// revision library of its own.
class FrameTest : public testing::ProjectTest {
 protected:
  void store(const std::string& section, const std::string& key, const std::string& value) {
    ASSERT_EQ(profile::writeProfileString(ini, section, key.c_str(), value.c_str()), 0);
  }
  std::string stored(const std::string& key) {
    return profile::getProfileString(ini, "General", key, "<none>");
  }
  QRect screen() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

  std::string ini = dir.file("ORVTY.INI");
};

TEST_F(FrameTest, PlacementFromTheSettingsAndItsRoundTrip) {
  const int w = screen().width() / 2, h = screen().height() / 2;
  struct Case {
    std::string value;
    QRect want;
  } cases[] = {
      {"0,0," + std::to_string(w) + "," + std::to_string(h),
       QRect((screen().width() - w) / 2, (screen().height() - h) / 2, w, h)},
      {"10,10," + std::to_string(w) + "," + std::to_string(h), QRect(10, 10, w, h)},
      {"", QRect((screen().width() - screen().width() * 4 / 5) / 2,
                 (screen().height() - screen().height() * 4 / 5) / 2, screen().width() * 4 / 5,
                 screen().height() * 4 / 5)},
      {"-5000,-5000,300,200", QRect((screen().width() - 300) / 2, (screen().height() - 200) / 2, 300, 200)},
  };
  for (const auto& c : cases) {
    store("General", "FrameWindowCoordinates", c.value);
    MainFrame frame(ui, ini);
    frame.applyStoredPlacement();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));
    EXPECT_EQ(frame.geometry(), c.want) << c.value;
    frame.close();
    const QRect& r = c.want;
    EXPECT_EQ(stored("FrameWindowCoordinates"),
              std::to_string(r.x()) + "," + std::to_string(r.y()) + "," +
                  std::to_string(r.width()) + "," + std::to_string(r.height()))
        << "the same rectangle comes back";
  }
}

TEST_F(FrameTest, MaximisedFrameLeavesThePlacementAlone) {
  store("General", "FrameWindowCoordinates", "10,10,300,200");
  MainFrame frame(ui, ini);
  frame.applyStoredPlacement();
  frame.showMaximized();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));
  frame.close();
  EXPECT_EQ(stored("FrameWindowCoordinates"), "10,10,300,200");
}

TEST_F(FrameTest, RecentFilesInTheMenuAndTheSettings) {
  const std::string project = makeProject("p.pj", {});
  const QString projectText = QString::fromStdString(project);
  store("General", "LastFile1", "/src/old.c,2");
  store("General", "LastFile2", project);
  makeArchive("new.c", {"new\n"});
  const std::string added = work("new.c");
  MainFrame frame(ui, ini);
  frame.resize(1200, 600);
  frame.show();
  auto recentTexts = [&] {
    QStringList out;
    emit frame.fileMenu()->aboutToShow();
    for (QAction* a : frame.fileMenu()->actions()) {
      const int id = a->data().toInt();
      if (id >= 1564 && id <= 1571) out << a->text();
    }
    return out;
  };
  EXPECT_EQ(recentTexts(), (QStringList{"&1 /src/old.c", "&2 " + projectText}));
  frame.openNames({added, project});
  // The menu is rebuilt each time it opens, never doubled.
  EXPECT_EQ(recentTexts(),
            (QStringList{"&1 " + projectText, "&2 " + QString::fromStdString(added), "&3 /src/old.c"}));
  EXPECT_EQ(recentTexts().size(), 3);
  frame.close();
  EXPECT_EQ(stored("LastFile1"), project + ",4") << "kind 1 becomes the project kind";
  EXPECT_EQ(stored("LastFile2"), added + ",2");
  EXPECT_EQ(stored("LastFile3"), "/src/old.c,2");
}

TEST_F(FrameTest, ToolBarFollowsTheActiveWindowAndOrientation) {
  store("User", "Orientation", "2");
  store("Project Toolbar", "Button1", "OpenProject");
  store("Project Toolbar", "Button2", "User3");
  store("User", "User3Command", "make all");
  makeArchive("a.c", {"a\n"});
  MainFrame frame(ui, ini);
  frame.resize(700, 500);
  frame.show();
  QToolBar* archive = frame.toolbar(app::ToolbarKind::archive);
  QToolBar* project = frame.toolbar(app::ToolbarKind::project);
  EXPECT_EQ(frame.toolBarArea(archive), Qt::LeftToolBarArea);
  ASSERT_EQ(project->actions().size(), 2);
  EXPECT_EQ(project->actions()[1]->statusTip(), "Launches make all");
  EXPECT_EQ(project->actions()[1]->toolTip(), "make all");
  frame.openNames({work("a.c")});
  EXPECT_TRUE(archive->isVisible());
  EXPECT_FALSE(project->isVisible());
  frame.openNames({makeProject("p.pj", {})});
  EXPECT_FALSE(archive->isVisible());
  EXPECT_TRUE(project->isVisible());
  EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 2);
  frame.openNames({work("a.c")});
  EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 2) << "an open file is brought forward";
  EXPECT_TRUE(archive->isVisible());
}

QAction* actionFor(const QList<QAction*>& actions, int id) {
  for (QAction* a : actions)
    if (a->data().toInt() == id) return a;
  return nullptr;
}

TEST_F(FrameTest, CommandsStartTheirProgramsWithoutAShell) {
  store("User", "User3Command", "make -k");
  store("User", "User3Arguments", "all; rm -rf x");
  store("Project Toolbar", "Button1", "User3");
  platform::RecordingSpawner spawner;
  MainFrame frame(ui, ini, &spawner);
  frame.show();

  QAction* compare = actionFor(frame.fileMenu()->actions(), 1506);
  ASSERT_NE(compare, nullptr);
  EXPECT_EQ(compare->text(), "Compare &Files...");
  compare->trigger();
  ASSERT_EQ(spawner.starts.size(), 1u);
  ASSERT_EQ(spawner.starts[0].argv.size(), 2u);
  EXPECT_EQ(QFileInfo(QString::fromStdString(spawner.starts[0].argv[0])).fileName(), "vardel32");
  EXPECT_EQ(spawner.starts[0].argv[1], "-m");

  QAction* tool = actionFor(frame.toolbar(app::ToolbarKind::project)->actions(), 1545);
  ASSERT_NE(tool, nullptr);
  tool->trigger();
  ASSERT_EQ(spawner.starts.size(), 2u);
  EXPECT_EQ(spawner.starts[1].argv, (std::vector<std::string>{"make", "-k", "all;", "rm", "-rf", "x"}))
      << "the words reach the program as they are, no shell reads them";

  frame.runCommand({app::ExecuteVerb::diff, {"/src/a b.c", "/src/c;d.c"}});
  ASSERT_EQ(spawner.starts.size(), 3u);
  const auto& diff = spawner.starts[2].argv;
  EXPECT_EQ(std::vector<std::string>(diff.begin() + 1, diff.end()),
            (std::vector<std::string>{"|/src/a b.c|", "|/src/c;d.c|"}))
      << "each name one bar-quoted word";
  frame.close();
}

// Grants what it is told to, and records what was asked.
struct GrantingPermissions : commands::PermissionOracle {
  bool hasPermission(std::string_view name) override {
    asked.emplace_back(name);
    return granted.count(std::string(name)) != 0;
  }
  bool withoutLibraryContext(const std::function<bool()>& check) override { return check(); }
  std::set<std::string> granted;
  std::vector<std::string> asked;
};

TEST_F(FrameTest, RecentFilesOpenTheKindTheyRecordedWhenPermitted) {
  store("General", "LastFile1", makeProject("lib.x", {}) + ",4");
  makeArchive("tool.pj", {"t\n"});
  store("General", "LastFile2", work("tool.pj") + ",2");
  GrantingPermissions permissions;
  MainFrame frame(ui, ini, nullptr, &permissions);
  frame.show();
  emit frame.fileMenu()->aboutToShow();
  QAction* importItem = actionFor(frame.fileMenu()->actions(), 1519);
  ASSERT_NE(importItem, nullptr);
  EXPECT_FALSE(importItem->isEnabled()) << "Import needs CreateArchive";
  for (int id : {1564, 1565}) {
    QAction* item = actionFor(frame.fileMenu()->actions(), id);
    ASSERT_NE(item, nullptr) << id;
    EXPECT_FALSE(item->isEnabled()) << id;
  }
  permissions.granted = {"OpenProject", "OpenArchive"};
  emit frame.fileMenu()->aboutToShow();
  for (int id : {1564, 1565}) {
    QAction* item = actionFor(frame.fileMenu()->actions(), id);
    ASSERT_NE(item, nullptr) << id;
    EXPECT_TRUE(item->isEnabled()) << id;
    item->trigger();
  }
  const auto windows = frame.mdiArea()->subWindowList();
  ASSERT_EQ(windows.size(), 2);
  EXPECT_EQ(windows[0]->widget()->property("orvKind").toInt(), 4) << "a project, whatever its name";
  EXPECT_EQ(windows[1]->widget()->property("orvKind").toInt(), 2) << "an archive, whatever its name";
  frame.close();
}

}  // namespace
}  // namespace orv::workbench

namespace orv::workbench {
namespace {

// The Help menu as the command table has it, each item opening its page;
// F1 in the frame opens the contents.
TEST_F(FrameTest, HelpMenuOpensItsPages) {
  MainFrame frame(ui, ini);
  ui::qt::HelpKeyFilter f1(ui);
  QMenu* help = nullptr;
  for (QAction* a : frame.menuBar()->actions())
    if (a->text() == "&Help") help = a->menu();
  ASSERT_TRUE(help);
  QStringList texts;
  for (QAction* a : help->actions()) {
    if (a->isSeparator()) continue;
    texts << a->text();
    EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    if (!a->text().startsWith("&About")) a->trigger();
  }
  EXPECT_EQ(texts, (QStringList{"&Contents", "&How to Use Help", "Technical &Support", "&Tutorial",
                                "&About Orv Tessalyworkbench..."}));
  EXPECT_EQ(ui.helpContexts, (std::vector<int>{app::kHelpContentsContext, app::kUsingHelpHelpContext,
                                               app::kTechnicalSupportHelpContext, app::kTutorialHelpContext}));
  for (int context : ui.helpContexts) EXPECT_TRUE(app::helpPageFor(context)) << context;

  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 30000));
  ui.helpContexts.clear();
  QTest::keyClick(&frame, Qt::Key_F1);
  EXPECT_EQ(ui.helpContexts, std::vector<int>{app::kHelpContentsContext});
  frame.close();
}

}  // namespace
}  // namespace orv::workbench
