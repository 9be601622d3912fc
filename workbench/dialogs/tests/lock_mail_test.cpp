// The Mail dialog of a broken lock: the recipient list from the copy
// addressees, what the dialog shows and takes back, and a lock broken from
// the archive operations with mail configured, the notice reaching a fake
// sendmail. Also the text window of View Log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "workbench/dialogs/lock_mail_dialog.h"
#include "workbench/dialogs/text_view_dialog.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using ui::testing::FakeSurface;

TEST(LockMail, CopiesJoinTheRecipientList) {
  struct Case {
    const char* cc;
    const char* expected;
  } cases[] = {
      {"", "bob"},
      {"a b", "to:bob,cc:a,b"},
      {"a , b", "to:bob,cc:a,b"},
      {" a", "to:bob,cc:a"},
      {"a,", "to:bob,cc:a"},
      {" , ", "bob"},
      {"ann@example.org,\tcarl", "to:bob,cc:ann@example.org,carl"},
  };
  for (const Case& c : cases) EXPECT_EQ(mailRecipients("bob", c.cc), c.expected) << "[" << c.cc << "]";
}

TEST(LockMail, TheDialogShowsTheNoticeAndTakesTheEditsOnOkOnly) {
  archive::LockBrokenMail mail{"bob", "alice", "Lock broken on /w/rcs/a.c", std::string(5000, 'x')};
  LockMailDialog logic(mail, "");
  FakeSurface surface;
  logic.setUp(surface);
  EXPECT_EQ(surface.control(kMailText).textSelectionStart, 0);
  EXPECT_EQ(surface.control(kMailText).textSelectionEnd, 4) << "\"Your\" is selected unless the settings say";
  EXPECT_EQ(surface.text(kMailTo), "bob");
  EXPECT_EQ(surface.text(kMailFrom), "alice");
  EXPECT_EQ(surface.text(kMailSubject), "Lock broken on /w/rcs/a.c");
  EXPECT_EQ(surface.text(kMailText).size(), kMailTextLimit) << "the notice is cut to its buffer";
  surface.setText(kMailCc, "carl");
  surface.setText(kMailText, "Needed for the release.");
  ASSERT_TRUE(surface.close(logic, ui::kAnswerCancel));
  EXPECT_EQ(mail.addressee, "bob") << "Cancel changes nothing";
  ASSERT_TRUE(surface.close(logic, ui::kAnswerOk));
  EXPECT_EQ(mail.addressee, "to:bob,cc:carl");
  EXPECT_EQ(mail.body, "Needed for the release.");
}

TEST(TextView, ShowsTheTextUnderItsCaption) {
  EXPECT_EQ(textViewDescription("Project Log - p.pj").title, "Project Log - p.pj");
  TextViewDialog logic("line one\nline two\n");
  FakeSurface surface;
  logic.setUp(surface);
  EXPECT_EQ(surface.text(kTextViewText), "line one\nline two\n");
}

class LockMailRun : public testing::ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    ::mkdir(dir.file("settings").c_str(), 0755);
    const std::string fake = dir.write("fake-sendmail", "#!/bin/sh\necho \"$@\" > \"" + dir.file("args") +
                                                           "\"\ncat > \"" + dir.file("message") + "\"\n");
    ::chmod(fake.c_str(), 0755);
    ::setenv("ORV_SENDMAIL", fake.c_str(), 1);
  }
  void TearDown() override {
    archive::setLockMailDialog({});
    ::unsetenv("ORV_SENDMAIL");
    ArchiveTest::TearDown();
  }
};

TEST_F(LockMailRun, BreakingBobsLockMailsHimThroughTheDialog) {
  start();
  makeArchive("a.c", {"one\n", "two\n"});
  vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "bob");
  int h = lockedHandle("a.c");
  ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2", nullptr), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  vcCloseArchive(h);
  vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
  dir.write("settings/WIN.INI", std::string("[Mail]\nMAPI=1\nCMC=1\nCMCDLLNAME=") + CMC_LIBRARY_PATH + "\n");
  dir.write("ORVTY.INI", "[mail]\nselectstart=5\nselectend=9\n");
  archive::setLockMailDialog(
      [this](archive::LockBrokenMail& mail) { return runLockMailDialog(ui, mail, work("ORVTY.INI")); });

  ui.expectMessage("currently locked by bob", ui::kAnswerYes);
  ui.expectDialog(kLockMailDialogId, [](FakeSurface& s, ui::DialogLogic& logic) {
    EXPECT_EQ(s.text(kMailTo), "bob");
    EXPECT_EQ(s.control(kMailText).textSelectionStart, 5);
    EXPECT_EQ(s.control(kMailText).textSelectionEnd, 9);
    EXPECT_NE(s.text(kMailText).find("has been broken by alice"), std::string::npos) << s.text(kMailText);
    s.setText(kMailCc, "carl");
    s.setText(kMailText, s.text(kMailText) + "The release needs it.\r\n");
    s.close(logic, ui::kAnswerOk);
  });
  archive::OpenArchive archive(ui, work("a.c"), 1);
  EXPECT_EQ(archive.setLock("1.2", VC_REVISION_ITEM_UNLOCK), 1);
  EXPECT_TRUE(locks("a.c").empty());
  const std::string message = dir.read("message");
  EXPECT_NE(message.find("To: bob\n"), std::string::npos) << message;
  EXPECT_NE(message.find("Cc: carl\n"), std::string::npos) << message;
  EXPECT_NE(message.find("Subject: Lock broken on " + archiveOf("a.c")), std::string::npos) << message;
  EXPECT_NE(message.find("The release needs it.\n"), std::string::npos) << message;
}

TEST_F(LockMailRun, WithoutMailConfiguredNoDialogComes) {
  start();
  makeArchive("a.c", {"one\n"});
  vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "bob");
  int h = lockedHandle("a.c");
  ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.1", nullptr), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  vcCloseArchive(h);
  vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
  archive::setLockMailDialog([this](archive::LockBrokenMail& mail) { return runLockMailDialog(ui, mail, ""); });
  ui.expectMessage("currently locked by bob", ui::kAnswerYes);
  archive::OpenArchive archive(ui, work("a.c"), 1);
  EXPECT_EQ(archive.setLock("1.1", VC_REVISION_ITEM_UNLOCK), 1);
  struct stat st {};
  EXPECT_NE(::stat(dir.file("message").c_str(), &st), 0) << "nothing was sent";
}

}  // namespace
}  // namespace orv::workbench::dialogs
