// The program's start against a real security database and a temporary
// settings directory, its failures, and two copies talking over the
// command socket (the second copy is the real orvty32 program).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QtTest/QTest>
#include <pwd.h>
#include <unistd.h>

#include "platform/ipc/socket_path.h"
#include "platform/profile/profile.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/message_dialog.h"
#include "testing/qt_test_support.h"
#include "testing/temp_dir.h"
#include "vc/include/vc.h"
#include "workbench/app/startup_checks.h"
#include "workbench/external/desktop_integration.h"
#include "workbench/qt/splash_window.h"
#include "workbench/qt/workbench_app.h"

namespace orv::workbench {
namespace {

std::string userName() {
  const char* n = std::getenv("LOGNAME");
  if (n && *n) return n;
  const passwd* pw = getpwuid(geteuid());
  return pw ? pw->pw_name : "root";
}

// An archive of one revision for the working file path, made through the
// running library; false when the library refused.
bool makeArchive(const std::string& path) {
  if (FILE* f = std::fopen(path.c_str(), "w")) {
    std::fputs("hello\n", f);
    std::fclose(f);
  }
  int h = 0;
  char found[513] = {};
  char rev[64] = {};
  if (vcFindArchiveName(path.c_str(), found, sizeof found, &h, VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE) != 0) return false;
  const bool made = vcCiRevision(h, "", path.c_str(), 0, rev, sizeof rev) == 0 && vcCommitArchive(h, VC_COMMIT_CLOSE) == 0;
  vcCloseArchive(h);
  return made;
}

// A project without members at path, made through the running library.
std::string makeProjectFile(const std::string& path) {
  int h = 0;
  if (vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_CREATE, &h, 0) == 0) {
    EXPECT_EQ(vcSaveProject(h), 0) << path;
    vcCloseProject(h);
  } else {
    ADD_FAILURE() << "cannot make " << path;
  }
  return path;
}

// Runs a program to its end while the main loop goes on (the first copy
// lives in this process).
int runProgram(QProcess& p, const QString& program, const QStringList& args) {
  p.start(program, args);
  if (!p.waitForStarted(30000)) return -1000;
  if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000)) return -1001;
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1002;
}

// An installation in a temporary directory: bin/orvty32 (a name only: the
// library derives the default database orvkel/orvkel from it) and a
// security database made by keladm, with the user registered.
class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("ORV_SETTINGS", QByteArray::fromStdString(settings.path()));
    char cwd[4096] = {};
    if (::getcwd(cwd, sizeof cwd)) cwd_ = cwd;
  }
  // A project window moves the process into its project's folder, which
  // goes with the test: the folder before comes back.
  void TearDown() override {
    if (!cwd_.empty()) {
      EXPECT_EQ(::chdir(cwd_.c_str()), 0);
    }
  }
  void makeDatabase() {
    QProcess p;
    const QString program = QString::fromStdString(install.file("bin/orvty32"));
    ASSERT_EQ(runProgram(p, KELADM_PATH, {"--program", program, "create", "-a", "orv"}), 0)
        << p.readAllStandardError().toStdString();
    ASSERT_EQ(runProgram(p, KELADM_PATH,
                         {"--program", program, "add-user", QString::fromStdString(userName())}),
              0)
        << p.readAllStandardError().toStdString();
  }
  WorkbenchOptions options(std::vector<std::string> names) {
    WorkbenchOptions o;
    o.programPath = install.file("bin/orvty32");
    o.settingsDir = settings.path();
    o.names = std::move(names);
    o.cwd = "/work/here";
    return o;
  }

  test::TempDir install{"orv-wb-install"};
  test::TempDir settings{"orv-wb-settings"};
  test::TempDir sources{"orv-wb-src"};
  std::string hello = sources.file("hello.c");

 private:
  std::string cwd_;
};

TEST_F(StartupTest, RealDatabaseSplashFrameAndSettingsAtClose) {
  makeDatabase();
  {
    Workbench wb(options({}));
    ASSERT_EQ(wb.start(nullptr), 0);
    ASSERT_TRUE(wb.frame());
    ASSERT_TRUE(wb.splash()) << "no command line: the splash shows";
    EXPECT_TRUE(wb.splash()->isVisible());
    test::saveScreenshot(*wb.splash(), "splash");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !wb.splash(); }, 30000)) << "closes by itself";
    EXPECT_TRUE(QTest::qWaitForWindowExposed(wb.frame(), 30000));
    ASSERT_TRUE(makeArchive(hello));
    wb.frame()->openNames({hello, makeProjectFile(sources.file("demo.pj"))});
    wb.frame()->mdiArea()->tileSubWindows();
    test::saveScreenshot(*wb.frame(), "main_frame");
    wb.shutDown();
  }
  const std::string ini = app::settingsFilePath(settings.path());
  EXPECT_EQ(profile::getProfileString(ini, "General", "InstallDir", ""), install.file("bin"));
  EXPECT_EQ(profile::getProfileString(ini, "General", "LastFile1", ""), sources.file("demo.pj") + ",4");
  EXPECT_EQ(profile::getProfileString(ini, "General", "LastFile2", ""), hello + ",2");
  EXPECT_NE(profile::getProfileString(ini, "General", "FrameWindowCoordinates", ""), "");
}

TEST_F(StartupTest, OwnCommandLineOpensOnceTheFrameIsUpWithoutSplash) {
  makeDatabase();
  WorkbenchOptions o = options({"a.pj", sources.file("b.pj")});
  o.cwd = sources.path();
  Workbench wb(o);
  ASSERT_EQ(wb.start(nullptr), 0);
  // The names open from the main loop: the files are there by then.
  makeProjectFile(sources.file("a.pj"));
  makeProjectFile(sources.file("b.pj"));
  EXPECT_FALSE(wb.splash());
  EXPECT_TRUE(wb.frame()->mdiArea()->subWindowList().isEmpty()) << "opened from the main loop";
  ASSERT_TRUE(QTest::qWaitFor([&] { return wb.frame()->mdiArea()->subWindowList().size() == 2; },
                              30000));
  QStringList paths;
  for (auto* w : wb.frame()->mdiArea()->subWindowList()) paths << QString::fromStdString(documentPath(w));
  const QString a = QString::fromStdString(sources.file("a.pj"));
  EXPECT_EQ(paths, (QStringList{a, QString::fromStdString(sources.file("b.pj"))}));
  EXPECT_EQ(wb.frame()->mdiArea()->subWindowList()[0]->windowTitle(), "Project " + a);
}

TEST_F(StartupTest, MissingDatabaseEndsWithTheLocatorMessage) {
  Workbench wb(options({}));
  QString shown;
  test::onNextModal([&](QWidget* box) {
    shown = static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(wb.start(nullptr), app::kExitLibraryFailure);
  EXPECT_TRUE(shown.contains("cannot be used without a valid Kelmark database")) << shown.toStdString();
  EXPECT_FALSE(wb.frame());
}

TEST_F(StartupTest, LibraryOfAnOldLevelEndsTheStart) {
  static const app::LibraryEntryPoints kOldLibrary = {
      [](const char*, VcEchoTraceFn, VcQueryFn) { return 0; },
      [](VcProjectVariableFn) { return 0; },
      [](int, char* buffer, int) {
        buffer[0] = 37;
        return 0;
      },
      [](int, char* buffer, int) {
        buffer[0] = '\0';
        return 0;
      },
      [](const char*) { return 0; },
      [](const char*, int) { return 0; },
      [] { return 0; },
  };
  WorkbenchOptions o = options({});
  o.library = &kOldLibrary;
  Workbench wb(o);
  QString shown;
  test::onNextModal([&](QWidget* box) {
    shown = static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(wb.start(nullptr), -14);
  EXPECT_TRUE(shown.contains("Need level 38, found level 37.")) << shown.toStdString();
}

// The first copy runs here; the real program is the second copy and the
// command client.
class TwoCopiesTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
    qputenv("ORVTY_INSTANCE_KEY", "two-copies");
    makeDatabase();
    path = ipc::prepareSocketPath();
    ASSERT_FALSE(path.empty());
    claim = ipc::claimSocket(path, 5000);
    ASSERT_TRUE(claim.server);
    WorkbenchOptions o = options({"x.pj"});
    o.cwd = sources.path();
    wb = std::make_unique<Workbench>(o);
    ASSERT_EQ(wb->start(&*claim.server), 0);
    makeProjectFile(sources.file("x.pj"));
  }
  void TearDown() override {
    wb.reset();
    StartupTest::TearDown();
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("ORVTY_INSTANCE_KEY");
  }
  QStringList titles() const {
    QStringList out;
    for (auto* w : wb->frame()->mdiArea()->subWindowList()) out << QString::fromStdString(documentPath(w));
    return out;
  }

  test::TempDir runtime{"orv-wb-run"};
  test::TempDir elsewhere{"orv-wb-cwd"};
  std::string path;
  ipc::Claim claim;
  std::unique_ptr<Workbench> wb;
};

TEST_F(TwoCopiesTest, SecondCopyHandsOverAbsoluteNamesAndEnds) {
  makeProjectFile(elsewhere.file("a.pj"));
  makeProjectFile(elsewhere.file("b c.pj"));
  QProcess second;
  second.setWorkingDirectory(QString::fromStdString(elsewhere.path()));
  EXPECT_EQ(runProgram(second, ORVTY32_PATH, {"a.pj", "b c.pj"}), 0)
      << second.readAllStandardError().toStdString();
  const QString base = QString::fromStdString(elsewhere.path());
  EXPECT_TRUE(QTest::qWaitFor([&] { return titles().contains(base + "/b c.pj"); }, 30000))
      << titles().join(", ").toStdString();
  EXPECT_TRUE(titles().contains(base + "/a.pj"));
}

TEST_F(TwoCopiesTest, AFileOpenedFromTheDesktopEntryGoesToTheRunningWorkbench) {
  makeProjectFile(elsewhere.file("d.pj"));
  external::DesktopIntegration desktop({elsewhere.file("config"), elsewhere.file("data")}, ORVTY32_PATH);
  desktop.setOpensFiles(true);
  const std::string exec = *external::desktopEntryValue(elsewhere.read("data/applications/orvty32.desktop"), "Exec");
  // The desktop starts the entry's program with the chosen files for %F.
  ASSERT_EQ(exec.substr(exec.size() - 3), " %F") << exec;
  QProcess second;
  second.setWorkingDirectory(QString::fromStdString(elsewhere.path()));
  EXPECT_EQ(runProgram(second, QString::fromStdString(external::execProgram(exec)), {elsewhere.file("d.pj").c_str()}),
            0)
      << second.readAllStandardError().toStdString();
  EXPECT_TRUE(QTest::qWaitFor([&] { return titles().contains(QString::fromStdString(elsewhere.file("d.pj"))); }, 30000))
      << titles().join(", ").toStdString();
}

TEST_F(TwoCopiesTest, CommandClientOpensTheAboutBox) {
  // The box runs its own loop inside whatever loop this test waits in, so
  // it is looked at and closed from there.
  QString title;
  test::onNextModal([&](QWidget* about) {
    title = about->windowTitle();
    test::saveScreenshot(*about, "about_box");
    QTest::keyClick(about, Qt::Key_Return);
  });
  QProcess client;
  EXPECT_EQ(runProgram(client, ORVTY32_PATH, {"--dde", "About ;"}), 0);
  EXPECT_EQ(client.readAllStandardOutput().trimmed(), "0x8000");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !title.isEmpty(); }, 30000));
  EXPECT_EQ(title, "About Orv Tessalyworkbench");

  QProcess refused;
  EXPECT_EQ(runProgram(refused, ORVTY32_PATH, {"--dde", "About"}), 1) << "no closing ';'";
  EXPECT_EQ(refused.readAllStandardOutput().trimmed(), "0x0");
}

}  // namespace
}  // namespace orv::workbench
