// Label Members, Resynchronize and Remove Unused Locks over a project
// window's rows, against real archives: every member reached (the last
// one included), a walk stopped part way leaves the rest byte-identical,
// and Cancel in a member's question keeps what was done before it.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "workbench/dialogs/label_members_dialog.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using testing::ProjectTest;
using ui::testing::FakeSurface;

// A scripted Ui whose progress window's Cancel is pressed once the window
// has shown cancelAfter different lines.
class CancellingUi : public ui::testing::ScriptedUi {
 public:
  void showProgress(const ui::ProgressView& view) override {
    ScriptedUi::showProgress(view);
    if (cancelAfter > 0 && !view.line.empty() && view.line != lastLine_) {
      lastLine_ = view.line;
      if (--cancelAfter == 0 && view.onCancel) view.onCancel();
    }
  }
  int cancelAfter = 0;

 private:
  std::string lastLine_;
};

class MemberMaintenanceTest : public ProjectTest {
 protected:
  static std::string memberName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%02d.c", i);
    return name;
  }
  // count members, each at 1.2 locked by the user with its working file
  // unchanged.
  void makeLockedMembers(int count) {
    std::vector<Member> members;
    for (int i = 0; i < count; ++i) {
      const std::string name = memberName(i);
      makeArchive(name, {name + " one\n", name + " two\n"});
      const int h = lockedHandle(name);
      ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2", nullptr), 0);
      ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
      members.push_back({name, 'a', "1.2"});
    }
    makeProject("p.pj", members);
  }
  static std::vector<int> allRows(int count) {
    std::vector<int> rows;
    for (int i = 0; i < count; ++i) rows.push_back(i);
    return rows;
  }
};

TEST_F(MemberMaintenanceTest, RemoveUnusedLocksReachesTheLastMember) {
  constexpr int kMembers = 40;
  makeLockedMembers(kMembers);
  dir.write(memberName(3), "edited\n");
  testing::FakeRegistry windows{ui};
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  removeUnusedLocksCommand(window);
  for (int i = 0; i < kMembers; ++i) EXPECT_EQ(locks(memberName(i)).empty(), i != 3) << memberName(i);
  EXPECT_EQ(dir.read(memberName(3)), "edited\n");
}

TEST_F(MemberMaintenanceTest, RemoveUnusedLocksStoppedPartWayLeavesTheRestAsTheyWere) {
  constexpr int kMembers = 40;
  makeLockedMembers(kMembers);
  std::vector<std::string> before;
  for (int i = 0; i < kMembers; ++i) before.push_back(archiveBytes(memberName(i)));
  CancellingUi cancelling;
  cancelling.cancelAfter = 15;
  testing::FakeRegistry windows{cancelling};
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  removeUnusedLocksCommand(window);
  int done = 0;
  for (int i = 0; i < kMembers; ++i) {
    if (locks(memberName(i)).empty()) {
      ++done;
      continue;
    }
    EXPECT_EQ(archiveBytes(memberName(i)), before[static_cast<std::size_t>(i)]) << memberName(i);
  }
  // The walk stopped: some members were done, the rest not touched.
  EXPECT_GT(done, 0);
  EXPECT_LT(done, kMembers);
  for (int i = 0; i < done; ++i) EXPECT_TRUE(locks(memberName(i)).empty()) << memberName(i);
}

TEST_F(MemberMaintenanceTest, ResynchronizeStoppedMarksTheRestAndKeepsThemAsTheyWere) {
  constexpr int kMembers = 4;
  std::vector<Member> members;
  for (int i = 0; i < kMembers; ++i) {
    makeArchive(memberName(i), {"one\n", "two\n"});
    ::chmod(work(memberName(i)).c_str(), 0444);
    members.push_back({memberName(i), 'a', "1.1"});
  }
  makeProject("p.pj", members);
  CancellingUi cancelling;
  cancelling.cancelAfter = 2;
  testing::FakeRegistry windows{cancelling};
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  std::vector<int> rows = allRows(kMembers);
  resynchronizeSelectedMembers(window, rows);
  EXPECT_EQ(rows.front(), 0);
  EXPECT_EQ(rows.back(), -1);
  // Members not reached keep their working file.
  EXPECT_EQ(dir.read(memberName(kMembers - 1)), "two\n");
}

TEST_F(MemberMaintenanceTest, ResynchronizeBringsWorkingFilesToTheMemberRevision) {
  makeArchive("a.c", {"one\n", "two\n"});
  makeArchive("b.c", {"one\n", "two\n"});
  for (const char* name : {"a.c", "b.c"}) ::chmod(work(name).c_str(), 0444);
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"b.c", 'a', "1.1"}});
  testing::FakeRegistry windows{ui};
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  std::vector<int> rows{0, 1};
  resynchronizeSelectedMembers(window, rows);
  EXPECT_EQ(dir.read("a.c"), "one\n");
  EXPECT_EQ(dir.read("b.c"), "one\n");
}

TEST_F(MemberMaintenanceTest, LabelDefaultsOfferAsIsAndTheStates) {
  restart("states=Draft,Rel\n");
  MemberLabelRecord record;
  setLabelDefaults(record);
  EXPECT_EQ(record.stateFromList, 1u);
  EXPECT_EQ(record.states, (std::vector<std::string>{kStateAsIs, "Draft", "Rel"}));
  EXPECT_EQ(record.stateSelection, 0);
  LabelMembersDialog logic(ui, record);
  FakeSurface surface;
  logic.setUp(surface);
  EXPECT_FALSE(surface.control(kLmState).visible);
  EXPECT_TRUE(surface.control(kLmStates).visible);
  EXPECT_EQ(surface.text(kLmStates), kStateAsIs);

  restart("");
  setLabelDefaults(record);
  EXPECT_EQ(record.stateFromList, 0u);
  EXPECT_TRUE(record.states.empty());
}

TEST_F(MemberMaintenanceTest, LabelMembersStopsAtCancelKeepingWhatWasDone) {
  restart("states=Draft,Rel\n");
  makeArchive("a.c", {"one\n", "two\n"});
  makeArchive("b.c", {"one\n", "two\n"});
  {
    const int h = lockedHandle("b.c");
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL", "1.1"), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
  makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"b.c", 'a', "1.2"}});
  testing::FakeRegistry windows{ui};
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  ui.expectDialog(kLabelMembersDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    s.setText(kLmLabel, "REL");
    s.setText(kLmStates, "Rel");
    s.close(l, ui::kAnswerOk);
  });
  ui.expectMessage("already assigned to revision 1.1", ui::kAnswerCancel);
  std::vector<int> rows{0, 1};
  labelMembers(window, rows);
  EXPECT_EQ(labelRevision("a.c", "REL"), "1.2");
  EXPECT_EQ(revisionState("a.c", "1.2"), "Rel");
  EXPECT_EQ(labelRevision("b.c", "REL"), "1.1");
  EXPECT_NE(revisionState("b.c", "1.2"), "Rel");

  // "<as is>" changes no state.
  ui.expectDialog(kLabelMembersDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    s.setText(kLmLabel, "REL2");
    s.close(l, ui::kAnswerOk);
  });
  std::vector<int> again{0, 1};
  labelMembers(window, again);
  EXPECT_EQ(labelRevision("a.c", "REL2"), "1.2");
  EXPECT_EQ(labelRevision("b.c", "REL2"), "1.2");
  EXPECT_EQ(revisionState("a.c", "1.2"), "Rel");
}

}  // namespace
}  // namespace orv::workbench::dialogs
