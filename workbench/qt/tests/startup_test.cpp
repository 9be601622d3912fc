// The program's start against a real security database and a temporary
// settings directory, its failures, and two copies talking over the
// command socket (the second copy is the real orvty32 program).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QtTest/QTest>
#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>

#include "platform/ipc/socket_path.h"
#include "platform/profile/profile.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/message_dialog.h"
#include "testing/qt_test_support.h"
#include "testing/temp_dir.h"
#include "vc/include/vc.h"
#include "workbench/app/database_locator.h"
#include "workbench/app/startup_checks.h"
#include "workbench/external/desktop_integration.h"
#include "workbench/qt/help_window.h"
#include "workbench/qt/splash_window.h"
#include "workbench/qt/workbench_app.h"

namespace orv::workbench {
namespace {

// The name the library looks the user up by: the account name of the
// effective user (LOGNAME only when there is none).
std::string userName() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
  const char* n = std::getenv("LOGNAME");
  return n && *n ? n : "root";
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
    // The real security library, whatever a test before in this process
    // chose (the library fixtures load a double).
    qunsetenv("ORV_KEL_LIBRARY");
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
  // The installation's database, or (with where) another one.
  void makeDatabase(const QStringList& where = {}, bool registerUser = true) {
    QProcess p;
    const QString program = QString::fromStdString(install.file("bin/orvty32"));
    ASSERT_EQ(runProgram(p, KELADM_PATH, QStringList{"--program", program} + where + QStringList{"create", "-a", "orv"}), 0)
        << p.readAllStandardError().toStdString();
    if (!registerUser) return;
    ASSERT_EQ(runProgram(p, KELADM_PATH,
                         QStringList{"--program", program} + where +
                             QStringList{"add-user", QString::fromStdString(userName())}),
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

// The redirector file of the security library's format that leads to
// database (a base path without extension): the 34-byte header and one
// 4,096-byte record, the path ended by NUL and filled with blanks.
std::string redirectorBytes(const std::string& database) {
  std::string bytes = "Orv Tessalyworkbench Redirectxxx";
  bytes.append(2, '\0');
  std::string record = database;
  record.push_back('\0');
  record.resize(4096, ' ');
  return bytes + record;
}

std::string fileBytes(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "(missing)";
  return f.readAll().toStdString();
}

// Without a database at the installation's place the locator comes up
// (without a frame behind it); the user names a database elsewhere, the
// library writes the redirector, the start is tried again and the frame
// appears. F1 in the locator opens its page in the help window.
TEST_F(StartupTest, MissingDatabaseShowsTheLocatorAndTheRetryOpensIt) {
  test::TempDir elsewhere{"orv-wb-kel"};
  const std::string database = elsewhere.file("orvkel/users");
  makeDatabase({"--database", QString::fromStdString(database)});
  HelpService help(QStringLiteral(ORV_HELP_DIR));
  WorkbenchOptions o = options({});
  o.help = [&help](int context) { help.show(context); };
  Workbench wb(o);
  QString helpPage;
  test::onNextModal([&](QWidget* modal) {
    auto* locator = qobject_cast<ui::qt::DialogWindow*>(modal);
    ASSERT_TRUE(locator);
    EXPECT_EQ(locator->windowTitle(), "Locate Kelmark Database");
    auto* field = qobject_cast<QLineEdit*>(locator->control(app::kLocatorFile));
    ASSERT_TRUE(field);
    QTest::keyClicks(field, QString::fromStdString(database + ".dat"));
    test::saveScreenshot(*locator, "database_locator");
    // F1 on the field: the locator's page, at the field.
    field->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(field, Qt::Key_F1);
    if (HelpWindow* window = help.window()) {
      helpPage = window->currentPage() + "#" + window->browser()->source().fragment();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(window, 10000));
      test::saveScreenshot(*window, "help_window_locator");
    }
    QTest::mouseClick(locator->control(ui::kAnswerOk), Qt::LeftButton);
  });
  ASSERT_EQ(wb.start(nullptr), 0);
  ASSERT_TRUE(wb.frame()) << "the retry opened the database";
  EXPECT_EQ(helpPage, "locate_database.html#filename");

  // The redirector is the one the security library writes, byte for byte.
  const std::string red = install.file("orvkel/orvkel.red");
  EXPECT_EQ(fileBytes(red), redirectorBytes(database));
  using Append = int (*)(const char*, const char*);
  void* kel = dlopen(KEL32_PATH, RTLD_NOW);
  ASSERT_TRUE(kel) << dlerror();
  auto append = reinterpret_cast<Append>(dlsym(kel, "kelAppendRedirector"));
  ASSERT_TRUE(append);
  const std::string reference = elsewhere.file("reference");
  ASSERT_EQ(append(reference.c_str(), (database + ".dat").c_str()), 0);
  EXPECT_EQ(fileBytes(red), fileBytes(reference + ".red"));
  dlclose(kel);

  // Help > Tutorial from the frame shows the tutorial in the help window.
  EXPECT_TRUE(QTest::qWaitForWindowExposed(wb.frame(), 30000));
  wb.frame()->command(kCmdTutorial);
  ASSERT_TRUE(help.window());
  EXPECT_EQ(help.window()->currentPage(), "tutorial.html");
  EXPECT_TRUE(QTest::qWaitForWindowExposed(help.window(), 10000));
  test::saveScreenshot(*help.window(), "help_window_tutorial");
  wb.shutDown();
}

// A redirector that leads nowhere is there already: answering No to
// replacing it ends the start with the database message and -14.
TEST_F(StartupTest, NoToReplacingTheRedirectorEndsTheStart) {
  test::TempDir elsewhere{"orv-wb-kel"};
  const std::string database = elsewhere.file("users");
  makeDatabase({"--database", QString::fromStdString(database)});
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(install.file("orvkel"))));
  const std::string red = install.file("orvkel/orvkel.red");
  {
    QFile f(QString::fromStdString(red));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a redirector");
  }
  Workbench wb(options({}));
  QStringList shown;
  auto answer = [&](QWidget* box, Qt::Key key) {
    shown << static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text();
    QTest::keyClick(box, key);
  };
  test::onNextModal([&](QWidget* modal) {
    auto* locator = qobject_cast<ui::qt::DialogWindow*>(modal);
    ASSERT_TRUE(locator);
    qobject_cast<QLineEdit*>(locator->control(app::kLocatorFile))
        ->setText(QString::fromStdString(database + ".dat"));
    test::onNextModal([&](QWidget* question) {
      test::onNextModal([&](QWidget* notCreated) {
        test::onNextModal([&](QWidget* last) { answer(last, Qt::Key_Return); });
        answer(notCreated, Qt::Key_Return);
      });
      shown << static_cast<ui::qt::MessageDialog*>(question)->textLabel()->text();
      QTest::mouseClick(static_cast<ui::qt::MessageDialog*>(question)->button(ui::kAnswerNo), Qt::LeftButton);
    });
    QTest::mouseClick(locator->control(ui::kAnswerOk), Qt::LeftButton);
  });
  EXPECT_EQ(wb.start(nullptr), app::kExitLibraryFailure);
  EXPECT_FALSE(wb.frame());
  ASSERT_EQ(shown.size(), 3) << shown.join(" | ").toStdString();
  EXPECT_TRUE(shown[0].contains("redirector file " + QString::fromStdString(red) + " already exists"))
      << shown[0].toStdString();
  EXPECT_TRUE(shown[1].contains("could not be created")) << shown[1].toStdString();
  EXPECT_TRUE(shown[2].contains("cannot be used without a valid Kelmark database")) << shown[2].toStdString();
  EXPECT_EQ(fileBytes(red), "not a redirector") << "left as it was";
}

// A database without the user: the user is told the name that was looked
// up and the command that adds it, and the workbench starts.
TEST_F(StartupTest, UnregisteredUserIsToldHowToBeAdded) {
  makeDatabase({}, false);
  Workbench wb(options({}));
  QString shown;
  test::onNextModal([&](QWidget* box) {
    shown = static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text();
    test::saveScreenshot(*box, "unregistered_user");
    QTest::keyClick(box, Qt::Key_Return);
  });
  ASSERT_EQ(wb.start(nullptr), 0);
  const QString user = QString::fromStdString(userName());
  EXPECT_TRUE(shown.contains("The user name " + user + " is not registered")) << shown.toStdString();
  EXPECT_TRUE(shown.contains("keladm add-user " + user)) << shown.toStdString();
  EXPECT_TRUE(wb.frame());
  wb.shutDown();
}

TEST_F(StartupTest, CancelledLocatorEndsWithTheDatabaseMessage) {
  Workbench wb(options({}));
  QString shown;
  test::onNextModal([&](QWidget* locator) {
    test::onNextModal([&](QWidget* box) {
      shown = static_cast<ui::qt::MessageDialog*>(box)->textLabel()->text();
      QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::keyClick(locator, Qt::Key_Escape);
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
      [](const char*, const char*) { return 0; },
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
