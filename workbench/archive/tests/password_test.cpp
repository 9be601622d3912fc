// The password dialogs on a fake surface, and the password cache against a
// real encrypted archive.
#include <gtest/gtest.h>

#include <cstring>

#include "workbench/archive/open_archive.h"
#include "workbench/archive/password_cache.h"
#include "workbench/archive/password_dialogs.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::archive {
namespace {

using testing::ArchiveTest;
using ui::testing::FakeSurface;

TEST(PasswordDialogs, EmptyPasswordKeepsTheDialogOpenAndLongOnesAreCut) {
  ui::testing::ScriptedUi ui;
  PasswordDialog dialog(ui, "/src/rcs/a.c");
  FakeSurface surface;
  dialog.setUp(surface);
  EXPECT_EQ(surface.text(kPasswordPath), "/src/rcs/a.c");
  EXPECT_EQ(surface.focus(), kPasswordEntry);

  ui.expectMessage("Passwords cannot be empty.", ui::kAnswerOk);
  EXPECT_FALSE(surface.close(dialog, ui::kAnswerOk));
  EXPECT_EQ(surface.focus(), kPasswordEntry);

  surface.setText(kPasswordEntry, "0123456789");  // one too many
  EXPECT_TRUE(surface.close(dialog, ui::kAnswerOk));
  char buffer[kPasswordBufferSize];
  std::memset(buffer, 'x', sizeof buffer);
  dialog.getPassword(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "012345678");
  char small[4];
  dialog.getPassword(small, sizeof small);
  EXPECT_STREQ(small, "012");
}

TEST(PasswordDialogs, NewPasswordEnterMovesOnThenMismatchAndEmptyAreRefused) {
  ui::testing::ScriptedUi ui;
  NewPasswordDialog dialog(ui, "/src/rcs/a.c");
  FakeSurface surface;
  dialog.setUp(surface);
  surface.setText(kPasswordEntry, "secret");
  // Enter in the first entry: on to the confirmation, no message.
  EXPECT_FALSE(surface.close(dialog, ui::kAnswerOk));
  EXPECT_EQ(surface.focus(), kPasswordConfirm);

  surface.setText(kPasswordConfirm, "secreT");
  ui.expectMessage("Passwords are not the same.", ui::kAnswerOk);
  EXPECT_FALSE(surface.close(dialog, ui::kAnswerOk));
  EXPECT_EQ(surface.text(kPasswordEntry), "");
  EXPECT_EQ(surface.text(kPasswordConfirm), "");
  EXPECT_EQ(surface.focus(), kPasswordEntry);

  surface.setFocus(kPasswordConfirm);
  ui.expectMessage("Passwords cannot be empty.", ui::kAnswerOk);
  EXPECT_FALSE(surface.close(dialog, ui::kAnswerOk));

  surface.setText(kPasswordEntry, "123456789");
  surface.setText(kPasswordConfirm, "123456789");
  surface.setFocus(kPasswordConfirm);
  EXPECT_TRUE(surface.close(dialog, ui::kAnswerOk));
  char buffer[kPasswordBufferSize] = {};
  dialog.getPassword(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "123456789");

  surface.press(dialog, kPasswordHelp);
  EXPECT_EQ(ui.helpContexts, std::vector<int>{kNewPasswordHelpContext});
}

// Types text into the password dialog and presses OK (or Cancel for null).
ui::testing::DialogScript typePassword(const char* text) {
  return [text](FakeSurface& surface, ui::DialogLogic& logic) {
    if (!text) {
      surface.close(logic, ui::kAnswerCancel);
      return;
    }
    surface.setText(kPasswordEntry, text);
    surface.close(logic, ui::kAnswerOk);
  };
}

class PasswordCacheTest : public ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    start();
    makeArchive("a.c", {"one\n", "two\n"}, "123456789");
  }
};

TEST_F(PasswordCacheTest, AskedOnceThenRememberedUnderEitherSpelling) {
  const std::string archive = archiveOf("a.c");
  ui.expectDialog(kPasswordDialogId, typePassword("wrong"));
  ui.expectMessage("Invalid password. Please re-enter.", ui::kAnswerOk);
  ui.expectDialog(kPasswordDialogId, typePassword("123456789"));  // nine characters, whole
  {
    OpenArchive a(ui, archive, 1);
    EXPECT_EQ(a.status(), 0);
    char text[64] = {};
    EXPECT_EQ(vcGetArchiveInfo(a.handle(), VC_ARCHIVE_ITEM_HEAD, text, sizeof text), 0);
    EXPECT_STREQ(text, "1.2");
  }
  // The same archive again, named with backslashes: no dialog.
  std::string backslashed = archive;
  for (char& c : backslashed) c = c == '/' ? '\\' : c;
  EXPECT_TRUE(hasRememberedPassword(backslashed.c_str()));
  OpenArchive again(ui, archive, 1);
  EXPECT_EQ(again.status(), 0);
}

TEST_F(PasswordCacheTest, StalePasswordIsForgottenSilentlyAndOneDialogFollows) {
  const std::string archive = archiveOf("a.c");
  rememberArchivePassword(archive.c_str(), "changed");
  ui.expectDialog(kPasswordDialogId, typePassword("123456789"));
  OpenArchive a(ui, archive, 1);
  EXPECT_EQ(a.status(), 0);
  EXPECT_EQ(ui.dialogs.size(), 1u);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PasswordCacheTest, CancelLeavesTheArchiveEncryptedAndReports755) {
  ui.expectDialog(kPasswordDialogId, typePassword(nullptr));
  OpenArchive a(ui, archiveOf("a.c"), 1);
  EXPECT_EQ(a.status(), VC_E_ENCRYPTED_FILE);
  ui.expectMessage("is encrypted and a valid password was not entered.", ui::kAnswerOk);
  a.showError(0x30);
  EXPECT_EQ(a.status(), -14);
  EXPECT_FALSE(hasRememberedPassword(archiveOf("a.c").c_str()));
}

// The library hands its callback a 9-byte buffer: a remembered password of
// nine characters comes back cut to eight and terminated, which the cipher
// (eight characters count) accepts.
TEST_F(PasswordCacheTest, CallbackBufferIsAlwaysTerminated) {
  setPasswordCallbackUi(&ui);
  rememberArchivePassword(archiveOf("a.c").c_str(), "123456789");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), VC_E_ENCRYPTED_FILE);
  char buffer[9];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(passwordCallback(h, archiveOf("a.c").c_str(), buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "12345678");
  EXPECT_EQ(vcSetPassword(h, buffer), 0);
  vcCloseArchive(h);
  setPasswordCallbackUi(nullptr);
  EXPECT_EQ(passwordCallback(h, archiveOf("a.c").c_str(), buffer, sizeof buffer), -1);
  EXPECT_EQ(askArchivePassword(ui, h, nullptr, buffer, sizeof buffer), 2);
}

}  // namespace
}  // namespace orv::workbench::archive
