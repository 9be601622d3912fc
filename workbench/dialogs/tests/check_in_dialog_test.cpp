// The Check In dialog on a fake surface (defaults, enabling, validation,
// Cancel and Cancel All) and its flows against real archives: the archive
// window's command and the command server's runs over several files.
#include <gtest/gtest.h>

#include <map>

#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/check_in_flows.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using testing::ArchiveTest;
using ui::testing::FakeSurface;

class CheckInDialogTest : public ArchiveTest {
 protected:
  // a.c with 1.1 and 1.2, its working file changed since.
  void prepare(const std::string& config = "") {
    start(config);
    makeArchive("a.c", {"one\n", "two\n"});
    dir.write("a.c", "three\n");
  }
  std::string logOf(const std::string& name, const char* revision) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    char text[256] = {};
    vcGetRevInfo(h, VC_REVISION_ITEM_LOG, revision, text, sizeof text);
    vcCloseArchive(h);
    return text;
  }
};

TEST_F(CheckInDialogTest, DefaultsComeFromTheArchiveAndTheConfiguration) {
  prepare("states=Draft,Rel\n");
  archive::OpenArchive archive(ui, work("a.c"), 6);
  archive::TCiTransferStruct record;
  record.cancelAll = 1;  // left from an earlier file: prepared afresh
  ASSERT_EQ(prepareCheckIn(archive, nullptr, nullptr, record), kPrepareGoOn);
  EXPECT_EQ(archive::fieldText(record.number), "1.3");
  EXPECT_EQ(archive::fieldText(record.state), "Draft");
  EXPECT_EQ(record.stateFromList, 1u);
  EXPECT_EQ(archive::fieldText(record.author), "alice");
  EXPECT_EQ(record.keepWorkFile, 1u);
  EXPECT_EQ(record.locked, 0u);
  EXPECT_EQ(record.cancelAll, 0u);

  ASSERT_EQ(prepareCheckIn(archive, nullptr, "2.1", record), kPrepareGoOn);
  EXPECT_EQ(archive::fieldText(record.number), "2.1");
  // A revision wider than the field is refused, never cut to another one.
  ui.expectMessage("Illegal Revision Number.", ui::kAnswerOk);
  EXPECT_EQ(prepareCheckIn(archive, nullptr, std::string(80, '1').c_str(), record), kPrepareSkip);
}

TEST_F(CheckInDialogTest, AMissingFileOrStrictLockingWithoutALockSkipsOrStops) {
  prepare();
  int h = lockedHandle("a.c");
  ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_STRICT_LOCKING, "\1", nullptr), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  for (const int answer : {ui::kAnswerOk, ui::kAnswerCancel}) {
    const int expected = answer == ui::kAnswerOk ? kPrepareSkip : kPrepareStop;
    archive::TCiTransferStruct record;
    archive::OpenArchive archive(ui, work("a.c"), 6);
    ui.expectMessage("Archive " + archiveOf("a.c") + " has strict locking, and you have no revisions locked.",
                     answer);
    EXPECT_EQ(prepareCheckIn(archive, nullptr, nullptr, record), expected);
    ::unlink(work("a.c").c_str());
    ui.expectMessage("Cannot access working file " + work("a.c") + ".", answer);
    EXPECT_EQ(prepareCheckIn(archive, nullptr, nullptr, record), expected);
    dir.write("a.c", "three\n");
  }
}

TEST_F(CheckInDialogTest, BoxesFollowTheRecordThePermissionsAndTheStateList) {
  prepare();
  struct Case {
    const char* name;
    std::vector<const char*> refused;
    std::string config;
    const char* lockStates;
    std::uint32_t keepWork, updateMember;
    std::map<int, bool> enabled;  // control: enabled
    std::map<int, bool> checked;  // control: checked
  };
  const std::vector<Case> cases = {
      {"everything granted", {}, "", nullptr, 1, 0,
       {{kCiLocked, true}, {kCiUpdateMember, true}, {kCiReplaceLabel, true}, {kCiLabel, true},
        {kCiState, true}, {kCiAuthor, true}, {kCiKeepWork, true}, {kCiAllFiles, false}, {kCiCancelAll, false}},
       {{kCiUpdateMember, true}, {kCiKeepWork, true}, {kCiAllFiles, false}}},
      {"no Lock", {"Lock"}, "", nullptr, 1, 0, {{kCiLocked, false}}, {{kCiLocked, false}}},
      {"first state not lockable", {}, "states=Rel,Prod\n", "Prod", 1, 0,
       {{kCiLocked, false}, {kCiState, false}, {kCiStateCaption, false}}, {}},
      {"first state lockable", {}, "states=Rel,Prod\n", "Rel", 1, 0, {{kCiLocked, true}, {kCiState, false}}, {}},
      {"no ModifyProject", {"ModifyProject"}, "", nullptr, 1, 0, {{kCiUpdateMember, false}},
       {{kCiUpdateMember, false}}},
      {"no AddLabel", {"AddLabel"}, "", nullptr, 1, 0,
       {{kCiLabel, false}, {kCiLabelCaption, false}, {kCiReplaceLabel, false}}, {}},
      {"no DeleteLabel", {"DeleteLabel"}, "", nullptr, 1, 0, {{kCiLabel, true}, {kCiReplaceLabel, false}}, {}},
      {"enforced login name", {}, "Enforcelogname=alice\n", nullptr, 1, 0,
       {{kCiAuthor, false}, {kCiAuthorCaption, false}}, {}},
      {"fixed boxes", {}, "", nullptr, archive::kCheckInBoxDisabled, archive::kCheckInBoxDisabled,
       {{kCiKeepWork, false}, {kCiUpdateMember, false}}, {{kCiKeepWork, true}, {kCiUpdateMember, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kel.reset();
    for (const char* p : c.refused) kel.refuse(p);
    if (c.lockStates) kel.grantWithValue("LockStates", c.lockStates);
    restart(c.config);
    archive::OpenArchive archive(ui, work("a.c"), 6);
    archive::TCiTransferStruct record;
    ASSERT_EQ(prepareCheckIn(archive, nullptr, nullptr, record), kPrepareGoOn);
    record.allFiles = archive::kCheckInBoxDisabled;
    record.keepWorkFile = c.keepWork;
    record.updateMember = c.updateMember;
    CheckInDialog logic(ui, record, archive, nullptr);
    FakeSurface surface;
    logic.setUp(surface);
    for (const auto& [id, on] : c.enabled) EXPECT_EQ(surface.isEnabled(id), on) << id;
    for (const auto& [id, on] : c.checked) EXPECT_EQ(surface.isChecked(id), on) << id;
    EXPECT_EQ(surface.text(kCiArchiveName), archiveOf("a.c"));
    EXPECT_EQ(surface.text(kCiWorkName), work("a.c"));
    // After the dialog every box holds 0 or 1.
    ASSERT_TRUE(surface.close(logic, ui::kAnswerCancel));
    for (std::uint32_t v : {record.locked, record.keepWorkFile, record.allFiles, record.updateMember})
      EXPECT_LE(v, 1u);
  }
}

TEST_F(CheckInDialogTest, OkChecksTheFieldsAndCancelKeepsWhatWasTyped) {
  prepare();
  archive::OpenArchive archive(ui, work("a.c"), 6);
  archive::TCiTransferStruct record;
  ASSERT_EQ(prepareCheckIn(archive, nullptr, nullptr, record), kPrepareGoOn);
  CheckInDialog logic(ui, record, archive, nullptr);
  FakeSurface surface;
  logic.setUp(surface);

  surface.setText(kCiLabel, "1bad");
  ui.expectMessage("Illegal Label.", ui::kAnswerOk);
  EXPECT_FALSE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(surface.focus(), kCiLabel);
  surface.setText(kCiLabel, "Beta");
  surface.setText(kCiAuthor, "");
  ui.expectMessage("Illegal", ui::kAnswerOk);
  EXPECT_FALSE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(surface.focus(), kCiAuthor);

  surface.setText(kCiAuthor, "bob");
  surface.setText(kCiDescription, "typed before Cancel");
  ASSERT_TRUE(surface.close(logic, ui::kAnswerCancel));
  EXPECT_EQ(archive::fieldText(record.label), "Beta");
  EXPECT_EQ(archive::fieldText(record.author), "bob");
  EXPECT_EQ(archive::fieldText(record.description), "typed before Cancel");
  EXPECT_EQ(record.cancelAll, 0u);
}

TEST_F(CheckInDialogTest, TheArchiveWindowChecksInAChangedFile) {
  prepare();
  testing::FakeRegistry windows(ui);
  testing::FakeArchiveWindow& window = windows.openArchive(work("a.c"));
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_FALSE(s.isEnabled(kCiAllFiles));
    EXPECT_FALSE(s.isEnabled(kCiCancelAll));
    EXPECT_EQ(s.text(kCiNumber), "1.3");
    s.setText(kCiLabel, "Beta");
    s.setText(kCiDescription, "three lines now");
    s.close(logic, ui::kAnswerOk);
  });
  archiveCheckIn(window);

  EXPECT_EQ(head("a.c"), "1.3");
  EXPECT_EQ(labelRevision("a.c", "Beta"), "1.3");
  EXPECT_EQ(logOf("a.c", "1.3"), "three lines now");
  EXPECT_TRUE(locks("a.c").empty());
  EXPECT_EQ(dir.read("a.c"), "three\n");  // kept: checked out again
  EXPECT_EQ(window.refreshes, 1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CheckInDialogTest, CancelInTheArchiveWindowWritesNothing) {
  prepare();
  testing::FakeRegistry windows(ui);
  testing::FakeArchiveWindow& window = windows.openArchive(work("a.c"));
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.close(logic, ui::kAnswerCancel); });
  archiveCheckIn(window);
  EXPECT_EQ(head("a.c"), "1.2");
  EXPECT_EQ(window.refreshes, 0);
  // The write lock went with the command: the library's own check-in works.
  int h = lockedHandle("a.c");
  char rev[64] = {};
  EXPECT_EQ(vcCiRevision(h, "", work("a.c").c_str(), 0, rev, sizeof rev), 0);
  vcCloseArchive(h);
}

class CheckInRunTest : public CheckInDialogTest {
 protected:
  // a.c at 1.2, b.c and c.c at 1.1, every working file changed.
  void SetUp() override {
    CheckInDialogTest::SetUp();
    prepare();
    makeArchive("b.c", {"b one\n"});
    makeArchive("c.c", {"c one\n"});
    dir.write("b.c", "b two\n");
    dir.write("c.c", "c two\n");
  }
  std::vector<std::string> names() { return {work("a.c"), work("b.c"), work("c.c")}; }
};

TEST_F(CheckInRunTest, AllFilesChecksTheRestInWithTheirOwnNumbers) {
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_TRUE(s.isEnabled(kCiAllFiles));
    EXPECT_TRUE(s.isEnabled(kCiCancelAll));
    s.setChecked(kCiAllFiles, true);
    s.setText(kCiDescription, "one fix in three files");
    s.close(logic, ui::kAnswerOk);
  });
  ddeCheckIn(ui, names());
  EXPECT_EQ(head("a.c"), "1.3");
  EXPECT_EQ(head("b.c"), "1.2");
  EXPECT_EQ(head("c.c"), "1.2");
  EXPECT_EQ(logOf("c.c", "1.2"), "one fix in three files");
}

TEST_F(CheckInRunTest, ATypedNumberServesEveryFile) {
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    s.setChecked(kCiAllFiles, true);
    s.setText(kCiNumber, "1.1");
    s.setText(kCiDescription, "on 1.1");
    s.close(logic, ui::kAnswerOk);
  });
  ddeCheckIn(ui, names());
  // Over 1.1: a branch where 1.2 follows it, the trunk where 1.1 is the head.
  EXPECT_EQ(head("a.c"), "1.2");
  EXPECT_EQ(logOf("a.c", "1.1.1.1"), "on 1.1");
  EXPECT_EQ(logOf("b.c", "1.2"), "on 1.1");
  EXPECT_EQ(logOf("c.c", "1.2"), "on 1.1");
}

TEST_F(CheckInRunTest, CancelSkipsOneFileAndCancelAllEndsTheRun) {
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.close(logic, ui::kAnswerCancel); });
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.press(logic, kCiCancelAll); });
  ddeCheckIn(ui, names());  // no third dialog
  EXPECT_EQ(head("a.c"), "1.2");
  EXPECT_EQ(head("b.c"), "1.1");
  EXPECT_EQ(head("c.c"), "1.1");

  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.close(logic, ui::kAnswerCancel); });
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.close(logic, ui::kAnswerOk); });
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.close(logic, ui::kAnswerOk); });
  ddeCheckIn(ui, names());
  EXPECT_EQ(head("a.c"), "1.2");
  EXPECT_EQ(head("b.c"), "1.2");
  EXPECT_EQ(head("c.c"), "1.2");
}

TEST_F(CheckInRunTest, OneNameShowsTheDialogWithoutAllFiles) {
  ui.expectDialog(kCheckInDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_FALSE(s.isEnabled(kCiAllFiles));
    EXPECT_FALSE(s.isEnabled(kCiCancelAll));
    s.close(logic, ui::kAnswerOk);
  });
  ddeCheckIn(ui, {work("b.c")});
  EXPECT_EQ(head("b.c"), "1.2");
}

}  // namespace
}  // namespace orv::workbench::dialogs
