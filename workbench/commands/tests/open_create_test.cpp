// Opening and creating archives and projects over a fake window registry,
// on real archives and projects in a temporary directory; the Create
// Archive dialog is played by the test.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "vc/include/vc.h"
#include "workbench/app/recent_files.h"
#include "workbench/commands/open_create_commands.h"
#include "workbench/external/file_choices.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::commands {
namespace {

using testing::FakeRegistry;
using testing::ProjectTest;

class OpenCreateTest : public ProjectTest {
 protected:
  // The dialog side of a create run: counts dialogs and done hooks, and
  // answers with answer (choosing the settings for all files when
  // applyToAll is set).
  CreateArchiveServices createServices() {
    CreateArchiveServices s;
    s.fillDefaults = [this](OpenArchive&, TCreateArchiveTransferStruct&) {
      ++defaults;
      return true;
    };
    s.dialog = [this](OpenArchive& archive, TCreateArchiveTransferStruct& record, bool checkInAllowed) {
      dialogFiles.push_back(archive.workFileName());
      allFilesOffered.push_back(record.allFiles != 2);
      checkInOffered.push_back(checkInAllowed);
      if (applyToAll) record.allFiles = 1;
      if (answer == ui::kAnswerCancel) record.cancelAll = cancelAll ? 1 : 0;
      return answer;
    };
    s.done = [this](TCreateArchiveTransferStruct&) { ++dones; };
    s.initialRevision = [](const TCreateArchiveTransferStruct&, TCiTransferStruct& ci) {
      setField(ci.description, "Initial revision");
      return true;
    };
    s.applySettings = [](OpenArchive& archive, const TCreateArchiveTransferStruct&, int&) {
      return vcCommitArchive(archive.handle(), VC_COMMIT_KEEP_OPEN) == 0;
    };
    return s;
  }

  OpenCreateCommands commands() {
    OpenCreateServices s;
    s.createArchive = createServices();
    s.addRecentFile = [this](const std::string& path, int kind) { recent.push_back({path, kind}); };
    return OpenCreateCommands(ui, windows, s);
  }

  bool archiveOnDisk(const std::string& name) {
    int h = 0;
    const int rc = vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ);
    if (h) vcCloseArchive(h);
    return rc == 0;
  }

  FakeRegistry windows{ui};
  int defaults = 0;
  int dones = 0;
  std::vector<std::string> dialogFiles;
  std::vector<bool> allFilesOffered;
  std::vector<bool> checkInOffered;
  int answer = ui::kAnswerOk;
  bool applyToAll = false;
  bool cancelAll = false;
  std::vector<RecentFile> recent;
};

TEST_F(OpenCreateTest, ApplyToAllInTheFirstDialogCreatesEveryArchiveWithOneDialog) {
  for (const char* f : {"a.c", "b.c", "c.c"}) dir.write(f, std::string("text of ") + f + "\n");
  applyToAll = true;
  ui.expectFiles("Create Archive", {work("a.c"), work("b.c"), work("c.c")});
  commands().createArchive();

  EXPECT_EQ(dialogFiles, std::vector<std::string>{work("a.c")});
  EXPECT_EQ(allFilesOffered, std::vector<bool>{true});
  EXPECT_EQ(dones, 1);
  for (const char* f : {"a.c", "b.c", "c.c"}) {
    EXPECT_EQ(head(f), "1.1") << f;
    int h = 0;
    ASSERT_EQ(vcOpenArchive(archiveOf(f).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    const std::string target = dir.file(std::string("out-") + f);
    ASSERT_EQ(vcCoRevision(h, "1.1", target.c_str()), 0);
    vcCloseArchive(h);
    EXPECT_EQ(dir.read(std::string("out-") + f), std::string("text of ") + f + "\n");
  }
  EXPECT_TRUE(windows.archiveBuilds.empty());
  EXPECT_TRUE(recent.empty());
}

TEST_F(OpenCreateTest, AnExistingArchiveIsToldAndCancelEndsTheRun) {
  struct Case {
    int boxAnswer;
    bool secondCreated;
  };
  makeArchive("e.c", {"old\n"});
  for (const Case c : {Case{ui::kAnswerCancel, false}, Case{ui::kAnswerOk, true}}) {
    SCOPED_TRACE(c.boxAnswer);
    dir.write("n.c", "new\n");
    dialogFiles.clear();
    ui.expectFiles("Create Archive", {work("e.c"), work("n.c")});
    ui.expectMessage("Archive " + archiveOf("e.c") + " already exists.", c.boxAnswer);
    commands().createArchive();
    EXPECT_EQ(archiveOnDisk("n.c"), c.secondCreated);
    EXPECT_EQ(dialogFiles.size(), c.secondCreated ? 1u : 0u);
    EXPECT_EQ(head("e.c"), "1.1");
  }
}

TEST_F(OpenCreateTest, PrecheckTellsWhatIsInTheWay) {
  ::mkdir(dir.file("rcs").c_str(), 0755);
  dir.write("rcs/junk.c", "not an archive\n");
  dir.write("junk.c", "work\n");
  ui.expectMessage(work("junk.c") + "\nA file with this name is located in an archive directory and is not "
                                    "a valid archive. Move it elsewhere before proceeding.",
                   ui::kAnswerOk);
  EXPECT_TRUE(commands().ddeCreateArchive({work("junk.c")}));
  EXPECT_TRUE(dialogFiles.empty());
  EXPECT_EQ(dir.read("rcs/junk.c"), "not an archive\n");
}

TEST_F(OpenCreateTest, OneFileFromTheMenuOpensItsWindowAndEntersTheRecentList) {
  dir.write("one.c", "one\n");
  ui.expectFiles("Create Archive", {work("one.c")});
  commands().createArchive();
  // The new window's archive stays the library's current one.
  ASSERT_EQ(windows.archiveBuilds.size(), 1u);
  ASSERT_NE(windows.active, nullptr);
  auto* window = static_cast<testing::FakeArchiveWindow*>(windows.active);
  EXPECT_NE(window->archive().handle(), 0);
  EXPECT_EQ(testing::currentLibraryHandle(82), window->archive().handle());

  EXPECT_EQ(allFilesOffered, std::vector<bool>{false});
  EXPECT_EQ(checkInOffered, std::vector<bool>{true});
  EXPECT_EQ(head("one.c"), "1.1");
  EXPECT_EQ(windows.archiveBuilds[0].name, work("one.c"));
  EXPECT_TRUE(windows.archiveBuilds[0].remember);
  ASSERT_EQ(recent.size(), 1u);
  EXPECT_EQ(recent[0].path, work("one.c"));
  EXPECT_EQ(recent[0].kind, 2);
}

TEST_F(OpenCreateTest, AllFilesAndCheckInAreOfferedByOriginAndWorkingFile) {
  dir.write("here.c", "here\n");
  answer = ui::kAnswerCancel;  // skip each file, after its dialog
  ui.expectFiles("Create Archive", {work("gone.c"), work("here.c")});
  commands().createArchive();
  EXPECT_EQ(allFilesOffered, (std::vector<bool>{false, true}));
  EXPECT_EQ(checkInOffered, (std::vector<bool>{false, true}));

  allFilesOffered.clear();
  checkInOffered.clear();
  EXPECT_TRUE(commands().ddeCreateArchive({work("gone.c"), work("here.c")}));
  EXPECT_EQ(allFilesOffered, (std::vector<bool>{true, true}));
  EXPECT_EQ(checkInOffered, (std::vector<bool>{true, true}));
  EXPECT_EQ(dones, 4);
  EXPECT_FALSE(archiveOnDisk("here.c"));
}

TEST_F(OpenCreateTest, OpenCommandsOpenEveryChosenFileAndRememberIt) {
  makeArchive("a.c", {"a\n"});
  makeArchive("b.c", {"b\n"});
  makeProject("p.pj", {});
  ui.expectFiles("Open Archive", {work("a.c"), work("b.c")});
  ui.expectFiles("Open Project/Sandbox", {work("p.pj")});
  OpenCreateCommands c = commands();
  c.openArchive();
  c.openProject();
  ASSERT_EQ(windows.archiveBuilds.size(), 2u);
  EXPECT_EQ(windows.archiveBuilds[1].name, work("b.c"));
  EXPECT_TRUE(windows.archiveBuilds[0].remember && windows.archiveBuilds[1].remember);
  ASSERT_EQ(windows.projectBuilds.size(), 1u);
  EXPECT_TRUE(windows.projectBuilds[0].remember);
  EXPECT_EQ(windows.windows.size(), 3u);
}

TEST_F(OpenCreateTest, CancelAllEndsACommandServerRunAndAnswersFalse) {
  for (const char* f : {"a.c", "b.c"}) dir.write(f, "x\n");
  answer = ui::kAnswerCancel;
  cancelAll = true;
  EXPECT_FALSE(commands().ddeCreateArchive({work("a.c"), work("b.c")}));
  EXPECT_EQ(dialogFiles.size(), 1u);
  EXPECT_EQ(dones, 1);
  EXPECT_FALSE(archiveOnDisk("a.c"));
  EXPECT_FALSE(archiveOnDisk("b.c"));

  // Cancel without Cancel All skips only that file.
  cancelAll = false;
  dialogFiles.clear();
  EXPECT_TRUE(commands().ddeCreateArchive({work("a.c"), work("b.c")}));
  EXPECT_EQ(dialogFiles.size(), 2u);
}

TEST_F(OpenCreateTest, CreatedArchiveLeavesItsHandleToTheNextArchive) {
  makeArchive("other.c", {"other\n"});
  dir.write("fresh.c", "fresh\n");
  int other = 0;
  {
    OpenArchive archive(ui, work("fresh.c"), 6);
    ASSERT_EQ(archive.status(), 0);
    TCreateArchiveTransferStruct record;
    int boxAnswer = ui::kAnswerOk;
    ASSERT_TRUE(createOneArchive(archive, record, createServices(), boxAnswer));
    EXPECT_EQ(archive.handle(), 0);
    // The library hands the freed number out again; the object going must
    // not close that archive.
    ASSERT_EQ(vcOpenArchive(archiveOf("other.c").c_str(), &other, VC_ARCHIVE_OPEN_READ), 0);
  }
  char rev[64] = {};
  EXPECT_EQ(vcGetArchiveInfo(other, VC_ARCHIVE_ITEM_HEAD, rev, sizeof rev), 0);
  EXPECT_STREQ(rev, "1.1");
  vcCloseArchive(other);
  EXPECT_EQ(head("fresh.c"), "1.1");
}

TEST_F(OpenCreateTest, AddingAMemberCreatesItsArchiveThroughTheCreateStep) {
  dir.write("m.c", "member\n");
  const std::string pj = makeProject("p.pj", {});
  OpenProject p(ui, pj.c_str(), 1);
  ASSERT_EQ(p.status, 0);
  MemberAddServices add;
  add.createDialog = [](OpenArchive&, TCreateArchiveTransferStruct&) { return ui::kAnswerOk; };
  add.createArchive = memberCreateArchiveStep(createServices());
  int cell1 = 0, cell2 = 0;
  TCreateArchiveTransferStruct record;
  EXPECT_EQ(addProjectMembers(p, work("m.c"), true, &cell1, &cell2, true, true, false, &record, add), 0);
  EXPECT_EQ(head("m.c"), "1.1");
}

TEST_F(OpenCreateTest, CommandLineOpensProjectsAndArchivesByWhatTheLibraryFinds) {
  makeProject("a.pj", {});
  makeArchive("b.c", {"b\n"});
  makeArchive("with blank.c", {"w\n"});
  commands().openCommandLineNames({work("a.pj"), work("b.c"), work("with blank.c")});
  ASSERT_EQ(windows.projectBuilds.size(), 1u);
  EXPECT_EQ(windows.projectBuilds[0].name, work("a.pj"));
  EXPECT_FALSE(windows.projectBuilds[0].createNew);
  EXPECT_FALSE(windows.projectBuilds[0].remember);
  ASSERT_EQ(windows.archiveBuilds.size(), 2u);
  EXPECT_EQ(windows.archiveBuilds[0].name, work("b.c"));
  EXPECT_FALSE(windows.archiveBuilds[0].remember);
  EXPECT_EQ(windows.archiveBuilds[1].name, work("with blank.c"));
  EXPECT_EQ(windows.windows.size(), 3u);
}

TEST_F(OpenCreateTest, AnOpenWindowIsRaisedWhateverTheCase) {
  makeArchive("b.c", {"b\n"});
  makeProject("a.pj", {});
  OpenCreateCommands c = commands();
  ASSERT_TRUE(c.openArchiveWindow(work("b.c"), true, true));
  ASSERT_TRUE(c.ddeOpenProject({work("a.pj")}));
  std::string upper = work("B.C");
  EXPECT_TRUE(c.openArchiveWindow(upper, false, true));
  EXPECT_TRUE(c.ddeOpenProject({work("A.PJ")}));
  EXPECT_EQ(windows.archiveBuilds.size(), 1u);
  EXPECT_EQ(windows.projectBuilds.size(), 1u);
  EXPECT_EQ(static_cast<testing::FakeArchiveWindow*>(windows.windows[0].get())->raises, 1);
  EXPECT_EQ(static_cast<testing::FakeProjectWindow*>(windows.windows[1].get())->raises, 1);
}

TEST_F(OpenCreateTest, ANewProjectGetsItsExtensionFromTheLastComponent) {
  struct Case {
    const char* given;
    const char* opened;
  };
  for (const Case c : {Case{"proj", "proj.pj"}, Case{"proj.x", "proj.x"}, Case{"v1.2/proj", "v1.2/proj.pj"},
                       Case{"v1.2/proj.pj", "v1.2/proj.pj"}}) {
    EXPECT_EQ(withProjectExtension(work(c.given)), work(c.opened)) << c.given;
  }
  windows.failBuilds = true;
  ProjectWindowRequest request;
  request.name = work("v1.2/proj");
  request.createNew = true;
  EXPECT_FALSE(commands().openProjectWindow(request));
  request.name = work("plain");
  request.createNew = false;
  EXPECT_FALSE(commands().openProjectWindow(request));
  ASSERT_EQ(windows.projectBuilds.size(), 2u);
  EXPECT_EQ(windows.projectBuilds[0].name, work("v1.2/proj.pj"));
  EXPECT_TRUE(windows.projectBuilds[0].createNew);
  EXPECT_EQ(windows.projectBuilds[1].name, work("plain"));
}

TEST_F(OpenCreateTest, FailedBuildPutsTheLibraryContextBack) {
  makeArchive("k.c", {"k\n"});
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("k.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, std::to_string(h).c_str());
  windows.failBuilds = true;
  EXPECT_FALSE(commands().openArchiveWindow(work("nothing.c"), false, true));
  EXPECT_EQ(testing::currentLibraryHandle(82), h);
  vcCloseArchive(h);
}

TEST_F(OpenCreateTest, OpenMemberArchiveOpensArchivedMembersOnly) {
  makeArchive("a.c", {"a\n"});
  dir.write("f.c", "plain\n");
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"f.c", 'f', nullptr}});
  auto& window = windows.openProject(work("p.pj"));
  window.rows = {0, 1};
  ui.expectMessage("Member " + work("f.c") + " is not of type 'Archived'.", ui::kAnswerOk);
  commands().openMemberArchives();
  ASSERT_EQ(windows.memberBuilds.size(), 1u);
  EXPECT_EQ(windows.memberBuilds[0], work("a.c"));
  ASSERT_EQ(windows.windows.size(), 2u);
  EXPECT_EQ(static_cast<testing::FakeArchiveWindow*>(windows.windows[1].get())->archive().archiveName(),
            archiveOf("a.c"));
}

TEST_F(OpenCreateTest, OpenMemberArchiveWithoutAProjectWindowBeeps) {
  commands().openMemberArchives();
  EXPECT_EQ(ui.beeps, 1);
}

TEST(ChooserFilters, PairsBecomeNamedPatternLists) {
  EXPECT_EQ(fileDialogFilters(kProjectFileFilter),
            (std::vector<std::string>{"Project Files (*.pj)", "All Files (*)"}));
  const auto member = fileDialogFilters(kMemberFileFilter);
  ASSERT_EQ(member.size(), 8u);
  EXPECT_EQ(member[0], "All Files (*)");
  EXPECT_EQ(member[1], "C/C++ Files (*.cpp *.c *.hpp *.h)");
  EXPECT_EQ(member[7], "TY Project Files (*.pj)");
}

}  // namespace
}  // namespace orv::workbench::commands
