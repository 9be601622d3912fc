// The check-out core against the real library: the revision and target
// matrix, locked check-outs, a run answered No to All, keyword handling that
// leaves the options alone, failures that leave no lock behind, and the
// pre-checkout event.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "workbench/testing/library_fixtures.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/app/message_styles.h"

namespace orv::workbench::archive {
namespace {

using testing::ArchiveTest;

const std::vector<std::string> kTexts = {"first\n", "second\n", "third $Revision$\n"};

class CheckOutTest : public ArchiveTest {
 protected:
  void prepare(const std::string& config = "") {
    start(config);
    makeArchive("a.c", kTexts);
    int h = lockedHandle("a.c");
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL", "1.2"), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
  int checkOut(TCoTransferStruct& record, int& answer, const std::string& name = "a.c") {
    OpenArchive archive(ui, archiveOf(name), 1);
    EXPECT_EQ(archive.status(), 0);
    return checkOutRevision(archive, 0, record, answer);
  }
  // The keyword options of the library's local list, in order.
  static std::vector<std::string> localOptions() {
    std::vector<std::string> out;
    char entry[600];
    for (int item = 128; vcGetConfigList(item, entry, sizeof entry) == 0 && out.size() < 500; item = 129)
      if (std::string(entry).find("keyword") != std::string::npos) out.push_back(entry);
    return out;
  }
};

enum class Pick { defaultRev, revision, label };
enum class Place { missing, directory, writable, readOnly };

struct MatrixCase {
  Pick pick;
  Place place;
};

class CheckOutMatrix : public CheckOutTest, public ::testing::WithParamInterface<MatrixCase> {};

TEST_P(CheckOutMatrix, LandsTheRevisionWhereAsked) {
  const MatrixCase& c = GetParam();
  prepare();
  TCoTransferStruct record;
  std::string expected = kTexts[0];
  std::string revision = "1.1";
  switch (c.pick) {
    case Pick::defaultRev: record.defaultRev = 1; expected = "third $Revision: 1.3 $\n"; revision = "1.3"; break;
    case Pick::revision: record.revision = 1; setField(record.choice, "1.1"); break;
    case Pick::label: record.label = 1; setField(record.choice, "REL"); expected = kTexts[1]; revision = "1.2"; break;
  }
  record.expandKeywords = 1;
  std::string target;
  switch (c.place) {
    case Place::missing:
      target = work("out/deep/x.c");
      setField(record.workFile, target);
      break;
    case Place::directory:
      ASSERT_EQ(::mkdir(work("outdir").c_str(), 0777), 0);
      setField(record.workFile, work("outdir"));
      target = work("outdir/a.c");
      break;
    case Place::writable:
      target = dir.write("mine.c", "my edits\n");
      setField(record.workFile, target);
      ui.expectMessage("Writable work file " + target + ".\nOverwrite it?", ui::kAnswerYes);
      break;
    case Place::readOnly:
      target = dir.write("old.c", "old\n");
      ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
      setField(record.workFile, target);
      break;
  }
  int answer = 1;
  EXPECT_EQ(checkOut(record, answer), 0);
  EXPECT_EQ(dir.read(target.substr(dir.path().size() + 1)), expected);
  EXPECT_STREQ(record.checkedOutRevision, revision.c_str());
  EXPECT_TRUE(locks("a.c").empty());
  if (c.place == Place::readOnly) {
    EXPECT_NE(modeOf(target) & 0200, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, CheckOutMatrix,
    ::testing::Values(MatrixCase{Pick::defaultRev, Place::missing}, MatrixCase{Pick::revision, Place::missing},
                      MatrixCase{Pick::label, Place::missing}, MatrixCase{Pick::defaultRev, Place::directory},
                      MatrixCase{Pick::revision, Place::directory}, MatrixCase{Pick::label, Place::writable},
                      MatrixCase{Pick::defaultRev, Place::writable}, MatrixCase{Pick::revision, Place::readOnly}));

TEST_F(CheckOutTest, WritableTargetAnsweredNoIsLeftAlone) {
  prepare();
  const std::string mine = dir.write("mine.c", "my edits\n");
  TCoTransferStruct record;
  setField(record.workFile, mine);
  ui.expectMessage("Overwrite it?", ui::kAnswerNo);
  int answer = 1;
  EXPECT_EQ(checkOut(record, answer), kReported);
  EXPECT_EQ(answer, ui::kAnswerNo);
  EXPECT_EQ(dir.read("mine.c"), "my edits\n");
}

TEST_F(CheckOutTest, LockedGoesToTheArchivesOwnWorkingFileAndCommitsTheLock) {
  prepare();
  ::unlink(work("a.c").c_str());
  TCoTransferStruct record;
  record.locked = 1;
  record.revision = 1;
  setField(record.choice, "REL");
  setField(record.workFile, work("elsewhere.c"));
  int answer = 1;
  EXPECT_EQ(checkOut(record, answer), 0);
  EXPECT_EQ(dir.read("a.c"), kTexts[1]);
  EXPECT_EQ(modeOf(work("elsewhere.c")), 0u);
  EXPECT_NE(modeOf(work("a.c")) & 0200, 0u);
  EXPECT_EQ(locks("a.c"), std::vector<std::string>{"alice 1.2"});
}

TEST_F(CheckOutTest, StrictUnlockedCheckOutIsReadOnly) {
  start("strictlocks\n");
  makeArchive("a.c", {kTexts[0]});
  ::unlink(work("a.c").c_str());
  TCoTransferStruct record;
  int answer = 1;
  EXPECT_EQ(checkOut(record, answer), 0);
  EXPECT_EQ(modeOf(work("a.c")), 0444u);
}

TEST_F(CheckOutTest, RunAnsweredNoToAllSkipsTheRestWithoutAsking) {
  start();
  for (const char* name : {"a.c", "b.c", "c.c"}) {
    makeArchive(name, {"v1\n", "v2\n"});
    dir.write(name, "edited\n");
  }
  TCoTransferStruct record;  // one record for the run
  record.allFiles = 1;
  ui.expectMessage("Writable work file " + work("a.c"), kAnswerNoToAll);
  for (const char* name : {"a.c", "b.c", "c.c"}) {
    int answer = 1;
    EXPECT_EQ(checkOut(record, answer, name), kReported) << name;
    EXPECT_EQ(dir.read(name), "edited\n");
  }
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].buttons.size(), 5u);
}

TEST_F(CheckOutTest, KeywordChoiceLeavesTheOptionsAlone) {
  prepare("keywordexpand\nautoaction checkout=co\nblock co\nset seen=1\nend\n");
  const auto before = localOptions();
  TCoTransferStruct record;
  setField(record.workFile, work("plain.c"));
  int answer = 1;
  EXPECT_EQ(checkOut(record, answer), 0);
  EXPECT_EQ(dir.read("plain.c"), kTexts[2]);  // as stored
  record.expandKeywords = 1;
  setField(record.workFile, work("expanded.c"));
  EXPECT_EQ(checkOut(record, answer), 0);
  EXPECT_EQ(dir.read("expanded.c"), "third $Revision: 1.3 $\n");
  EXPECT_EQ(localOptions(), before);
  // Nothing new reaches the configuration file.
  const std::string written = dir.file("written.rc");
  ASSERT_EQ(vcWriteConfig(written.c_str()), 0);
  std::ifstream in(written);
  std::string line;
  int keywordLines = 0;
  while (std::getline(in, line)) keywordLines += line.find("keywordexpand") != std::string::npos;
  EXPECT_EQ(keywordLines, 1);
}

TEST_F(CheckOutTest, FailedLockedCheckOutLeavesNoLockBehind) {
  prepare();
  // The archive's working file is a directory: the check-out cannot write it.
  ::unlink(work("a.c").c_str());
  ASSERT_EQ(::mkdir(work("a.c").c_str(), 0777), 0);
  const auto options = localOptions();
  TCoTransferStruct record;
  record.locked = 1;
  record.expandKeywords = 1;
  int answer = 1;
  OpenArchive archive(ui, archiveOf("a.c"), 1);
  ui.expectMessage(archiveOf("a.c") + "\n", ui::kAnswerOk);
  const int rc = checkOutRevision(archive, 0, record, answer);
  EXPECT_NE(rc, 0);
  EXPECT_NE(rc, kReported);
  EXPECT_EQ(localOptions(), options);
  // A later commit through the same handle writes no lock.
  ASSERT_TRUE(archive.writeLock());
  EXPECT_EQ(vcCommitArchive(archive.handle(), 0), 0);
  ASSERT_TRUE(archive.dropWriteLock());
  EXPECT_TRUE(locks("a.c").empty());
}

TEST_F(CheckOutTest, QuietPreEventIsShownAndAnswersFive) {
  prepare("autoaction precheckout=pre\nblock pre\nreturn 0\nend\n");
  ::unlink(work("a.c").c_str());
  ui.expectMessage("Pre-checkout event for revision 1.3 of archive " + archiveOf("a.c") +
                       " failed.  Checkout operation aborted.",
                   ui::kAnswerOk);
  TCoTransferStruct record;
  int answer = 1;
  EXPECT_EQ(checkOut(record, answer), VC_E_DONE);
  EXPECT_EQ(modeOf(work("a.c")), 0u);
}

TEST_F(CheckOutTest, RefusedCheckOutIsShownWithTheLibrarysReasonOnce) {
  kel.refuse("checkout");
  prepare();
  ::unlink(work("a.c").c_str());
  char reason[256] = {};
  vcErrorStr(VC_E_DENY_CHECKOUT, reason, sizeof reason);
  ui.expectMessage("Cannot check out revision 1.3 of archive " + archiveOf("a.c") + ".\n\n" + reason,
                   ui::kAnswerOk);
  TCoTransferStruct record;
  int answer = 1;
  EXPECT_EQ(checkOut(record, answer), kReported);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(modeOf(work("a.c")), 0u);
}

}  // namespace
}  // namespace orv::workbench::archive

namespace orv::workbench::archive {
namespace {

// Member Rev takes the revision the project records for its current member.
TEST_F(CheckOutTest, MemberRevisionComesFromTheProject) {
  prepare();
  int project = 0;
  ASSERT_EQ(vcOpenProject(work("p.pj").c_str(), VC_PROJECT_OPEN_CREATE | VC_PROJECT_OPEN_WRITE, &project, 0), 0);
  ASSERT_EQ(vcAddMember(project, 'a', work("a.c").c_str(), "1.2", ""), 0);
  ASSERT_EQ(vcInProject(project, work("a.c").c_str()), 0);
  TCoTransferStruct record;
  record.memberRev = 1;
  setField(record.workFile, work("member.c"));
  int answer = 1;
  {
    OpenArchive archive(ui, archiveOf("a.c"), 1);
    EXPECT_EQ(checkOutRevision(archive, project, record, answer), 0);
  }
  EXPECT_EQ(dir.read("member.c"), kTexts[1]);
  EXPECT_STREQ(record.checkedOutRevision, "1.2");
  vcCloseProject(project);
}

}  // namespace
}  // namespace orv::workbench::archive
