// The Archive Information and Revision Information dialogs on a fake
// surface (what they show and enable, the label editing, what OK takes
// back) and their flows against real archives, read back through the
// library afterwards.
#include <gtest/gtest.h>

#include <map>

#include "workbench/archive/password_dialogs.h"
#include "workbench/dialogs/archive_info_dialog.h"
#include "workbench/dialogs/create_archive_dialog.h"
#include "workbench/dialogs/revision_info_dialog.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using testing::ArchiveTest;
using ui::testing::FakeSurface;

class InformationTest : public ArchiveTest {
 protected:
  // Byte or text item of the archive on disk.
  std::string archiveItem(const std::string& name, int item) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    char text[512] = {};
    vcGetArchiveInfo(h, item, text, sizeof text);
    vcCloseArchive(h);
    return text;
  }
  // The library started again with config, the security database refusing
  // the permissions refused.
  void restartRefusing(const std::vector<const char*>& refused, const std::string& config) {
    kel.reset();
    for (const char* p : refused) kel.refuse(p);
    restart(config);
  }
  // Changes name on disk through a handle of our own.
  void change(const std::string& name, const std::function<void(int)>& edit) {
    const int h = lockedHandle(name);
    edit(h);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
  // The record of revision of a.c, read as the dialog's command reads it.
  struct RevisionRead {
    RevisionRead(ui::Ui& ui, const std::string& path, const std::string& revision) : archive(ui, path, 1) {
      readRevisionInfo(archive, revision, record, changes);
    }
    archive::OpenArchive archive;
    archive::TRevisionInfoTransferStruct record;
    archive::LabelChangeList changes;
  };
  // a.c with revisions 1.1 to 1.3; label OLD on 1.1, HERE on 1.2, 1.2 in
  // state Rel.
  void threeRevisions() {
    makeArchive("a.c", {"one\n", "two\n", "three\n"});
    change("a.c", [](int h) {
      ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "OLD", "1.1"), 0);
      ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "HERE", "1.2"), 0);
      ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_STATE, "1.2", "Rel"), 0);
    });
  }
};

// --- Revision Information -------------------------------------------------

TEST_F(InformationTest, RevisionStatesFollowTheListAndThePermissions) {
  struct Case {
    const char* name;
    std::vector<const char*> refused;
    std::string config;
    const char* revision;  // 1.2 is in Rel, 1.3 in the library's first state
    std::uint32_t fromList;
    std::vector<std::string> states;
    int selection;
    bool enabled;
  };
  const std::vector<Case> cases = {
      {"both", {}, "states=Exp,Rel,Prod", "1.2", 1, {"Exp", "Rel", "Prod"}, 1, true},
      {"promote only", {"Demote"}, "states=Exp,Rel,Prod", "1.2", 1, {"Rel", "Prod"}, 0, true},
      {"demote only", {"Promote"}, "states= ,Exp\tRel,,Prod", "1.2", 1, {"Exp", "Rel"}, 1, true},
      {"neither", {"Promote", "Demote"}, "states=Exp,Rel,Prod", "1.2", 1, {"Rel"}, 0, false},
      {"not in the list", {}, "states=Draft,Rel", "1.3", 1, {kAsIsState, "Draft", "Rel"}, 0, true},
      {"no list", {}, "states= ,", "1.2", 0, {}, -1, true},
  };
  start();
  threeRevisions();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    restartRefusing(c.refused, c.config);
    archive::OpenArchive archive(ui, work("a.c"), 1);
    archive::TRevisionInfoTransferStruct record;
    archive::LabelChangeList changes{"+stale"};
    ASSERT_EQ(readRevisionInfo(archive, c.revision, record, changes), 1);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(record.stateFromList, c.fromList);
    EXPECT_EQ(record.states, c.states);
    EXPECT_EQ(record.stateSelection, c.selection);
    RevisionInfoDialog logic(ui, record, archive, c.revision, changes);
    FakeSurface surface;
    logic.setUp(surface);
    EXPECT_EQ(surface.control(kRiStates).visible, c.fromList == 1);
    EXPECT_EQ(surface.control(kRiState).visible, c.fromList == 0);
    if (c.fromList == 1) {
      EXPECT_EQ(surface.isEnabled(kRiStates), c.enabled);
    }
  }
}

TEST_F(InformationTest, RevisionRecordShowsTheRevision) {
  start();
  threeRevisions();
  change("a.c", [](int h) { ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2", nullptr), 0); });
  RevisionRead read(ui, work("a.c"), "1.2");
  auto& [archive, record, changes] = read;
  EXPECT_EQ(archive::fieldText(record.revision), "1.2");
  EXPECT_EQ(archive::fieldText(record.author), "alice");
  EXPECT_EQ(archive::fieldText(record.locker), "alice");
  EXPECT_FALSE(archive::fieldText(record.date).empty());
  EXPECT_EQ(record.labelList, std::vector<std::string>{"HERE"});
  EXPECT_EQ(archive::fieldText(record.state), "Rel");
  readRevisionInfo(archive, "1.3", record, changes);
  EXPECT_EQ(archive::fieldText(record.locker), "");
  EXPECT_TRUE(record.labelList.empty());
}

TEST_F(InformationTest, LabelButtonsFollowThePermissions) {
  struct Case {
    const char* name;
    std::vector<const char*> refused;
    const char* revision;
    int labelBox;
    bool add, remove;
  };
  const std::vector<Case> cases = {
      {"all", {}, "1.2", kRiLabel, true, true},
      {"no AddLabel", {"AddLabel"}, "1.2", kRiLabelList, false, true},
      {"no DeleteLabel", {"DeleteLabel"}, "1.2", kRiLabel, true, false},
      {"no labels", {}, "1.3", kRiLabel, true, false},
  };
  start();
  threeRevisions();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    restartRefusing(c.refused, "");
    RevisionRead read(ui, work("a.c"), c.revision);
    auto& [archive, record, changes] = read;
    RevisionInfoDialog logic(ui, record, archive, c.revision, changes);
    FakeSurface surface;
    logic.setUp(surface);
    EXPECT_TRUE(surface.control(c.labelBox).visible);
    EXPECT_FALSE(surface.control(c.labelBox == kRiLabel ? kRiLabelList : kRiLabel).visible);
    EXPECT_EQ(surface.isEnabled(kRiAddLabel), c.add);
    EXPECT_EQ(surface.isEnabled(kRiDeleteLabel), c.remove);
    EXPECT_EQ(surface.text(c.labelBox), record.labelList.empty() ? "" : record.labelList.front());
  }
}

TEST_F(InformationTest, LabelEditingGathersTheChanges) {
  start();
  threeRevisions();
  RevisionRead read(ui, work("a.c"), "1.2");
  auto& [archive, record, changes] = read;
  RevisionInfoDialog logic(ui, record, archive, "1.2", changes);
  FakeSurface surface;
  logic.setUp(surface);

  surface.setText(kRiLabel, "9bad");
  ui.expectMessage("Illegal Label", ui::kAnswerOk);
  surface.press(logic, kRiAddLabel);
  EXPECT_TRUE(changes.empty());

  surface.setText(kRiLabel, "NEW");
  surface.press(logic, kRiAddLabel);
  ui.expectMessage("Label OLD is already assigned to revision 1.1", ui::kAnswerYes);
  surface.setText(kRiLabel, "OLD");
  surface.press(logic, kRiAddLabel);
  surface.setText(kRiLabel, "HERE");
  surface.press(logic, kRiDeleteLabel);
  EXPECT_EQ(changes, (archive::LabelChangeList{"+NEW", ">OLD", "-HERE"}));
  EXPECT_EQ(surface.listItems(kRiLabel), (std::vector<std::string>{"NEW", "OLD"}));

  // Taking changes back leaves no trace of them; HERE comes back.
  surface.setText(kRiLabel, "NEW");
  surface.press(logic, kRiDeleteLabel);
  surface.setText(kRiLabel, "OLD");
  surface.press(logic, kRiDeleteLabel);
  surface.setText(kRiLabel, "HERE");
  surface.press(logic, kRiAddLabel);
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(surface.listItems(kRiLabel), std::vector<std::string>{"HERE"});

  // A label of another revision that was not moved here stays there.
  surface.setText(kRiLabel, "OLD");
  ui.expectMessage("Cannot delete a label on a different revision.\nLabel OLD is associated with revision 1.1.",
                   ui::kAnswerOk);
  surface.press(logic, kRiDeleteLabel);
  EXPECT_TRUE(changes.empty());

  // OK adds a label typed and not yet added, or stays open on a bad one.
  surface.setText(kRiLabel, "a;b");
  ui.expectMessage("Illegal Label", ui::kAnswerOk);
  EXPECT_FALSE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(surface.focus(), kRiLabel);
  surface.setText(kRiLabel, "LAST");
  EXPECT_TRUE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(changes, archive::LabelChangeList{"+LAST"});
}

TEST_F(InformationTest, RevisionInformationWritesLabelsAndState) {
  start();
  threeRevisions();
  restart("states=Dev,Rel,Prod");  // 1.3 stays in the library's first state
  archive::OpenArchive archive(ui, work("a.c"), 1);
  ui.expectDialog(kRevisionInfoDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    s.setText(kRiLabel, "NEW");
    s.press(l, kRiAddLabel);
    s.setText(kRiLabel, "HERE");
    s.press(l, kRiDeleteLabel);
    s.setText(kRiStates, "Prod");
    s.close(l, ui::kAnswerOk);
  });
  EXPECT_EQ(revisionInformation(archive, "1.2"), ui::kAnswerOk);
  archive.dropWriteLock();
  EXPECT_EQ(labelRevision("a.c", "NEW"), "1.2");
  EXPECT_EQ(labelRevision("a.c", "HERE"), "");
  EXPECT_EQ(labelRevision("a.c", "OLD"), "1.1");
  EXPECT_EQ(revisionState("a.c", "1.2"), "Prod");

  // OK without changes, "<as is>" and Cancel write nothing.
  const std::string before = archiveBytes("a.c");
  ui.expectDialog(kRevisionInfoDialogId, [](FakeSurface& s, ui::DialogLogic& l) { s.close(l, ui::kAnswerOk); });
  EXPECT_EQ(revisionInformation(archive, "1.2"), ui::kAnswerOk);
  ui.expectDialog(kRevisionInfoDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    EXPECT_EQ(s.text(kRiStates), kAsIsState);
    s.close(l, ui::kAnswerOk);
  });
  EXPECT_EQ(revisionInformation(archive, "1.3"), ui::kAnswerOk);
  ui.expectDialog(kRevisionInfoDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    s.setText(kRiStates, "Dev");
    s.close(l, ui::kAnswerCancel);
  });
  EXPECT_EQ(revisionInformation(archive, "1.2"), ui::kAnswerCancel);
  archive.dropWriteLock();
  EXPECT_EQ(archiveBytes("a.c"), before);
}

TEST_F(InformationTest, TypedStateIsSetWithoutAList) {
  start();
  threeRevisions();
  archive::OpenArchive archive(ui, work("a.c"), 1);
  ui.expectDialog(kRevisionInfoDialogId, [this](FakeSurface& s, ui::DialogLogic& l) {
    EXPECT_EQ(s.text(kRiState), "Rel");
    s.setText(kRiState, "bad state");
    ui.expectMessage("Illegal State", ui::kAnswerOk);
    EXPECT_FALSE(s.close(l, ui::kAnswerOk));
    s.setText(kRiState, "Beta");
    s.close(l, ui::kAnswerOk);
  });
  EXPECT_EQ(revisionInformation(archive, "1.2"), ui::kAnswerOk);
  archive.dropWriteLock();
  EXPECT_EQ(revisionState("a.c", "1.2"), "Beta");
}

TEST_F(InformationTest, FailingLabelChangeIsShownAndTheOthersApply) {
  start();
  threeRevisions();
  RevisionRead read(ui, work("a.c"), "1.3");
  auto& [archive, record, changes] = read;
  archive::setField(record.state, "Gamma");
  ui.expectMessage(archiveOf("a.c"), ui::kAnswerOk);
  writeRevisionInfo(archive, "1.3", record, {"-NOPE", "+TOP"});
  archive.dropWriteLock();
  EXPECT_EQ(labelRevision("a.c", "TOP"), "1.3");
  EXPECT_EQ(revisionState("a.c", "1.3"), "Gamma");
}

// --- Archive Information --------------------------------------------------

TEST_F(InformationTest, ProjectsComeFromTheExtensionText) {
  EXPECT_EQ(projectsOfExtension("  project /p/one.prj; other x;project\t/p/two.prj;  project /p/last.prj"),
            (std::vector<std::string>{"/p/one.prj", "/p/two.prj"}));
  EXPECT_EQ(projectsOfExtension("projects x; project"), std::vector<std::string>{});
}

TEST_F(InformationTest, ArchiveRecordAndFixedBoxes) {
  struct Case {
    const char* name;
    std::vector<const char*> refused;
    std::string config;
    bool strictArchive;
    archive::TArchiveInfoFixed fixed;
  };
  const std::vector<Case> cases = {
      {"nothing enforced", {}, "strictlocks\ncompress", true, {0, 0, 0}},
      {"enforced as it is", {}, "Enforcestrictlocks\nEnforcenocompress\nEnforcenoencrypt", true, {1, 1, 1}},
      {"enforced otherwise", {}, "Enforcestrictlocks\nEnforcecompress", false, {0, 0, 0}},
      {"no EncryptArchive", {"EncryptArchive"}, "", false, {0, 0, 1}},
  };
  start();
  makeArchive("a.c", {"one\n", "two\n"});
  change("a.c", [](int h) {
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL", "1.2"), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.1", nullptr), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_DESCRIPTION, "line one\nline two", nullptr), 0);
  });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    restartRefusing(c.refused, c.config);
    change("a.c", [&](int h) { ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_STRICT_LOCKING, c.strictArchive ? "\1" : "", nullptr), 0); });
    archive::OpenArchive archive(ui, work("a.c"), 1);
    archive::TArchiveInfoTransferStruct record;
    archive::TArchiveInfoUnchanged unchanged;
    archive::TArchiveInfoFixed fixed;
    ASSERT_EQ(readArchiveInfo(archive, record, unchanged, fixed), 1);
    EXPECT_EQ(record.labels, std::vector<std::string>{"REL 1.2"});
    EXPECT_EQ(record.locks, std::vector<std::string>{"alice 1.1"});
    EXPECT_EQ(record.strict, c.strictArchive ? 1u : 0u);
    EXPECT_EQ(unchanged.strict, record.strict);
    EXPECT_EQ(archive::fieldText(record.description), "line one\r\nline two");
    EXPECT_EQ(fixed.strict, c.fixed.strict);
    EXPECT_EQ(fixed.compressed, c.fixed.compressed);
    EXPECT_EQ(fixed.encrypted, c.fixed.encrypted);
    ArchiveInfoDialog logic(ui, record, archive, unchanged, fixed);
    FakeSurface surface;
    logic.setUp(surface);
    EXPECT_EQ(surface.isEnabled(kAiStrict), c.fixed.strict == 0);
    EXPECT_EQ(surface.isEnabled(kAiCompressed), c.fixed.compressed == 0);
    EXPECT_EQ(surface.isEnabled(kAiEncrypted), c.fixed.encrypted == 0);
    EXPECT_EQ(surface.isChecked(kAiStrict), c.strictArchive);
    EXPECT_FALSE(surface.control(kAiProjects).visible);
    surface.press(logic, kAiShowProjects);
    EXPECT_TRUE(surface.control(kAiProjects).visible);
    surface.press(logic, kAiShowProjects);
    EXPECT_FALSE(surface.control(kAiProjects).visible);
  }
}

TEST_F(InformationTest, DataTypesOfferedAreTheOnesTheArchiveTakes) {
  start();
  makeArchive("a.c", {"one\n"});
  dir.write("n.c", "new\n");
  const auto read = [this](const std::string& name, int mode) {
    archive::OpenArchive archive(ui, work(name), mode);
    archive::TArchiveInfoTransferStruct record;
    archive::TArchiveInfoUnchanged unchanged;
    archive::TArchiveInfoFixed fixed;
    readArchiveInfo(archive, record, unchanged, fixed);
    EXPECT_GE(record.dataTypeSelection, 0);
    if (record.dataTypeSelection >= 0) {
      EXPECT_EQ(record.dataTypes[static_cast<std::size_t>(record.dataTypeSelection)],
                kDataTypeNames[unchanged.dataType]);
    }
    return record.dataTypes;
  };
  // An archive without revisions takes every type; the trials on a stored
  // one leave nothing behind.
  EXPECT_EQ(read("n.c", 6), (std::vector<std::string>{"Text", "Binary", "Auto-detect"}));
  const std::string before = archiveBytes("a.c");
  EXPECT_FALSE(read("a.c", 1).empty());
  EXPECT_EQ(archiveBytes("a.c"), before);

  kel.refuse("ModifyArchive");
  restart("");
  EXPECT_EQ(read("a.c", 1).size(), 1u);
  EXPECT_EQ(read("n.c", 6).size(), 1u);
}

TEST_F(InformationTest, WithoutModifyArchiveNothingChanges) {
  kel.refuse("ModifyArchive");
  start();
  makeArchive("a.c", {"one\n"});
  const std::string before = archiveBytes("a.c");
  archive::OpenArchive archive(ui, work("a.c"), 1);
  ui.expectDialog(kArchiveInfoDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    for (int id : {kAiStrict, kAiCompressed, kAiEncrypted, kAiBranch, kAiDataType, kAiDescription})
      EXPECT_FALSE(s.isEnabled(id)) << id;
    s.setChecked(kAiStrict, true);
    s.close(l, ui::kAnswerOk);
  });
  archiveInformation(archive);
  archive.dropWriteLock();
  EXPECT_EQ(archiveBytes("a.c"), before);
}

TEST_F(InformationTest, ArchiveInformationWritesWhatChanged) {
  start();
  makeArchive("a.c", {"one\n", "two\n"});
  archive::OpenArchive archive(ui, work("a.c"), 1);
  // OK untouched writes nothing.
  const std::string before = archiveBytes("a.c");
  ui.expectDialog(kArchiveInfoDialogId, [](FakeSurface& s, ui::DialogLogic& l) { s.close(l, ui::kAnswerOk); });
  archiveInformation(archive);
  archive.dropWriteLock();
  EXPECT_EQ(archiveBytes("a.c"), before);

  const bool strict = archiveItem("a.c", 12)[0] != 0;
  ui.expectDialog(kArchiveInfoDialogId, [this, strict](FakeSurface& s, ui::DialogLogic& l) {
    s.setChecked(kAiStrict, !strict);
    s.setText(kAiDescription, "First line\r\nSecond line");
    s.setText(kAiBranch, "bad;branch");
    ui.expectMessage("Illegal Branch", ui::kAnswerOk);
    EXPECT_FALSE(s.close(l, ui::kAnswerOk));
    s.setText(kAiBranch, "1.1");
    s.close(l, ui::kAnswerOk);
  });
  archiveInformation(archive);
  archive.dropWriteLock();
  EXPECT_EQ(archiveItem("a.c", 12)[0] != 0, !strict);
  EXPECT_EQ(archiveItem("a.c", 2), "First line\nSecond line");
  EXPECT_EQ(archiveItem("a.c", 6), "1");  // the library keeps the branch of 1.1
}

TEST_F(InformationTest, RefusedEncryptionIsShownAndTheOtherChangesApply) {
  start();
  makeArchive("a.c", {"one\n"});
  kel.refuse("EncryptArchive");
  restart("");
  archive::OpenArchive archive(ui, work("a.c"), 1);
  archive::TArchiveInfoTransferStruct record;
  archive::TArchiveInfoUnchanged unchanged;
  archive::TArchiveInfoFixed fixed;
  readArchiveInfo(archive, record, unchanged, fixed);
  record.strict = unchanged.strict == 1 ? 0 : 1;
  record.encrypted = 1;
  archive::setField(record.description, "after");
  unchanged.descriptionEdited = 1;
  ui.expectDialog(archive::kNewPasswordDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    s.setText(archive::kPasswordEntry, "secret");
    s.setText(archive::kPasswordConfirm, "secret");
    s.setFocus(archive::kPasswordOk);
    s.close(l, ui::kAnswerOk);
  });
  ui.expectMessage(archiveOf("a.c"), ui::kAnswerOk);
  writeArchiveInfo(archive, record, unchanged);
  archive.dropWriteLock();
  EXPECT_EQ(archiveItem("a.c", 7)[0], 0);
  EXPECT_EQ(archiveItem("a.c", 12)[0] != 0, record.strict == 1);
  EXPECT_EQ(archiveItem("a.c", 2), "after");
}

}  // namespace
}  // namespace orv::workbench::dialogs
