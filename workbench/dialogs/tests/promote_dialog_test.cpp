// The Promote and Demote dialogs: the states offered for each current
// state, the refusals before the dialog, and the revision and member flows
// against real archives, read back through the library.
#include <gtest/gtest.h>

#include "workbench/dialogs/promote_dialog.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using testing::ProjectTest;
using ui::testing::FakeSurface;

constexpr const char* kStates = "states=first,middle,last";

class PromoteTest : public ProjectTest {
 protected:
  void setState(const std::string& name, const char* revision, const char* value) {
    const int h = lockedHandle(name);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_STATE, revision, value), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
  // Chooses target in the dialog and confirms.
  static ui::testing::DialogScript choose(const std::string& target) {
    return [target](FakeSurface& s, ui::DialogLogic& l) {
      s.setText(kPrTargets, target);
      s.close(l, ui::kAnswerOk);
    };
  }

  testing::FakeRegistry windows{ui};
};

TEST_F(PromoteTest, OfferedStatesFollowTheCurrentState) {
  struct Case {
    const char* current;
    bool promote;
    std::vector<std::string> offered;
    int selection;
  };
  const std::vector<Case> cases = {
      {"middle", true, {"middle", "last"}, 1}, {"middle", false, {"first", "middle"}, 0},
      {"last", true, {"last"}, 0},             {"first", false, {"first"}, 0},
      {"last", false, {"first", "middle", "last"}, 1},
      {"Other", true, {"first", "middle", "last"}, 0}, {"Other", false, {"Other"}, 0},
  };
  // A state outside the list was given before the list was configured.
  makeArchive("a.c", {"one\n", "two\n"});
  setState("a.c", "1.2", "Other");
  restart(kStates);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.current) + (c.promote ? " promote" : " demote"));
    const char* revision = std::string(c.current) == "Other" ? "1.2" : "1.1";
    if (revision[2] == '1') setState("a.c", revision, c.current);
    archive::OpenArchive archive(ui, work("a.c"), 1);
    archive::TPromoteRevTransferStruct record;
    ASSERT_EQ(setPromoteDefaults(archive, record, revision, c.promote), 1);
    EXPECT_EQ(archive::fieldText(record.currentState), c.current);
    EXPECT_EQ(record.targetStates, c.offered);
    EXPECT_EQ(record.targetSelection, c.selection);
    PromoteDialog logic(record);
    FakeSurface surface;
    logic.setUp(surface);
    EXPECT_EQ(surface.text(kPrCurrentState), c.current);
    EXPECT_EQ(surface.text(kPrTargets), c.offered[static_cast<std::size_t>(c.selection)]);
  }
}

TEST_F(PromoteTest, AllowedStatesReplaceTheConfiguredList) {
  makeArchive("a.c", {"one\n"});
  setState("a.c", "1.1", "B");
  for (const auto& [allowed, offered] : std::vector<std::pair<const char*, std::vector<std::string>>>{
           {"A, B ,C", {"B", "C"}}, {" , ", {"first", "middle", "last"}}}) {
    SCOPED_TRACE(allowed);
    kel.reset();
    kel.grantWithValue("AllowedStates", allowed);
    restart(kStates);
    archive::OpenArchive archive(ui, work("a.c"), 1);
    archive::TPromoteRevTransferStruct record;
    ASSERT_EQ(setPromoteDefaults(archive, record, "1.1", true), 1);
    EXPECT_EQ(record.targetStates, offered);
  }
}

TEST_F(PromoteTest, MissingRevisionOrListIsShown) {
  makeArchive("a.c", {"one\n"});
  archive::OpenArchive archive(ui, work("a.c"), 1);
  archive::TPromoteRevTransferStruct record;
  ui.expectMessage("There is currently no list of promotion states defined.", ui::kAnswerOk);
  EXPECT_EQ(setPromoteDefaults(archive, record, "1.1", true), -1);
  restart(kStates);
  archive::OpenArchive again(ui, work("a.c"), 1);
  ui.expectMessage("Revision 1.7 is not in archive " + archiveOf("a.c") + ".", ui::kAnswerOk);
  EXPECT_EQ(setPromoteDefaults(again, record, "1.7", true), 0);
}

TEST_F(PromoteTest, ArchiveRevisionIsPromotedAndTheWindowRefreshed) {
  restart(kStates);
  makeArchive("a.c", {"one\n", "two\n"});
  setState("a.c", "1.1", "first");
  testing::FakeArchiveWindow& window = windows.openArchive(work("a.c"));
  ui.expectDialog(promoteDialogId(PromoteSubject::revision, true), [](FakeSurface& s, ui::DialogLogic& l) {
    EXPECT_EQ(s.text(kPrTargets), "middle");
    s.close(l, ui::kAnswerOk);
  });
  promoteArchiveRevision(window, "1.1", true);
  EXPECT_EQ(revisionState("a.c", "1.1"), "middle");
  EXPECT_EQ(window.refreshes, 1);
  EXPECT_EQ(window.reselected, std::vector<std::string>{"1.1"});

  // Cancel changes nothing; confirming the same state sets it again.
  ui.expectDialog(promoteDialogId(PromoteSubject::revision, false),
                  [](FakeSurface& s, ui::DialogLogic& l) { s.close(l, ui::kAnswerCancel); });
  promoteArchiveRevision(window, "1.1", false);
  EXPECT_EQ(revisionState("a.c", "1.1"), "middle");
  ui.expectDialog(promoteDialogId(PromoteSubject::revision, false), choose("first"));
  promoteArchiveRevision(window, "1.1", false);
  EXPECT_EQ(revisionState("a.c", "1.1"), "first");
}

TEST_F(PromoteTest, RefusedPromotionIsShown) {
  kel.refuse("Promote");
  restart(kStates);
  makeArchive("a.c", {"one\n"});
  setState("a.c", "1.1", "first");
  testing::FakeArchiveWindow& window = windows.openArchive(work("a.c"));
  ui.expectDialog(promoteDialogId(PromoteSubject::revision, true), choose("last"));
  ui.expectMessage(archiveOf("a.c"), ui::kAnswerOk);
  promoteArchiveRevision(window, "1.1", true);
  EXPECT_EQ(revisionState("a.c", "1.1"), "first");
}

TEST_F(PromoteTest, SelectedMembersTakeTheStateChosenForTheFirst) {
  restart(kStates);
  makeArchive("a.c", {"one\n", "two\n"});
  makeArchive("b.c", {"one\n"});
  makeArchive("c.c", {"one\n"});
  setState("a.c", "1.2", "middle");
  makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"n.c", 'f', nullptr}, {"b.c", 'a', "1.1"}, {"c.c", 'a', "1.1"}});
  testing::FakeProjectWindow& window = windows.openProject(work("p.pj"));
  // The rows of a.c and b.c, and of the non-archived n.c.
  const auto rowOf = [&window](const std::string& name) {
    int i = 0;
    for (const project::MemberRow& r : window.view.rows) {
      if (r.name == name) return i;
      ++i;
    }
    return -1;
  };
  std::vector<int> rows{rowOf(work("a.c")), rowOf(work("b.c"))};
  ui.expectDialog(promoteDialogId(PromoteSubject::member, true), [](FakeSurface& s, ui::DialogLogic& l) {
    EXPECT_EQ(s.text(kPrCurrentState), "middle");
    EXPECT_EQ(s.listItems(kPrTargets), (std::vector<std::string>{"middle", "last"}));
    s.close(l, ui::kAnswerOk);
  });
  promoteSelectedMembers(window, rows, true);
  EXPECT_EQ(revisionState("a.c", "1.2"), "last");
  EXPECT_EQ(revisionState("a.c", "1.1"), "first") << "only the member revision changes";
  EXPECT_EQ(revisionState("b.c", "1.1"), "last");
  EXPECT_EQ(revisionState("c.c", "1.1"), "first");
  EXPECT_EQ(window.view.refreshed, rows);

  std::vector<int> plain{rowOf(work("n.c"))};
  ui.expectMessage("Member " + work("n.c") + " is not of type 'Archived'.", ui::kAnswerOk);
  promoteSelectedMembers(window, plain, false);
}

TEST_F(PromoteTest, ProjectFileRevisionIsPromoted) {
  restart(kStates);
  const std::string path = makeProject("p.pj", {});
  // The project file in an archive of its own, its revision recorded.
  int a = 0;
  char found[1024] = {};
  ASSERT_EQ(vcFindArchiveName(path.c_str(), found, sizeof found, &a, VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE), 0);
  char rev[64] = {};
  ASSERT_EQ(vcCiRevision(a, "", path.c_str(), 0, rev, sizeof rev), 0);
  ASSERT_EQ(vcCommitArchive(a, VC_COMMIT_CLOSE), 0);
  setState("p.pj", rev, "middle");
  int p = 0;
  ASSERT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY, &p, 0), 0);
  ASSERT_EQ(vcProjectWriteLock(p), 0);
  ASSERT_EQ(vcSetProject(p, VC_PROJECT_ITEM_SET_REVISION, rev), 0);
  ASSERT_EQ(vcSaveProject(p), 0);
  vcCloseProject(p);

  testing::FakeProjectWindow& window = windows.openProject(path);
  ui.expectDialog(promoteDialogId(PromoteSubject::project, false), [](FakeSurface& s, ui::DialogLogic& l) {
    EXPECT_EQ(s.listItems(kPrTargets), (std::vector<std::string>{"first", "middle"}));
    s.close(l, ui::kAnswerOk);
  });
  promoteProject(window, false);
  EXPECT_EQ(revisionState("p.pj", rev), "first");
}

}  // namespace
}  // namespace orv::workbench::dialogs
