// The check-in core against the real library: labels, the unchanged file,
// cancelled steps, pre-event refusals, the working file afterwards and the
// saved time stamp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utime.h>

#include "platform/sys/fault_injection.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::archive {
namespace {

using testing::ArchiveTest;

class CheckInTest : public ArchiveTest {
 protected:
  // a.c with 1.1 and 1.2 (head); label L1 on 1.1; the working file changed.
  void prepare(const std::string& config = "") {
    start(config);
    makeArchive("a.c", {"one\n", "two\n"});
    int h = lockedHandle("a.c");
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "L1", "1.1"), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    dir.write("a.c", "three\n");
  }

  int checkIn(TCiTransferStruct& record, int& answer, char* newRev = nullptr) {
    OpenArchive archive(ui, work("a.c"), 6);
    EXPECT_EQ(archive.status(), 0);
    char scratch[kRevisionBufferSize] = {};
    return checkInRevision(archive, 0, record, newRev ? newRev : scratch, kRevisionBufferSize, answer, 0);
  }
};

TEST_F(CheckInTest, LabelListMovesWhatTheUserAgreesToAndLeavesTheFieldAsItWas) {
  prepare();
  TCiTransferStruct record;
  setField(record.label, "L1;L2");
  const TCiTransferStruct before = record;
  ui.expectMessage("Label L1 is already assigned to revision 1.1.", ui::kAnswerNo);
  int answer = 1;
  char rev[kRevisionBufferSize] = {};
  EXPECT_EQ(checkIn(record, answer, rev), 0);
  EXPECT_STREQ(rev, "1.3");
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(std::memcmp(record.label, before.label, sizeof record.label), 0);
  EXPECT_EQ(labelRevision("a.c", "L1"), "1.1");
  EXPECT_EQ(labelRevision("a.c", "L2"), "1.3");
  EXPECT_EQ(head("a.c"), "1.3");
  EXPECT_EQ(modeOf(work("a.c")), 0u);  // the working file goes with the check-in
}

TEST_F(CheckInTest, WithoutDeleteLabelTheMoveIsRefusedAndTheRestGoesOn) {
  kel.refuse("DeleteLabel");
  prepare();
  TCiTransferStruct record;
  setField(record.label, "L1;L2");
  setField(record.state, "Rel");
  setField(record.description, "first line\r\nsecond line");
  ui.expectMessage("Cannot move label 'L1' from revision 1.1 to revision 1.3 of archive " +
                       archiveOf("a.c") + ", because you do not have permission to delete labels.",
                   ui::kAnswerOk);
  int answer = 1;
  EXPECT_EQ(checkIn(record, answer), 0);
  EXPECT_EQ(labelRevision("a.c", "L1"), "1.1");
  EXPECT_EQ(labelRevision("a.c", "L2"), "1.3");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char text[256] = {};
  ASSERT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_STATE, "1.3", text, sizeof text), 0);
  EXPECT_STREQ(text, "Rel");
  ASSERT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_LOG, "1.3", text, sizeof text), 0);
  EXPECT_STREQ(text, "first line\nsecond line");
  vcCloseArchive(h);
}

TEST_F(CheckInTest, CancelOnALaterStepLeavesTheArchiveAsItWas) {
  kel.refuse("DeleteLabel");
  prepare();
  const std::string before = archiveBytes("a.c");
  TCiTransferStruct record;
  record.allFiles = 1;
  record.locked = 1;
  setField(record.label, "L1");
  ui.expectMessage("Cannot move label 'L1'", ui::kAnswerCancel);
  int answer = 1;
  {
    OpenArchive archive(ui, work("a.c"), 6);
    char rev[kRevisionBufferSize] = {};
    EXPECT_EQ(checkInRevision(archive, 0, record, rev, sizeof rev, answer, 0), kReported);
    EXPECT_EQ(ui.messages.back().buttons.size(), 2u);  // OK and Cancel in a run
    EXPECT_EQ(answer, ui::kAnswerCancel);
    EXPECT_STREQ(rev, "");
    // Nothing of the check-in waits in the handle for a later commit.
    ASSERT_TRUE(archive.writeLock());
    EXPECT_EQ(vcCommitArchive(archive.handle(), VC_COMMIT_KEEP_OPEN), 0);
  }
  EXPECT_EQ(head("a.c"), "1.2");
  EXPECT_TRUE(locks("a.c").empty());
  EXPECT_EQ(dir.read("a.c"), "three\n");
}

TEST_F(CheckInTest, UnchangedFileDeclinedDropsTheWriteLockOnly) {
  prepare();
  dir.write("a.c", "two\n");
  const std::string before = archiveBytes("a.c");
  TCiTransferStruct record;
  ui.expectMessage("File " + work("a.c") + " is the same as revision 1.2.\nCheck in anyway?", ui::kAnswerNo);
  int answer = 1;
  OpenArchive archive(ui, work("a.c"), 6);
  char rev[kRevisionBufferSize] = {};
  EXPECT_EQ(checkInRevision(archive, 0, record, rev, sizeof rev, answer, 0), kReported);
  EXPECT_EQ(answer, 1);
  int other = lockedHandle("a.c");
  EXPECT_NE(other, 0);
  vcCloseArchive(other);
  EXPECT_EQ(archiveBytes("a.c"), before);
  EXPECT_EQ(dir.read("a.c"), "two\n");
}

TEST_F(CheckInTest, UnchangedFileAcceptedMakesANewRevision) {
  prepare();
  dir.write("a.c", "two\n");
  TCiTransferStruct record;
  ui.expectMessage("is the same as revision 1.2.", ui::kAnswerYes);
  int answer = 1;
  EXPECT_EQ(checkIn(record, answer), 0);
  EXPECT_EQ(head("a.c"), "1.3");
}

TEST_F(CheckInTest, TypedNumbersOfNewRevisionsAreCheckedIn) {
  // A new release and a new branch: numbers no revision has yet.
  prepare();
  for (const char* number : {"2.1", "1.1.1.1"}) {
    dir.write("a.c", std::string("text of ") + number + "\n");
    TCiTransferStruct record;
    std::strcpy(record.number, number);
    int answer = 1;
    char made[kRevisionBufferSize] = {};
    EXPECT_EQ(checkIn(record, answer, made), 0) << number;
    EXPECT_STREQ(made, number);
    int h = 0;
    ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    EXPECT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_EXISTS, number, nullptr, 0), 0) << number << " is in the archive";
    vcCloseArchive(h);
  }
  EXPECT_EQ(head("a.c"), "2.1");
}

struct PreEventCase {
  const char* name;
  const char* refused;  // permission the double refuses, or null
  const char* block;    // the precheckin block, or null
  const char* message;
  int result;
};

class CheckInPreEvent : public CheckInTest, public ::testing::WithParamInterface<PreEventCase> {};

TEST_P(CheckInPreEvent, RefusalIsShownOnceAndNothingChanges) {
  const PreEventCase& c = GetParam();
  if (c.refused) kel.refuse(c.refused);
  prepare(c.block ? std::string("autoaction precheckin=pre\nblock pre\n") + c.block + "\nend\n" : "");
  const std::string before = archiveBytes("a.c");
  ui.expectMessage(c.message, ui::kAnswerOk);
  TCiTransferStruct record;
  int answer = 1;
  EXPECT_EQ(checkIn(record, answer), c.result);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(archiveBytes("a.c"), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckInPreEvent,
    ::testing::Values(
        PreEventCase{"Quiet", nullptr, "return 0",
                     "Pre-checkin event for revision 1.2 of archive ", VC_E_DONE},
        PreEventCase{"Refused", "checkin", nullptr, "Cannot check in revision 1.2 to archive ",
                     VC_E_DENY_CHECKIN}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(CheckInTest, PreEventThatReturnsAValueGoesOn) {
  prepare("autoaction precheckin=pre\nblock pre\nreturn 1\nend\n");
  TCiTransferStruct record;
  int answer = 1;
  EXPECT_EQ(checkIn(record, answer), 0);
  EXPECT_EQ(head("a.c"), "1.3");
}

TEST_F(CheckInTest, KeptWorkFileOfAStrictArchiveIsReadOnly) {
  start("strictlocks\n");
  makeArchive("a.c", {"one\n"});
  int h = lockedHandle("a.c");
  ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.1", nullptr), 0);
  ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  dir.write("a.c", "two\n");
  TCiTransferStruct record;
  record.keepWorkFile = 1;
  int answer = 1;
  OpenArchive archive(ui, work("a.c"), 6);
  char rev[kRevisionBufferSize] = {};
  ASSERT_EQ(checkInRevision(archive, 0, record, rev, sizeof rev, answer, 0), 0);
  EXPECT_STREQ(rev, "1.2");
  EXPECT_EQ(dir.read("a.c"), "two\n");
  EXPECT_EQ(modeOf(work("a.c")), 0444u);
  EXPECT_TRUE(locks("a.c").empty());
}

// Saved and restored time stamps are the file's moment whatever the zone:
// the stored date is that moment in UTC.
TEST_F(CheckInTest, SavedTimeStampRoundTripsOutsideUtc) {
  const char* oldTz = std::getenv("TZ");
  const std::string saved = oldTz ? oldTz : "";
  ::setenv("TZ", "America/New_York", 1);
  ::tzset();
  prepare("savetimestamp\n");
  const std::time_t moment = 1000000000;  // 2001-09-09 01:46:40 UTC
  struct utimbuf times {moment, moment};
  ASSERT_EQ(::utime(work("a.c").c_str(), &times), 0);
  TCiTransferStruct record;
  int answer = 1;
  char rev[kRevisionBufferSize] = {};
  ASSERT_EQ(checkIn(record, answer, rev), 0);

  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("a.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char date[32] = {};
  ASSERT_EQ(vcGetRevInfo(h, VC_REVISION_ITEM_DATE, rev, date, sizeof date), 0);
  EXPECT_STREQ(date, "2001/09/09 01:46:40");
  vcCloseArchive(h);

  TCoTransferStruct co;
  co.restoreTimestamp = 1;
  setField(co.workFile, work("copy.c"));
  {
    OpenArchive archive(ui, archiveOf("a.c"), 1);
    EXPECT_EQ(checkOutRevision(archive, 0, co, answer), 0);
  }
  struct stat st {};
  ASSERT_EQ(::stat(work("copy.c").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, moment);
  if (oldTz) ::setenv("TZ", saved.c_str(), 1); else ::unsetenv("TZ");
  ::tzset();
}

}  // namespace
}  // namespace orv::workbench::archive

namespace orv::workbench::archive {
namespace {

// The project's own file checked in: the project learns its new revision
// and its write lock goes; the kept working file is the project file again.
TEST_F(CheckInTest, ProjectFileCheckInRecordsTheRevisionInTheProject) {
  start();
  const std::string file = work("p.pj");
  int project = 0;
  ASSERT_EQ(vcOpenProject(file.c_str(), VC_PROJECT_OPEN_CREATE | VC_PROJECT_OPEN_WRITE, &project, 0), 0);
  ASSERT_EQ(vcSaveProject(project), 0);
  const std::string text = dir.read("p.pj");
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(vcProjectWriteLock(project), 0);

  TCiTransferStruct record;
  setField(record.number, "1.1");
  record.keepWorkFile = 1;
  int answer = 1;
  char rev[kRevisionBufferSize] = {};
  {
    OpenArchive archive(ui, file, 6);
    ASSERT_EQ(archive.status(), 0);
    EXPECT_EQ(checkInRevision(archive, project, record, rev, sizeof rev, answer, 1), 0);
  }
  EXPECT_STREQ(rev, "1.1");
  char stored[64] = {};
  ASSERT_EQ(vcGetProject(project, VC_PROJECT_ITEM_REVISION, stored, sizeof stored), 0);
  EXPECT_STREQ(stored, "1.1");
  std::string expanded = text;
  expanded.replace(expanded.find("$Revision$"), 10, "$Revision: 1.1 $");
  EXPECT_EQ(dir.read("p.pj"), expanded);
  EXPECT_EQ(head("p.pj"), "1.1");
  vcCloseProject(project);
}

}  // namespace
}  // namespace orv::workbench::archive


namespace orv::workbench::archive {
namespace {

// The working file cannot be removed after the commit: the user hears why,
// the new revision stands and the file is still there.
TEST_F(CheckInTest, WorkingFileThatCannotBeRemovedIsReported) {
  prepare();
  sys::ScopedFault<&sys::SystemCalls::unlink> refused(EACCES, {.pathContains = "a.c"});
  ui.expectMessage("Unable to remove " + work("a.c") + ".\n" + std::strerror(EACCES), ui::kAnswerOk);
  TCiTransferStruct record;
  int answer = 1;
  EXPECT_EQ(checkIn(record, answer), 0);
  EXPECT_EQ(head("a.c"), "1.3");
  EXPECT_EQ(dir.read("a.c"), "three\n");
}

}  // namespace
}  // namespace orv::workbench::archive
