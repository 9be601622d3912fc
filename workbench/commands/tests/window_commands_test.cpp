// The revision, member and window commands over fake windows holding real
// archives and projects; the dialogs are played by the test.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "vc/include/vc.h"
#include "workbench/commands/window_commands.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::commands {
namespace {

using testing::FakeArchiveWindow;
using testing::FakeProjectWindow;
using testing::FakeRegistry;
using testing::ProjectTest;

class NoCommands : public ExecuteSink {
 public:
  void runCommand(const ExecuteCommand&) override { ++ran; }
  int ran = 0;
};

class WindowCommandsTest : public ProjectTest {
 protected:
  WindowCommands commands() {
    WindowCommandServices s;
    s.viewOrEdit = [this](const std::string& path) { edited.push_back(path); };
    s.revisionInformation = [this](OpenArchive&, const std::string& revision) {
      informationFor.push_back(revision);
      return ui::kAnswerOk;
    };
    s.projectInformation = [this](OpenProject&, int dialog) {
      informationDialogs.push_back(dialog);
      return projectChanges;
    };
    s.labelMembers = [this](ProjectWindow&, std::vector<int>& rows) { labelled.push_back(rows); };
    s.configurationSheet = [this] {
      // The sheet empties the library's current items.
      vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, "0");
      vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, "0");
      sheetRefusedCommands = server.execute("About ;") == kExecuteRefused;
    };
    s.showToolbar = [this](const std::optional<std::string>& file) { toolbarFiles.push_back(file); };
    s.commandServer = &server;
    return WindowCommands(ui, windows, opening, temps, s);
  }

  FakeRegistry windows{ui};
  OpenCreateCommands opening{ui, windows, {}};
  TempFiles temps{ui};
  NoCommands sink;
  ExecuteServer server{sink, [](std::string name) { return name; }};
  std::vector<std::string> edited;
  std::vector<std::string> informationFor;
  std::vector<int> informationDialogs;
  int projectChanges = 0;
  std::vector<std::vector<int>> labelled;
  bool sheetRefusedCommands = false;
  std::vector<std::optional<std::string>> toolbarFiles;
};

TEST_F(WindowCommandsTest, LockRefreshesAndSelectsTheRevisionAgain) {
  makeArchive("r.c", {"1\n", "2\n"});
  FakeArchiveWindow& w = windows.openArchive(archiveOf("r.c"));
  w.rows = {{"1.1", 0}};
  commands().setLock(kLockRevisionItem);
  EXPECT_EQ(locks("r.c"), std::vector<std::string>{"alice 1.1"});
  EXPECT_EQ(w.refreshes, 1);
  EXPECT_EQ(w.reselected, std::vector<std::string>{"1.1"});

  // The tree form refreshes without selecting again.
  w.list = false;
  commands().setLock(kUnlockRevisionItem);
  EXPECT_TRUE(locks("r.c").empty());
  EXPECT_EQ(w.refreshes, 2);
  EXPECT_EQ(w.reselected.size(), 1u);
}

TEST_F(WindowCommandsTest, RevisionCommandsNeedExactlyOneRevisionRow) {
  makeArchive("r.c", {"1\n", "2\n"});
  FakeArchiveWindow& w = windows.openArchive(archiveOf("r.c"));
  struct Case {
    std::vector<RevisionRow> rows;
    bool told;
  };
  const std::vector<Case> cases = {
      {{{"", kWorkFileRowFlag}}, false},
      {{{"1.2", 0}, {"1.1", 0}}, true},
      {{}, true},
  };
  for (const Case& c : cases) {
    w.rows = c.rows;
    if (c.told) ui.expectMessage("You must select exactly one revision.", ui::kAnswerOk);
    commands().revisionInformation();
    if (c.told) ui.expectMessage("You must select exactly one revision.", ui::kAnswerOk);
    commands().setLock(kLockRevisionItem);
  }
  EXPECT_TRUE(informationFor.empty());
  EXPECT_TRUE(locks("r.c").empty());
  EXPECT_EQ(w.refreshes, 0);

  w.rows = {{"1.1", 0}};
  commands().revisionInformation();
  EXPECT_EQ(informationFor, std::vector<std::string>{"1.1"});
  EXPECT_EQ(w.refreshes, 1);
  EXPECT_EQ(w.reselected, std::vector<std::string>{"1.1"});
}

TEST_F(WindowCommandsTest, DeleteRevisionSkipsTheWorkingFileRowWhereverItStands) {
  makeArchive("d.c", {"1\n", "2\n", "3\n"});
  FakeArchiveWindow& w = windows.openArchive(archiveOf("d.c"));
  w.rows = {{"1.2", 0}, {"", kWorkFileRowFlag}};
  ui.expectMessage("revision 1.2 from the archive", ui::kAnswerYes);
  commands().deleteRevisions();
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("d.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char rev[64] = {};
  EXPECT_NE(vcGetRevInfo(h, VC_REVISION_ITEM_NUMBER, "1.2", rev, sizeof rev), 0);
  EXPECT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_NUMBER, "1.3", rev, sizeof rev), 0);
  vcCloseArchive(h);
  EXPECT_EQ(w.refreshes, 1);
  EXPECT_TRUE(windows.closed.empty());
}

TEST_F(WindowCommandsTest, EditWorkingFileShowsARevisionAsAReadOnlyCopy) {
  ::setenv("TMPDIR", dir.file("tmp").c_str(), 1);
  makeArchive("e.c", {"first\n", "second\n"});
  FakeArchiveWindow& w = windows.openArchive(archiveOf("e.c"));
  w.rows = {{"1.1", 0}};
  commands().editWorkingFile();
  ASSERT_EQ(edited.size(), 1u);
  EXPECT_NE(edited[0], work("e.c"));
  EXPECT_EQ(dir.read(edited[0].substr(dir.path().size() + 1)), "first\n");
  EXPECT_EQ(modeOf(edited[0]), 0444u);

  // The working-file row: the file itself, or a beep when it is gone.
  w.rows = {{"", kWorkFileRowFlag}};
  commands().editWorkingFile();
  ASSERT_EQ(edited.size(), 2u);
  EXPECT_EQ(edited[1], work("e.c"));
  ::unlink(work("e.c").c_str());
  commands().editWorkingFile();
  EXPECT_EQ(edited.size(), 2u);
  EXPECT_EQ(ui.beeps, 1);
  ::unsetenv("TMPDIR");
}

TEST_F(WindowCommandsTest, EditWorkingFileOpensASubprojectInItsOwnWindow) {
  makeProject("sub.pj", {});
  makeProject("p.pj", {{"sub.pj", 'i', "1.4"}});
  struct Case {
    bool frozenRow;
    bool historicalParent;
    bool historicalOption;
    bool atRevision;
  };
  for (const Case c : {Case{false, false, false, false}, Case{true, false, false, true},
                       Case{false, true, false, true}, Case{false, false, true, true}}) {
    SCOPED_TRACE(std::to_string(c.frozenRow) + std::to_string(c.historicalParent) +
                 std::to_string(c.historicalOption));
    if (c.historicalOption) {
      ASSERT_EQ(vcSetConfig("historical", ""), 0);
    } else {
      vcDropConfig("historical");
    }
    windows.windows.clear();
    windows.active = nullptr;
    windows.projectBuilds.clear();
    FakeProjectWindow& w = windows.openProject(work("p.pj"), c.historicalParent);
    ASSERT_EQ(w.view.rows.size(), 1u);
    w.view.rows[0].frozen = c.frozenRow;
    w.rows = {0};
    windows.failBuilds = true;
    commands().editWorkingFile();
    windows.failBuilds = false;
    ASSERT_EQ(windows.projectBuilds.size(), 1u);
    const ProjectWindowRequest& r = windows.projectBuilds[0];
    EXPECT_EQ(r.name, work("sub.pj"));
    EXPECT_FALSE(r.createNew);
    EXPECT_FALSE(r.remember);
    EXPECT_EQ(r.revision, c.atRevision ? std::optional<std::string>("1.4") : std::nullopt);
    EXPECT_EQ(r.frozenRequested, c.frozenRow);
    EXPECT_EQ(r.historical, c.historicalParent || c.historicalOption);
    EXPECT_TRUE(edited.empty());
  }
}

TEST_F(WindowCommandsTest, EditWorkingFileOfAMemberNeedsOneRow) {
  dir.write("f.c", "plain\n");
  makeProject("p.pj", {{"f.c", 'f', nullptr}, {"g.c", 'f', nullptr}});
  FakeProjectWindow& w = windows.openProject(work("p.pj"));
  w.rows = {0, 1};
  ui.expectMessage("You must select exactly one member.", ui::kAnswerOk);
  commands().editWorkingFile();
  w.rows = {0};
  commands().editWorkingFile();
  EXPECT_EQ(edited, std::vector<std::string>{work("f.c")});
  w.rows = {1};
  commands().editWorkingFile();
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(WindowCommandsTest, LabelLooksAtTheFirstMemberFirst) {
  dir.write("f.c", "plain\n");
  makeProject("p.pj", {{"x.c", 'a', nullptr}, {"f.c", 'f', nullptr}});
  FakeProjectWindow& w = windows.openProject(work("p.pj"));
  ASSERT_EQ(w.view.rows[1].name, work("x.c"));
  w.rows = {1, 0};
  ui.expectMessage("You cannot perform this operation on member " + work("x.c") +
                       ", because there is no revision associated with the member.",
                   ui::kAnswerOk);
  commands().labelMembers();
  EXPECT_TRUE(labelled.empty());
  w.rows = {0, 1};
  commands().labelMembers();
  EXPECT_EQ(labelled, (std::vector<std::vector<int>>{{0, 1}}));
}

TEST_F(WindowCommandsTest, RefreshClosesTheWindowOfAVanishedArchive) {
  makeArchive("v.c", {"1\n"});
  FakeArchiveWindow& w = windows.openArchive(archiveOf("v.c"));
  commands().refresh();
  EXPECT_EQ(w.refreshes, 1);
  ASSERT_EQ(::unlink(archiveOf("v.c").c_str()), 0);
  commands().refresh();
  EXPECT_EQ(windows.closed, std::vector<std::string>{archiveOf("v.c")});
  EXPECT_EQ(windows.active, nullptr);
  commands().refresh();
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(WindowCommandsTest, ConfigurationPutsTheActiveWindowsItemsBack) {
  makeArchive("c.c", {"1\n"});
  makeProject("p.pj", {});
  FakeArchiveWindow& a = windows.openArchive(archiveOf("c.c"));
  FakeProjectWindow& p = windows.openProject(work("p.pj"));
  commands().configuration();
  EXPECT_TRUE(sheetRefusedCommands);
  EXPECT_EQ(server.execute("About ;"), kExecuteAccepted);
  EXPECT_EQ(testing::currentLibraryHandle(81), p.project().project);
  EXPECT_EQ(testing::currentLibraryHandle(82), 0);

  windows.active = &a;
  commands().configuration();
  EXPECT_EQ(testing::currentLibraryHandle(82), a.archive().handle());
  EXPECT_EQ(testing::currentLibraryHandle(81), 0);
  ASSERT_EQ(toolbarFiles.size(), 2u);
  EXPECT_EQ(toolbarFiles[0], std::nullopt);
  EXPECT_EQ(toolbarFiles[1], archiveOf("c.c"));
}

TEST_F(WindowCommandsTest, ProjectInformationChoosesTheDialogAndRefreshesOnChange) {
  makeProject("p.pj", {});
  FakeProjectWindow& w = windows.openProject(work("p.pj"), true);
  projectChanges = -1;
  commands().projectInformation();
  EXPECT_EQ(informationDialogs, std::vector<int>{kHistoricalProjectInformationDialog});
  EXPECT_EQ(w.view.refreshes, 1);
  w.project().frozen = true;
  projectChanges = 0;
  commands().projectInformation();
  EXPECT_EQ(informationDialogs.back(), kFrozenProjectInformationDialog);
  EXPECT_EQ(w.view.refreshes, 1);
}

TEST_F(WindowCommandsTest, WithoutAWindowSilentCommandsDoNothingAndOthersBeep) {
  WindowCommands c = commands();
  c.setLock(kLockRevisionItem);
  c.freezeProject(true);
  c.freezeMembers(true);
  c.deleteRevisions();
  EXPECT_EQ(ui.beeps, 0);
  c.editWorkingFile();
  c.archiveInformation();
  c.revisionInformation();
  c.projectInformation();
  c.selectMembers();
  c.labelMembers();
  c.refresh();
  EXPECT_EQ(ui.beeps, 7);
}

}  // namespace
}  // namespace orv::workbench::commands
