// The tree forms' row builders: revisions nested under their branch points
// as the library walks them (branches before their branch point), built
// from archives with real branches and checked against the library's own
// answers; the members' folders; the closed rows kept in the settings
// file; the rows read a few at a time equal to the rows read at once; the
// labels read in one walk; the date order by moment; the transfer of a
// whole revision number.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/profile/profile.h"
#include "workbench/testing/library_fixtures.h"
#include "workbench/views/member_list.h"
#include "workbench/views/member_tree.h"
#include "workbench/views/revision_tree.h"
#include "workbench/views/row_feed.h"
#include "workbench/views/tree_expansion.h"

namespace orv::workbench::views {
namespace {

RevisionRecord rev(std::string number) {
  RevisionRecord r;
  r.revision = std::move(number);
  return r;
}

// The tree as text: each visible row by its revision, indented by depth.
std::string outline(const RevisionTree& tree) {
  std::string out;
  for (int n : tree.preorder()) {
    int depth = 0;
    for (int p = tree.parent(n); p != RevisionTree::kTop; p = tree.parent(p)) ++depth;
    const RevisionRecord& r = tree.record(n);
    out += std::string(2 * static_cast<std::size_t>(depth), ' ') + (r.isWorkFile() ? "work" : r.revision) + "\n";
  }
  return out;
}

TEST(BranchPoint, IsTheNumberWithoutItsLastTwoFields) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.2.1.3", "1.2"},         {"1.2.1.1.2.1", "1.2.1.1"}, {"1.4", ""}, {"2.1", ""},
      {"1", ""},                  {"", ""},                   {"1.2.1", ""}, {".1.1", ""},
      {"10.20.30.40", "10.20"},
  };
  for (const auto& [revision, point] : cases) EXPECT_EQ(branchPointOf(revision), point) << revision;
}

TEST(RevisionTreeOrder, BranchesWaitForTheirBranchPointAndComeWithIt) {
  RevisionTree tree;
  RevisionRecord work;
  work.kind = RowKind::workFile;
  EXPECT_EQ(tree.add(work), (RevisionTree::Shown{0, RevisionTree::kTop}));
  EXPECT_EQ(tree.add(rev("1.3")), (RevisionTree::Shown{1, RevisionTree::kTop}));
  // The walk: 1.2's branches (the last branch first, each from its last
  // revision back, a revision's own branches before it), then 1.2.
  for (const char* r : {"1.2.2.1", "1.2.1.2", "1.2.1.1.1.1", "1.2.1.1"}) EXPECT_FALSE(tree.add(rev(r))) << r;
  EXPECT_FALSE(tree.visible(tree.find("1.2.1.1.1.1")));
  EXPECT_EQ(tree.add(rev("1.2")), (RevisionTree::Shown{6, RevisionTree::kTop}));
  EXPECT_TRUE(tree.visible(tree.find("1.2.1.1.1.1"))) << "the whole branch shows with its branch point";
  EXPECT_EQ(tree.add(rev("1.1")), (RevisionTree::Shown{7, RevisionTree::kTop}));
  EXPECT_TRUE(tree.finish().empty());
  EXPECT_EQ(outline(tree),
            "work\n1.3\n1.2\n  1.2.2.1\n  1.2.1.2\n  1.2.1.1\n    1.2.1.1.1.1\n1.1\n");
  EXPECT_EQ(tree.rowOf(tree.find("1.2.1.1")), 2);
  EXPECT_EQ(tree.parent(tree.find("1.2.1.1.1.1")), tree.find("1.2.1.1"));
  EXPECT_EQ(tree.find("9.9"), -1);
}

TEST(RevisionTreeOrder, ABranchPointGivenFirstTakesItsBranchAtOnce) {
  RevisionTree tree;
  tree.add(rev("1.2"));
  EXPECT_EQ(tree.add(rev("1.2.1.1")), (RevisionTree::Shown{1, 0}));
}

TEST(RevisionTreeOrder, BranchesWhoseBranchPointNeverCameHangUnderTheNearestListedRevision) {
  RevisionTree tree;
  tree.add(rev("1.2.1.1.3.1"));  // 1.2.1.1 is not in the walk, 1.2 is
  tree.add(rev("7.1.1.1"));      // nothing on the way to the trunk
  tree.add(rev("1.2"));
  EXPECT_FALSE(tree.visible(0));
  const std::vector<RevisionTree::Shown> shown = tree.finish();
  EXPECT_EQ(shown, (std::vector<RevisionTree::Shown>{{0, 2}, {1, RevisionTree::kTop}}));
  EXPECT_EQ(outline(tree), "1.2\n  1.2.1.1.3.1\n7.1.1.1\n");
}

TEST(RevisionTransfer, HandsTheWholeRevisionNumber) {
  const std::string deep = "1.2.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.10";  // 40 characters
  ASSERT_EQ(deep.size(), 40u);
  const RevisionRecord deepRow = rev(deep);
  EXPECT_EQ(revisionTransfer(&deepRow), deep);
  const RevisionRecord longest = rev(std::string(63, '1'));
  EXPECT_EQ(revisionTransfer(&longest).size(), 63u);
  const RevisionRecord tooLong = rev(std::string(64, '1'));
  EXPECT_EQ(revisionTransfer(&tooLong), "") << "never a cut number that names another revision";
  RevisionRecord work;
  work.kind = RowKind::workFile;
  EXPECT_EQ(revisionTransfer(&work), "");
  EXPECT_EQ(revisionTransfer(nullptr), "");
}

TEST(TreeLabels, AreCutWithDotsOnlyWhenTheRowIsTooLong) {
  RevisionRecord r = rev("1.2");
  r.author = "alice";
  r.date = "2026/01/02 03:04:05";
  r.state = "Exp";
  r.labels = "REL1 REL2";
  EXPECT_EQ(treeLabelsText(r), "REL1 REL2");
  const std::size_t before = 3 + 5 + 19 + 3 + 5;  // fields and tabs, one more tab for no locker
  r.labels = std::string(200 - before, 'x');
  EXPECT_EQ(treeLabelsText(r), r.labels) << "exactly full";
  r.labels += "y";
  const std::string cut = treeLabelsText(r);
  EXPECT_EQ(cut.size(), 200 - before);
  EXPECT_TRUE(cut.ends_with("...")) << cut;
  r.locker = "bob";
  EXPECT_EQ(treeLabelsText(r).size(), 200 - before - 3);
}

TEST(DateOrder, SortsByTheMomentNotTheText) {
  RevisionRecord old = rev("1.1"), recent = rev("1.2"), odd = rev("1.3");
  old.date = "97/05/04 10:20:30";  // a two-digit year sorts after "2003" as text
  recent.date = "2003/05/04 10:20:30";
  odd.date = "someday";
  std::vector<RevisionRecord> rows = {old, odd, recent};
  sortRevisionRecords(rows, kColDate);
  EXPECT_EQ(rows[0].revision, "1.2") << "the later date first";
  EXPECT_EQ(rows[1].revision, "1.1");
  EXPECT_EQ(rows[2].revision, "1.3") << "a text that is no date last";
  sortRevisionRecords(rows, kColDate | kSortDescending);
  EXPECT_EQ(rows[0].revision, "1.3");
  EXPECT_EQ(rows[1].revision, "1.1");
}

TEST(MemberTreeFolders, NestTheMembersBelowTheWorkingFolder) {
  MemberTree tree("/w/p/");
  EXPECT_EQ(tree.add(0, "/w/p/src/lib/a.c").size(), 3u) << "two folders and the member";
  EXPECT_EQ(tree.add(1, "/w/p/top.c").size(), 1u);
  EXPECT_EQ(tree.add(2, "/w/p/src/b.c").size(), 1u) << "src is there already";
  tree.add(3, "/elsewhere/x/y.c");
  tree.add(4, "/w/pp/z.c");  // a folder whose name only starts like the root
  tree.add(5, "bare.c");
  std::string out;
  for (int n : tree.preorder()) {
    int depth = 0;
    for (int p = tree.node(n).parent; p != MemberTree::kTop; p = tree.node(p).parent) ++depth;
    out += std::string(2 * static_cast<std::size_t>(depth), ' ') + tree.node(n).label +
           (tree.isFolder(n) ? "/" : "") + "\n";
  }
  EXPECT_EQ(out, "src/\n  lib/\n    a.c\n  b.c\ntop.c\n/elsewhere/x/\n  y.c\n/w/pp/\n  z.c\nbare.c\n");
  EXPECT_EQ(tree.node(tree.nodeOfMember(2)).label, "b.c");
  EXPECT_EQ(tree.node(tree.node(tree.nodeOfMember(0)).parent).key, "src/lib");
  EXPECT_EQ(tree.rowOf(tree.nodeOfMember(2)), 1);
  EXPECT_EQ(tree.nodeOfMember(9), -1);
}

class TreeSettingsTest : public ::testing::Test {
 protected:
  orv::test::TempDir dir{"orv-treeset"};
  std::string ini = dir.file("ORVTY.INI");
};

TEST_F(TreeSettingsTest, ClosedRowsAreKeptPerWindowKind) {
  {
    TreeExpansion archive(ini, "Archive Window");
    EXPECT_FALSE(archive.collapsed("1.2"));
    EXPECT_EQ(archive.setCollapsed("1.2", true), 0);
    EXPECT_EQ(archive.setCollapsed("1.2.1.1", true), 0);
    EXPECT_EQ(archive.setCollapsed("a|b", true), 0);
    EXPECT_EQ(archive.setCollapsed("1.2", false), 0);
    TreeExpansion project(ini, "Project Window");
    EXPECT_EQ(project.setCollapsed("src/lib", true), 0);
  }
  EXPECT_EQ(profile::getProfileString(ini, "Archive Window", "TreeCollapsed", "?"), "1.2.1.1");
  EXPECT_EQ(profile::getProfileString(ini, "Project Window", "TreeCollapsed", "?"), "src/lib");
  TreeExpansion again(ini, "Archive Window");
  EXPECT_TRUE(again.collapsed("1.2.1.1"));
  EXPECT_FALSE(again.collapsed("src/lib")) << "each kind has its own";
  EXPECT_EQ(again.setCollapsed("1.2.1.1", false), 0);
  EXPECT_EQ(profile::getProfileString(ini, "Archive Window", "TreeCollapsed", "gone"), "gone");

  // The list keeps the latest keys only.
  for (int i = 0; i < 70; ++i) again.setCollapsed("1." + std::to_string(i), true);
  TreeExpansion bounded(ini, "Archive Window");
  EXPECT_EQ(bounded.keys().size(), TreeExpansion::kMaxCollapsed);
  EXPECT_FALSE(bounded.collapsed("1.5"));
  EXPECT_TRUE(bounded.collapsed("1.69"));
}

class TreeRowsTest : public testing::ProjectTest {
 protected:
  // b.c: trunk 1.1 to 1.3; branches 1.2.1 (two revisions), 1.2.2, and
  // 1.2.1.1.1 from the branch's first revision; labels on the trunk and on
  // a branch, a lock on a branch revision.
  void makeBranchedArchive() {
    makeArchive("b.c", {"one\n", "two\n", "three\n"});
    int h = lockedHandle("b.c");
    auto checkIn = [&](const char* base, const char* text) {
      dir.write("b.c", text);
      char number[64] = {};
      EXPECT_EQ(vcCiRevision(h, base, work("b.c").c_str(), 0, number, sizeof number), 0) << base;
      return std::string(number);
    };
    EXPECT_EQ(checkIn("1.2", "b1\n"), "1.2.1.1");
    EXPECT_EQ(checkIn("1.2.1.1", "b2\n"), "1.2.1.2");
    EXPECT_EQ(checkIn("1.2", "c1\n"), "1.2.2.1");
    EXPECT_EQ(checkIn("1.2.1.1", "d1\n"), "1.2.1.1.1.1");
    EXPECT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL1", "1.3"), 0);
    EXPECT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "FIX", "1.2.1.2"), 0);
    EXPECT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "FIX2", "1.2.1.2"), 0);
    EXPECT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2.2.1", nullptr), 0);
    EXPECT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcCloseArchive(h);
  }
  static std::map<std::string, std::string> byRevision(const std::vector<RevisionRecord>& rows) {
    std::map<std::string, std::string> out;
    for (const auto& r : rows)
      out[r.isWorkFile() ? "work" : r.revision] = r.author + "|" + r.date + "|" + r.state + "|" +
                                                  r.locker.value_or("-") + "|" + r.labels;
    return out;
  }
};

TEST_F(TreeRowsTest, TheTreeOfAnArchiveHoldsEveryRowOfTheListUnderItsBranchPoint) {
  makeBranchedArchive();
  archive::OpenArchive archive(ui, archiveOf("b.c"), 1);
  ASSERT_EQ(archive.status(), 0);
  const RevisionFill list = readRevisionRows(archive);
  ASSERT_TRUE(list.complete);

  // Read a few at a time, as a window does.
  RevisionRowFeed feed(archive);
  RevisionTree tree;
  std::vector<int> shownAtOnce;
  while (!feed.done())
    for (RevisionRecord& r : feed.next(2)) {
      const bool trunk = branchPointOf(r.revision).empty();
      if (auto shown = tree.add(std::move(r))) shownAtOnce.push_back(shown->node);
      EXPECT_EQ(tree.visible(static_cast<int>(tree.size()) - 1), trunk) << tree.records().back().revision;
    }
  EXPECT_TRUE(feed.complete());
  EXPECT_TRUE(tree.finish().empty());
  EXPECT_EQ(shownAtOnce.size(), 4u) << "the working file and the trunk";
  EXPECT_EQ(byRevision(tree.records()), byRevision(list.rows)) << "the same rows as the list";
  EXPECT_EQ(archive.revisionCount, 7);
  EXPECT_EQ(archive.lockedCount, 1);
  EXPECT_EQ(outline(tree),
            "work\n1.3\n1.2\n  1.2.2.1\n  1.2.1.2\n  1.2.1.1\n    1.2.1.1.1.1\n1.1\n");
  const RevisionRecord& fix = tree.record(tree.find("1.2.1.2"));
  EXPECT_TRUE(fix.labels == "FIX FIX2" || fix.labels == "FIX2 FIX") << fix.labels;
  EXPECT_EQ(tree.record(tree.find("1.2.2.1")).locker, "alice");
  EXPECT_EQ(ui.messages.size(), 0u);
}

TEST_F(TreeRowsTest, LabelsAreReadInOneWalkAndACutTextSaysSo) {
  makeArchive("a.c", {"one\n", "two\n"});
  int h = lockedHandle("a.c");
  for (int i = 0; i < 30; ++i) {
    const std::string name = "LABEL_NUMBER_" + std::to_string(i);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, name.c_str(), "1.1"), 0);
  }
  ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "ONE", "1.2"), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  vcCloseArchive(h);
  archive::OpenArchive archive(ui, archiveOf("a.c"), 1);
  const RevisionLabels labels = readRevisionLabels(archive.handle());
  EXPECT_EQ(labels.at("1.2"), "ONE");
  const std::string& many = labels.at("1.1");
  EXPECT_LE(many.size(), 200u);
  EXPECT_TRUE(many.ends_with(" ...")) << many;
  EXPECT_EQ(many.find("ONE"), std::string::npos);
  // Every name kept is one the library gives for 1.1.
  std::string names = many.substr(0, many.size() - 4);
  for (std::size_t start = 0; start < names.size();) {
    const std::size_t blank = std::min(names.find(' ', start), names.size());
    char rev[64] = {};
    ASSERT_EQ(vcGetIdArchiveInfo(archive.handle(), VC_ARCHIVE_ITEM_LABEL_REVISION,
                                 names.substr(start, blank - start).c_str(), rev, sizeof rev), 0);
    EXPECT_STREQ(rev, "1.1");
    start = blank + 1;
  }
  // The rows take them from the one walk.
  const RevisionFill fill = readRevisionRows(archive);
  for (const auto& r : fill.rows)
    if (r.revision == "1.1") {
      EXPECT_EQ(r.labels, many);
    }
}

TEST_F(TreeRowsTest, MembersReadAFewAtATimeAreTheMembersReadAtOnce) {
  const std::string path = makeMixedProject();
  project::OpenProject project(ui, path.c_str());
  ASSERT_EQ(project.status, 0);
  const MemberFill all = readMemberRows(ui, project);
  ASSERT_EQ(all.rows.size(), 4u);

  MemberRowFeed feed(project);
  EXPECT_EQ(feed.total(), 4u);
  std::vector<project::MemberRow> rows;
  for (int turn = 0; !feed.done(); ++turn) {
    for (auto& row : feed.next(turn == 0 ? 1 : 2)) rows.push_back(std::move(row));
    // Someone else moves the library's current member, or walks the
    // members, in between.
    char name[513];
    if (turn % 2) vcGetMember(project.project, VC_MEMBER_ITEM_FIRST, name, 512);
    else vcMemberSetPosition(project.project, 0);
  }
  ASSERT_EQ(rows.size(), all.rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].name, all.rows[i].name);
    EXPECT_EQ(rows[i].revision, all.rows[i].revision);
    EXPECT_EQ(rows[i].type, all.rows[i].type);
    EXPECT_EQ(rows[i].locker, all.rows[i].locker);
    EXPECT_EQ(rows[i].position, i);
  }
  EXPECT_EQ(project.memberCount, 4u);
  EXPECT_EQ(project.lockedCount, 1u);
  EXPECT_TRUE(feed.next(5).empty());

  // The project's folder holds every member.
  MemberTree tree(project.workDirectory.empty() ? project.projectDirectory : project.workDirectory);
  for (std::size_t i = 0; i < rows.size(); ++i) tree.add(static_cast<int>(i), rows[i].name);
  EXPECT_EQ(tree.children(MemberTree::kTop).size(), 4u);
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(tree.node(tree.nodeOfMember(static_cast<int>(i))).label, rows[i].name.substr(rows[i].name.rfind('/') + 1));
}

}  // namespace
}  // namespace orv::workbench::views
