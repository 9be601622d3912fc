// The programs the workbench starts: the exact words of vardel32's
// comparisons and dialog starts, the editor with and without the desktop's
// handler, the user tools, and the messages of failed or refused starts. The
// starts are recorded; one real start proves the words reach the program
// whole, without a shell.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/profile/profile.h"
#include "platform/spawn/recording_spawner.h"
#include "platform/spawn/spawner.h"
#include "platform/ui/testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "workbench/external/program_starts.h"

namespace orv::workbench::external {
namespace {

using Words = std::vector<std::string>;

class ProgramStartsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : {"VISUAL", "EDITOR"}) {
      if (const char* old = std::getenv(v)) saved_.emplace_back(v, old);
      ::unsetenv(v);
    }
  }
  void TearDown() override {
    ::unsetenv("VISUAL");
    ::unsetenv("EDITOR");
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }

  void setSetting(const char* section, const char* key, const char* value) {
    ASSERT_EQ(profile::writeProfileString(ini, section, key, value), 0);
  }
  Words lastArgv() const { return spawner.starts.empty() ? Words{} : spawner.starts.back().argv; }

  test::TempDir dir{"orv-programs"};
  std::string ini = dir.file("ORVTY.INI");
  ui::testing::ScriptedUi ui;
  platform::RecordingSpawner spawner;
  ProgramStarts starts{ui, spawner, ini, "/opt/orv/bin"};

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

struct MergeCase {
  const char* title1;
  const char* title2;
  const char* file1;
  const char* file2;
  Words words;  // after the program
};

TEST_F(ProgramStartsTest, VisualMergeWordsJoinToTheMergeProgramsLine) {
  const MergeCase cases[] = {
      {"1.3", nullptr, "T", "W", {"-n-t1|Revision 1.3|", "-d1", "|T|", "|W|"}},
      {"1.2", "1.4", "T1", "T2", {"-n-t1|Revision 1.2|", "-t2|Revision 1.4|", "-d3", "|T1|", "|T2|"}},
      {nullptr, nullptr, "F1", "F2", {"-n-d0", "|F1|", "|F2|"}},
      {nullptr, "1.4", "F1", "T2", {"-n-t2|Revision 1.4|", "-d2", "|F1|", "|T2|"}},
      {nullptr, nullptr, "/tmp/a b/x y.c", "/w/c  d", {"-n-d0", "|/tmp/a b/x y.c|", "|/w/c  d|"}},
  };
  for (const MergeCase& c : cases) {
    spawner.starts.clear();
    const char* titles[2] = {c.title1, c.title2};
    const std::string files[2] = {c.file1, c.file2};
    EXPECT_EQ(startVisualMerge(starts, titles, files), platform::kStartSucceeded);
    Words expected{"/opt/orv/bin/vardel32"};
    expected.insert(expected.end(), c.words.begin(), c.words.end());
    EXPECT_EQ(lastArgv(), expected) << c.file1;
    EXPECT_EQ(spawner.starts.back().show_mode, kShowMode);
  }
}

TEST_F(ProgramStartsTest, NamesWithBarsAndOverlongLinesAreRefused) {
  const char* titles[2] = {"1.1", nullptr};
  const std::string barred[2] = {"/tmp/a|b", "/w/c"};
  ui.expectMessage("/tmp/a|b\nInvalid argument", ui::kAnswerOk);
  EXPECT_LT(startVisualMerge(starts, titles, barred), 32);

  const std::string longName(kProgramLineLimit, 'x');
  EXPECT_FALSE(visualMergeArguments("/opt", nullptr, nullptr, longName, "w").has_value());
  const std::string fits(kProgramLineLimit - std::string("/opt/vardel32 -n-d0 || |w|").size(), 'x');
  EXPECT_TRUE(visualMergeArguments("/opt", nullptr, nullptr, fits, "w").has_value());
  EXPECT_FALSE(visualMergeArguments("/opt", nullptr, nullptr, fits + "x", "w").has_value());

  ui.expectMessage("Invalid argument", ui::kAnswerOk);
  EXPECT_LT(ddeDiff(starts, "a.c", "b|c"), 32);
  EXPECT_TRUE(spawner.starts.empty());
}

TEST_F(ProgramStartsTest, CompareFilesAndDiffStartTheMergeProgramsDialog) {
  EXPECT_EQ(compareFilesCommand(starts), platform::kStartSucceeded);
  EXPECT_EQ(lastArgv(), (Words{"/opt/orv/bin/vardel32", "-m"}));
  ddeDiff(starts, nullptr, nullptr);
  EXPECT_EQ(lastArgv(), (Words{"/opt/orv/bin/vardel32", "-m"}));
  ddeDiff(starts, "/w/a b.c", nullptr);
  EXPECT_EQ(lastArgv(), (Words{"/opt/orv/bin/vardel32", "-m", "|/w/a b.c|"}));
  ddeDiff(starts, "/w/a.c", "/w/b.c");
  EXPECT_EQ(lastArgv(), (Words{"/opt/orv/bin/vardel32", "|/w/a.c|", "|/w/b.c|"}));

  spawner.result = platform::kStartFileNotFound;
  ui.expectMessage("Could not start the Vardel application. It must be in your path", ui::kAnswerOk);
  EXPECT_EQ(compareFilesCommand(starts), platform::kStartFileNotFound);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::warning);
}

TEST(ProgramDirectory, IsTheDirectoryOfTheRunningProgram) {
  char self[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::string path = self;
  EXPECT_EQ(workbenchProgramDirectory(), path.substr(0, path.rfind('/')));
}

TEST_F(ProgramStartsTest, StartFailuresHaveTheirMessages) {
  const std::pair<int, const char*> cases[] = {
      {2, "Cannot load ed x.\nFile or Path not found."},
      {3, "Cannot load ed x.\nFile or Path not found."},
      {8, "Cannot load ed x.\nNot enough memory."},
      {10, "Cannot load ed x.\nNot a Windows program."},
      {15, "Cannot load ed x.\nNot a Windows program."},
      {16, "Cannot load ed x.\nAlready running, and only one instance allowed."},
      {0, "Cannot load ed x.\nFailed with code=0."},
      {20, "Cannot load ed x.\nFailed with code=20."},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(startFailureText("ed x", code), text) << code;
}

TEST_F(ProgramStartsTest, EditorGetsTheWholePathWithoutATrailingDot) {
  const std::string makefile = dir.write("Makefile", "all:\n");
  ::setenv("VISUAL", "code --wait", 1);
  ::setenv("EDITOR", "vi", 1);
  setSetting("System", "UseFileManagerAssociations", "No");
  EXPECT_EQ(viewOrEditFile(starts, makefile), platform::kStartSucceeded);
  EXPECT_EQ(lastArgv(), (Words{"code", "--wait", makefile}));
  EXPECT_EQ(spawner.starts.size(), 1u) << "\"No\" in any case: no association";
  EXPECT_EQ(ui.cursorDepth, 0);

  ::unsetenv("VISUAL");
  setSetting("System", "UseFileManagerAssociations", "NO");
  viewOrEditFile(starts, makefile);
  EXPECT_EQ(lastArgv(), (Words{"vi", makefile}));
  ::unsetenv("EDITOR");
  viewOrEditFile(starts, makefile);
  EXPECT_EQ(lastArgv(), (Words{"xdg-open", makefile}));

  // 1525: the editor alone.
  ::setenv("EDITOR", "vi", 1);
  EXPECT_EQ(startEditor(starts), platform::kStartSucceeded);
  EXPECT_EQ(lastArgv(), (Words{"vi"}));

  spawner.result = platform::kStartFileNotFound;
  ui.expectMessage("Cannot load vi " + makefile + ".\nFile or Path not found.", ui::kAnswerOk);
  EXPECT_EQ(viewOrEditFile(starts, makefile), platform::kStartFileNotFound);
}

TEST_F(ProgramStartsTest, AssociationComesFirstUnlessItFails) {
  const std::string file = dir.write("notes.txt", "x\n");
  ::setenv("EDITOR", "vi", 1);
  // Unset, the association is off ("no" is the default).
  viewOrEditFile(starts, file);
  EXPECT_EQ(lastArgv(), (Words{"vi", file}));

  setSetting("System", "UseFileManagerAssociations", "yes");
  spawner.starts.clear();
  viewOrEditFile(starts, file);
  ASSERT_EQ(spawner.starts.size(), 1u);
  EXPECT_EQ(lastArgv(), (Words{"xdg-open", file}));

  // No handler program: the editor is tried next.
  spawner.starts.clear();
  spawner.result = platform::kStartFileNotFound;
  ui.expectMessage("Cannot load vi", ui::kAnswerOk);
  viewOrEditFile(starts, file);
  ASSERT_EQ(spawner.starts.size(), 2u);
  EXPECT_EQ(spawner.starts[1].argv, (Words{"vi", file}));

  // A handler that could not start for want of resources: 505, no editor.
  spawner.starts.clear();
  spawner.result = platform::kStartFailed;
  ui.expectMessage("No memory to view " + file + ".", ui::kAnswerOk);
  EXPECT_EQ(viewOrEditFile(starts, file), platform::kStartFailed);
  EXPECT_EQ(spawner.starts.size(), 1u);
}

TEST_F(ProgramStartsTest, MissingFileIsReportedAndNothingStarts) {
  const std::string missing = dir.file("gone.c");
  ui.expectMessage("Cannot access file " + missing + ".\n(You may not be in the right directory)", ui::kAnswerOk);
  EXPECT_EQ(viewOrEditFile(starts, missing), 0);
  EXPECT_TRUE(spawner.starts.empty());
}

TEST_F(ProgramStartsTest, UserToolsRunTheirConfiguredLines) {
  setSetting("User", "User1Command", "gitk --all");
  setSetting("User", "User1Arguments", "\"my file.c\" -x");
  setSetting("User", "User2Command", "make");
  EXPECT_EQ(userToolCommand(starts, 1543), platform::kStartSucceeded);
  EXPECT_EQ(spawner.starts.back().command_line, "gitk --all \"my file.c\" -x");
  EXPECT_EQ(lastArgv(), (Words{"gitk", "--all", "my file.c", "-x"}));
  EXPECT_EQ(spawner.starts.back().show_mode, kShowNormal);

  userToolCommand(starts, 1544);
  EXPECT_EQ(spawner.starts.back().command_line, "make") << "no trailing blank";

  ui.expectMessage("There is no command associated with this button.", ui::kAnswerOk);
  userToolCommand(starts, 1547);
  EXPECT_EQ(spawner.starts.size(), 2u);

  spawner.result = platform::kStartFailed;
  ui.expectMessage("Cannot load make.\nFile or Path not found.", ui::kAnswerOk);
  userToolCommand(starts, 1544);
  EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::warning);
}

// One real start: a script that writes each argument on its own line. A
// name holding ';', blanks and quotes reaches it as one argument, which no
// shell would have left alone.
TEST_F(ProgramStartsTest, EditorStartPassesTheNameWholeWithoutAShell) {
  const std::string out = dir.file("args.out");
  const std::string script = dir.write("show-args", "#!/bin/sh\nfor a in \"$@\"; do printf 'arg:%s\\n' \"$a\"; done > \"$0.out\"\n");
  ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
  ASSERT_EQ(::rename(script.c_str(), dir.file("args").c_str()), 0);
  const std::string file = dir.write("a; rm -rf x 'b' $(id).txt", "text\n");
  ::setenv("VISUAL", dir.file("args").c_str(), 1);
  platform::PosixSpawner real;
  ProgramStarts realStarts{ui, real, ini, ""};
  ASSERT_EQ(viewOrEditFile(realStarts, file), platform::kStartSucceeded);
  real.wait_all();
  EXPECT_EQ(dir.read("args.out"), "arg:" + file + "\n");
}

}  // namespace
}  // namespace orv::workbench::external
