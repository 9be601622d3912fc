// The open archive object: the three ways of naming an archive, error
// texts, the changed-archive recovery, locking and deleting revisions.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>

#include "workbench/archive/open_archive.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::archive {
namespace {

using testing::ArchiveTest;

class OpenArchiveTest : public ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    start();
    makeArchive("a.c", {"one\n", "two\n", "three\n"});
  }
};

TEST_F(OpenArchiveTest, ByWorkingFileByArchiveNameAndByNeither) {
  {
    OpenArchive a(ui, work("a.c"), 1);
    EXPECT_EQ(a.status(), 0);
    EXPECT_EQ(a.archiveName(), archiveOf("a.c"));
    EXPECT_EQ(a.workFileName(), work("a.c"));
  }
  {
    OpenArchive a(ui, archiveOf("a.c"), 1);
    EXPECT_EQ(a.status(), 0);
    EXPECT_EQ(a.archiveName(), archiveOf("a.c"));
    EXPECT_EQ(a.workFileName(), work("a.c"));
    // The library's current archive follows the object.
    int current = 0;
    ASSERT_EQ(vcGetSysInfo(VC_SYSINFO_CURRENT_ARCHIVE, reinterpret_cast<char*>(&current), sizeof current), 0);
    EXPECT_EQ(current, a.handle());
  }
  int current = -1;
  ASSERT_EQ(vcGetSysInfo(VC_SYSINFO_CURRENT_ARCHIVE, reinterpret_cast<char*>(&current), sizeof current), 0);
  EXPECT_EQ(current, 0);

  const std::string neither = work("missing/none.c");
  OpenArchive a(ui, neither, 1);
  EXPECT_NE(a.status(), 0);
  EXPECT_EQ(a.handle(), 0);
  ui.expectMessage(work("missing/rcs/none.c") + "\nArchive does not exist", ui::kAnswerOk);
  a.showArchiveOpenError(0x30);
  EXPECT_EQ(a.status(), kReported);
  EXPECT_EQ(a.showError(0x30), ui::kAnswerOk);  // shown once only
}

TEST_F(OpenArchiveTest, ErrorTextsExplainTheCodeAndFitWithTheNameCutAtItsFront) {
  // A failing call leaves its system error as the extra error.
  ASSERT_EQ(vcReadConfig(work("no-such.rc").c_str()), 208);
  const std::string text = archiveErrorText(208, "/src/a.c");
  EXPECT_EQ(text.rfind("/src/a.c\n", 0), 0u) << text;
  EXPECT_NE(text.find(std::strerror(ENOENT)), std::string::npos) << text;

  // Below 200 the system's text is not added.
  ASSERT_EQ(vcReadConfig(work("no-such.rc").c_str()), 208);
  EXPECT_EQ(archiveErrorText(48, "n").find(std::strerror(ENOENT)), std::string::npos);

  // A deep path: the text stays whole at its end and keeps the name's tail.
  const std::string deep = "/" + std::string(600, 'd') + "/tail.c";
  const std::string cut = archiveErrorText(48, deep);
  EXPECT_LE(cut.size(), 255u);
  EXPECT_EQ(cut.rfind("...", 0), 0u);
  EXPECT_NE(cut.find("/tail.c\n"), std::string::npos);
  char library[256] = {};
  vcErrorStr(48, library, sizeof library);
  EXPECT_EQ(cut.substr(cut.size() - std::strlen(library)), library);

  EXPECT_EQ(showArchiveError(ui, 0, "n", 0x30), ui::kAnswerOk);
  EXPECT_EQ(showArchiveError(ui, kReported, "n", 0x30), ui::kAnswerOk);
  EXPECT_TRUE(ui.messages.empty());
}

// Another user rewrites the archive between our open and our write lock.
class ChangedArchive : public OpenArchiveTest {
 protected:
  void rewriteElsewhere() {
    int h = lockedHandle("a.c");
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "OTHER", "1.1"), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
};

TEST_F(ChangedArchive, NoClosesTheArchive) {
  OpenArchive a(ui, archiveOf("a.c"), 1);
  ASSERT_EQ(a.status(), 0);
  rewriteElsewhere();
  ui.expectMessage("has been updated by another user.\nDo you want to reload it?", ui::kAnswerNo);
  EXPECT_FALSE(a.writeLock());
  EXPECT_EQ(a.handle(), 0);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ChangedArchive, YesReloadsWithoutAFurtherMessage) {
  OpenArchive a(ui, archiveOf("a.c"), 1);
  rewriteElsewhere();
  ui.expectMessage("has been updated by another user.", ui::kAnswerYes);
  EXPECT_FALSE(a.writeLock());
  ASSERT_NE(a.handle(), 0);
  EXPECT_EQ(ui.messages.size(), 1u);
  char rev[64] = {};
  EXPECT_EQ(vcGetIdArchiveInfo(a.handle(), VC_ARCHIVE_ITEM_LABEL_REVISION, "OTHER", rev, sizeof rev), 0);
  EXPECT_STREQ(rev, "1.1");
  EXPECT_TRUE(a.writeLock());  // the user repeats the operation
}

// Locking and unlocking: what the user is asked, what the call answers and
// which locks the archive holds on disk afterwards.
struct LockCase {
  const char* name;
  std::function<void(testing::KelDouble&)> before;  // before the library starts
  const char* bobLocks;   // a revision "bob" locks first, or null
  const char* aliceLocks; // a revision "alice" locks first, or null
  int item;               // 18 lock, 23 unlock
  const char* revision;
  const char* question;   // the expected box, or null
  int answer;
  int result;
  std::vector<std::string> locksAfter;
};

class SetLockTest : public ArchiveTest, public ::testing::WithParamInterface<LockCase> {};

void lockAs(const char* user, const char* rev, const std::string& archive) {
  vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, user);
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archive.c_str(), &h, VC_ARCHIVE_OPEN_WRITE), 0);
  ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, rev, nullptr), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
}

TEST_P(SetLockTest, Table) {
  const LockCase& c = GetParam();
  if (c.before) c.before(kel);
  start("states=Exp,Rel\n");
  makeArchive("a.c", {"one\n", "two\n", "three\n"});
  if (c.bobLocks) lockAs("bob", c.bobLocks, archiveOf("a.c"));
  if (c.aliceLocks) lockAs("alice", c.aliceLocks, archiveOf("a.c"));
  const std::string before = archiveBytes("a.c");
  if (c.question) ui.expectMessage(c.question, c.answer);

  OpenArchive a(ui, archiveOf("a.c"), 1);
  ASSERT_EQ(a.status(), 0);
  EXPECT_EQ(a.setLock(c.revision, c.item), c.result);
  EXPECT_EQ(locks("a.c"), c.locksAfter);
  if (c.result != 1) {
    EXPECT_EQ(archiveBytes("a.c"), before);
  }
  // The write lock is gone in every case: another handle can take it.
  int other = lockedHandle("a.c");
  EXPECT_NE(other, 0);
  vcCloseArchive(other);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetLockTest,
    ::testing::Values(
        LockCase{"FreeRevision", nullptr, nullptr, nullptr, 18, "1.2", nullptr, 0, 1, {"alice 1.2"}},
        LockCase{"OwnLockElsewhere", nullptr, nullptr, "1.1", 18, "1.2",
                 "You already have a lock on revision 1.1 of archive", ui::kAnswerOk, -1, {"alice 1.1"}},
        LockCase{"OwnLockElsewhereCancel", nullptr, nullptr, "1.1", 18, "1.2", "Unlock it first.",
                 ui::kAnswerCancel, 2, {"alice 1.1"}},
        LockCase{"OwnLockSameIsSilent", nullptr, nullptr, "1.2", 18, "1.2", nullptr, 0, -1, {"alice 1.2"}},
        LockCase{"OtherUserBreakYes", nullptr, "1.2", nullptr, 18, "1.2",
                 "is currently locked by bob.  Do you want to unlock it?", ui::kAnswerYes, 1, {"alice 1.2"}},
        LockCase{"OtherUserBreakNo", nullptr, "1.2", nullptr, 18, "1.2", "Do you want to unlock it?",
                 ui::kAnswerNo, -1, {"bob 1.2"}},
        LockCase{"OtherUserUnlockYes", nullptr, "1.2", nullptr, 23, "1.2", "Do you want to unlock it?",
                 ui::kAnswerYes, 1, {}},
        LockCase{"OtherUserWithoutBreakLocks",
                 [](testing::KelDouble& k) { k.refuse("BreakLocks"); }, "1.2", nullptr,
                 18, "1.2", "You do not have permission to break locks", ui::kAnswerOk, -1, {"bob 1.2"}},
        LockCase{"UnlockUnheld", nullptr, nullptr, nullptr, 23, "1.2",
                 "You do not have a lock on this revision of archive", ui::kAnswerOk, -1, {}},
        LockCase{"UnlockOwn", nullptr, nullptr, "1.3", 23, "1.3", nullptr, 0, 1, {}},
        LockCase{"LockStatesRefuse",
                 [](testing::KelDouble& k) { k.grantWithValue("LockStates", "Rel"); }, nullptr,
                 nullptr, 18, "1.2", "because it has state 'Exp'", ui::kAnswerOk, -1, {}},
        LockCase{"LockStatesPermit",
                 [](testing::KelDouble& k) { k.grantWithValue("LockStates", "Rel, Exp"); },
                 nullptr, nullptr, 18, "1.2", nullptr, 0, 1, {"alice 1.2"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(OpenArchiveTest, DeletingOneRevisionAnsweredNoChangesNothing) {
  const std::string before = archiveBytes("a.c");
  OpenArchive a(ui, archiveOf("a.c"), 1);
  ui.expectMessage("permanently delete\nrevision 1.2 from the archive", ui::kAnswerNo);
  EXPECT_EQ(a.deleteRevisions({"1.2"}), 2);
  EXPECT_EQ(ui.messages.back().defaultAnswer, ui::kAnswerNo);
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(archiveBytes("a.c"), before);
}

TEST_F(OpenArchiveTest, DeletingLabelledRevisionsDropsTheirLabels) {
  int h = lockedHandle("a.c");
  ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL1", "1.2"), 0);
  ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL2", "1.2"), 0);
  ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "KEEP", "1.1"), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);

  OpenArchive a(ui, archiveOf("a.c"), 1);
  // Several revisions: the five-button box, No by default.
  ui.expectMessage("This revision has label(s) associated with it.", ui::kAnswerYes);
  ui.expectMessage("revision 1.3 from the archive", ui::kAnswerNo);
  EXPECT_EQ(a.deleteRevisions({"1.2", "1.3"}), 1);
  EXPECT_EQ(ui.messages[0].buttons.size(), 5u);
  EXPECT_EQ(ui.messages[0].defaultAnswer, ui::kAnswerNo);
  EXPECT_EQ(labelRevision("a.c", "REL1"), "");
  EXPECT_EQ(labelRevision("a.c", "REL2"), "");
  EXPECT_EQ(labelRevision("a.c", "KEEP"), "1.1");
  EXPECT_EQ(head("a.c"), "1.3");
  int r = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &r, VC_ARCHIVE_OPEN_READ), 0);
  EXPECT_EQ(vcGetRevInfo(r, VC_REVISION_ITEM_EXISTS, "1.2", nullptr, 0), VC_E_REVISION_MISSING);
  vcCloseArchive(r);
}

TEST_F(OpenArchiveTest, NoToAllInARunChangesNothing) {
  const std::string before = archiveBytes("a.c");
  OpenArchive a(ui, archiveOf("a.c"), 1);
  ui.expectMessage("revision 1.1 from", ui::kAnswerYes);
  ui.expectMessage("revision 1.2 from", 3 /* No to All */);
  EXPECT_EQ(a.deleteRevisions({"1.1", "1.2", "1.3"}), 2);
  EXPECT_EQ(archiveBytes("a.c"), before);
  // Nothing of the first deletion waits in the handle either.
  ASSERT_TRUE(a.writeLock());
  EXPECT_EQ(vcCommitArchive(a.handle(), VC_COMMIT_KEEP_OPEN), 0);
  ASSERT_TRUE(a.dropWriteLock());
  int r = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &r, VC_ARCHIVE_OPEN_READ), 0);
  EXPECT_EQ(vcGetRevInfo(r, VC_REVISION_ITEM_EXISTS, "1.1", nullptr, 0), 0);
  vcCloseArchive(r);
}

TEST_F(OpenArchiveTest, DeletingAMissingRevisionIsReported) {
  OpenArchive a(ui, archiveOf("a.c"), 1);
  ui.expectMessage(archiveOf("a.c") + "\n", ui::kAnswerOk);
  EXPECT_EQ(a.deleteRevisions({"1.2", "1.9"}), -1);
  EXPECT_EQ(a.deleteRevisions({}), 1);
}

}  // namespace
}  // namespace orv::workbench::archive

namespace orv::workbench::archive {
namespace {

// Breaking a lock offers the notice to its holder when the mail profile
// asks for it; the Mail dialog gets the holder, the subject and the text.
TEST_F(OpenArchiveTest, BrokenLockOffersTheNoticeToItsHolder) {
  ASSERT_EQ(::mkdir(dir.file("settings").c_str(), 0700), 0);
  dir.write("settings/WIN.INI", "[mail]\nMAPI=1\nCMC=1\nCMCDLLNAME=libcmc.so\n");
  lockAs("bob", "1.2", archiveOf("a.c"));
  std::vector<LockBrokenMail> offered;
  setLockMailDialog([&](LockBrokenMail& mail) {
    offered.push_back(mail);
    return false;  // the user cancels the mail
  });
  OpenArchive a(ui, archiveOf("a.c"), 1);
  ui.expectMessage("is currently locked by bob.", ui::kAnswerYes);
  EXPECT_EQ(a.setLock("1.2", 18), 1);
  setLockMailDialog({});
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0].addressee, "bob");
  EXPECT_EQ(offered[0].sender, "alice");
  EXPECT_EQ(offered[0].subject, "Lock broken on " + archiveOf("a.c"));
  EXPECT_EQ(offered[0].body, "Your lock on revision 1.2 of file\r\n   " + archiveOf("a.c") +
                                 "\r\nhas been broken by alice\r\nfor the following reason:\r\n");
  EXPECT_EQ(locks("a.c"), std::vector<std::string>{"alice 1.2"});
}

}  // namespace
}  // namespace orv::workbench::archive
