// Member Information: the states offered around a revision's state, the
// pending label changes (a delete taken back leaves the label), the
// attribute rules, and OK over a real project and archive: everything is
// checked before anything is applied, the revision and labels change
// together, an unchanged state is not written again, and a frozen member
// changes nothing.
#include <gtest/gtest.h>

#include "vc/include/vc.h"
#include "workbench/dialogs/member_info_dialog.h"
#include "workbench/dialogs/pending_labels.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using ui::testing::FakeSurface;

TEST(MemberInfoParts, StatesAroundTheRevisionsState) {
  const std::vector<std::string> words = {"Exp", "Test", "Rel"};
  struct Case {
    const char* state;
    bool promote, demote;
    std::vector<std::string> offered;
    int selection;
  } cases[] = {
      {"Test", true, false, {"Test", "Rel"}, 0},
      {"Test", false, true, {"Exp", "Test"}, 1},
      {"Test", true, true, {"Exp", "Test", "Rel"}, 1},
      {"Test", false, false, {"Test"}, 0},
      {"Odd", true, false, {"<as is>", "Exp", "Test", "Rel"}, 0},
      {"Odd", false, true, {"<as is>"}, 0},
  };
  for (const Case& c : cases) {
    const OfferedStates o = statesAround(words, c.state, c.promote, c.demote);
    EXPECT_EQ(o.states, c.offered) << c.state << c.promote << c.demote;
    EXPECT_EQ(o.selection, c.selection) << c.state << c.promote << c.demote;
  }
}

TEST(MemberInfoParts, PendingLabels) {
  PendingLabels p;
  EXPECT_EQ(p.add("NEW", "", "1.1"), PendingLabels::AddOutcome::added);
  EXPECT_EQ(p.add("NEW", "", "1.1"), PendingLabels::AddOutcome::nothing) << "once";
  EXPECT_TRUE(p.remove("NEW", "", "1.1"));
  EXPECT_TRUE(p.empty()) << "a pending add taken back";
  EXPECT_TRUE(p.remove("HERE", "1.1", "1.1"));
  EXPECT_EQ(p.changes(), std::vector<std::string>{"-HERE"});
  EXPECT_EQ(p.add("HERE", "1.1", "1.1"), PendingLabels::AddOutcome::added);
  EXPECT_TRUE(p.empty()) << "deleting and adding again leaves the label";
  EXPECT_EQ(p.add("THERE", "1.2", "1.1"), PendingLabels::AddOutcome::askToMove);
  p.move("THERE");
  EXPECT_EQ(p.changes(), std::vector<std::string>{">THERE"});
  EXPECT_TRUE(p.remove("THERE", "1.2", "1.1")) << "the pending move is withdrawn";
  EXPECT_FALSE(p.remove("THERE", "1.2", "1.1")) << "a label of another revision is not deleted here";
  EXPECT_TRUE(p.empty());
}

class MemberInfoTest : public testing::ProjectTest {
 protected:
  // a.c at 1.1 and 1.2, REL1 on 1.2 and state Test there; the member at 1.2.
  void SetUp() override {
    ProjectTest::SetUp();
    makeArchive("a.c", {"one\n", "two\n"});
    const int h = lockedHandle("a.c");
    EXPECT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL1", "1.2"), 0);
    EXPECT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_STATE, "1.2", "Test"), 0);
    EXPECT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcCloseArchive(h);
    path = makeProject("p.pj", {{"a.c", 'a', "1.2"}});
  }
  std::string memberRevision() {
    project::OpenProject p(ui, path.c_str(), 1);
    vcInProject(p.project, work("a.c").c_str());
    char rev[80] = {};
    vcGetMember(p.project, VC_MEMBER_ITEM_REVISION, rev, sizeof rev);
    return rev;
  }
  int run(const std::function<void(FakeSurface&, ui::DialogLogic&)>& script, bool frozen = false) {
    testing::FakeRegistry windows(ui);
    testing::FakeProjectWindow& window = windows.openProject(path);
    project::updateMemberStatus(window.project(), *window.view.findMemberItem(0, true), 0);
    ui.expectDialog(frozen ? kFrozenMemberInfoDialogId : kMemberInfoDialogId, script);
    memberInformationCommand(window, 0);
    return window.view.refreshes;
  }
  std::string path;
};

TEST_F(MemberInfoTest, AnOlderRevisionWithANewLabelAndAMovedOne) {
  const int refreshes = run([this](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_EQ(f.listItems(kMiType), (std::vector<std::string>{"Non-Archived", "Archived"}));
    EXPECT_EQ(f.selection(kMiType), std::vector<int>{1});
    EXPECT_EQ(f.text(kMiState), "Test");
    EXPECT_EQ(f.listItems(kMiLabels), std::vector<std::string>{"REL1"});
    const auto revisions = f.listItems(kMiRevisions);
    const int older = static_cast<int>(std::find(revisions.begin(), revisions.end(), "1.1") - revisions.begin());
    f.setSelection(kMiRevisions, {older});
    f.press(logic, kMiRevisions);
    EXPECT_TRUE(f.listItems(kMiLabels).empty());
    f.setText(kMiLabels, "NEW");
    f.press(logic, kMiAddLabel);
    f.setText(kMiLabels, "REL1");
    ui.expectMessage("Label REL1 is already assigned to revision 1.2.", ui::kAnswerYes);
    f.press(logic, kMiAddLabel);
    EXPECT_EQ(f.listItems(kMiLabels), (std::vector<std::string>{"NEW", "REL1"}));
    f.setText(kMiLabels, "");
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(memberRevision(), "1.1");
  EXPECT_EQ(labelRevision("a.c", "NEW"), "1.1");
  EXPECT_EQ(labelRevision("a.c", "REL1"), "1.1");
}

TEST_F(MemberInfoTest, AnIllegalStateKeepsEverythingAsItWas) {
  const std::string before = archiveBytes("a.c");
  run([this](FakeSurface& f, ui::DialogLogic& logic) {
    const auto revisions = f.listItems(kMiRevisions);
    f.setSelection(kMiRevisions, {static_cast<int>(std::find(revisions.begin(), revisions.end(), "1.1") - revisions.begin())});
    f.press(logic, kMiRevisions);
    f.setText(kMiState, "bad state");
    ui.expectMessage("Illegal State.", ui::kAnswerOk);
    EXPECT_FALSE(f.close(logic, ui::kAnswerOk));
    EXPECT_EQ(f.focus(), kMiState);
    f.close(logic, ui::kAnswerCancel);
  });
  EXPECT_EQ(memberRevision(), "1.2") << "nothing stored before every field passed";
  EXPECT_EQ(archiveBytes("a.c"), before);
}

TEST_F(MemberInfoTest, AnUnchangedStateIsNotWrittenAgain) {
  const std::string before = archiveBytes("a.c");
  run([](FakeSurface& f, ui::DialogLogic& logic) { f.close(logic, ui::kAnswerOk); });
  EXPECT_EQ(archiveBytes("a.c"), before);
  run([](FakeSurface& f, ui::DialogLogic& logic) {
    f.setText(kMiState, "Rel");
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(revisionState("a.c", "1.2"), "Rel");
}

TEST_F(MemberInfoTest, AttributesAreStoredAsTheMembersRules) {
  std::vector<std::string> rules = splitRules("lang=c,frozen,opt");
  EXPECT_EQ(rules, (std::vector<std::string>{"lang=c", "opt"}));
  EXPECT_EQ(addMemberAttribute(rules, "lang", "cpp"), "");
  EXPECT_EQ(addMemberAttribute(rules, "workmap", "/a=/b"), "");
  EXPECT_NE(addMemberAttribute(rules, "frozen", ""), "");
  EXPECT_NE(addMemberAttribute(rules, "la.ng", "c"), "");
  EXPECT_EQ(joinRules(rules), "lang=cpp,opt,workmap /a=/b");

  run([](FakeSurface& f, ui::DialogLogic& logic) {
    f.press(logic, kMiShowAttributes);
    EXPECT_TRUE(f.control(kMiVariable).visible);
    f.setText(kMiVariable, "owner");
    f.setText(kMiValue, "tools");
    f.close(logic, ui::kAnswerOk);  // OK adds what is typed
  });
  project::OpenProject p(ui, path.c_str(), 1);
  vcInProject(p.project, work("a.c").c_str());
  char text[256] = {};
  vcGetMember(p.project, VC_MEMBER_ITEM_RULES, text, sizeof text);
  EXPECT_STREQ(text, "owner=tools");
}

TEST_F(MemberInfoTest, AFrozenMemberChangesNothing) {
  {
    project::OpenProject p(ui, path.c_str(), 1);
    ASSERT_TRUE(p.lock(false));
    vcInProject(p.project, work("a.c").c_str());
    ASSERT_EQ(vcSetMember(p.project, VC_MEMBER_ITEM_FREEZE, "\1"), 0);
    ASSERT_EQ(p.save(), 0);
  }
  run(
      [](FakeSurface& f, ui::DialogLogic& logic) {
        EXPECT_FALSE(f.isEnabled(kMiRevisions));
        EXPECT_FALSE(f.isEnabled(kMiType));
        EXPECT_FALSE(f.isEnabled(kMiVariable));
        f.close(logic, ui::kAnswerOk);
      },
      true);
  EXPECT_EQ(memberRevision(), "1.2");
}

}  // namespace
}  // namespace orv::workbench::dialogs
