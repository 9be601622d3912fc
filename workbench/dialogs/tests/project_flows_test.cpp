// The project dialogs without a display: where a project and a sandbox may
// go, the sandbox-variable question, the file list's member list and typed
// names, and the Create Project, Create Sandbox and Add Members flows over
// real projects and archives.
#include <gtest/gtest.h>

#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <sstream>

#include "platform/spawn/recording_spawner.h"
#include "vc/include/vc.h"
#include "workbench/app/progress_window.h"
#include "workbench/dialogs/add_members_flow.h"
#include "workbench/dialogs/create_archive_dialog.h"
#include "workbench/dialogs/create_project_dialog.h"
#include "workbench/dialogs/create_project_flow.h"
#include "workbench/dialogs/file_list.h"
#include "workbench/dialogs/project_locations.h"
#include "workbench/dialogs/sandbox_dialog.h"
#include "workbench/dialogs/sandbox_variables.h"
#include "workbench/testing/fake_member_view.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using ui::testing::FakeSurface;

// ---- Locations ----

TEST(ProjectLocations, CreateProjectRulesInOrder) {
  orv::test::TempDir dir{"orv-locations"};
  const std::string existing = dir.write("old.pj", "");
  ::mkdir(dir.file("sub").c_str(), 0755);
  const std::string d = dir.path();
  struct Case {
    std::string p, s;
    bool ok;
    std::string message;
    int focus;
  } cases[] = {
      {"project.pj", "", false, "You must specify an absolute path to the project file project.pj.", 100},
      {d + "/a/", "", false, "absolute path to the project file", 100},
      {d + "/p*.pj", "", false, "Wildcards are not allowed in filename", 100},
      {existing, "", false, "already exists.", 100},
      {d + "/sub", "", false, "absolute path to the project file", 100},
      {d + "/p/p.pj", "", true, "", 0},
      {"//server/p.pj", "", true, "", 0},  // "//x" is simply absolute here
      {d + "/p/p.pj", "s.pj", false, "You must specify an absolute path to the sandbox file s.pj.", 102},
      {d + "/p/p.pj", d + "/s/?.pj", false, "Wildcards", 102},
      {d + "/p/p.pj", existing, false, "Sandbox file " + existing + " already exists.", 102},
      {d + "/p/p.pj", d + "/sub", false, "absolute path to the sandbox file", 102},
      {d + "/p/p.pj", d + "/p/s.pj", false, "must be located in different directories", 102},
      {d + "/p/p.pj", d + "/p/../p/s.pj", false, "different directories", 102},
      {d + "/p/p.pj", d + "/s/s.pj", true, "", 0},
  };
  for (const Case& c : cases) {
    const LocationCheck check = checkProjectLocations(c.p, c.s, 100, 102);
    EXPECT_EQ(check.ok, c.ok) << c.p << " | " << c.s;
    EXPECT_NE(check.message.find(c.message), std::string::npos) << check.message;
    EXPECT_EQ(check.focus, c.focus) << c.p << " | " << c.s;
  }
}

TEST(ProjectLocations, SandboxRulesAndTheSameDirectoryThroughALink) {
  orv::test::TempDir dir{"orv-locations"};
  ::mkdir(dir.file("p").c_str(), 0755);
  ASSERT_EQ(::symlink(dir.file("p").c_str(), dir.file("link").c_str()), 0);
  const std::string master = dir.file("p/p.pj");
  EXPECT_FALSE(checkSandboxLocation("s.pj", master, 100).ok);
  EXPECT_FALSE(checkSandboxLocation(dir.file("s/*.pj"), master, 100).ok);
  const LocationCheck same = checkSandboxLocation(dir.file("link/s.pj"), master, 100);
  EXPECT_FALSE(same.ok);
  EXPECT_EQ(same.message, "Cannot create sandbox in project directory " + dir.file("p") + ".");
  EXPECT_TRUE(checkSandboxLocation(dir.file("s/s.pj"), master, 100).ok);
}

// ---- The file list ----

TEST(FileList, MemberListHoldsEachPathOnceWithoutRegardToCase) {
  MemberList list;
  EXPECT_TRUE(list.add("/w/a.c"));
  EXPECT_FALSE(list.add("/w/A.C"));
  EXPECT_TRUE(list.add("/w/b.c"));
  EXPECT_TRUE(list.add("/w/c.c"));
  list.remove({2, 0});
  EXPECT_EQ(list.paths(), std::vector<std::string>{"/w/b.c"});
}

TEST(FileList, TypedNamesFilterTheList) {
  EXPECT_EQ(typedNamePatterns("  a.c   b.h "), (std::vector<std::string>{"a.c", "b.h"}));
  EXPECT_EQ(typedNamePatterns(""), std::vector<std::string>{"*"});
  EXPECT_EQ(filterPatterns("C/C++ Files (*.cpp *.c)"), (std::vector<std::string>{"*.cpp", "*.c"}));
  EXPECT_TRUE(matchesAnyPattern("main.c", typedNamePatterns("x.h main.c")));
  EXPECT_FALSE(matchesAnyPattern("main.cc", typedNamePatterns("x.h main.c")));
  EXPECT_FALSE(matchesAnyPattern(".hidden", {"*"}));
}

// ---- The sandbox-variable question ----

class VariableQuestionTest : public testing::ProjectTest {
 protected:
  void TearDown() override {
    setVariableQuestion(nullptr);
    ProjectTest::TearDown();
  }
};

TEST_F(VariableQuestionTest, AnswerTable) {
  char value[512] = "member.c";
  EXPECT_EQ(queryVariable("SRC", "/a", value, ""), -1) << "no target";

  project::OpenProject target(ui, nullptr);
  SandboxVariableWalk walk(target);
  std::vector<int> results = {1, 1, 6, 2};
  std::vector<std::string> answers = {"/b", "/a", "", ""};
  std::size_t asked = 0;
  setVariableQuestion([&](ui::Ui&, const std::string&, std::string& v, const std::string& second) {
    EXPECT_EQ(second, "member.c");
    if (!answers[asked].empty()) v = answers[asked];
    return results[asked++];
  });
  EXPECT_EQ(queryVariable("SRC", "/a", value, ""), 1);
  EXPECT_STREQ(value, "/b");
  std::strcpy(value, "member.c");
  EXPECT_EQ(queryVariable("SRC", "/a", value, ""), 1) << "a changed answer is asked again";
  EXPECT_STREQ(value, "/a");
  EXPECT_EQ(queryVariable("SRC", "/a", value, ""), 0) << "confirmed unchanged: not asked again";
  std::strcpy(value, "member.c");
  EXPECT_EQ(queryVariable("INC", "/i", value, ""), -1) << "Use Defaults";
  EXPECT_EQ(queryVariable("LIB", "/l", value, ""), 2) << "another ending passes through";
  EXPECT_STREQ(value, "") << "and defines nothing";
  EXPECT_EQ(asked, 4u);
}

// ---- The flows ----

class ProjectFlowTest : public testing::ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    char cwd[PATH_MAX] = {};
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    startDir = cwd;
    ::mkdir(dir.file("src").c_str(), 0755);
    for (const char* n : {"a.c", "b.c", "c.h"}) dir.write(std::string("src/") + n, std::string(n) + " text\n");
    services.add = frameMemberAddServices();
    services.openWindow = [this](const std::string& file) { opened.push_back(file); };
  }
  void TearDown() override {
    setFileListDialog(nullptr);
    ProjectTest::TearDown();
  }
  std::string src(const char* n) { return dir.file(std::string("src/") + n); }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string headOf(const std::string& archivePath) {
    int h = 0;
    if (vcOpenArchive(archivePath.c_str(), &h, VC_ARCHIVE_OPEN_READ) != 0) return "";
    char rev[64] = {};
    vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_HEAD, rev, sizeof rev);
    vcCloseArchive(h);
    return rev;
  }
  std::string archiveNameOf(const std::string& work) {
    char name[512] = {};
    if (vcFindArchiveName(work.c_str(), name, sizeof name, nullptr, VC_ARCHIVE_OPEN_READ) != 0) return "";
    return name;
  }
  // The members of a project file: full name and kind.
  std::vector<std::pair<std::string, char>> membersOf(const std::string& file) {
    std::vector<std::pair<std::string, char>> out;
    project::OpenProject p(ui, file.c_str(), 1);
    EXPECT_EQ(p.status, 0) << file;
    char name[512] = {};
    for (int rc = vcGetMember(p.project, VC_MEMBER_ITEM_FIRST, name, sizeof name); rc == 0;
         rc = vcGetMember(p.project, VC_MEMBER_ITEM_NEXT, name, sizeof name)) {
      char kind[4] = {};
      vcGetMember(p.project, VC_MEMBER_ITEM_KIND, kind, sizeof kind);
      out.emplace_back(name, kind[0]);
    }
    return out;
  }
  std::string keywordOptions() {
    unsigned flags = 0;
    const int rc = vcGetConfigFlags("KeywordExpand", &flags);
    return std::to_string(rc) + "/" + std::to_string(flags);
  }

  std::string startDir;
  ProjectFlowServices services;
  std::vector<std::string> opened;
};

TEST_F(ProjectFlowTest, CreateProjectWithThreeArchivedMembersAndASandbox) {
  const std::string keywords = keywordOptions();
  const std::string p = dir.file("src/p.pj"), s = dir.file("box/s.pj");
  setFileListDialog([this](ui::Ui&, const FileListRequest& request) {
    EXPECT_EQ(request.directory, dir.file("src"));
    FileListAnswer answer;
    answer.members = request.members;
    answer.members.push_back(src("c.h"));
    answer.members.push_back(src("A.C"));  // the same name as a.c to the member list
    return std::optional<FileListAnswer>(answer);
  });
  ui.expectDialog(kCreateProjectDialogId, [&](FakeSurface& f, ui::DialogLogic& logic) {
    ui.expectMessage("must be located in different directories", ui::kAnswerOk);
    EXPECT_EQ(f.text(kCrpProject), dir.file("src/project.pj"));
    EXPECT_EQ(f.listItems(kCrpMemberList), (std::vector<std::string>{src("a.c"), src("b.c")}));
    EXPECT_TRUE(f.isChecked(kCrpMembersArchives));
    EXPECT_TRUE(f.isChecked(kCrpAutomatic));
    EXPECT_TRUE(f.isChecked(kCrpProjectArchive));
    EXPECT_FALSE(f.isEnabled(kCrpRemove));
    f.press(logic, kCrpAddFiles);
    EXPECT_EQ(f.listItems(kCrpMemberList).size(), 3u);
    f.setText(kCrpProject, p);
    f.setText(kCrpSandbox, dir.file("src/s.pj"));
    EXPECT_FALSE(f.close(logic, ui::kAnswerOk));
    EXPECT_EQ(f.focus(), kCrpSandbox);
    f.setText(kCrpSandbox, s);
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(createProjectCommand(ui, {src("a.c"), src("b.c")}, services), 1);

  char cwd[PATH_MAX] = {};
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd), startDir) << "the current directory is restored";
  const auto members = membersOf(p);
  ASSERT_EQ(members.size(), 3u);
  for (const auto& [name, kind] : members) {
    EXPECT_EQ(kind, 'a') << name;
    EXPECT_EQ(headOf(archiveNameOf(name)), "1.1") << name;
  }
  EXPECT_EQ(headOf(archiveNameOf(p)), "1.1") << "the project file has its archive";
  {
    project::OpenProject again(ui, p.c_str(), 1);
    EXPECT_EQ(project::projectText(again.project, VC_PROJECT_ITEM_REVISION), "1.1");
  }
  EXPECT_EQ(keywordOptions(), keywords) << "keyword expansion as before";
  EXPECT_NE(read(s).find("masterproject=" + p), std::string::npos) << read(s);
  for (const char* n : {"a.c", "b.c", "c.h"}) EXPECT_EQ(read(dir.file(std::string("box/") + n)), read(src(n))) << n;
  EXPECT_EQ(opened, std::vector<std::string>{s});
}

// The command server's CreateProject passes every word as a file name, and
// the new project's window opens in the frame.
TEST_F(ProjectFlowTest, TheCommandServersWordsStartTheMemberList) {
  platform::RecordingSpawner spawner;
  external::ProgramStarts starts{ui, spawner, "", "/opt/orv/bin"};
  testing::FakeRegistry windows(ui);
  commands::FrameRegistry registry;
  registerCreateProject(registry, {ui, starts, &windows});
  ui.expectDialog(kCreateProjectDialogId, [this](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_EQ(f.listItems(kCrpMemberList), (std::vector<std::string>{src("a.c"), src("b.c"), src("c.h")}));
    EXPECT_EQ(f.text(kCrpProject), src("project.pj"));
    f.setChecked(kCrpMembersArchives, false);
    f.setChecked(kCrpProjectArchive, false);
    f.close(logic, ui::kAnswerOk);
  });
  registry.execute.at(app::ExecuteVerb::createProject).run({src("a.c"), src("b.c"), src("c.h")});
  ASSERT_EQ(windows.projectBuilds.size(), 1u);
  EXPECT_EQ(windows.projectBuilds[0].name, src("project.pj"));
  EXPECT_TRUE(windows.projectBuilds[0].remember);
  EXPECT_EQ(membersOf(src("project.pj")).size(), 3u);
}

TEST_F(ProjectFlowTest, MembersWithoutArchivesAndNoSandbox) {
  CreateProjectRequest request;
  request.project = dir.file("plain/p.pj");
  request.members = {src("a.c"), src("b.c")};
  EXPECT_EQ(createProjectFromRequest(ui, request, services), 1);
  const auto members = membersOf(request.project);
  ASSERT_EQ(members.size(), 2u);
  for (const auto& m : members) EXPECT_EQ(m.second, 'f') << m.first;
  EXPECT_EQ(archiveNameOf(src("a.c")), "") << "no archive was made";
  EXPECT_EQ(opened, std::vector<std::string>{request.project});
}

TEST_F(ProjectFlowTest, OneMemberInteractivelyLeavesAllFilesOut) {
  CreateProjectRequest request;
  request.project = dir.file("one/p.pj");
  request.members = {src("a.c")};
  request.createArchives = true;
  request.automatic = false;
  ui.expectDialog(kCreateArchiveDialogId, [](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_FALSE(f.isEnabled(kCaAllFiles)) << "one file: no All Files";
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(createProjectFromRequest(ui, request, services), 1);
  EXPECT_EQ(headOf(archiveNameOf(src("a.c"))), "1.1");
}

TEST_F(ProjectFlowTest, WithoutPermissionNothingIsMade) {
  kel.refuse("CreateProject");
  restart("");
  ui.expectMessage("You do not have permission to create projects.", ui::kAnswerOk);
  EXPECT_EQ(createProjectCommand(ui, {}, services), 0);
}

// A project with archived members and its own archive: p.pj at 1.1 with a
// label, then 1.2.
class SandboxFlowTest : public ProjectFlowTest {
 protected:
  void SetUp() override {
    ProjectFlowTest::SetUp();
    master = dir.file("src/p.pj");
    CreateProjectRequest request;
    request.project = master;
    request.members = {src("a.c"), src("b.c")};
    request.createArchives = true;
    request.checkInProject = true;
    ASSERT_EQ(createProjectFromRequest(ui, request, services), 1);
    int h = 0;
    ASSERT_EQ(vcOpenArchive(archiveNameOf(master).c_str(), &h, VC_ARCHIVE_OPEN_WRITE), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "FIRST", "1.1"), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    opened.clear();
  }
  // Runs Create Sandbox over the master's window; script fills the dialog.
  void createSandbox(const std::function<void(FakeSurface&, ui::DialogLogic&)>& script) {
    testing::FakeRegistry windows(ui);
    testing::FakeProjectWindow& window = windows.openProject(master);
    ui.expectDialog(kSandboxDialogId, script);
    createSandboxCommand(window, [this](const std::string& file, bool) { opened.push_back(file); });
  }
  std::string master;
};

TEST_F(SandboxFlowTest, ANormalSandboxWithItsMembersCopied) {
  const std::string s = dir.file("box/s.pj");
  createSandbox([&](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_EQ(f.text(kSbMaster), master);
    ui.expectMessage("Cannot create sandbox in project directory " + dir.file("src") + ".", ui::kAnswerOk);
    EXPECT_TRUE(f.isChecked(kSbCopyMembers));
    EXPECT_FALSE(f.isChecked(kSbVariant));
    EXPECT_FALSE(f.isEnabled(kSbRevisions));
    f.setText(kSbLocation, dir.file("src/s.pj"));
    EXPECT_FALSE(f.close(logic, ui::kAnswerOk));
    f.setText(kSbLocation, s);
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(opened, std::vector<std::string>{s});
  EXPECT_NE(read(s).find("masterproject=" + master), std::string::npos);
  EXPECT_EQ(read(dir.file("box/a.c")), read(src("a.c")));
}

TEST_F(SandboxFlowTest, AVariantByLabelFollowsTheLabelsRevision) {
  // FIRST stays on 1.1 while the project file goes on to 1.2.
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveNameOf(master).c_str(), &h, VC_ARCHIVE_OPEN_WRITE), 0);
  char made[64] = {};
  ASSERT_EQ(vcCiRevision(h, nullptr, master.c_str(), 0, made, sizeof made), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  ASSERT_STREQ(made, "1.2");
  const std::string s = dir.file("var/s.pj");
  createSandbox([&](FakeSurface& f, ui::DialogLogic& logic) {
    f.setChecked(kSbVariant, true);
    f.press(logic, kSbVariant);
    EXPECT_TRUE(f.isEnabled(kSbByLabel));
    f.setChecked(kSbByRevision, false);
    f.setChecked(kSbByLabel, true);
    f.press(logic, kSbByLabel);
    EXPECT_FALSE(f.isEnabled(kSbRevisions));
    EXPECT_EQ(f.selection(kSbLabels), std::vector<int>{0});
    f.setChecked(kSbCopyMembers, false);
    f.setText(kSbLocation, s);
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_NE(read(s).find("revision=1.1\n"), std::string::npos) << read(s);
  EXPECT_FALSE(::access(dir.file("var/a.c").c_str(), F_OK) == 0) << "no copies asked for";
}

TEST_F(SandboxFlowTest, AVariantAtTheHeadMakesANewRevisionAndFollowsIt) {
  const std::string s = dir.file("head/s.pj");
  createSandbox([&](FakeSurface& f, ui::DialogLogic& logic) {
    f.setChecked(kSbVariant, true);
    f.press(logic, kSbVariant);
    EXPECT_EQ(f.listItems(kSbRevisions), std::vector<std::string>{"1.1"});
    f.setText(kSbLocation, s);
    f.close(logic, ui::kAnswerOk);
  });
  // The head's copy starts a branch of its own, which the sandbox follows.
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveNameOf(master).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char date[64] = {};
  EXPECT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_DATE, "1.1.1.1", date, sizeof date), 0) << "the new revision";
  vcCloseArchive(h);
  EXPECT_NE(read(s).find("revision=1.1.1.1\n"), std::string::npos) << read(s);
}

// A refusal by the security database closes the dialog after its message;
// nothing is left behind.
TEST_F(SandboxFlowTest, ARefusedSandboxClosesTheDialog) {
  kel.refuse("CreateSandbox");
  restart("");
  const std::string s = dir.file("refused/s.pj");
  createSandbox([&](FakeSurface& f, ui::DialogLogic& logic) {
    f.setText(kSbLocation, s);
    ui.expectMessage("Could not create sandbox " + s + ".", ui::kAnswerOk);
    EXPECT_FALSE(f.close(logic, ui::kAnswerOk));
    EXPECT_TRUE(f.ended());
    EXPECT_EQ(f.result(), ui::kAnswerCancel);
  });
  EXPECT_TRUE(opened.empty());
  EXPECT_NE(::access(s.c_str(), F_OK), 0);
}

TEST_F(SandboxFlowTest, SparseStartsWithoutCopies) {
  restart("sparse");
  const std::string s = dir.file("sparse/s.pj");
  createSandbox([&](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_FALSE(f.isChecked(kSbCopyMembers));
    f.setText(kSbLocation, s);
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(opened, std::vector<std::string>{s});
  EXPECT_NE(::access(dir.file("sparse/a.c").c_str(), F_OK), 0);
}

// Cancel in the progress window stops the run after the file in hand; the
// files added so far stay, saved.
TEST_F(ProjectFlowTest, CancelInTheProgressWindowKeepsWhatWasAdded) {
  const std::string p = makeProject("p.pj", {});
  testing::FakeRegistry windows(ui);
  testing::FakeProjectWindow& window = windows.openProject(p);
  FileListAnswer answer;
  answer.members = {src("a.c"), src("b.c"), src("c.h")};
  answer.createArchives = true;
  answer.automatic = true;
  int pumps = 0;
  ui.onPump = [&pumps] {
    if (++pumps == 2 && app::ProgressWindow::current()) app::ProgressWindow::current()->cancel();
  };
  ASSERT_TRUE(window.project().lock(false));
  EXPECT_TRUE(addChosenMembers(window, answer, frameMemberAddServices()));
  window.project().dropWriteLock();
  const auto saved = membersOf(p);
  EXPECT_GE(saved.size(), 1u);
  EXPECT_LT(saved.size(), 3u) << "the run stopped";
  for (const auto& m : saved) EXPECT_EQ(headOf(archiveNameOf(m.first)), "1.1") << m.first;
}

TEST_F(ProjectFlowTest, AddMembersOneFileAndSeveral) {
  const std::string p = makeProject("p.pj", {});
  testing::FakeRegistry windows(ui);
  testing::FakeProjectWindow& window = windows.openProject(p);
  FileListRequest seen;
  std::vector<std::string> choose = {src("a.c")};
  setFileListDialog([&](ui::Ui&, const FileListRequest& request) {
    seen = request;
    FileListAnswer answer;
    answer.members = choose;
    answer.createArchives = true;
    answer.automatic = false;
    return std::optional<FileListAnswer>(answer);
  });
  ui.expectDialog(kCreateArchiveDialogId, [](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_FALSE(f.isEnabled(kCaAllFiles));
    f.close(logic, ui::kAnswerOk);
  });
  addMembersCommand(window, frameMemberAddServices());
  EXPECT_TRUE(seen.archiveChoices);
  EXPECT_EQ(membersOf(p).size(), 1u);

  choose = {src("b.c"), src("c.h")};
  ui.expectDialog(kCreateArchiveDialogId, [](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_TRUE(f.isEnabled(kCaAllFiles));
    f.setChecked(kCaAllFiles, true);
    f.close(logic, ui::kAnswerOk);
  });
  addMembersCommand(window, frameMemberAddServices());
  EXPECT_EQ(membersOf(p).size(), 3u);
  for (const char* n : {"a.c", "b.c", "c.h"}) EXPECT_EQ(headOf(archiveNameOf(src(n))), "1.1") << n;
  EXPECT_GE(window.view.refreshes, 2);
}

}  // namespace
}  // namespace orv::workbench::dialogs
