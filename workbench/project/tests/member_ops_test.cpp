// The project window's member operations over a fake row view, on real
// projects and archives, with scripted dialogs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "workbench/testing/library_fixtures.h"
#include "workbench/testing/fake_member_view.h"
#include "workbench/project/member_location.h"
#include "workbench/project/project_member_ops.h"

namespace orv::workbench::project {
namespace {

using testing::ArchiveTest;
using testing::FakeView;
using testing::ProjectTest;

class MemberOpsTest : public ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    resetMemberAddMemories();
  }

  static std::string memberItem(int project, const std::string& name, int item) {
    vcInProject(project, name.c_str());
    char buffer[600] = {};
    vcGetMember(project, item, buffer, sizeof buffer - 1);
    return buffer;
  }

  bool hasRevision(const std::string& name, const char* revision) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    char resolved[80] = {};
    const bool found = vcGetRevInfo(h, VC_REVISION_ITEM_NUMBER, revision, resolved, sizeof resolved) == 0 &&
                       revision == std::string(resolved);
    vcCloseArchive(h);
    return found;
  }
};

TEST_F(MemberOpsTest, OneMemberCheckInDisablesTheRunBoxes) {
  makeArchive("a.c", {"1\n"});
  dir.write("a.c", "changed\n");
  makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);
  int dialogs = 0;
  MemberDialogs d;
  d.checkInDialog = [&](OpenArchive&, OpenProject&, TCiTransferStruct& ci, TCpTransferStruct& cp) {
    ++dialogs;
    EXPECT_EQ(ci.allFiles, kCheckInBoxDisabled);
    EXPECT_EQ(cp.allSubprojects, kCheckInBoxDisabled);
    ci.updateMember = 1;
    return ui::kAnswerOk;
  };
  ProjectMemberOperations ops(p, view, d);
  int rows[] = {0};
  ops.checkInMembers(rows, 1);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(head("a.c"), "1.2");
  EXPECT_EQ(memberItem(p.project, work("a.c"), VC_MEMBER_ITEM_REVISION), "1.2");
  EXPECT_EQ(view.rows[0].revision.value_or(""), "1.2");
  EXPECT_EQ(view.refreshed, std::vector<int>{0});
  // Saved: a fresh open reads the new member revision.
  OpenProject again(ui, work("p.pj").c_str(), 1);
  EXPECT_EQ(memberItem(again.project, work("a.c"), VC_MEMBER_ITEM_REVISION), "1.2");
}

TEST_F(MemberOpsTest, AllFilesShowsOneDialogAndAProgressWindow) {
  for (const char* n : {"a.c", "b.c", "c.c"}) {
    makeArchive(n, {"1\n", "2\n"});
    dir.write(n, std::string(n) + " changed\n");
  }
  makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"b.c", 'a', "1.2"}, {"c.c", 'a', "1.2"}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);

  // A typed number (here: check in on 1.1) serves every member.
  int dialogs = 0;
  MemberDialogs d;
  d.checkInDialog = [&](OpenArchive&, OpenProject&, TCiTransferStruct& ci, TCpTransferStruct&) {
    ++dialogs;
    EXPECT_EQ(ci.allFiles, 0u);
    ci.allFiles = 1;
    setField(ci.number, "1.1");
    return ui::kAnswerOk;
  };
  {
    ProjectMemberOperations ops(p, view, d);
    int rows[] = {0, 1, 2};
    ops.checkInMembers(rows, 3);
  }
  EXPECT_EQ(dialogs, 1);
  for (const char* n : {"a.c", "b.c", "c.c"}) {
    EXPECT_TRUE(hasRevision(n, "1.1.1.1")) << n;
    EXPECT_EQ(head(n), "1.2") << n;
  }
  bool shown = false;
  for (const auto& v : ui.progress) shown |= v.heading == "Checking In...";
  EXPECT_TRUE(shown);

  // A proposed number the user left alone is only the first member's.
  for (const char* n : {"a.c", "b.c"}) dir.write(n, std::string(n) + " again\n");
  d.prepareCheckIn = [](OpenArchive&, OpenProject&, TCiTransferStruct& ci) {
    setField(ci.number, "1.1");
    return 1;
  };
  d.checkInDialog = [&](OpenArchive&, OpenProject&, TCiTransferStruct& ci, TCpTransferStruct&) {
    ci.allFiles = 1;
    return ui::kAnswerOk;
  };
  ProjectMemberOperations ops(p, view, d);
  int rows[] = {0, 1};
  ops.checkInMembers(rows, 2);
  EXPECT_TRUE(hasRevision("a.c", "1.1.2.1"));
  EXPECT_FALSE(hasRevision("b.c", "1.1.2.1"));
  EXPECT_EQ(head("b.c"), "1.3");
}

TEST_F(MemberOpsTest, CheckOutRefusesPerMemberAndAllFilesFillsANewDirectory) {
  makeArchive("a.c", {"a1\n", "a2\n"});
  makeArchive("b.c", {"b1\n", "b2\n"});
  dir.write("n.c", "n\n");
  makeProject("sub.pj", {});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"n.c", 'f', nullptr}, {"sub.pj", 'i', "1.1"}, {"b.c", 'a', "1.2"}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);
  MemberDialogs d;
  const std::string target = work("out/new");
  int dialogs = 0;
  d.checkOutDialog = [&](OpenArchive& archive, OpenProject&, TCoTransferStruct& co) {
    ++dialogs;
    EXPECT_EQ(co.defaultChoice, 118);
    setField(co.workFile, target + "/" + baseName(archive.workFileName()));
    co.revision = 1;
    setField(co.choice, "1.1");
    co.allFiles = 1;
    return ui::kAnswerOk;
  };
  d.checkOutDefaults = [](OpenArchive& archive, TCoTransferStruct& co) {
    setField(co.workFile, archive.workFileName());
    return true;
  };
  ProjectMemberOperations ops(p, view, d);
  // Order: a.c, n.c, sub.pj, b.c (member order of the project).
  std::vector<int> order;
  for (std::size_t i = 0; i < view.rows.size(); ++i) order.push_back(static_cast<int>(i));
  ui.expectMessage("Member is not of type 'Archived'", ui::kAnswerOk);
  ui.expectMessage("Cannot check out subproject", ui::kAnswerOk);
  ops.checkOutMembers(order.data(), static_cast<int>(order.size()));
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(dir.read("out/new/a.c"), "a1\n");
  EXPECT_EQ(dir.read("out/new/b.c"), "b1\n");
  int marked = 0;
  for (int r : order) marked += r == -1;
  EXPECT_EQ(marked, 2);
}

TEST_F(MemberOpsTest, FreezingTheProjectKeepsTheCounters) {
  makeArchive("a.c", {"1\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);
  p.memberCount = 1;
  p.lockedCount = 1;
  p.selectedCount = 1;
  ProjectMemberOperations ops(p, view, {});
  ops.freezeMembers(nullptr, 0, true);
  EXPECT_TRUE(p.frozen);
  EXPECT_EQ(view.caption, "Frozen Project " + p.name);
  EXPECT_EQ(p.memberCount, 1u);
  EXPECT_EQ(p.lockedCount, 1u);
  EXPECT_EQ(p.selectedCount, 1u);
  OpenProject again(ui, work("p.pj").c_str(), 1);
  EXPECT_TRUE(again.frozen);
}

TEST_F(MemberOpsTest, RemoveAsksPerMemberAndNeverRemovesFrozenOnes) {
  for (const char* n : {"a.c", "b.c", "c.c", "d.c"}) dir.write(n, "x\n");
  makeArchive("f.c", {"1\n"});
  makeProject("p.pj", {{"a.c", 'f', nullptr}, {"f.c", 'a', "1.1"}, {"b.c", 'f', nullptr}, {"c.c", 'f', nullptr},
                       {"d.c", 'f', nullptr}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  ASSERT_EQ(vcInProject(p.project, work("f.c").c_str()), 0);
  ASSERT_EQ(vcSetMember(p.project, VC_MEMBER_ITEM_FREEZE, nullptr), 0);
  FakeView view(p);
  ProjectMemberOperations ops(p, view, {});
  int rows[] = {0, 1, 2, 3, 4};  // a.c b.c c.c d.c f.c
  ui.expectMessage("Do you really want to remove member:\n" + work("a.c"), ui::kAnswerNo);
  ui.expectMessage("Do you really want to remove member:\n" + work("b.c"), ui::kAnswerOk);  // Yes to All
  ui.expectMessage("is a frozen member. You cannot remove it", ui::kAnswerOk);
  ops.removeMembers(rows, 5, true);
  OpenProject again(ui, work("p.pj").c_str(), 1);
  EXPECT_EQ(vcInProject(again.project, work("a.c").c_str()), 0);
  EXPECT_EQ(vcInProject(again.project, work("f.c").c_str()), 0);
  for (const char* n : {"b.c", "c.c", "d.c"}) EXPECT_NE(vcInProject(again.project, work(n).c_str()), 0) << n;
}

TEST_F(MemberOpsTest, UpdateToHeadMarksTheRowsItChanged) {
  makeArchive("a.c", {"1\n", "2\n"});
  makeArchive("b.c", {"1\n", "2\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"b.c", 'a', "1.1"}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);
  ProjectMemberOperations ops(p, view, {});
  int rows[] = {1};
  EXPECT_TRUE(ops.updateMembersToHead(rows, 1));
  EXPECT_EQ(view.rows[1].changeMark, 2);
  OpenProject again(ui, work("p.pj").c_str(), 1);
  EXPECT_EQ(memberItem(again.project, work("b.c"), VC_MEMBER_ITEM_REVISION), "1.2");
  EXPECT_EQ(memberItem(again.project, work("a.c"), VC_MEMBER_ITEM_REVISION), "1.1");
}

TEST_F(MemberOpsTest, UpdateToHeadAsksAboutSubprojectsInEveryRun) {
  makeArchive("b.c", {"1\n", "2\n"});
  makeArchive("a.c", {"1\n", "2\n"});
  makeProject("sub.pj", {{"b.c", 'a', "1.1"}});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"sub.pj", 'i', nullptr}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);
  ASSERT_EQ(view.rows[1].type, 'i');
  ProjectMemberOperations ops(p, view, {});
  // No to All in one run is not remembered into the next, even when the
  // selection does not hold the first row.
  int rows[] = {1};
  ui.expectMessage("is a subproject", ui::kAnswerAbort);
  ops.updateMembersToHead(rows, 1);
  {
    OpenProject sub(ui, work("sub.pj").c_str(), 1);
    EXPECT_EQ(memberItem(sub.project, work("b.c"), VC_MEMBER_ITEM_REVISION), "1.1");
  }
  int again[] = {1};
  ui.expectMessage("is a subproject", ui::kAnswerYes);
  ops.updateMembersToHead(again, 1);
  OpenProject sub(ui, work("sub.pj").c_str(), 1);
  EXPECT_EQ(memberItem(sub.project, work("b.c"), VC_MEMBER_ITEM_REVISION), "1.2");
}

TEST_F(MemberOpsTest, LocksAreSetAndDroppedUnderAProgressWindow) {
  makeArchive("a.c", {"1\n", "2\n"});
  makeArchive("b.c", {"1\n"});
  dir.write("n.c", "n\n");
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"b.c", 'a', "1.1"}, {"n.c", 'f', nullptr}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);
  ProjectMemberOperations ops(p, view, {});
  int rows[] = {0, 1, 2};
  ops.setMemberLocks(rows, 3, 18);
  EXPECT_EQ(locks("a.c"), std::vector<std::string>{"alice 1.1"});
  EXPECT_EQ(locks("b.c"), std::vector<std::string>{"alice 1.1"});
  EXPECT_EQ(rows[2], -1);
  EXPECT_EQ(view.refreshed, (std::vector<int>{0, 1}));
  bool shown = false;
  for (const auto& v : ui.progress) shown |= v.heading == "Locking...";
  EXPECT_TRUE(shown);
  int again[] = {0, 1};
  ops.setMemberLocks(again, 2, 23);
  EXPECT_TRUE(locks("a.c").empty());
  EXPECT_TRUE(locks("b.c").empty());
}

TEST_F(MemberOpsTest, ASandboxCheckInRefreshesTheReferenceCopy) {
  makeArchive("a.c", {"1\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}});
  ::mkdir(work("sb").c_str(), 0755);
  dir.write("sb/sb.pj", "--ORV Project--Sandbox--\nmasterproject=" + work("p.pj") + "\n");
  dir.write("sb/a.c", "sandbox edit\n");
  OpenProject sb(ui, work("sb/sb.pj").c_str(), 2);
  ASSERT_EQ(sb.status, 0);
  ASSERT_EQ(sb.kind & (kProjectKindSandbox | kProjectKindVariant), kProjectKindSandbox);
  FakeView view(sb);
  ASSERT_EQ(vcSetConfig("projectreference", ""), 0);
  MemberDialogs d;
  d.checkInDialog = [&](OpenArchive& archive, OpenProject&, TCiTransferStruct&, TCpTransferStruct&) {
    EXPECT_EQ(archive.workFileName(), work("sb/a.c"));
    return ui::kAnswerOk;
  };
  ProjectMemberOperations ops(sb, view, d);
  int rows[] = {0};
  ops.checkInMembers(rows, 1);
  EXPECT_EQ(head("a.c"), "1.2");
  EXPECT_EQ(dir.read("a.c"), "sandbox edit\n");
}

TEST_F(MemberOpsTest, DroppedFilesStartABatchOfTheirOwn) {
  dir.write("a.c", "a\n");
  dir.write("b.c", "b\n");
  makeProject("p.pj", {{"a.c", 'f', nullptr}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);
  ProjectMemberOperations ops(p, view, {});
  // An earlier batch's remembered answers do not apply to this one.
  memberAddMemories().locationCancelled = true;
  memberAddMemories().askLocation = false;
  ui.expectMessage("is already in the project", ui::kAnswerYes);
  ops.dropFiles({work("a.c"), work("b.c")}, {});
  OpenProject again(ui, work("p.pj").c_str(), 1);
  EXPECT_EQ(vcInProject(again.project, work("b.c").c_str()), 0);
  EXPECT_EQ(view.rows.size(), 2u);
  EXPECT_FALSE(memberAddMemories().locationCancelled);
}

TEST_F(MemberOpsTest, APlainMemberCheckedInIsLinkedAndBecomesArchived) {
  dir.write("n.c", "plain\n");
  makeProject("p.pj", {{"n.c", 'f', nullptr}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  FakeView view(p);
  MemberDialogs d;
  d.checkInDialog = [&](OpenArchive&, OpenProject&, TCiTransferStruct& ci, TCpTransferStruct&) {
    ci.updateMember = 1;
    return ui::kAnswerOk;
  };
  ProjectMemberOperations ops(p, view, d);
  int rows[] = {0};
  ops.checkInMembers(rows, 1);
  EXPECT_EQ(head("n.c"), "1.1");
  EXPECT_NE(archiveBytes("n.c").find(work("p.pj")), std::string::npos);
  EXPECT_EQ(view.rows[0].type, 'a');
  OpenProject again(ui, work("p.pj").c_str(), 1);
  EXPECT_EQ(memberItem(again.project, work("n.c"), VC_MEMBER_ITEM_KIND), "a");
  EXPECT_EQ(memberItem(again.project, work("n.c"), VC_MEMBER_ITEM_REVISION), "1.1");
}

}  // namespace
}  // namespace orv::workbench::project
