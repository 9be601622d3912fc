// The library's start-up sequence against a fake library: the order of the
// calls, the level check, the database road, the clean-up on every failure,
// and the callbacks reaching the workbench's answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/profile/profile.h"
#include "platform/ui/testing/fake_surface.h"
#include "platform/ui/testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "workbench/app/database_locator.h"
#include "workbench/app/library_startup.h"
#include "workbench/app/startup_checks.h"

namespace orv::workbench::app {
namespace {

struct Fake {
  std::vector<std::string> calls;
  int initResult = 0;
  int registerResult = 0;
  int level = 38;
  VcEchoTraceFn echo = nullptr;
  VcQueryFn query = nullptr;
  VcProjectVariableFn variable = nullptr;
  // Results of the next starts, after which initResult holds.
  std::vector<int> initResults;
  std::string databaseItem;
  bool unregistered = false;
  int configResult = 0;
} fake;

const LibraryEntryPoints kFakeLibrary = {
    [](const char* name, VcEchoTraceFn echo, VcQueryFn query) {
      fake.calls.push_back(std::string("init ") + name);
      fake.echo = echo;
      fake.query = query;
      if (!fake.initResults.empty()) {
        const int rc = fake.initResults.front();
        fake.initResults.erase(fake.initResults.begin());
        return rc;
      }
      return fake.initResult;
    },
    [](VcProjectVariableFn fn) {
      fake.calls.push_back("variables");
      fake.variable = fn;
      return fake.registerResult;
    },
    [](int item, char* buffer, int length) {
      fake.calls.push_back("sysinfo " + std::to_string(item));
      if (item == VC_SYSINFO_SECURITY_DATABASE)
        snprintf(buffer, static_cast<size_t>(length), "%s", fake.databaseItem.c_str());
      else if (item == VC_SYSINFO_USER_REGISTERED && fake.unregistered)
        snprintf(buffer, static_cast<size_t>(length), "0");
      else if (item == VC_SYSINFO_USER)
        snprintf(buffer, static_cast<size_t>(length), "ann");
      else
        buffer[0] = static_cast<char>(fake.level);
      return 0;
    },
    [](int code, char* buffer, int length) {
      snprintf(buffer, static_cast<size_t>(length), "library text %d", code);
      return 0;
    },
    [](const char* file) {
      fake.calls.push_back(std::string("config ") + file);
      return fake.configResult;
    },
    [](const char* block, int) {
      fake.calls.push_back(std::string("block ") + block);
      return 0;
    },
    [] {
      fake.calls.push_back("cleanup");
      return 0;
    },
    [](const char* database, const char* redirector) {
      fake.calls.push_back(std::string("redirector ") + database + " " + redirector);
      return 0;
    },
};

class LibraryStartup : public ::testing::Test {
 protected:
  void SetUp() override { fake = Fake{}; }
  void writeDatabase() {
    if (FILE* f = std::fopen(dir.file("users.dat").c_str(), "w")) std::fclose(f);
  }
  int start() {
    return session.start("/opt/orv/bin/orvty32", dir.path() + "/", dir.file("ORVTY.INI"));
  }
  test::TempDir dir{"orv-wb-startup"};
  ui::testing::ScriptedUi ui;
  LibraryCallbacks callbacks{ui, nullptr};
  LibrarySession session{kFakeLibrary, ui, callbacks};
};

TEST_F(LibraryStartup, StartsInOrderAndNotesTheInstallDirectory) {
  ASSERT_EQ(start(), 0);
  session.runStartupBlock();
  session.stop();
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"init /opt/orv/bin/orvty32", "variables",
                                                  "sysinfo 51", "sysinfo 83",
                                                  "config " + dir.path() + "/ORVRCS.RC",
                                                  "block startup", "cleanup"}));
  EXPECT_EQ(profile::getProfileString(dir.file("ORVTY.INI"), "General", "InstallDir", ""),
            "/opt/orv/bin");
}

TEST_F(LibraryStartup, AConfigurationFileReadOnlyInPartIsShown) {
  struct Case {
    bool exists;
    int result;
    bool shown;
  } cases[] = {
      {true, VC_E_BAD_CONFIG_FILE_LINE, true}, {true, VC_E_CANNOT_OPEN_CONFIG, true},
      {false, VC_E_CANNOT_OPEN_CONFIG, false}, {true, VC_E_DONE, false}, {true, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.result);
    fake = Fake{};
    fake.configResult = c.result;
    const std::string rc = dir.file("ORVRCS.RC");
    if (c.exists) dir.write("ORVRCS.RC", "x\n");
    else std::remove(rc.c_str());
    if (c.shown) ui.expectMessage("could not be read completely:\n\nlibrary text " + std::to_string(c.result), ui::kAnswerOk);
    ASSERT_EQ(start(), 0);  // the start goes on
    EXPECT_EQ(libraryConfigurationIncomplete(), c.shown);
    EXPECT_TRUE(session.running());
    if (c.shown) {
      EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::warning);
    }
    session.stop();
  }
}

TEST_F(LibraryStartup, FailuresAreShownAndEndTheLibrary) {
  struct Case {
    int initResult, registerResult, level;
    const char* shown;
    bool beep;
  } cases[] = {
      {0, 0, 37, "Need level 38, found level 37.", false},
      {55, 0, 38, "library text 55", false},
      {0, 9, 38, "library text 9", false},
  };
  for (const auto& c : cases) {
    fake = Fake{};
    fake.initResult = c.initResult;
    fake.registerResult = c.registerResult;
    fake.level = c.level;
    int beeps = ui.beeps;
    ui.expectMessage(c.shown, ui::kAnswerOk);
    EXPECT_EQ(start(), kExitLibraryFailure) << c.shown;
    EXPECT_EQ(fake.calls.back(), "cleanup") << c.shown;
    EXPECT_FALSE(session.running());
    EXPECT_EQ(ui.beeps - beeps, c.beep ? 1 : 0);
    EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::error);
    EXPECT_EQ(ui.messages.back().caption, "Orv Tessalyworkbench");
  }
}

// Without a database the locator runs while the failed instance still
// answers where the library looks; OK ends that instance and starts again,
// Cancel ends the start with the database message.
TEST_F(LibraryStartup, MissingDatabaseRunsTheLocator) {
  writeDatabase();
  fake.initResults = {VC_E_DATABASE_OPEN_FAILED};
  fake.databaseItem = dir.file("orvkel/orvkel");
  ui.expectDialog(kLocatorDialogId, [&](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    s.setText(kLocatorFile, dir.file("users.dat"));
    s.close(logic, ui::kAnswerOk);
  });
  ASSERT_EQ(start(), 0);
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{
                            "init /opt/orv/bin/orvty32", "sysinfo 79",
                            "redirector " + dir.file("users") + " " + dir.file("orvkel/orvkel"),
                            "cleanup", "init /opt/orv/bin/orvty32", "variables", "sysinfo 51",
                            "sysinfo 83", "config " + dir.path() + "/ORVRCS.RC"}));
  EXPECT_TRUE(session.running());
}

// A user the database does not know is told the name looked up and how to
// be added; the start goes on.
TEST_F(LibraryStartup, UnregisteredUserIsToldHowToBeAdded) {
  fake.unregistered = true;
  fake.databaseItem = "/srv/orvkel/orvkel";
  ui.expectMessage("The user name ann is not registered in the Orv Kelmark database /srv/orvkel/orvkel",
                   ui::kAnswerOk);
  ASSERT_EQ(start(), 0);
  EXPECT_NE(ui.messages.back().text.find("keladm add-user ann"), std::string::npos);
  EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::warning);
  EXPECT_TRUE(session.running());
}

TEST_F(LibraryStartup, CancelledLocatorEndsTheStart) {
  for (int result : {VC_E_NO_DEFAULT_DATABASE, VC_E_DATABASE_OPEN_FAILED}) {
    fake = Fake{};
    fake.initResult = result;
    const int beeps = ui.beeps;
    ui.expectDialog(kLocatorDialogId, [](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
      s.close(logic, ui::kAnswerCancel);
    });
    ui.expectMessage("cannot be used without a valid Kelmark database", ui::kAnswerOk);
    EXPECT_EQ(start(), kExitLibraryFailure);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"init /opt/orv/bin/orvty32", "cleanup"}));
    EXPECT_EQ(ui.beeps - beeps, 1);
    EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::error);
    EXPECT_FALSE(session.running());
  }
}

TEST_F(LibraryStartup, CallbacksReachTheWorkbenchAndRefuseCommandsMeanwhile) {
  struct NoSink : ExecuteSink {
    void runCommand(const ExecuteCommand&) override { ++ran; }
    int ran = 0;
  } sink;
  ExecuteServer executes(sink, nullptr);
  std::uint32_t answerInside = 1;
  {
    // A command arriving while the variable dialog is up is refused.
    LibraryCallbacks cb(ui, [&](const std::string& name, const std::string& proposed) {
      answerInside = executes.execute("About ;");
      return std::optional<std::string>(name + "=" + proposed);
    });
    LibrarySession s(kFakeLibrary, ui, cb, &executes);
    ASSERT_EQ(s.start("/bin/orvty32", dir.path(), dir.file("ORVTY.INI")), 0);
    ui.expectInput("Your name?", std::string("ann"));
    char buffer[32] = "Your name?";
    EXPECT_EQ(fake.query(buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "ann");
    ui.expectMessage("hello", ui::kAnswerOk);
    EXPECT_EQ(fake.echo("hello", nullptr, 0, 0), 0);
    EXPECT_EQ(ui.messages.back().caption, "Configuration Echo");
    char value[8] = "";
    EXPECT_EQ(fake.variable(0, 0, "V", "dflt", value, sizeof value), 1);
    EXPECT_STREQ(value, "V=dflt") << "cut to the buffer";
    EXPECT_EQ(answerInside, kExecuteRefused);
    EXPECT_EQ(executes.execute("About ;"), kExecuteAccepted);
  }
  EXPECT_EQ(sink.ran, 1);
}

TEST(SettingsFile, CreatedEmptyOrReported) {
  test::TempDir dir("orv-wb-ini");
  ui::testing::ScriptedUi ui;
  ensureSettingsFile(ui, dir.file("ORVTY.INI"));
  struct stat st {};
  ASSERT_EQ(stat(dir.file("ORVTY.INI").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ui.expectMessage("Unable to create ORVTY.INI file.", ui::kAnswerOk);
  ensureSettingsFile(ui, dir.file("missing/ORVTY.INI"));
}

}  // namespace
}  // namespace orv::workbench::app
