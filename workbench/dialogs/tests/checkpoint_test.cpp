// The project checkpoint against real archives and projects: a two-level
// project checkpointed with one label, the typed number given to every
// project file, another user's lock met, frozen subprojects, the
// recursion key, and what the run leaves behind (locks, temporary files,
// the keyword option), read back through the library.
#include <dirent.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <gtest/gtest.h>

#include "platform/spawn/recording_spawner.h"
#include "workbench/app/progress_window.h"
#include "workbench/project/project_member_ops.h"
#include "workbench/dialogs/checkpoint_dialog.h"
#include "workbench/project/member_walks.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using testing::ProjectTest;
using ui::testing::FakeSurface;

class CheckpointTest : public ProjectTest {
 protected:
  // p.pj: a.c and b.c, and the subproject s.pj holding c.c; every member
  // archived, the project files not yet.
  void makeTree() {
    makeArchive("a.c", {"a one\n", "a two\n"});
    makeArchive("b.c", {"b one\n"});
    makeArchive("c.c", {"c one\n"});
    makeProject("s.pj", {{"c.c", 'a', "1.1"}});
    makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"b.c", 'a', "1.1"}, {"s.pj", 'i', nullptr}});
  }
  // The dialog confirmed with label (applied to all members when given)
  // and number (as proposed when empty).
  static ui::testing::DialogScript confirm(const std::string& label, const std::string& number = "",
                                           bool same = false) {
    return [label, number, same](FakeSurface& s, ui::DialogLogic& l) {
      if (!label.empty()) {
        s.setText(kCpLabel, label);
        s.setChecked(kCpApplyLabel, true);
      }
      if (!number.empty()) s.setText(kCpNumber, number);
      if (same) s.setChecked(kCpCheckpointSame, true);
      s.close(l, ui::kAnswerOk);
    };
  }
  static ui::testing::DialogScript cancel() {
    return [](FakeSurface& s, ui::DialogLogic& l) { s.close(l, ui::kAnswerCancel); };
  }
  // The revision p.pj records for its member s.pj.
  std::string recordedRevision(const std::string& project, const std::string& member) {
    int h = 0;
    EXPECT_EQ(vcOpenProject(work(project).c_str(), 0, &h, 0), 0);
    char revision[80] = {};
    if (vcInProject(h, work(member).c_str()) == 0) vcGetMember(h, VC_MEMBER_ITEM_REVISION, revision, sizeof revision - 1);
    vcCloseProject(h);
    return revision;
  }
  std::string projectLog(const std::string& project) {
    int h = 0;
    EXPECT_EQ(vcOpenProject(work(project).c_str(), 0, &h, 0), 0);
    std::string text(8192, '\0');
    vcProjectGetLog(h, text.data(), static_cast<int>(text.size()) - 1);
    vcCloseProject(h);
    return text.c_str();
  }
  // Names of the test directory (and of rcs/) that no test made itself.
  std::vector<std::string> temporaries() {
    std::vector<std::string> out;
    for (const std::string& sub : {std::string(), std::string("rcs")}) {
      DIR* d = ::opendir(work(sub).c_str());
      if (!d) continue;
      while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.rfind("orvcp", 0) == 0 || name.rfind("vc_", 0) == 0) out.push_back(name);
      }
      ::closedir(d);
    }
    return out;
  }
  // The personal list's keyword entries.
  std::vector<std::string> personalOptions() {
    std::vector<std::string> out;
    char entry[512] = {};
    for (int item = 128; vcGetConfigList(item, entry, sizeof entry) == 0 && out.size() < 200; item = 129)
      if (std::string(entry).find("eywordExpand") != std::string::npos) out.push_back(entry);
    return out;
  }
  // bob's lock on revision of name's archive.
  void lockAsBob(const std::string& name, const char* revision) {
    vcSetSysInfo(99, "bob");
    const int h = lockedHandle(name);
    EXPECT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, revision, nullptr), 0);
    EXPECT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
  }
  void writeSettings(const std::string& text) {
    std::ofstream(work("settings/ORVTY.INI")) << text;
  }

  testing::FakeRegistry windows{ui};
};

TEST_F(CheckpointTest, TwoLevelProjectIsCheckpointedWithOneLabel) {
  makeTree();
  const std::vector<std::string> optionsBefore = personalOptions();
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  ui.expectDialog(kCheckpointDialogId, confirm("REL1"));
  ui.expectMessage("is a subproject", app::kAnswerYesToAll);
  checkpointProject(window);

  // Both project files have their first revision; the parent records the
  // subproject's and carries the label, as does every member.
  EXPECT_EQ(head("s.pj"), "1.1");
  EXPECT_EQ(head("p.pj"), "1.1");
  EXPECT_EQ(recordedRevision("p.pj", "s.pj"), "1.1");
  EXPECT_EQ(labelRevision("p.pj", "REL1"), "1.1");
  EXPECT_EQ(labelRevision("s.pj", "REL1"), "1.1");
  EXPECT_EQ(labelRevision("a.c", "REL1"), "1.2");
  EXPECT_EQ(labelRevision("b.c", "REL1"), "1.1");
  EXPECT_EQ(labelRevision("c.c", "REL1"), "1.1");
  for (const char* name : {"p.pj", "s.pj", "a.c", "b.c", "c.c"}) EXPECT_TRUE(locks(name).empty()) << name;
  EXPECT_NE(projectLog("p.pj").find("checkpointed"), std::string::npos);
  EXPECT_TRUE(temporaries().empty());
  EXPECT_EQ(personalOptions(), optionsBefore);
  EXPECT_EQ(window.reloads, 1);
  // The gauge counts the project and its one subproject: the member texts
  // inside do not move it, and it ends full.
  std::set<int> percents;
  for (const ui::ProgressView& view : ui.progress) percents.insert(view.percent);
  EXPECT_EQ(percents, (std::set<int>{0, 50, 100}));

  // A typed number goes to every project file.
  ui.expectDialog(kCheckpointDialogId, confirm("", "2.1", true));
  ui.expectMessage("is a subproject", app::kAnswerYesToAll);
  checkpointProject(window);
  EXPECT_EQ(head("p.pj"), "2.1");
  EXPECT_EQ(head("s.pj"), "2.1");
  EXPECT_EQ(recordedRevision("p.pj", "s.pj"), "2.1");
  EXPECT_TRUE(locks("p.pj").empty());
  EXPECT_TRUE(locks("s.pj").empty());
  EXPECT_TRUE(temporaries().empty());
}

TEST_F(CheckpointTest, ThreeLevelsAreCheckpointedInnermostFirst) {
  makeArchive("a.c", {"a\n"});
  makeArchive("c.c", {"c\n"});
  makeArchive("d.c", {"d\n"});
  makeProject("t.pj", {{"d.c", 'a', "1.1"}});
  makeProject("s.pj", {{"c.c", 'a', "1.1"}, {"t.pj", 'i', nullptr}});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"s.pj", 'i', nullptr}});
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  ui.expectDialog(kCheckpointDialogId, confirm("BASE"));
  ui.expectMessage("s.pj\nis a subproject", app::kAnswerYesToAll);
  checkpointProject(window);
  for (const char* name : {"t.pj", "s.pj", "p.pj"}) {
    EXPECT_EQ(head(name), "1.1") << name;
    EXPECT_EQ(labelRevision(name, "BASE"), "1.1") << name;
    EXPECT_TRUE(locks(name).empty()) << name;
  }
  EXPECT_EQ(labelRevision("d.c", "BASE"), "1.1");
  EXPECT_EQ(recordedRevision("s.pj", "t.pj"), "1.1");
  EXPECT_EQ(recordedRevision("p.pj", "s.pj"), "1.1");
  // One step for p.pj and one for its direct subproject; t.pj moves nothing.
  std::set<int> percents;
  for (const ui::ProgressView& view : ui.progress) percents.insert(view.percent);
  EXPECT_EQ(percents, (std::set<int>{0, 50, 100}));
  EXPECT_TRUE(temporaries().empty());
}

TEST_F(CheckpointTest, ProposedNumberGivesEachProjectFileItsOwn) {
  makeTree();
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  // s.pj has a revision more than p.pj before the run.
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  ui.expectMessage("is a subproject", ui::kAnswerNo);
  checkpointProject(window);
  EXPECT_EQ(head("p.pj"), "1.1");
  EXPECT_FALSE(std::filesystem::exists(archiveOf("s.pj")));
  ui.expectDialog(kCheckpointDialogId, confirm("", "", true));
  ui.expectMessage("is a subproject", ui::kAnswerYes);
  checkpointProject(window);
  EXPECT_EQ(head("p.pj"), "1.2");
  EXPECT_EQ(head("s.pj"), "1.1");
}

TEST_F(CheckpointTest, RecursionKeyAsksNoQuestion) {
  makeTree();
  writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\n");
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  checkpointProject(window);
  EXPECT_EQ(head("s.pj"), "1.1");
  EXPECT_EQ(head("p.pj"), "1.1");
}

TEST_F(CheckpointTest, AnotherUsersLockIsKeptUnlessBrokenAndCheckedIn) {
  makeTree();
  writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\n");
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  checkpointProject(window);
  ASSERT_EQ(head("p.pj"), "1.1");
  lockAsBob("p.pj", "1.1");
  const std::string before = archiveBytes("p.pj");

  // Yes to breaking it, then Cancel in the dialog: bob keeps his lock and
  // the archive is as it was.
  ui.expectMessage("is currently locked by bob", ui::kAnswerYes);
  ui.expectDialog(kCheckpointDialogId, cancel());
  checkpointProject(window);
  EXPECT_EQ(locks("p.pj"), std::vector<std::string>{"bob 1.1"});
  EXPECT_EQ(archiveBytes("p.pj"), before);

  // No: nothing happens.
  ui.expectMessage("is currently locked by bob", ui::kAnswerNo);
  checkpointProject(window);
  EXPECT_EQ(archiveBytes("p.pj"), before);

  // Yes and OK: the checkpoint goes through and no lock is left.
  ui.expectMessage("is currently locked by bob", ui::kAnswerYes);
  ui.expectDialog(kCheckpointDialogId, confirm("", "", true));
  checkpointProject(window);
  EXPECT_EQ(head("p.pj"), "1.2");
  EXPECT_TRUE(locks("p.pj").empty());
}

TEST_F(CheckpointTest, WithoutBreakLocksTheLockIsRefused) {
  kel.refuse("BreakLocks");
  restart("");
  makeTree();
  writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\n");
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  checkpointProject(window);
  lockAsBob("p.pj", "1.1");
  const std::string before = archiveBytes("p.pj");
  ui.expectMessage("You do not have permission to break locks", ui::kAnswerOk);
  checkpointProject(window);
  EXPECT_EQ(archiveBytes("p.pj"), before);
  EXPECT_EQ(locks("p.pj"), std::vector<std::string>{"bob 1.1"});
}

TEST_F(CheckpointTest, DeclinedUnchangedSubprojectLeavesNoLock) {
  makeTree();
  writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\n");
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  checkpointProject(window);
  // Nothing changed since: the subproject's unchanged file is declined,
  // the parent's too.
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  ui.expectMessage("s.pj", ui::kAnswerNo);
  ui.expectMessage("p.pj", ui::kAnswerNo);
  checkpointProject(window);
  EXPECT_EQ(head("s.pj"), "1.1");
  EXPECT_EQ(head("p.pj"), "1.1");
  EXPECT_TRUE(locks("s.pj").empty());
  EXPECT_TRUE(locks("p.pj").empty());
  EXPECT_TRUE(temporaries().empty());
}

TEST_F(CheckpointTest, FrozenSubprojectIsRefused) {
  makeTree();
  writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\n");
  {
    int h = 0;
    ASSERT_EQ(vcOpenProject(work("p.pj").c_str(), VC_PROJECT_OPEN_MODIFY, &h, 0), 0);
    ASSERT_EQ(vcInProject(h, work("s.pj").c_str()), 0);
    ASSERT_EQ(vcSetMember(h, VC_MEMBER_ITEM_FREEZE, nullptr), 0);
    ASSERT_EQ(vcSaveProject(h), 0);
    vcCloseProject(h);
  }
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  // Cancel stops everything: nothing is checked in.
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  ui.expectMessage("is a frozen subproject member", ui::kAnswerCancel);
  checkpointProject(window);
  EXPECT_FALSE(std::filesystem::exists(archiveOf("p.pj")));
  EXPECT_FALSE(std::filesystem::exists(archiveOf("s.pj")));
  EXPECT_TRUE(temporaries().empty());
  // OK skips the subproject only.
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  ui.expectMessage("is a frozen subproject member", ui::kAnswerOk);
  checkpointProject(window);
  EXPECT_EQ(head("p.pj"), "1.1");
  EXPECT_FALSE(std::filesystem::exists(archiveOf("s.pj")));
}

TEST_F(CheckpointTest, KeywordOptionIsLeftAsItWas) {
  for (const char* config : {"", "KeywordExpand\n", "NoKeywordExpand\n"}) {
    SCOPED_TRACE(config);
    restart(config);
    std::filesystem::remove_all(work("rcs"));
    for (const char* name : {"p.pj", "s.pj", "p.trn", "s.trn"}) std::filesystem::remove(work(name));
    makeTree();
    writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\n");
    unsigned before = 0;
    const int beforeRc = vcGetConfigFlags("KeywordExpand", &before);
    const std::vector<std::string> listBefore = personalOptions();
    testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
    ui.expectDialog(kCheckpointDialogId, confirm("", "", true));
    checkpointProject(window);
    unsigned after = 0;
    EXPECT_EQ(vcGetConfigFlags("KeywordExpand", &after), beforeRc);
    EXPECT_EQ(after, before);
    EXPECT_EQ(personalOptions(), listBefore);
    window.close();
  }
}

TEST_F(CheckpointTest, CheckpointComesBackByItsLabelInAFreshSandbox) {
  makeTree();
  writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\nRecurseOnCreateSandbox=yes\n");
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  ui.expectDialog(kCheckpointDialogId, confirm("REL1"));
  checkpointProject(window);
  const std::map<std::string, std::string> checkpointed = {
      {"a.c", dir.read("a.c")}, {"b.c", dir.read("b.c")}, {"c.c", dir.read("c.c")}};
  // Work goes on after the checkpoint.
  for (const char* name : {"a.c", "c.c"}) {
    const int h = lockedHandle(name);
    dir.write(name, std::string("later ") + name + "\n");
    char rev[64] = {};
    ASSERT_EQ(vcCiRevision(h, "", work(name).c_str(), 0, rev, sizeof rev), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }

  // The sandbox is made at the revision the label names.
  const std::string revision = labelRevision("p.pj", "REL1");
  ASSERT_EQ(revision, "1.1");
  project::OpenProject none(ui, nullptr);
  ASSERT_EQ(project::createSubprojectSandbox(none, work("fresh/p.pj"), VC_SANDBOX_OPEN_CREATE, work("p.pj"),
                                             revision.c_str()),
            0);
  project::OpenProject sandbox(ui, work("fresh/p.pj").c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE);
  ASSERT_EQ(sandbox.status, 0);
  ASSERT_EQ(sandbox.makeCurrent(), 1);
  std::vector<std::string> names;
  char name[600] = {};
  for (int rc = vcGetMember(sandbox.project, VC_MEMBER_ITEM_FIRST, name, sizeof name - 1); rc == 0;
       rc = vcGetMember(sandbox.project, VC_MEMBER_ITEM_NEXT, name, sizeof name - 1))
    names.emplace_back(name);
  project::MemberWalk walk;
  for (const std::string& member : names) EXPECT_EQ(project::resynchronizeMembers(sandbox, member, walk, false, true), 0);
  for (const auto& [file, text] : checkpointed) EXPECT_EQ(dir.read("fresh/" + file), text) << file;
}

TEST_F(CheckpointTest, CheckingInASubprojectMemberCheckpointsIt) {
  makeTree();
  writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\n");
  platform::RecordingSpawner spawner;
  external::ProgramStarts starts{ui, spawner, work("settings/ORVTY.INI"), ""};
  commands::FrameRegistry registry;
  registerCheckpoint(registry, commands::FrameContext{ui, starts});
  project::OpenProject project(ui, work("p.pj").c_str());
  ASSERT_EQ(project.makeCurrent(), 1);
  testing::FakeView view(project);
  project::ProjectMemberOperations operations(project, view, registry.memberDialogs);
  int row = -1;
  for (std::size_t i = 0; i < view.rows.size(); ++i)
    if (view.rows[i].name == work("s.pj")) row = static_cast<int>(i);
  ASSERT_GE(row, 0);
  ui.expectDialog(kCheckpointDialogId, confirm("SUB"));
  operations.checkInMembers(&row, 1);
  EXPECT_EQ(head("s.pj"), "1.1");
  EXPECT_EQ(labelRevision("c.c", "SUB"), "1.1");
  EXPECT_EQ(recordedRevision("p.pj", "s.pj"), "1.1");
  EXPECT_TRUE(locks("s.pj").empty());
  EXPECT_FALSE(std::filesystem::exists(archiveOf("p.pj")));
}

TEST_F(CheckpointTest, VariantSandboxRecordsTheNewRevisionInItsFile) {
  makeArchive("a.c", {"a\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  writeSettings("[Recursion]\nRecurseOnCheckpoint=yes\n");
  testing::FakeProjectWindow& master = windows.openProject(work("p.pj"));
  ui.expectDialog(kCheckpointDialogId, confirm(""));
  checkpointProject(master);
  ASSERT_EQ(head("p.pj"), "1.1");
  const std::string masterText = dir.read("p.pj");
  std::filesystem::create_directory(work("w"));
  dir.write("sb.pj", "--ORV Project--Sandbox--\nmasterproject=p.pj\nrevision=1.1\nworkdir=" + work("w") + "\n");
  testing::FakeProjectWindow& variant = windows.openProject(work("sb.pj"));
  ASSERT_TRUE(variant.project().kind & project::kProjectKindVariant);
  // Checkpoint Same is ticked and fixed: the unchanged file goes in.
  ui.expectDialog(kCheckpointDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    EXPECT_TRUE(s.isChecked(kCpCheckpointSame));
    EXPECT_FALSE(s.isEnabled(kCpCheckpointSame));
    s.close(l, ui::kAnswerOk);
  });
  checkpointProject(variant);
  EXPECT_EQ(head("p.pj"), "1.2");
  EXPECT_NE(dir.read("sb.pj").find("revision=1.2"), std::string::npos);
  EXPECT_EQ(dir.read("p.pj"), masterText);
  EXPECT_TRUE(locks("p.pj").empty());
  EXPECT_TRUE(temporaries().empty());
}

TEST_F(CheckpointTest, DialogFollowsRecordAndPermissions) {
  makeTree();
  archive::OpenArchive archive(ui, work("p.pj"), VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE);
  project::OpenProject project(ui, work("p.pj").c_str());
  CheckpointRecord record;
  ASSERT_EQ(prepareCheckpoint(archive, project, "1.1", record), 1);
  EXPECT_EQ(archive::fieldText(record.number), "1.1");
  EXPECT_EQ(archive::fieldText(record.state), "Exp");
  EXPECT_EQ(archive::fieldText(record.author), "alice");
  record.allSubprojects = kCheckpointBoxFixed;
  record.updateMember = kCheckpointBoxFixed;
  CheckpointDialog logic(ui, record, archive);
  FakeSurface surface;
  logic.setUp(surface);
  EXPECT_FALSE(surface.isEnabled(kCpAllSubprojects));
  EXPECT_FALSE(surface.isEnabled(kCpCancelAll));
  EXPECT_FALSE(surface.isEnabled(kCpUpdateMember));
  EXPECT_TRUE(surface.isEnabled(kCpCheckpointSame));
  EXPECT_EQ(surface.text(kCpState), "Exp");
}

TEST_F(CheckpointTest, RefusedPermissionsFixTheirBoxes) {
  makeTree();
  const struct {
    const char* refused;
    std::vector<int> disabled;
    std::vector<int> enabled;
  } cases[] = {
      {"AddLabel", {kCpLabel, kCpLabelCaption, kCpApplyLabel, kCpReplaceLabel}, {kCpStates, kCpUpdateMember}},
      {"DeleteLabel", {kCpReplaceLabel}, {kCpLabel, kCpApplyLabel}},
      {"Promote", {kCpStates, kCpStateCaption}, {kCpLabel}},
      {"ModifyProject", {kCpUpdateMember}, {kCpLabel}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refused);
    kel.reset();
    kel.refuse(c.refused);
    restart("states=Draft,Rel\n");
    archive::OpenArchive archive(ui, work("p.pj"), VC_ARCHIVE_OPEN_READ);
    project::OpenProject project(ui, work("p.pj").c_str(), 0);
    CheckpointRecord record;
    ASSERT_EQ(prepareCheckpoint(archive, project, "1.1", record), 1);
    record.applyLabelToAll = record.replaceLabel = 1;
    CheckpointDialog logic(ui, record, archive);
    FakeSurface surface;
    logic.setUp(surface);
    for (int id : c.disabled) EXPECT_FALSE(surface.isEnabled(id)) << id;
    for (int id : c.enabled) EXPECT_TRUE(surface.isEnabled(id)) << id;
    if (std::string(c.refused) == "AddLabel") {
      EXPECT_EQ(record.applyLabelToAll, 0u);
    }
  }
}

}  // namespace
}  // namespace orv::workbench::dialogs
