// The Check Out dialog on a fake surface (the record's defaults, the
// starting choice, the label choice, the Locked box, the revision chooser)
// and its flows against real archives: the archive window's command and the
// command server's runs over several files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "workbench/app/message_styles.h"
#include "workbench/dialogs/check_out_dialog.h"
#include "workbench/dialogs/check_out_flows.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using archive::kCheckOutBoxDisabled;
using testing::ArchiveTest;
using ui::testing::FakeSurface;

class CheckOutDialogTest : public ArchiveTest {
 protected:
  // a.c with 1.1, 1.2 and 1.3; REL1 on 1.2, REL2 on 1.1.
  void prepare(const std::string& config = "") {
    start(config);
    makeArchive("a.c", {"one\n", "two\n", "three\n"});
    addLabel("a.c", "REL1", "1.2");
    addLabel("a.c", "REL2", "1.1");
  }
  void addLabel(const std::string& name, const char* label, const char* revision) {
    int h = lockedHandle(name);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, label, revision), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
};

TEST_F(CheckOutDialogTest, DefaultsFollowTheArchiveTheOptionsAndThePermissions) {
  struct Case {
    const char* name;
    std::string config;
    std::vector<const char*> refused;
    const char* lockStates;
    bool labels;
    bool binary;
    std::uint32_t expand, restore, locked, updateMember, label, lockStateCheck;
  };
  const std::uint32_t D = kCheckOutBoxDisabled;
  const std::vector<Case> cases = {
      {"plain (keyword expansion is on by default)", "", {}, nullptr, true, false, 1, 0, 1, D, 0, 0},
      {"no labels", "", {}, nullptr, false, false, 1, 0, 1, D, D, 0},
      {"binary archive", "keywordexpand\n", {}, nullptr, false, true, D, 0, 1, D, D, 0},
      {"options on", "keywordexpand\nrestoretimestamp\n", {}, nullptr, true, false, 1, 1, 1, D, 0, 0},
      {"options off", "Nokeywordexpand\nNorestoretimestamp\n", {}, nullptr, true, false, 0, 0, 1, D, 0, 0},
      {"options enforced on", "Enforcekeywordexpand\nEnforcerestoretimestamp\n", {}, nullptr, true, false, 1 | D,
       1 | D, 1, D, 0, 0},
      {"options enforced off", "EnforceNokeywordexpand\n", {}, nullptr, true, false, D, 0, 1, D, 0, 0},
      {"no Lock", "", {"Lock"}, nullptr, true, false, 1, 0, D, D, 0, 0},
      {"states with LockStates", "states=Draft,Rel\n", {}, "Rel", true, false, 1, 0, 1, D, 0, 1},
      {"LockStates without states", "", {}, "Rel", true, false, 1, 0, 1, D, 0, 0},
      {"states without LockStates", "states=Draft,Rel\n", {}, nullptr, true, false, 1, 0, 1, D, 0, 0},
  };
  start();
  makeArchive("a.c", {"one\n", "two\n"});
  addLabel("a.c", "REL1", "1.2");
  makeArchive("b.c", {"one\n"});
  makeArchive("bin.dat", {std::string("a\0b\n", 4)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kel.reset();
    for (const char* p : c.refused) kel.refuse(p);
    if (c.lockStates) kel.grantWithValue("LockStates", c.lockStates);
    restart(c.config);
    const std::string name = c.binary ? "bin.dat" : c.labels ? "a.c" : "b.c";
    archive::OpenArchive archive(ui, work(name), 1);
    ASSERT_EQ(archive.status(), 0);
    archive::TCoTransferStruct record;
    record.cancelAll = 1;  // left from an earlier file: filled afresh
    ASSERT_TRUE(setCheckOutDefaults(archive, record));
    EXPECT_EQ(archive::fieldText(record.workFile), work(name));
    EXPECT_EQ(record.expandKeywords, c.expand);
    EXPECT_EQ(record.restoreTimestamp, c.restore);
    EXPECT_EQ(record.locked, c.locked);
    EXPECT_EQ(record.updateMember, c.updateMember);
    EXPECT_EQ(record.label, c.label);
    EXPECT_EQ(record.lockStateCheck, c.lockStateCheck);
    EXPECT_EQ(record.cancelAll, 0u);
    EXPECT_EQ(record.listData, c.labels ? std::vector<std::string>{"REL1 1.2"} : std::vector<std::string>{});
  }
}

TEST(CheckOutChoice, TheDialogStartsOnTheRecordsChoiceElseByWhereItOpened) {
  struct Case {
    int defaultChoice;
    std::uint32_t allFiles;
    bool projectWindow, project;
    int expected;
  } cases[] = {
      {-1, 0, true, true, kCoMemberRev},
      {-1, 0, true, false, kCoRevision},
      {-1, kCheckOutBoxDisabled, false, true, kCoDefaultRev},
      {-1, kCheckOutBoxDisabled | 1, true, false, kCoDefaultRev},
      {-1, 0, false, true, kCoRevision},
      {kCoLabel, kCheckOutBoxDisabled, true, true, kCoLabel},
  };
  for (const Case& c : cases) {
    archive::TCoTransferStruct record;
    record.defaultChoice = c.defaultChoice;
    record.allFiles = c.allFiles;
    EXPECT_EQ(startingChoice(record, c.projectWindow, c.project), c.expected)
        << c.defaultChoice << " " << c.allFiles << " " << c.projectWindow << c.project;
  }
}

TEST(CheckOutChoice, ALabelLineBecomesTheLabelAndClearsTheRevisionRadios) {
  archive::TCoTransferStruct record;
  record.listData = {"REL0 1.1", "REL1 1.3"};
  record.label = 1;
  record.revision = record.defaultRev = record.memberRev = 1;
  takeListSelection(record, 1);
  EXPECT_EQ(archive::fieldText(record.choice), "REL1");
  EXPECT_EQ(record.revision + record.defaultRev + record.memberRev, 0u);
  // Without the label choice the record stays as it is.
  archive::setField(record.choice, "1.2");
  record.label = 0;
  record.revision = 1;
  takeListSelection(record, 0);
  EXPECT_EQ(archive::fieldText(record.choice), "1.2");
  EXPECT_EQ(record.revision, 1u);
}

TEST_F(CheckOutDialogTest, ChoicesSwitchTheListAndLockedFreezesTheWorkingFile) {
  prepare();
  archive::OpenArchive archive(ui, work("a.c"), 1);
  archive::TCoTransferStruct record;
  ASSERT_TRUE(setCheckOutDefaults(archive, record));
  archive::setField(record.choice, "1.2");
  record.allFiles = kCheckOutBoxDisabled;
  record.defaultChoice = kCoRevision;
  CheckOutDialog logic(ui, record, archive, nullptr, false);
  FakeSurface surface;
  logic.setUp(surface);

  EXPECT_TRUE(surface.isChecked(kCoRevision));
  EXPECT_FALSE(surface.isEnabled(kCoMemberRev)) << "no project";
  EXPECT_FALSE(surface.isEnabled(kCoAllFiles));
  EXPECT_FALSE(surface.isEnabled(kCoCancelAll));
  EXPECT_TRUE(surface.isChecked(kCoLocked));
  EXPECT_FALSE(surface.isEnabled(kCoWorkFile)) << "a locked revision goes to the archive's working file";
  EXPECT_EQ(surface.text(kCoArchiveName), archiveOf("a.c"));
  const std::vector<std::string> revisions = surface.listItems(kCoRevisionChooser);
  ASSERT_EQ(revisions.size(), 3u);
  EXPECT_EQ(revisions[1].substr(0, 3), "1.2");
  EXPECT_EQ(surface.selection(kCoRevisionChooser), std::vector<int>{1}) << "the chosen revision is selected";
  EXPECT_TRUE(surface.control(kCoRevisionChooser).visible);
  EXPECT_FALSE(surface.control(kCoLabelList).visible);

  // Default Rev selects the head; Label shows the labels with the first chosen.
  ASSERT_TRUE(surface.press(logic, kCoDefaultRev));
  EXPECT_EQ(surface.selection(kCoRevisionChooser), std::vector<int>{0});
  ASSERT_TRUE(surface.press(logic, kCoLabel));
  EXPECT_TRUE(surface.control(kCoLabelList).visible);
  EXPECT_FALSE(surface.control(kCoRevisionChooser).visible);
  EXPECT_EQ(surface.selection(kCoLabelList), std::vector<int>{0});
  // A pick in the chooser is the Revision choice.
  ASSERT_TRUE(surface.press(logic, kCoRevision));
  surface.setSelection(kCoRevisionChooser, {2});
  surface.setChecked(kCoRevision, false);
  surface.setChecked(kCoDefaultRev, true);
  ASSERT_TRUE(surface.press(logic, kCoRevisionChooser));
  EXPECT_TRUE(surface.isChecked(kCoRevision));
  EXPECT_FALSE(surface.isChecked(kCoDefaultRev));

  // Unlocked, the working file may be typed; locked again, the name comes back.
  surface.setChecked(kCoLocked, false);
  ASSERT_TRUE(surface.press(logic, kCoLocked));
  EXPECT_TRUE(surface.isEnabled(kCoWorkFile));
  surface.setText(kCoWorkFile, work("elsewhere.c"));
  surface.setChecked(kCoLocked, true);
  ASSERT_TRUE(surface.press(logic, kCoLocked));
  EXPECT_EQ(surface.text(kCoWorkFile), work("a.c"));
  EXPECT_FALSE(surface.isEnabled(kCoWorkFile));

  ASSERT_TRUE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(archive::fieldText(record.choice), "1.1");
  EXPECT_EQ(record.revision, 1u);
  EXPECT_EQ(record.locked, 1u);
  for (std::uint32_t v : {record.expandKeywords, record.allFiles, record.updateMember, record.restoreTimestamp,
                          record.label, record.defaultRev, record.memberRev})
    EXPECT_LE(v, 1u);
}

TEST_F(CheckOutDialogTest, TheChooserKeepsALongBranchNumberWhole) {
  start();
  makeArchive("a.c", {"one\n"});
  // A branch of branches: 1.1.1.1.1.1... grows past 32 characters.
  std::string base = "1.1";
  int h = lockedHandle("a.c");
  for (int depth = 0; depth < 9; ++depth) {
    dir.write("a.c", "level " + std::to_string(depth) + "\n");
    char rev[64] = {};
    ASSERT_EQ(vcCiRevision(h, (base + ".1").c_str(), work("a.c").c_str(), 0, rev, sizeof rev), 0) << base;
    base = rev;
  }
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  ASSERT_GT(base.size(), 32u);
  ASSERT_LT(base.size(), 64u);

  archive::OpenArchive archive(ui, work("a.c"), 1);
  archive::TCoTransferStruct record;
  ASSERT_TRUE(setCheckOutDefaults(archive, record));
  archive::setField(record.choice, base);
  record.defaultChoice = kCoRevision;
  record.allFiles = kCheckOutBoxDisabled;
  CheckOutDialog logic(ui, record, archive, nullptr, false);
  FakeSurface surface;
  logic.setUp(surface);
  ASSERT_EQ(surface.selection(kCoRevisionChooser).size(), 1u) << "the long number is found in the list";
  ASSERT_TRUE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(archive::fieldText(record.choice), base);
}

TEST_F(CheckOutDialogTest, TheArchiveWindowChecksOutTheSelectedRevision) {
  prepare();
  testing::FakeRegistry windows(ui);
  testing::FakeArchiveWindow& window = windows.openArchive(work("a.c"));
  window.rows = {{"1.1", 0}};
  ui.expectDialog(kCheckOutDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_TRUE(s.isChecked(kCoRevision));
    EXPECT_FALSE(s.isEnabled(kCoAllFiles));
    s.setChecked(kCoLocked, false);
    s.press(logic, kCoLocked);
    s.close(logic, ui::kAnswerOk);
  });
  // The working file is writable: the user agrees to replace it.
  ui.expectMessage(work("a.c"), ui::kAnswerYes);
  EXPECT_EQ(archiveCheckOut(window, "1.1"), 0);
  EXPECT_EQ(dir.read("a.c"), "one\n");
  EXPECT_TRUE(locks("a.c").empty());

  // The working-file row selected opens on Default Rev; a locked check-out
  // leaves the lock and lets the archive's write lock go.
  window.rows = {{"", commands::kWorkFileRowFlag}};
  ui.expectDialog(kCheckOutDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_TRUE(s.isChecked(kCoDefaultRev));
    s.close(logic, ui::kAnswerOk);
  });
  ui.expectMessage(work("a.c"), ui::kAnswerYes);
  EXPECT_EQ(archiveCheckOut(window, ""), 0);
  EXPECT_EQ(dir.read("a.c"), "three\n");
  EXPECT_EQ(locks("a.c"), std::vector<std::string>{"alice 1.3"});
  int h = lockedHandle("a.c");
  EXPECT_NE(h, 0) << "the write lock went with the command";
  vcCloseArchive(h);

  ui.expectDialog(kCheckOutDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.close(logic, ui::kAnswerCancel); });
  EXPECT_EQ(archiveCheckOut(window, "1.2"), kCheckOutCancelled);
}

TEST_F(CheckOutDialogTest, TheCommandServerChecksOutTwoArchivesByLabel) {
  prepare();
  makeArchive("b.c", {"b one\n", "b two\n"});
  addLabel("b.c", "REL1", "1.1");
  ::chmod(work("a.c").c_str(), 0444);
  ::chmod(work("b.c").c_str(), 0444);
  ui.expectDialog(kCheckOutDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_TRUE(s.isEnabled(kCoAllFiles));
    EXPECT_TRUE(s.isChecked(kCoRevision));
    s.press(logic, kCoLabel);
    // REL2 1.1 and REL1 1.2, in the library's order: REL1 is chosen.
    const std::vector<std::string> labels = s.listItems(kCoLabelList);
    for (std::size_t i = 0; i < labels.size(); ++i)
      if (labels[i] == "REL1 1.2") s.setSelection(kCoLabelList, {static_cast<int>(i)});
    s.setChecked(kCoLocked, false);
    s.press(logic, kCoLocked);
    s.setChecked(kCoAllFiles, true);
    s.close(logic, ui::kAnswerOk);
  });
  ddeCheckOut(ui, {work("a.c"), work("b.c")});
  EXPECT_EQ(dir.read("a.c"), "two\n");
  EXPECT_EQ(dir.read("b.c"), "b one\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CheckOutDialogTest, YesToAllIsAskedOnceAndCancelEndsTheRun) {
  prepare();
  makeArchive("b.c", {"b one\n", "b two\n"});
  makeArchive("c.c", {"c one\n", "c two\n"});
  auto allFiles = [](FakeSurface& s, ui::DialogLogic& logic) {
    s.setChecked(kCoLocked, false);
    s.press(logic, kCoLocked);
    s.press(logic, kCoDefaultRev);
    s.setChecked(kCoAllFiles, true);
    s.close(logic, ui::kAnswerOk);
  };
  // Every working file is writable and changed.
  for (const char* name : {"a.c", "b.c", "c.c"}) dir.write(name, "edited\n");
  ui.expectDialog(kCheckOutDialogId, allFiles);
  ui.expectMessage(work("a.c"), app::kAnswerYesToAll);
  ddeCheckOut(ui, {work("a.c"), work("b.c"), work("c.c")});
  EXPECT_EQ(dir.read("a.c"), "three\n");
  EXPECT_EQ(dir.read("b.c"), "b two\n");
  EXPECT_EQ(dir.read("c.c"), "c two\n");

  for (const char* name : {"a.c", "b.c", "c.c"}) dir.write(name, "edited\n");
  ui.expectDialog(kCheckOutDialogId, allFiles);
  ui.expectMessage(work("a.c"), ui::kAnswerCancel);
  ddeCheckOut(ui, {work("a.c"), work("b.c"), work("c.c")});
  for (const char* name : {"a.c", "b.c", "c.c"}) EXPECT_EQ(dir.read(name), "edited\n") << name;

  // Cancel All in the dialog ends the run before anything is written.
  ui.expectDialog(kCheckOutDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.press(logic, kCoCancelAll); });
  ddeCheckOut(ui, {work("a.c"), work("b.c")});
  EXPECT_EQ(dir.read("a.c"), "edited\n");
}

}  // namespace
}  // namespace orv::workbench::dialogs
