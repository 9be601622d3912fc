// The open project object, adding and removing members, the sandbox-add
// questions and the member rows, against the revision library.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "workbench/testing/library_fixtures.h"
#include "workbench/project/member_location.h"
#include "workbench/project/member_rows.h"
#include "workbench/app/message_styles.h"
#include "workbench/project/open_project.h"
#include "workbench/archive/password_dialogs.h"
#include "workbench/project/project_members_add.h"

namespace orv::workbench::project {
namespace {

using testing::ArchiveTest;
using testing::ProjectTest;

class ProjectCoreTest : public ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    resetMemberAddMemories();
  }

  // A project of plain members.
  std::string makeProject(const std::string& name, const std::vector<std::string>& members) {
    std::vector<Member> plain;
    for (const std::string& m : members) plain.push_back(Member{m, 'f', nullptr});
    return ProjectTest::makeProject(name, plain);
  }

  static std::string memberItem(int project, int item) {
    char buffer[600] = {};
    vcGetMember(project, item, buffer, sizeof buffer - 1);
    return buffer;
  }
  static bool isMember(int project, const std::string& name) {
    return vcInProject(project, name.c_str()) == 0;
  }
  bool exists(const std::string& name) const {
    struct stat st {};
    return ::stat(work(name).c_str(), &st) == 0;
  }
  static timespec mtimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
  }
};

TEST_F(ProjectCoreTest, CommandTemplatesExpandTheirPlaceholders) {
  OpenProject p(ui, nullptr);
  p.name = "/p/x.pj";
  p.projectDirectory = "/p";
  p.workDirectory = "/w";
  const struct {
    const char* tmpl;
    const char* expected;
  } cases[] = {
      {"make -f %p %f", "make -f /p/x.pj main.c"},
      {"%r|%w|%u", "/p|/w|alice"},
      {"a%xb%%c", "abc"},   // an unknown placeholder drops both characters
      {"trailing %", "trailing "},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(expandCommandTemplate(p, c.tmpl, "main.c"), c.expected) << c.tmpl;
  p.workDirectory.clear();
  EXPECT_EQ(expandCommandTemplate(p, "[%w]", "f"), "[]");
}

TEST_F(ProjectCoreTest, OpensAndSavesOnlyWhatChanged) {
  dir.write("a.c", "a\n");
  const std::string pj = makeProject("p.pj", {"a.c"});
  OpenProject p(ui, pj.c_str(), 1);
  ASSERT_EQ(p.status, 0);
  EXPECT_EQ(p.kind, kProjectKindOpen);
  EXPECT_EQ(p.useCount, 1u);
  EXPECT_EQ(p.projectDirectory, dir.path());
  EXPECT_EQ(p.workDirectory, dir.path());
  EXPECT_FALSE(p.frozen);

  // Unchanged: the file is not written, but a changed dependency cache is.
  const timespec before = mtimeOf(pj);
  const char on[2] = {1, 0};
  ASSERT_EQ(vcSetProject(p.project, 166, on), 0);
  EXPECT_EQ(p.save(), 0);
  const timespec after = mtimeOf(pj);
  EXPECT_EQ(before.tv_sec, after.tv_sec);
  EXPECT_EQ(before.tv_nsec, after.tv_nsec);
  EXPECT_TRUE(exists("p.use"));

  // Changed: written, and read back by a fresh open.
  dir.write("b.c", "b\n");
  ASSERT_EQ(vcAddMember(p.project, 'f', work("b.c").c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(p.save(), 0);
  OpenProject again(ui, pj.c_str(), 1);
  ASSERT_EQ(again.status, 0);
  EXPECT_TRUE(isMember(again.project, work("b.c")));

  // The library's current project and the process's directory follow.
  EXPECT_EQ(p.makeCurrent(), 1);
  int current = 0;
  ASSERT_EQ(vcGetSysInfo(VC_SYSINFO_CURRENT_PROJECT, reinterpret_cast<char*>(&current), sizeof current), 0);
  EXPECT_EQ(current, p.project);
  OpenProject empty(ui, nullptr);
  EXPECT_EQ(empty.makeCurrent(), kReported);
}

TEST_F(ProjectCoreTest, AFileChangedByAnotherUserIsReloadedOnLock) {
  dir.write("a.c", "a\n");
  dir.write("b.c", "b\n");
  const std::string pj = makeProject("p.pj", {"a.c"});
  OpenProject p(ui, pj.c_str(), 1);
  ASSERT_EQ(p.status, 0);
  const int before = p.project;
  {
    int other = 0;
    ASSERT_EQ(vcOpenProject(pj.c_str(), VC_PROJECT_OPEN_MODIFY, &other, 0), 0);
    ASSERT_EQ(vcAddMember(other, 'f', work("b.c").c_str(), nullptr, nullptr), 0);
    ASSERT_EQ(vcSaveProject(other), 0);
    vcCloseProject(other);
  }
  int reloads = 0;
  p.onReloaded = [&] { ++reloads; };
  ui.expectMessage("has been updated by another user", ui::kAnswerYes);
  EXPECT_FALSE(p.lock(false));  // the operation that asked does not run
  EXPECT_EQ(reloads, 1);
  EXPECT_NE(p.project, before);
  EXPECT_TRUE(isMember(p.project, work("b.c")));
  // Now the lock is taken.
  EXPECT_TRUE(p.lock(false));
  EXPECT_TRUE(p.dropWriteLock());
}

TEST_F(ProjectCoreTest, ErrorsAreShownOnceWithTheProjectName) {
  OpenProject missing(ui, work("none.pj").c_str(), 1);
  EXPECT_NE(missing.status, 0);
  ui.expectMessage(work("none.pj") + "\n", ui::kAnswerOk);
  missing.showError(kStyleError);
  EXPECT_EQ(missing.status, kReported);
  EXPECT_EQ(missing.showError(kStyleError), ui::kAnswerOk);  // nothing shown again
  OpenProject unnamed(ui, nullptr);
  unnamed.status = VC_E_BAD_ARGUMENT;
  EXPECT_EQ(unnamed.errorText().rfind("New Project\n", 0), 0u);
}

TEST_F(ProjectCoreTest, OptionsAreWrittenOnlyWhenTheyChange) {
  const std::string pj = makeProject("p.pj", {});
  OpenProject p(ui, pj.c_str(), 1);
  ASSERT_EQ(p.status, 0);
  EXPECT_TRUE(p.setOption("make", "gmake"));
  EXPECT_FALSE(p.setOption("make", "gmake"));
  EXPECT_FALSE(p.setOption("unset", ""));
  EXPECT_FALSE(p.setOption("unset", " padded"));
  EXPECT_EQ(p.getOption("make", "nmake"), "gmake");
  EXPECT_EQ(p.getOption("unset", "fallback"), "fallback");
}

TEST_F(ProjectCoreTest, AVariantSandboxSavesAsTheProjectFilesNextRevision) {
  dir.write("a.c", "a\n");
  dir.write("b.c", "b\n");
  const std::string pj = makeProject("p.pj", {"a.c"});
  {
    int h = 0;
    char found[513] = {};
    ASSERT_EQ(vcFindArchiveName(pj.c_str(), found, sizeof found, &h, VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE),
              0);
    char rev[64] = {};
    ASSERT_EQ(vcCiRevision(h, "", pj.c_str(), 0, rev, sizeof rev), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
  const std::string master = dir.read("p.pj");
  dir.write("sb.pj", "--ORV Project--Sandbox--\nmasterproject=p.pj\nrevision=1.1\nworkdir=" + work("w") + "\n");
  OpenProject v(ui, work("sb.pj").c_str(), 2);
  ASSERT_EQ(v.status, 0);
  EXPECT_EQ(v.kind, kProjectKindOpen | kProjectKindSandbox | kProjectKindVariant);
  ASSERT_EQ(vcAddMember(v.project, 'f', work("b.c").c_str(), nullptr, nullptr), 0);
  ASSERT_EQ(v.save(), 0);

  EXPECT_EQ(head("p.pj"), "1.2");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("p.pj").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char log[64] = {};
  EXPECT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_LOG, "1.2", log, sizeof log - 1), 0);
  EXPECT_EQ(std::string(log).rfind("Variant sandbox changes.", 0), 0u);
  ASSERT_EQ(vcCoRevision(h, "1.2", work("checked.pj").c_str()), 0);
  vcCloseArchive(h);
  EXPECT_NE(dir.read("checked.pj").find("b.c"), std::string::npos);
  EXPECT_EQ(dir.read("p.pj"), master);  // the master project is not touched
  EXPECT_NE(dir.read("sb.pj").find("revision=1.2"), std::string::npos);
  EXPECT_TRUE(locks("p.pj").empty());
}

class AddMembersTest : public ProjectCoreTest {};

TEST_F(AddMembersTest, ArchivedAndPlainFilesJoinAndLeaveWithTheirLinks) {
  makeArchive("a.c", {"one\n", "two\n"});
  dir.write("b.c", "b\n");
  const std::string pj = makeProject("p.pj", {});
  OpenProject p(ui, pj.c_str(), 1);
  ASSERT_EQ(p.status, 0);
  int cell1 = 0, cell2 = 0;
  MemberAddServices none;
  EXPECT_EQ(addProjectMembers(p, work("a.c"), false, &cell1, &cell2, true, false, false, nullptr, none), 0);
  EXPECT_EQ(addProjectMembers(p, work("b.c"), true, &cell1, &cell2, false, false, false, nullptr, none), 0);

  ASSERT_TRUE(isMember(p.project, work("a.c")));
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_KIND), "a");
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_REVISION), "1.2");
  ASSERT_TRUE(isMember(p.project, work("b.c")));
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_KIND), "f");
  // The archive names the project it belongs to.
  EXPECT_NE(archiveBytes("a.c").find(pj), std::string::npos);

  // A member again: asked once; No keeps it quiet for the rest of the batch.
  ui.expectMessage("is already in the project", ui::kAnswerNo);
  EXPECT_EQ(addProjectMembers(p, work("a.c"), false, &cell1, &cell2, false, false, false, nullptr, none), 1);
  EXPECT_EQ(cell2, ui::kAnswerNo);
  EXPECT_EQ(addProjectMembers(p, work("a.c"), false, &cell1, &cell2, false, false, false, nullptr, none), 1);

  // Removing drops the archive's link.
  EXPECT_EQ(removeProjectMember(p, work("a.c")), 0);
  EXPECT_FALSE(isMember(p.project, work("a.c")));
  EXPECT_EQ(archiveBytes("a.c").find(pj), std::string::npos);
}

TEST_F(AddMembersTest, InaccessibleFilesAskUnlessAnswerIsRemembered) {
  makeArchive("gone.c", {"x\n"});
  ::unlink(work("gone.c").c_str());
  const std::string pj = makeProject("p.pj", {});
  OpenProject p(ui, pj.c_str(), 1);
  int cell1 = 0, cell2 = 0;
  MemberAddServices none;
  // No archive and no file: OK/Cancel, Cancel stops the batch.
  ui.expectMessage("Cannot access file " + work("nofile.c"), ui::kAnswerCancel);
  EXPECT_EQ(addProjectMembers(p, work("nofile.c"), false, &cell1, &cell2, true, false, false, nullptr, none), 1);
  EXPECT_EQ(cell1, ui::kAnswerCancel);
  // An archive without its working file: the five-button question.
  cell1 = 0;
  ui.expectMessage("Add to project anyway?", kAnswerYesToAll);
  EXPECT_EQ(addProjectMembers(p, work("gone.c"), false, &cell1, &cell2, true, false, false, nullptr, none), 0);
  EXPECT_TRUE(isMember(p.project, work("gone.c")));
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_KIND), "a");
}

TEST_F(AddMembersTest, EncryptedArchiveWithoutPasswordStillGivesAnArchivedMember) {
  makeArchive("s.c", {"secret\n"}, "pw");
  const std::string pj = makeProject("p.pj", {});
  OpenProject p(ui, pj.c_str(), 1);
  int cell1 = 0, cell2 = 0;
  ui.expectDialog(kPasswordDialogId, [](ui::testing::FakeSurface& s, ui::DialogLogic&) { s.end(ui::kAnswerCancel); });
  EXPECT_EQ(addProjectMembers(p, work("s.c"), false, &cell1, &cell2, true, false, false, nullptr, {}), 0);
  ASSERT_TRUE(isMember(p.project, work("s.c")));
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_KIND), "a");
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_REVISION), "1.1");
}

TEST_F(AddMembersTest, CancelInCreateArchiveRemovesTheNewMember) {
  dir.write("n.c", "new\n");
  const std::string pj = makeProject("p.pj", {});
  OpenProject p(ui, pj.c_str(), 1);
  int cell1 = 0, cell2 = 0;
  TCreateArchiveTransferStruct data;
  MemberAddServices services;
  int dialogs = 0;
  services.createDialog = [&](OpenArchive&, TCreateArchiveTransferStruct&) {
    ++dialogs;
    return ui::kAnswerCancel;
  };
  EXPECT_EQ(addProjectMembers(p, work("n.c"), false, &cell1, &cell2, true, true, false, &data, services), 1);
  EXPECT_EQ(dialogs, 1);
  EXPECT_FALSE(isMember(p.project, work("n.c")));
  EXPECT_FALSE(exists("rcs/n.c"));
}

TEST_F(AddMembersTest, QuickCheckInMakesTheArchiveWithItsInitialRevision) {
  dir.write("q.c", "quick\n");
  const std::string pj = makeProject("p.pj", {});
  OpenProject p(ui, pj.c_str(), 1);
  int cell1 = 0, cell2 = 0;
  EXPECT_EQ(addProjectMembers(p, work("q.c"), false, &cell1, &cell2, true, true, true, nullptr, {}), 0);
  ASSERT_TRUE(isMember(p.project, work("q.c")));
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_KIND), "a");
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_REVISION), "1.1");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("q.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char log[64] = {};
  EXPECT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_LOG, "1.1", log, sizeof log - 1), 0);
  EXPECT_EQ(std::string(log).rfind("Initial revision", 0), 0u);
  vcCloseArchive(h);
}

TEST_F(AddMembersTest, ASandboxAsksWhereFilesGoAndRemembersAllFiles) {
  orv::test::TempDir outside{"orv-outside"};
  outside.write("o1.c", "one\n");
  outside.write("o2.c", "two\n");
  outside.write("o3.c", "three\n");
  makeProject("p.pj", {});
  dir.write("sb.pj", "--ORV Project--Sandbox--\nmasterproject=p.pj\nworkdir=" + work("work") + "\n");
  OpenProject sb(ui, work("sb.pj").c_str(), 2);
  ASSERT_EQ(sb.status, 0);
  ASSERT_TRUE(sb.kind & kProjectKindSandbox);
  int cell1 = 0, cell2 = 0;

  // Cancel (not Cancel All): the library gives up on that file, reported.
  ui.expectDialog(kLocationDialogId, [](ui::testing::FakeSurface& s, ui::DialogLogic&) { s.end(ui::kAnswerCancel); });
  ui.expectMessage(work("sb.pj") + "\nOperation cancelled", ui::kAnswerOk);
  EXPECT_EQ(addProjectMembers(sb, outside.file("o1.c"), false, &cell1, &cell2, true, false, false, nullptr, {}),
            ui::kAnswerOk);
  EXPECT_EQ(cell1, 0);

  // Copy with All Files at the first file: later files follow unasked.
  const std::string common = work("common");
  ui.expectDialog(kLocationDialogId, [&](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_FALSE(s.isEnabled(kLocationDirectory));
    s.setChecked(kLocationLeave, false);
    s.setChecked(kLocationCopy, true);
    logic.command(s, kLocationCopy);
    EXPECT_TRUE(s.isEnabled(kLocationDirectory));
    s.setText(kLocationDirectory, common);
    s.setChecked(kLocationAllFiles, true);
    if (logic.canClose(s, ui::kAnswerOk)) s.end(ui::kAnswerOk);
  });
  EXPECT_EQ(addProjectMembers(sb, outside.file("o1.c"), false, &cell1, &cell2, true, false, false, nullptr, {}), 0);
  EXPECT_EQ(addProjectMembers(sb, outside.file("o2.c"), false, &cell1, &cell2, false, false, false, nullptr, {}), 0);
  EXPECT_EQ(dir.read("common/o1.c"), "one\n");
  EXPECT_EQ(dir.read("common/o2.c"), "two\n");

  // Cancel All ends the batch without a report.
  ui.expectDialog(kLocationDialogId, [](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
    logic.command(s, kLocationCancelAll);
  });
  EXPECT_EQ(addProjectMembers(sb, outside.file("o3.c"), false, &cell1, &cell2, true, false, false, nullptr, {}),
            ui::kAnswerOk);
  EXPECT_EQ(cell1, ui::kAnswerCancel);
  EXPECT_FALSE(exists("common/o3.c"));
}

TEST_F(AddMembersTest, ASandboxRefusesProjectFiles) {
  makeProject("p.pj", {});
  makeProject("sub.pj", {});
  dir.write("sb.pj", "--ORV Project--Sandbox--\nmasterproject=p.pj\n");
  OpenProject sb(ui, work("sb.pj").c_str(), 2);
  ASSERT_EQ(sb.status, 0);
  ui.expectMessage("Cannot add subproject " + work("sub.pj"), ui::kAnswerOk);
  EXPECT_EQ(addProjectMembers(sb, work("sub.pj"), false, nullptr, nullptr, true, false, false, nullptr, {}), 1);
  EXPECT_FALSE(isMember(sb.project, work("sub.pj")));
}

TEST(MemberQuestions, YesNoAnswersHoldForTheBatch) {
  ui::testing::ScriptedUi ui;
  setMemberAddUi(&ui);
  resetMemberAddMemories();
  ui.expectMessage("overwrite x?", kAnswerYesToAll);
  EXPECT_EQ(queryYesNo(0, "overwrite x?"), 1);
  EXPECT_EQ(queryYesNo(0, "overwrite y?"), 1);  // no box
  resetMemberAddMemories();
  ui.expectMessage("overwrite x?", kAnswerNoToAll);
  EXPECT_EQ(queryYesNo(0, "overwrite x?"), 0);
  EXPECT_EQ(queryYesNo(0, "overwrite y?"), 0);
  resetMemberAddMemories();
  ui.expectMessage("overwrite x?", ui::kAnswerNo);
  EXPECT_EQ(queryYesNo(0, "overwrite x?"), 0);
  ui.expectMessage("overwrite y?", ui::kAnswerYes);
  EXPECT_EQ(queryYesNo(0, "overwrite y?"), 1);
  setMemberAddUi(nullptr);
}

// A member's library facts for the detail text, set by hand.
class FakeDetails : public MemberDetailSource {
 public:
  void moveTo(MemberRow&, bool recompute) override { recomputed += recompute; }
  std::uint32_t number(int item) override { return numbers[item]; }
  std::string text(int item) override { return texts[item]; }
  std::string workFileName() override { return "/w/a.c"; }
  int extraError() override { return EACCES; }
  std::string userName() override { return "alice"; }
  std::map<int, std::uint32_t> numbers;
  std::map<int, std::string> texts;
  int recomputed = 0;
};

TEST(MemberDetail, TextsFollowTheFlagsInTheirOrder) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  FakeDetails f;
  f.numbers = {{103, 100}, {106, 130}, {105, 0}, {109, 86400}};
  f.texts = {{101, "1.4"}, {108, "1.2"}, {117, "1.5"}, {118, "bob"}};
  const struct {
    char type;
    std::uint32_t flags;
    bool frozen;
    bool tree;
    const char* expected;
  } cases[] = {
      {'a', 0, false, false, ""},
      {'a', kNoWorkFile, false, false, "No working file\r\n"},
      {'a', kWorkInaccessible, false, false, "Cannot access working file /w/a.c Permission denied\r\n"},
      {'a', kWorkModified | kWorkSizeDiffers | kWorkDateDiffers, false, false,
       "Working file modified, 30 bytes longer, newer: 1970/01/02 00:00:00 vs. 1970/01/01 00:00:00\r\n"},
      {'a', kWorkDateDiffers, false, false, "Working file newer: 1970/01/02 00:00:00 vs. 1970/01/01 00:00:00\r\n"},
      {'a', kOtherRevision, false, false, "Working file corresponds to revision 1.2\r\n"},
      {'a', kNoWorkFile | kOtherRevision, false, false,
       "No working file\r\nWorking file corresponds to revision 1.2  "},
      {'a', kMissingRevision, false, false, "Archive missing revision 1.4  "},
      {'a', kNewerRevision | kLocked, false, false, "New revision available: 1.5  Locked by: bob"},
      {'a', kNoArchive | kArchiveCorrupt, false, false, "No archive file"},
      {'a', kNotOnAccessList, false, false, "Archive cannot be modified - user alice not on access list  "},
      {'a', kNoPermission | kArchiveInUse, false, false, "Archive inaccessible - no KEL permission"},
      {'f', kNoArchive, false, false, ""},                 // no archive line for plain files
      {'a', kLocked, false, false, ""},                    // locked alone is no change in a list
      {'a', kLocked, false, true, "Locked by: bob"},       // but the tree explains it
      {'a', 0, true, false, "Frozen Member  "},
  };
  for (const auto& c : cases) {
    MemberRow row;
    row.type = c.type;
    row.changeFlags = c.flags;
    row.changeMark = (c.flags & kReportedChanges) ? 1 : 0;
    row.frozen = c.frozen;
    EXPECT_EQ(memberDetailText(f, &row, c.tree), c.expected) << std::hex << c.flags;
  }
  EXPECT_EQ(memberDetailText(f, nullptr, false), "");
  MemberRow stale;
  stale.changeMark = 2;
  memberDetailText(f, &stale, false);
  EXPECT_EQ(f.recomputed, 1);
  // A long name is cut to the text's room, never past it.
  f.texts[118] = std::string(400, 'u');
  MemberRow locked;
  locked.type = 'a';
  locked.changeFlags = kLocked | kNewerRevision;
  locked.changeMark = 1;
  EXPECT_EQ(memberDetailText(f, &locked, false).size(), 199u);
}

TEST_F(ProjectCoreTest, RowsCollectStateLabelsAndLockerWithAGrowingBuffer) {
  makeArchive("a.c", {"one\n", "two\n"});
  {
    int h = lockedHandle("a.c");
    for (const char* label : {"alpha", "beta_long_label_name", "gamma"}) {
      ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, label, "1.2"), 0);
    }
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "old", "1.1"), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2", "alice"), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
  dir.write("b.c", "b\n");
  const std::string pj = makeProject("p.pj", {"a.c", "b.c"});
  OpenProject p(ui, pj.c_str(), 1);
  ASSERT_EQ(p.status, 0);
  ASSERT_EQ(vcInProject(p.project, work("a.c").c_str()), 0);
  ASSERT_EQ(vcSetMember(p.project, VC_MEMBER_ITEM_SET_KIND, "a"), 0);
  ASSERT_EQ(vcSetMember(p.project, VC_MEMBER_ITEM_SET_REVISION, "1.2"), 0);

  setRevisionLabelBufferStart(8);  // every label makes it grow
  MemberRow row;
  row.name = work("a.c");
  row.type = 'a';
  row.revision = "1.2";
  updateMemberStatus(p, row, 0);
  EXPECT_EQ(row.labels.value_or("<none>"), "gamma beta_long_label_name alpha ");
  EXPECT_EQ(row.locker.value_or("<none>"), "alice");
  EXPECT_TRUE(row.state.has_value());
  EXPECT_TRUE(row.changeFlags & kLocked);

  row.revision = "1.1";
  {
    int h = 0;
    ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    collectRevisionLabels(p, row, h);
    vcCloseArchive(h);
  }
  EXPECT_EQ(row.labels.value_or("<none>"), "old ");

  // An archived row without revision is flagged, and a frozen project shows
  // its archived rows frozen but not its plain ones.
  MemberRow bare;
  bare.type = 'a';
  ASSERT_EQ(vcInProject(p.project, work("b.c").c_str()), 0);
  p.walkOptions = kWalkKeepFileStatus;
  updateMemberStatus(p, bare, 0);
  EXPECT_TRUE(bare.changeFlags & kMissingRevision);
  EXPECT_EQ(bare.changeMark, 1);
  p.frozen = true;
  updateMemberStatus(p, bare, 0);
  EXPECT_TRUE(bare.frozen);
  MemberRow plain;
  plain.type = 'f';
  updateMemberStatus(p, plain, 0);
  EXPECT_FALSE(plain.frozen);
  freeRevisionLabelBuffer();
  setRevisionLabelBufferStart(256);

  p.memberCount = 2;
  p.lockedCount = 1;
  p.selectedCount = 0;
  EXPECT_EQ(memberStatusLine(p), "2 members:  1 locked;  0 selected");
}

}  // namespace
}  // namespace orv::workbench::project
