// The Build and Member Dependencies dialogs: the make command's assembly,
// a make run (a fake make that writes its words and directory), the
// add-dependency question, the dependency block that GNU make accepts,
// the compiler-file options, and missing files added and saved.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

#include "workbench/app/progress_window.h"
#include "workbench/dialogs/build_dialog.h"
#include "workbench/dialogs/member_dependencies_dialog.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using testing::ProjectTest;
using ui::testing::FakeSurface;

class BuildTest : public ProjectTest {
 protected:
  // a.c including b.h (not a member), and c.h from inc/ when withC.
  void makeSources(bool withC) {
    ::mkdir(work("inc").c_str(), 0755);
    dir.write("b.h", "int b;\n");
    dir.write("inc/c.h", "int c;\n");
    makeArchive("a.c", {std::string("#include \"b.h\"\n") + (withC ? "#include \"c.h\"\n" : "") +
                        "int main() { return 0; }\n"});
    makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  }
  bool isMember(const std::string& project, const std::string& name) {
    int h = 0;
    EXPECT_EQ(vcOpenProject(work(project).c_str(), 0, &h, 0), 0);
    const bool found = vcInProject(h, work(name).c_str()) == 0;
    vcCloseProject(h);
    return found;
  }
  std::string option(const std::string& project, const char* key) {
    int h = 0;
    EXPECT_EQ(vcOpenProject(work(project).c_str(), 0, &h, 0), 0);
    char value[512] = {};
    unsigned flags = 0;
    const int rc = vcProjectOptionGet(h, key, value, sizeof value - 1, &flags);
    vcCloseProject(h);
    return rc == 0 ? value : "<unset>";
  }
};

TEST_F(BuildTest, MakeCommandIsAssembledFromTheFields) {
  makeProject("p.pj", {});
  project::OpenProject project(ui, work("p.pj").c_str());
  const struct {
    const char* make;
    const char* parameters;
    const char* expected;
  } cases[] = {
      {"make", "", "make "},
      {"make", "-f %f", "make -f makefile"},
      {"make", " -f %f", "make "},
      {"/usr/bin/make", "-C %w -f %f", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parameters);
    const std::string line = makeCommandLine(project, c.make, c.parameters, "makefile");
    if (c.expected)
      EXPECT_EQ(line, c.expected);
    else
      EXPECT_EQ(line, "/usr/bin/make -C " + project.workDirectory + " -f makefile");
  }
  EXPECT_TRUE(blankLed(""));
  EXPECT_TRUE(blankLed(" x"));
  EXPECT_FALSE(blankLed("x "));
}

TEST_F(BuildTest, MakeRunsWithoutAShellInTheBuildDirectory) {
  ::mkdir(work("out").c_str(), 0755);
  const std::string script = dir.write("fakemake", "#!/bin/sh\npwd > \"$1\"\nfor w in \"$@\"; do echo \"[$w]\" >> \"$1\"; done\n"
                                                   "echo made\necho oops >&2\nexit 3\n");
  ::chmod(script.c_str(), 0755);
  const std::string record = work("record");
  // A quoted word keeps its blank; ';' and '$' reach the program as text.
  const MakeRun run = runMake(ui, script + " " + record + " \"two words\" a;b $HOME", work("out"));
  ASSERT_EQ(run.error, 0);
  EXPECT_EQ(run.exitStatus, 3);
  EXPECT_FALSE(run.cancelled);
  EXPECT_EQ(run.output, "made\noops\n");
  EXPECT_EQ(dir.read("record"), work("out") + "\n[" + record + "]\n[two words]\n[a;b]\n[$HOME]\n");
  // The child was reaped: nothing of ours is left to wait for.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);

  const MakeRun missing = runMake(ui, work("no-such-make") + " x", work("out"));
  EXPECT_NE(missing.error, 0);
}

TEST_F(BuildTest, DependencyQuestionAnswersTheLibrary) {
  EXPECT_EQ(DependencyQuestion::callback("x.h"), -1);  // no dialog open
  DependencyQuestion question(ui);
  const struct {
    const char* name;
    int answer;  // the box's answer, 0 when no box is expected
    int result;
  } cases[] = {
      {"!lost.h", ui::kAnswerYes, 1},      {"!lost.h", ui::kAnswerNo, -1},
      {"a.h", ui::kAnswerYes, 1},          {"b.h", ui::kAnswerNo, 0},
      {"c.h", app::kAnswerYesToAll, 1},    {"d.h", 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.answer) ui.expectMessage(c.name[0] == '!' ? "could not be added" : "Add dependency", c.answer);
    EXPECT_EQ(DependencyQuestion::callback(c.name), c.result);
  }
  // Yes to All holds for one member only; No to All and Cancel likewise.
  question.newMember();
  ui.expectMessage("Add dependency e.h", app::kAnswerNoToAll);
  EXPECT_EQ(question.answer("e.h"), 0);
  EXPECT_EQ(question.answer("f.h"), 0);
  question.newMember();
  ui.expectMessage("Add dependency g.h", ui::kAnswerCancel);
  EXPECT_EQ(question.answer("g.h"), -1);
}

TEST_F(BuildTest, BuildDialogAddsMissingFilesAndWritesTheMakefileBlock) {
  makeSources(false);
  dir.write("makefile", "all: a.o\n\ttrue\n");
  testing::FakeRegistry windows{ui};
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  project::OpenProject& project = window.project();
  ASSERT_EQ(project.makeCurrent(), 1);
  vcInitUses(project.project);
  ASSERT_TRUE(project.lock(false));
  std::vector<std::string> viewed;
  BuildDialog logic(project, [&viewed](const std::string& path) { viewed.push_back(path); });
  FakeSurface surface;
  logic.setUp(surface);
  EXPECT_EQ(surface.text(kBdMakefile), "makefile");
  EXPECT_EQ(surface.text(kBdMake), "make");
  EXPECT_EQ(surface.text(kBdParameters), "-f %f");
  EXPECT_EQ(surface.text(kBdDirectory), project.workDirectory);
  EXPECT_TRUE(surface.isEnabled(kBdAddMissing));

  ui.expectMessage("have been recalculated", ui::kAnswerOk);
  ASSERT_TRUE(surface.press(logic, kBdRecalculate));
  ui.expectMessage("Add dependency", app::kAnswerYesToAll);
  ui.expectMessage("Add Missing Files has completed", ui::kAnswerOk);
  ASSERT_TRUE(surface.press(logic, kBdAddMissing));
  EXPECT_TRUE(logic.changed());
  // Saved at once, not at OK.
  EXPECT_TRUE(isMember("p.pj", "b.h"));

  ui.expectMessage("Dependencies have been added to the makefile", ui::kAnswerOk);
  ASSERT_TRUE(surface.press(logic, kBdAddToMakefile));
  // GNU make reads the block.
  const std::string command = "cd '" + work("") + "' && make -n -f makefile >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << dir.read("makefile");
  EXPECT_NE(dir.read("makefile").find("b.h"), std::string::npos);

  // View opens the makefile; one that does not exist is made empty first.
  surface.setText(kBdMakefile, "new.mk");
  ASSERT_TRUE(surface.press(logic, kBdView));
  EXPECT_EQ(viewed, std::vector<std::string>{"new.mk"});
  EXPECT_EQ(dir.read("new.mk"), "");

  // OK stores the fields.
  surface.setText(kBdParameters, "-k -f %f");
  EXPECT_TRUE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(option("p.pj", "build_parm"), "-k -f %f");
  EXPECT_EQ(option("p.pj", "makefile"), "new.mk");
  project.dropWriteLock();
}

TEST_F(BuildTest, WithoutModifyProjectTheFieldsAreFixed) {
  makeProject("p.pj", {});
  kel.refuse("ModifyProject");
  restart("");
  project::OpenProject project(ui, work("p.pj").c_str());
  BuildDialog logic(project, {});
  FakeSurface surface;
  logic.setUp(surface);
  for (int id : {kBdMakefile, kBdMake, kBdParameters, kBdDirectory, kBdBrowseMake, kBdBrowseMakefile, kBdAddMissing})
    EXPECT_FALSE(surface.isEnabled(id)) << id;
  EXPECT_TRUE(surface.isEnabled(kBdRunMake));
  EXPECT_TRUE(surface.isEnabled(kBdView));
  EXPECT_TRUE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(option("p.pj", "makefile"), "<unset>");
}

TEST_F(BuildTest, CompilerFileOptionsFollowTheChoice) {
  makeProject("p.pj", {});
  project::OpenProject project(ui, work("p.pj").c_str());
  ASSERT_TRUE(project.lock(false));
  const struct {
    const char* file;
    int type;
    bool ticked;
    const char* include;
    const char* cfg;
    const char* prj;
    const char* includeAfter;
  } cases[] = {
      {"a.cfg", 0, true, "inc/", "a.cfg", "<unset>", "inc/"},
      {"b.prj", 1, true, "  ", "<unset>", "b.prj", "<unset>"},
      {"c.cfg", 0, true, "x", "c.cfg", "<unset>", "x"},
      {"c.cfg", 0, false, "x", "<unset>", "<unset>", "x"},
      {" blank", 1, true, "x", "<unset>", "<unset>", "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    MemberDependenciesRecord record;
    record.file = c.file;
    record.type = c.type;
    record.fromCompilerFile = c.ticked;
    record.include = c.include;
    EXPECT_TRUE(applyDependencySettings(project, record));
    EXPECT_EQ(option("p.pj", "bcc_cfg"), c.cfg);
    EXPECT_EQ(option("p.pj", "bcc_prj"), c.prj);
    EXPECT_EQ(option("p.pj", "include"), c.includeAfter);
  }
  // Both keys set: the .prj one shows.
  ASSERT_EQ(vcProjectOptionSet(project.project, "bcc_cfg=one.cfg", VC_STATEMENT_APPLY), 0);
  ASSERT_EQ(vcProjectOptionSet(project.project, "bcc_prj=two.prj", VC_STATEMENT_APPLY), 0);
  const MemberDependenciesRecord shown = readDependencySettings(project);
  EXPECT_EQ(shown.file, "two.prj");
  EXPECT_EQ(shown.type, 1);
  EXPECT_TRUE(shown.fromCompilerFile);
  project.dropWriteLock();
}

TEST_F(BuildTest, MemberDependenciesListRecalculateAndAddMissingFiles) {
  makeSources(true);
  testing::FakeRegistry windows{ui};
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  project::OpenProject& project = window.project();
  ASSERT_EQ(project.makeCurrent(), 1);
  ASSERT_TRUE(project.lock(false));
  vcInitUses(project.project);
  ASSERT_EQ(vcInProject(project.project, work("a.c").c_str()), 0);
  {
    app::ProgressWindow progress(ui, "scan", 0);
    ui.expectMessage("Cannot open 'c.h': not on any Include list", ui::kAnswerYes);
    ASSERT_TRUE(project.scanDependencies());
  }
  MemberDependenciesDialog logic(project, work("a.c"));
  FakeSurface surface;
  logic.setUp(surface);
  const auto listed = [&](const std::string& name) {
    for (const std::string& item : surface.listItems(kMdList))
      if (item.size() >= name.size() && item.compare(item.size() - name.size(), name.size(), name) == 0) return true;
    return false;
  };
  EXPECT_TRUE(listed("b.h"));
  EXPECT_FALSE(listed("inc/c.h"));
  EXPECT_FALSE(surface.isEnabled(kMdFile));

  surface.setText(kMdInclude, work("inc"));
  ASSERT_TRUE(surface.press(logic, kMdRecalculate));
  EXPECT_TRUE(listed("inc/c.h"));
  EXPECT_EQ(option("p.pj", "include"), work("inc"));

  ui.expectMessage("Add dependency", ui::kAnswerYes);
  ui.expectMessage("Add dependency", ui::kAnswerNo);
  ui.expectMessage("Add Missing Files has completed", ui::kAnswerOk);
  ASSERT_TRUE(surface.press(logic, kMdAddMissing));
  EXPECT_TRUE(logic.changed());
  EXPECT_TRUE(isMember("p.pj", "b.h") != isMember("p.pj", "inc/c.h"));
  project.dropWriteLock();
}

}  // namespace
}  // namespace orv::workbench::dialogs
