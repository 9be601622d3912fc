// The member list's rows over real projects: types, lock, labels and the
// counts; the order of every column; and rows read again after a change
// made through the library.
#include <gtest/gtest.h>

#include "workbench/testing/library_fixtures.h"
#include "workbench/views/member_list.h"

namespace orv::workbench::views {
namespace {

class MemberListTest : public testing::ProjectTest {
 protected:
  static const project::MemberRow* rowNamed(const std::vector<project::MemberRow>& rows, const std::string& name) {
    for (const auto& row : rows)
      if (row.name == name) return &row;
    return nullptr;
  }
};

TEST_F(MemberListTest, ReadsEveryMemberWithItsTypeLockAndLabels) {
  const std::string path = makeMixedProject();
  project::OpenProject project(ui, path.c_str());
  ASSERT_EQ(project.status, 0);
  const MemberFill fill = readMemberRows(ui, project);
  EXPECT_TRUE(fill.complete);
  ASSERT_EQ(fill.rows.size(), 4u);
  EXPECT_EQ(project.memberCount, 4u);
  EXPECT_EQ(project.lockedCount, 1u);
  EXPECT_EQ(ui.progress.at(0).heading, "Scanning for changes...");
  EXPECT_FALSE(ui.progressShown);

  struct Expect {
    const char* name;
    const char* type;
    const char* revision;
    const char* locker;
  };
  for (const Expect& e : {Expect{"a.c", "Archived", "1.2", "bob"}, Expect{"n.c", "Non-Archived", "", ""},
                          Expect{"sub.pj", "Subproject", "1.1", ""}, Expect{"b.c", "Archived", "1.1", ""}}) {
    const project::MemberRow* row = rowNamed(fill.rows, work(e.name));
    ASSERT_NE(row, nullptr) << e.name;
    EXPECT_EQ(memberCellText(*row, kMemberColType), e.type) << e.name;
    EXPECT_EQ(memberCellText(*row, kMemberColRevision), e.revision) << e.name;
    EXPECT_EQ(memberCellText(*row, kMemberColLocked), e.locker) << e.name;
    EXPECT_EQ(memberCellText(*row, kMemberColName), work(e.name));
  }
  const project::MemberRow* a = rowNamed(fill.rows, work("a.c"));
  EXPECT_TRUE(memberLocked(*a));
  EXPECT_NE(memberCellText(*a, kMemberColLabels).find("REL1"), std::string::npos);
  EXPECT_FALSE(memberLocked(*rowNamed(fill.rows, work("b.c"))));
  EXPECT_EQ(memberTypeText('x'), "x");
}

TEST_F(MemberListTest, AProjectWithoutMembersListsNothingAndShowsNoProgress) {
  const std::string path = makeProject("empty.pj", {});
  project::OpenProject project(ui, path.c_str());
  ASSERT_EQ(project.status, 0);
  project.memberCount = 7;
  const MemberFill fill = readMemberRows(ui, project);
  EXPECT_TRUE(fill.rows.empty());
  EXPECT_TRUE(fill.complete);
  EXPECT_EQ(project.memberCount, 0u);
  EXPECT_TRUE(ui.progress.empty());
}

TEST_F(MemberListTest, RereadingARowFollowsALockMadeThroughTheLibrary) {
  const std::string path = makeMixedProject();
  project::OpenProject project(ui, path.c_str());
  ASSERT_EQ(project.status, 0);
  MemberFill fill = readMemberRows(ui, project);
  ASSERT_EQ(fill.rows.size(), 4u);
  sortMemberRows(fill.rows, kMemberColName);
  ui.progress.clear();

  int h = lockedHandle("b.c");
  ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.1", nullptr), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  vcCloseArchive(h);
  std::vector<int> which;
  for (int i = 0; i < 4; ++i)
    which.push_back(fill.rows[static_cast<std::size_t>(i)].name == work("b.c") ? i : -1);
  rereadMemberRows(ui, project, fill.rows, which);
  const project::MemberRow* b = rowNamed(fill.rows, work("b.c"));
  EXPECT_TRUE(memberLocked(*b));
  EXPECT_EQ(memberCellText(*b, kMemberColLocked), "alice");
  EXPECT_EQ(project.lockedCount, 2u);
  EXPECT_TRUE(ui.progress.empty()) << "four entries show no progress window";
}

TEST(MemberListOrder, EachColumnSortsAsTheListShowsIt) {
  auto row = [](std::string name, char type, const char* revision, const char* locker, bool frozen,
                std::uint8_t mark) {
    project::MemberRow r;
    r.name = std::move(name);
    r.type = type;
    if (revision) r.revision = revision;
    if (locker) r.locker = locker;
    r.frozen = frozen;
    r.changeMark = mark;
    return r;
  };
  const std::vector<project::MemberRow> rows = {
      row("/p/src/z.c", 'a', "1.9", nullptr, false, 0), row("/p/b.c", 'f', nullptr, nullptr, true, 1),
      row("/p/A.c", 'a', "1.10", "bob", false, 0),     row("/p/q.c", 'i', "1.2.1.1", "Al", false, 1),
      row("/p/r.c", 'a', "1.2", nullptr, false, 0)};
  struct Case {
    unsigned key;
    std::vector<std::string> order;
  };
  const Case cases[] = {
      {kMemberColName, {"/p/A.c", "/p/b.c", "/p/q.c", "/p/r.c", "/p/src/z.c"}},
      {kMemberColName | kSortDescending, {"/p/src/z.c", "/p/r.c", "/p/q.c", "/p/b.c", "/p/A.c"}},
      {kMemberColRevision, {"/p/A.c", "/p/src/z.c", "/p/q.c", "/p/r.c", "/p/b.c"}},
      {kMemberColLocked, {"/p/q.c", "/p/A.c", "/p/src/z.c", "/p/b.c", "/p/r.c"}},
      {kMemberColType, {"/p/q.c", "/p/b.c", "/p/src/z.c", "/p/A.c", "/p/r.c"}},
      {kMemberColFrozen, {"/p/b.c", "/p/src/z.c", "/p/A.c", "/p/q.c", "/p/r.c"}},
      {kMemberColChanged, {"/p/b.c", "/p/q.c", "/p/src/z.c", "/p/A.c", "/p/r.c"}},
      {8, {"/p/src/z.c", "/p/b.c", "/p/A.c", "/p/q.c", "/p/r.c"}},
  };
  for (const Case& c : cases) {
    std::vector<project::MemberRow> sorted = rows;
    sortMemberRows(sorted, c.key);
    std::vector<std::string> names;
    for (const auto& r : sorted) names.push_back(r.name);
    EXPECT_EQ(names, c.order) << "key " << c.key;
  }
  EXPECT_LT(compareRevisionNumbers("1.2", "1.2.1.1"), 0);
}

}  // namespace
}  // namespace orv::workbench::views
