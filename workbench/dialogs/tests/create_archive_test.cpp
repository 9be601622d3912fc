// The Create Archive dialog on a fake surface (defaults, enabling, the
// password on OK) and the Create Archive runs of the shell with these
// services against the real library: settings and first revisions read
// back from the archives written.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "workbench/archive/password_dialogs.h"
#include "workbench/commands/open_create_commands.h"
#include "workbench/dialogs/create_archive_dialog.h"
#include "workbench/dialogs/create_archive_flow.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using testing::ArchiveTest;
using ui::testing::FakeSurface;

class CreateArchiveTest : public ArchiveTest {
 protected:
  // A byte or text item of the archive on disk, opened with password.
  std::string info(const std::string& name, int item, const char* password = nullptr) {
    int h = 0;
    const int rc = vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ);
    if (rc == VC_E_ENCRYPTED_FILE && password) {
      EXPECT_EQ(vcSetPassword(h, password), 0);
    }
    char text[256] = {};
    vcGetArchiveInfo(h, item, text, sizeof text);
    vcCloseArchive(h);
    return text;
  }
  std::string firstRevisionText(const std::string& name, const char* password = nullptr) {
    int h = 0;
    if (vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ) == VC_E_ENCRYPTED_FILE && password) vcSetPassword(h, password);
    const std::string out = dir.file("out-" + name);
    EXPECT_EQ(vcCoRevision(h, "1.1", out.c_str()), 0);
    char log[256] = {};
    vcGetRevInfo(h, VC_REVISION_ITEM_LOG, "1.1", log, sizeof log);
    vcCloseArchive(h);
    return dir.read("out-" + name) + "|" + log;
  }
  commands::OpenCreateCommands commands() {
    commands::OpenCreateServices s;
    s.createArchive = createArchiveServices();
    return commands::OpenCreateCommands(ui, windows, s);
  }

  // The dialog set up over the defaults for n.c.
  struct Shown {
    Shown(ui::Ui& ui, const std::string& workFile, bool checkInAllowed) : archive(ui, workFile, 6) {
      setDefaults(archive, record, enforced);
      logic = std::make_unique<CreateArchiveDialog>(ui, record, archive, enforced, checkInAllowed);
      logic->setUp(surface);
    }
    archive::OpenArchive archive;
    archive::TCreateArchiveTransferStruct record;
    EnforcedSettings enforced;
    std::unique_ptr<CreateArchiveDialog> logic;
    FakeSurface surface;
  };

  testing::FakeRegistry windows{ui};
};

TEST_F(CreateArchiveTest, BoxesFollowTheConfigurationPermissionsAndCheckIn) {
  struct Case {
    const char* name;
    std::vector<const char*> refused;
    std::string config;
    bool checkInAllowed;
    std::uint32_t allFiles;
    std::map<int, bool> enabled;
    std::map<int, bool> checked;
  };
  const std::vector<Case> cases = {
      {"defaults", {}, "", true, 0,
       {{kCaStrict, true}, {kCaCompressed, true}, {kCaEncrypted, true}, {kCaCheckIn, true}, {kCaLabel, true},
        {kCaNumber, true}, {kCaState, true}, {kCaAuthor, true}, {kCaLocked, true}, {kCaKeepWork, true},
        {kCaAllFiles, true}, {kCaCancelAll, true}},
       {{kCaCheckIn, true}, {kCaKeepWork, true}, {kCaStrict, false}, {kCaAllFiles, false}}},
      {"no EncryptArchive", {"EncryptArchive"}, "encrypt\n", true, 0, {{kCaEncrypted, false}},
       {{kCaEncrypted, false}}},
      {"configured and enforced", {}, "strictlocks\nEnforcecompress\nencrypt\n", true, 0,
       {{kCaStrict, true}, {kCaCompressed, false}, {kCaEncrypted, true}},
       {{kCaStrict, true}, {kCaCompressed, true}, {kCaEncrypted, true}}},
      {"no working file", {}, "", false, archive::kCreateAllFilesNotOffered,
       {{kCaCheckIn, false}, {kCaLabel, false}, {kCaNumber, false}, {kCaState, false}, {kCaAuthor, false},
        {kCaLocked, false}, {kCaKeepWork, false}, {kCaAllFiles, false}, {kCaCancelAll, false}},
       {{kCaCheckIn, false}}},
      {"no CheckIn", {"CheckIn"}, "", true, 0, {{kCaCheckIn, false}, {kCaNumber, false}}, {{kCaCheckIn, false}}},
      {"no AddLabel, no Lock", {"AddLabel", "Lock"}, "", true, 0,
       {{kCaLabel, false}, {kCaLabelCaption, false}, {kCaLocked, false}, {kCaNumber, true}}, {}},
      {"states list", {}, "states=Rel,Prod\n", true, 0, {{kCaState, false}, {kCaStateCaption, false}}, {}},
  };
  start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kel.reset();
    for (const char* p : c.refused) kel.refuse(p);
    restart(c.config);
    archive::OpenArchive archive(ui, work("n.c"), 6);
    ASSERT_EQ(archive.status(), 0);
    archive::TCreateArchiveTransferStruct record;
    EnforcedSettings enforced;
    ASSERT_TRUE(setDefaults(archive, record, enforced));
    EXPECT_EQ(archive::fieldText(record.number), "1.1");
    EXPECT_EQ(archive::fieldText(record.author), "alice");
    record.allFiles = c.allFiles;
    CreateArchiveDialog logic(ui, record, archive, enforced, c.checkInAllowed);
    FakeSurface surface;
    logic.setUp(surface);
    for (const auto& [id, on] : c.enabled) EXPECT_EQ(surface.isEnabled(id), on) << id;
    for (const auto& [id, on] : c.checked) EXPECT_EQ(surface.isChecked(id), on) << id;
    EXPECT_EQ(surface.listItems(kCaDataType), (std::vector<std::string>{"Text", "Binary", "Auto-detect"}));
    EXPECT_EQ(surface.selection(kCaDataType), std::vector<int>{2});
  }
}

TEST_F(CreateArchiveTest, CheckInSwitchesTheRevisionPartWithinTheRules) {
  kel.refuse("AddLabel");
  start("Enforcelogname=alice\n");
  Shown shown(ui, work("n.c"), true);
  FakeSurface& surface = shown.surface;
  CreateArchiveDialog& logic = *shown.logic;
  const int revisionPart[] = {kCaNumber, kCaNumberCaption, kCaState, kCaLocked, kCaKeepWork};
  for (const bool on : {false, true}) {
    SCOPED_TRACE(on);
    surface.setChecked(kCaCheckIn, on);
    surface.press(logic, kCaCheckIn);
    for (const int id : revisionPart) EXPECT_EQ(surface.isEnabled(id), on) << id;
    EXPECT_FALSE(surface.isEnabled(kCaLabel));
    EXPECT_FALSE(surface.isEnabled(kCaAuthor)) << "the enforced login name";
  }
}

TEST_F(CreateArchiveTest, EncryptedAsksThePasswordAndItsCancelKeepsTheDialogOpen) {
  start();
  Shown shown(ui, work("n.c"), true);
  FakeSurface& surface = shown.surface;
  CreateArchiveDialog& logic = *shown.logic;
  surface.setChecked(kCaEncrypted, true);
  ui.expectDialog(archive::kNewPasswordDialogId, [](FakeSurface& s, ui::DialogLogic& l) { s.close(l, ui::kAnswerCancel); });
  EXPECT_FALSE(surface.close(logic, ui::kAnswerOk));
  ui.expectDialog(archive::kNewPasswordDialogId, [this](FakeSurface& s, ui::DialogLogic& l) {
    EXPECT_EQ(s.text(archive::kPasswordPath), archiveOf("n.c"));
    s.setText(archive::kPasswordEntry, "secret");
    s.setText(archive::kPasswordConfirm, "secret");
    s.setFocus(archive::kPasswordOk);
    s.close(l, ui::kAnswerOk);
  });
  EXPECT_TRUE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(archive::fieldText(shown.record.password), "secret");
  EXPECT_EQ(shown.record.encrypted, 1u);
}

TEST_F(CreateArchiveTest, TheRecordSplitsIntoSettingsAndAnInitialRevision) {
  archive::TCreateArchiveTransferStruct record;
  record.dataTypes = {"Text", "Binary", "Auto-detect"};
  record.strictLocking = 1;
  record.allFiles = 1;
  record.checkIn = 1;
  record.keepWork = 1;
  archive::setField(record.label, "Start");
  archive::setField(record.number, "1.1");
  archive::setField(record.description, "the archive's own words");
  struct Case {
    int selection;
    char code;
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 2}, Case{-1, 2}}) {
    record.dataTypeSelection = c.selection;
    TNewArchiveSettings settings;
    archive::TCiTransferStruct checkIn;
    EXPECT_TRUE(createArchiveCheckInData(record, settings, checkIn));
    EXPECT_EQ(settings.dataType[0], c.code);
    EXPECT_EQ(settings.strict, 1u);
    EXPECT_EQ(settings.runMode, 1u);
    EXPECT_EQ(archive::fieldText(settings.description), "the archive's own words");
    EXPECT_EQ(archive::fieldText(checkIn.description), "Initial revision");
    EXPECT_EQ(archive::fieldText(checkIn.label), "Start");
    EXPECT_EQ(checkIn.keepWorkFile, 1u);
    EXPECT_EQ(checkIn.allFiles, 0u);
  }
  record.checkIn = 0;
  TNewArchiveSettings settings;
  archive::TCiTransferStruct checkIn;
  EXPECT_FALSE(createArchiveCheckInData(record, settings, checkIn));
}

TEST_F(CreateArchiveTest, ThreeArchivesWithTheSettingsOfOneDialog) {
  start();
  for (const char* f : {"a.c", "b.c", "c.c"}) dir.write(f, std::string("text of ") + f + "\n");
  ui.expectDialog(kCreateArchiveDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_TRUE(s.isEnabled(kCaAllFiles));
    EXPECT_FALSE(s.isChecked(kCaOpenArchive));
    s.setChecked(kCaStrict, true);
    s.setChecked(kCaCompressed, true);
    s.setText(kCaDataType, "Text");
    s.setText(kCaDescription, "Shared sources\r\nof the tool");
    s.setChecked(kCaAllFiles, true);
    s.close(logic, ui::kAnswerOk);
  });
  EXPECT_TRUE(commands().ddeCreateArchive({work("a.c"), work("b.c"), work("c.c")}));
  for (const char* f : {"a.c", "b.c", "c.c"}) {
    SCOPED_TRACE(f);
    EXPECT_EQ(info(f, 12)[0], 1);   // strict locking
    EXPECT_NE(info(f, 5)[0], 0);    // compressed
    EXPECT_EQ(info(f, 3)[0], 0);    // text
    EXPECT_EQ(info(f, 2), "Shared sources\nof the tool");
    EXPECT_EQ(head(f), "1.1");
    EXPECT_EQ(firstRevisionText(f), std::string("text of ") + f + "\n|Initial revision");
  }
  EXPECT_TRUE(windows.archiveBuilds.empty());
}

TEST_F(CreateArchiveTest, OneEncryptedArchiveOpensItsWindow) {
  start();
  dir.write("s.c", "secret text\n");
  ui.expectDialog(kCreateArchiveDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_FALSE(s.isEnabled(kCaAllFiles));
    EXPECT_TRUE(s.isChecked(kCaOpenArchive));
    s.setChecked(kCaEncrypted, true);
    s.setChecked(kCaCheckIn, true);
    s.close(logic, ui::kAnswerOk);
  });
  ui.expectDialog(archive::kNewPasswordDialogId, [](FakeSurface& s, ui::DialogLogic& l) {
    s.setText(archive::kPasswordEntry, "open9");
    s.setText(archive::kPasswordConfirm, "open9");
    s.setFocus(archive::kPasswordOk);
    s.close(l, ui::kAnswerOk);
  });
  EXPECT_TRUE(commands().ddeCreateArchive({work("s.c")}));
  EXPECT_EQ(info("s.c", 7, "open9")[0], 1);
  EXPECT_EQ(firstRevisionText("s.c", "open9"), "secret text\n|Initial revision");
  ASSERT_EQ(windows.archiveBuilds.size(), 1u);
  EXPECT_EQ(windows.archiveBuilds.front().name, work("s.c"));
}

TEST_F(CreateArchiveTest, CancelAllEndsTheRunBeforeTheNextFile) {
  start();
  for (const char* f : {"a.c", "b.c"}) dir.write(f, "x\n");
  ui.expectDialog(kCreateArchiveDialogId, [](FakeSurface& s, ui::DialogLogic& logic) { s.press(logic, kCaCancelAll); });
  EXPECT_FALSE(commands().ddeCreateArchive({work("a.c"), work("b.c")}));
  int h = 0;
  EXPECT_NE(vcOpenArchive(archiveOf("b.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
}

}  // namespace
}  // namespace orv::workbench::dialogs
