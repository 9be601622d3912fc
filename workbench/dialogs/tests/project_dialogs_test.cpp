// The dialogs over project members: the Check In dialog's own flow records
// the new revision in the member and saves the project, the project
// window's member check-in runs with these defaults and this dialog, and a
// new member's archive is made through the Create Archive dialog.
#include <gtest/gtest.h>

#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/check_in_flows.h"
#include "workbench/dialogs/create_archive_dialog.h"
#include "workbench/dialogs/create_archive_flow.h"
#include "workbench/project/project_member_ops.h"
#include "workbench/testing/fake_member_view.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using ui::testing::FakeSurface;

class CheckInProjectTest : public testing::ProjectTest {
 protected:
  // a.c and b.c at 1.2, both members at 1.2, both working files changed.
  void SetUp() override {
    ProjectTest::SetUp();
    for (const char* n : {"a.c", "b.c"}) {
      makeArchive(n, {"1\n", "2\n"});
      dir.write(n, std::string(n) + " changed\n");
    }
    makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"b.c", 'a', "1.2"}});
  }
  // The member's revision in the project file as saved.
  std::string savedMemberRevision(const char* name) {
    project::OpenProject again(ui, work("p.pj").c_str(), 1);
    vcInProject(again.project, work(name).c_str());
    char buffer[80] = {};
    vcGetMember(again.project, VC_MEMBER_ITEM_REVISION, buffer, sizeof buffer);
    return buffer;
  }
};

TEST_F(CheckInProjectTest, TheMemberTakesTheNewRevisionAndTheProjectIsSaved) {
  project::OpenProject project(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(project.status, 0);
  ASSERT_EQ(vcInProject(project.project, work("a.c").c_str()), 0);
  archive::OpenArchive archive(ui, work("a.c"), 6, project.project);
  ASSERT_EQ(archive.status(), 0);
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_TRUE(s.isChecked(kCiUpdateMember));
    EXPECT_TRUE(s.isEnabled(kCiUpdateMember));
    EXPECT_FALSE(s.isEnabled(kCiAllFiles));
    s.close(logic, ui::kAnswerOk);
  });
  EXPECT_TRUE(checkInOpenArchive(archive, &project));
  EXPECT_EQ(head("a.c"), "1.3");
  EXPECT_EQ(savedMemberRevision("a.c"), "1.3");
}

TEST_F(CheckInProjectTest, MemberCheckInRunsWithTheseDefaultsAndThisDialog) {
  project::OpenProject project(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(project.status, 0);
  testing::FakeView view(project);
  project::MemberDialogs dialogs;
  setMemberCheckInDialogs(dialogs);
  project::ProjectMemberOperations operations(project, view, dialogs);
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_EQ(s.text(kCiNumber), "1.3");
    s.setChecked(kCiAllFiles, true);
    s.setText(kCiDescription, "both members");
    s.close(logic, ui::kAnswerOk);
  });
  int rows[] = {0, 1};
  operations.checkInMembers(rows, 2);
  for (const char* n : {"a.c", "b.c"}) {
    EXPECT_EQ(head(n), "1.3") << n;
    EXPECT_EQ(savedMemberRevision(n), "1.3") << n;
  }
}

TEST_F(CheckInProjectTest, ANewMembersArchiveTakesTheDialogsSettings) {
  dir.write("n.c", "new member\n");
  project::OpenProject project(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(project.status, 0);
  project::MemberAddServices services;
  setMemberCreateArchiveDialogs(services);
  ui.expectDialog(kCreateArchiveDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_TRUE(s.isChecked(kCaCheckIn));
    s.setChecked(kCaStrict, true);
    s.setText(kCaDescription, "added to p");
    s.close(logic, ui::kAnswerOk);
  });
  archive::TCreateArchiveTransferStruct data;
  int inaccessible = 0, already = 0;
  EXPECT_EQ(project::addProjectMembers(project, work("n.c"), true, &inaccessible, &already, true, true, false, &data,
                                     services),
            0);
  EXPECT_EQ(head("n.c"), "1.1");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("n.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char text[64] = {};
  EXPECT_EQ(vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_DESCRIPTION, text, sizeof text), 0);
  EXPECT_STREQ(text, "added to p");
  EXPECT_EQ(vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_STRICT_LOCKING, text, sizeof text), 0);
  EXPECT_EQ(text[0], 1);
  vcCloseArchive(h);
}

}  // namespace
}  // namespace orv::workbench::dialogs
