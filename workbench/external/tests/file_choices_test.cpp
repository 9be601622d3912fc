// Chosen names spelled as on disk, wildcards, the directory browser and
// the Create Directory dialog on a temporary tree, and the Directory
// Mapping dialog's logic on a fake surface.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/ui/testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "workbench/external/file_choices.h"
#include "workbench/external/variable_query.h"

namespace orv::workbench::external {
namespace {

using ui::testing::FakeSurface;

std::string cwd() {
  char buf[PATH_MAX] = {};
  return ::getcwd(buf, sizeof buf) ? buf : "";
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class FileChoicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir(dir.file("Src").c_str(), 0755);
    ::mkdir(dir.file("Src/Lib").c_str(), 0755);
    dir.write("Src/Lib/Util.c", "u\n");
    dir.write("Src/Lib/main.c", "m\n");
    dir.write("Src/Lib/zeta.c", "z\n");
    dir.write("Src/read me.txt", "r\n");
  }
  test::TempDir dir{"orv-choices"};
  ui::testing::ScriptedUi ui;
};

TEST_F(FileChoicesTest, ComponentsTakeTheirSpellingOnDisk) {
  const std::string root = dir.path();
  struct Case {
    std::string path;
    ExpandMode mode;
    std::string expected;
  };
  const Case cases[] = {
      {root + "/src/lib/util.c", ExpandMode::everyComponent, root + "/Src/Lib/Util.c"},
      {root + "/Src/Lib/UTIL.C", ExpandMode::lastComponent, root + "/Src/Lib/Util.c"},
      {root + "/Src/Lib/*.c", ExpandMode::lastComponent, root + "/Src/Lib/Util.c"},
      {root + "/Src/Lib/[mz]*.c", ExpandMode::lastComponent, root + "/Src/Lib/main.c"},
      {root + "/s*/l*/./../Lib/z*", ExpandMode::everyComponent, root + "/Src/Lib/./../Lib/zeta.c"},
      {root + "/Src/READ ME.TXT", ExpandMode::everyComponent, root + "/Src/read me.txt"},
      {"/", ExpandMode::everyComponent, "/"},
  };
  for (const Case& c : cases) EXPECT_EQ(expandWildcards(ui, c.path, c.mode), c.expected) << c.path;
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileChoicesTest, AMissingComponentStopsWithItsPrefix) {
  ui.expectMessage("Cannot parse file " + dir.file("src/nothing") + ".", ui::kAnswerOk);
  EXPECT_FALSE(expandWildcards(ui, dir.file("src/nothing/util.c"), ExpandMode::everyComponent));
  // Only the last component is looked at in mode 2.
  ui.expectMessage("Cannot parse file " + dir.file("Src/Lib/none.c") + ".", ui::kAnswerOk);
  EXPECT_FALSE(expandWildcards(ui, dir.file("Src/Lib/none.c"), ExpandMode::lastComponent));
}

TEST_F(FileChoicesTest, EveryChosenNameIsNormalisedUntilOneFails) {
  ui.expectFiles("Import", {dir.file("src/lib/util.c"), dir.file("Src/read me.txt"), dir.file("Src/gone.c"),
                            dir.file("Src/Lib/main.c")});
  ui.expectMessage("Cannot parse file", ui::kAnswerOk);
  ui::FileRequest request;
  request.caption = "Import Archive";
  request.multiple = true;
  EXPECT_EQ(chooseFiles(ui, request),
            (std::vector<std::string>{dir.file("Src/Lib/Util.c"), dir.file("Src/read me.txt")}));
  ui.expectFiles("Import", {});
  EXPECT_TRUE(chooseFiles(ui, request).empty());
}

TEST_F(FileChoicesTest, BrowsingLeavesTheCurrentDirectoryAsItWas) {
  const std::string before = cwd();
  ui.expectDirectory("Select Directory", dir.file("src/lib"));
  EXPECT_EQ(browseForDirectory(ui, "Select Directory", dir.file("Src/old.c"), "util.c"),
            dir.file("Src/Lib/old.c"));
  EXPECT_EQ(cwd(), before);
  ui.expectDirectory("Select Directory", std::nullopt);
  EXPECT_FALSE(browseForDirectory(ui, "Select Directory", dir.file("Src/"), "util.c"));
  EXPECT_EQ(cwd(), before);
}

TEST_F(FileChoicesTest, CreateDirectoryMakesEveryLevel) {
  CreateDirectoryDialog logic(ui, dir.path());
  FakeSurface s;
  logic.setUp(s);
  EXPECT_EQ(s.text(kCreateDirBase), dir.path().size() <= 80 ? dir.path() : s.text(kCreateDirBase));
  EXPECT_EQ(s.focus(), kCreateDirName);
  s.setText(kCreateDirName, "a/b");
  EXPECT_TRUE(s.close(logic, kCreateDirOk));
  EXPECT_EQ(logic.path(), dir.file("a/b"));
  EXPECT_TRUE(isDirectory(dir.file("a/b")));

  // An absolute name is taken as it is.
  CreateDirectoryDialog absolute(ui, "/nowhere");
  FakeSurface t;
  absolute.setUp(t);
  t.setText(kCreateDirName, dir.file("x/y/z"));
  EXPECT_TRUE(t.close(absolute, kCreateDirOk));
  EXPECT_TRUE(isDirectory(dir.file("x/y/z")));

  // A level that is a file: 738 and the dialog stays.
  CreateDirectoryDialog blocked(ui, dir.path());
  FakeSurface u;
  blocked.setUp(u);
  u.setText(kCreateDirName, "Src/read me.txt/sub");
  u.setFocus(0);
  ui.expectMessage("Could not create directory Src/read me.txt/sub.", ui::kAnswerOk);
  EXPECT_FALSE(u.close(blocked, kCreateDirOk));
  EXPECT_EQ(u.focus(), kCreateDirName);
  u.setText(kCreateDirName, "");
  EXPECT_TRUE(u.close(blocked, kCreateDirOk));
  EXPECT_EQ(blocked.path(), "");
}

TEST_F(FileChoicesTest, CreateDirectoryThroughTheUi) {
  ui.expectDialog(kCreateDirectoryDialogId, [&](FakeSurface& s, ui::DialogLogic& logic) {
    s.setText(kCreateDirName, "new");
    s.close(logic, kCreateDirOk);
  });
  EXPECT_EQ(createDirectory(ui, dir.path() + "/"), dir.file("new"));
  ui.expectDialog(kCreateDirectoryDialogId, [&](FakeSurface& s, ui::DialogLogic& logic) { s.close(logic, 2); });
  EXPECT_FALSE(createDirectory(ui, dir.path()));
}

TEST(FileDialogFilters, PairsOfTheTextsOwnSeparator) {
  EXPECT_EQ(fileDialogFilters("Sources (*.c;*.h)|*.c;*.h|All Files (*.*)|*.*|"),
            (std::vector<std::string>{"Sources (*.c *.h)", "All Files (*)"}));
  EXPECT_EQ(fileDialogFilters("Projects#*.pj#Archives#*.c_v;*,v#"),
            (std::vector<std::string>{"Projects (*.pj)", "Archives (*.c_v *,v)"}));
  EXPECT_TRUE(fileDialogFilters("").empty());
  EXPECT_TRUE(fileDialogFilters("Lonely|").empty());
}

// ---- Directory Mapping ------------------------------------------------------

TEST(QueryVariable, ProjectVariableUseHasNoDefaultsAndOnlyOkLeaves) {
  ui::testing::ScriptedUi ui;
  QueryVariableDialog logic(ui, "SRC", "c:\\work\\src", "/lib/util.c", false, false);
  FakeSurface s;
  logic.setUp(s);
  EXPECT_EQ(s.text(kQueryValue), "c:/work/src");
  EXPECT_EQ(s.text(kQueryLine1), "$(SRC)/lib/util.c");
  EXPECT_EQ(s.text(kQueryLine2), "uses the project variable SRC");
  EXPECT_EQ(s.text(kQueryLine5), "to correctly locate the member.  The value is:");
  EXPECT_FALSE(s.control(kQueryUseDefaults).visible);
  EXPECT_EQ(queryVariableDescription(true).title, "Project Variable Mapping");
  EXPECT_FALSE(s.close(logic, kQueryCancel)) << "Cancel and Escape leave it open";
  s.setText(kQueryValue, "/home/ann/work\\src");
  EXPECT_TRUE(s.close(logic, kQueryOk));
  EXPECT_EQ(logic.value(), "/home/ann/work/src");
}

TEST(QueryVariable, SandboxUseShowsTheMemberAndTakesDefaults) {
  ui::testing::ScriptedUi ui;
  QueryVariableDialog logic(ui, "util.c", "/d/proj/lib", "/d/other/lib/util.c", true, true);
  FakeSurface s;
  logic.setUp(s);
  EXPECT_TRUE(s.control(kQueryUseDefaults).visible);
  EXPECT_EQ(queryVariableDescription(false).title, "Directory Mapping");
  EXPECT_EQ(s.text(kQueryLine1), "/d/other/lib/util.c");
  EXPECT_EQ(s.text(kQueryLine2), "has an explicit mapping for its archive file.");
  EXPECT_EQ(s.text(kQueryLine4), "machine calls the archive directory");
  EXPECT_EQ(s.text(kQueryLine5), "/d/proj/lib");
  EXPECT_FALSE(s.close(logic, kQueryCancel));
  EXPECT_TRUE(s.press(logic, kQueryUseDefaults));
  EXPECT_TRUE(s.ended());
  EXPECT_EQ(s.result(), kQueryUseDefaults);

  // Through the Ui: OK gives the answer to the caller.
  ui.expectDialog(kQueryVariableDialogId, [](FakeSurface& f, ui::DialogLogic& l) {
    f.setText(kQueryValue, "/srv/lib");
    f.close(l, kQueryOk);
  });
  std::string value = "/d/proj/lib";
  EXPECT_EQ(queryVariable(ui, "util.c", value, "/d/other/lib/util.c", false, true), kQueryOk);
  EXPECT_EQ(value, "/srv/lib");
}

TEST_F(FileChoicesTest, BrowseFillsTheDirectoryOfTheChosenName) {
  QueryVariableDialog logic(ui, "LIB", "", dir.file("Src/Lib/util.c"), false, false);
  FakeSurface s;
  logic.setUp(s);
  ui.expectDirectory("Select Directory", dir.file("src/LIB"));
  EXPECT_TRUE(s.press(logic, kQueryBrowse));
  EXPECT_EQ(s.text(kQueryValue), dir.file("Src/Lib"));
  ui.expectDirectory("Select Directory", std::nullopt);
  s.press(logic, kQueryBrowse);
  EXPECT_EQ(s.text(kQueryValue), dir.file("Src/Lib"));
}

}  // namespace
}  // namespace orv::workbench::external
