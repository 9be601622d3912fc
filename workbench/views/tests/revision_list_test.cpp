// The revision list's rows and log text over real archives: every
// revision with its author, date, state, locker and labels, read back
// through the library's own calls; the working-file row; the counts; the
// sort orders; the log panel's text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "workbench/testing/library_fixtures.h"
#include "workbench/views/revision_list.h"

namespace orv::workbench::views {
namespace {

class RevisionListTest : public testing::ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    start();
    makeArchive("a.c", {"one\n", "two\n", "three\n", "four\n"});
    int h = lockedHandle("a.c");
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2", "alice"), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL1", "1.3"), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL2", "1.3"), 0);
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "KEEP", "1.1"), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_STATE, "1.1", "Beta"), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_LOG, "1.3", "Fixes the parser.\nSecond line."), 0);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_SET_LOG, "1.4", longLog.c_str()), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcCloseArchive(h);
  }

  static std::string revInfo(int h, int item, const std::string& rev) {
    char buffer[4096] = {};
    EXPECT_EQ(vcGetRevInfo(h, item, rev.c_str(), buffer, sizeof buffer), 0) << item << " " << rev;
    return buffer;
  }
  static std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    std::sort(out.begin(), out.end());
    return out;
  }
  static std::vector<std::string> revisions(const std::vector<RevisionRecord>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.isWorkFile() ? "work" : r.revision);
    return out;
  }

  std::string longLog = std::string(1000, 'a') + "\n" + std::string(1000, 'b');
};

TEST_F(RevisionListTest, RowsHoldWhatTheLibraryHolds) {
  archive::OpenArchive archive(ui, archiveOf("a.c"), 1);
  ASSERT_EQ(archive.status(), 0);
  const RevisionFill fill = readRevisionRows(archive);
  ASSERT_TRUE(fill.complete);
  ASSERT_EQ(fill.rows.size(), 5u);
  const RevisionRecord& work = fill.rows[0];
  EXPECT_TRUE(work.isWorkFile());
  EXPECT_EQ(work.workFileName, this->work("a.c"));
  EXPECT_TRUE(work.row().isWorkFile());
  EXPECT_EQ(cellText(work, kColRevision), this->work("a.c"));

  for (std::size_t i = 1; i < fill.rows.size(); ++i) {
    const RevisionRecord& r = fill.rows[i];
    SCOPED_TRACE(r.revision);
    EXPECT_FALSE(r.isWorkFile());
    EXPECT_EQ(r.author, revInfo(archive.handle(), 27, r.revision));
    EXPECT_EQ(r.date, revInfo(archive.handle(), 30, r.revision));
    EXPECT_EQ(r.state, revInfo(archive.handle(), 34, r.revision));
    EXPECT_EQ(r.row().revision, r.revision);
  }
  auto find = [&](const std::string& rev) {
    return *std::find_if(fill.rows.begin(), fill.rows.end(), [&](auto& r) { return r.revision == rev; });
  };
  EXPECT_EQ(find("1.1").state, "Beta");
  EXPECT_EQ(words(find("1.3").labels), (std::vector<std::string>{"REL1", "REL2"}));
  EXPECT_EQ(find("1.1").labels, "KEEP");
  EXPECT_EQ(find("1.4").labels, "");
  EXPECT_EQ(locks("a.c"), std::vector<std::string>{"alice 1.2"});
  EXPECT_EQ(find("1.2").locker, "alice");
  EXPECT_EQ(cellText(find("1.2"), kColLocked), "alice");
  EXPECT_FALSE(find("1.3").locker);
  EXPECT_EQ(archive.revisionCount, 4);
  EXPECT_EQ(archive.lockedCount, 1);

  // Read again, the counts start over.
  EXPECT_EQ(readRevisionRows(archive).rows.size(), 5u);
  EXPECT_EQ(archive.revisionCount, 4);
  EXPECT_EQ(archive.lockedCount, 1);
  EXPECT_EQ(ui.messages.size(), 0u);
}

TEST_F(RevisionListTest, WithoutItsWorkingFileOnlyRevisionsAreListed) {
  ASSERT_EQ(std::remove(work("a.c").c_str()), 0);
  archive::OpenArchive archive(ui, archiveOf("a.c"), 1);
  ASSERT_EQ(archive.status(), 0);
  const RevisionFill fill = readRevisionRows(archive);
  EXPECT_EQ(revisions(fill.rows), (std::vector<std::string>{"1.4", "1.3", "1.2", "1.1"}));
}

TEST_F(RevisionListTest, SortOrdersKeepTheWorkingFileOnTop) {
  archive::OpenArchive archive(ui, archiveOf("a.c"), 1);
  std::vector<RevisionRecord> rows = readRevisionRows(archive).rows;
  struct Case {
    unsigned key;
    std::vector<std::string> want;
  } cases[] = {
      {kColRevision, {"work", "1.4", "1.3", "1.2", "1.1"}},
      {kColRevision | kSortDescending, {"work", "1.1", "1.2", "1.3", "1.4"}},
      // Read newest first; rows that compare equal keep that order.
      {kColLabels, {"work", "1.1", "1.3", "1.4", "1.2"}},  // no labels last
      {kColLabels | kSortDescending, {"work", "1.4", "1.2", "1.3", "1.1"}},
      {kColLocked, {"work", "1.2", "1.4", "1.3", "1.1"}},
      {kColState, {"work", "1.1", "1.4", "1.3", "1.2"}},  // "Beta" before "Exp"
      {9, {"work", "1.4", "1.3", "1.2", "1.1"}},  // no such column
  };
  for (const auto& c : cases) {
    std::vector<RevisionRecord> sorted = rows;
    sortRevisionRecords(sorted, c.key);
    EXPECT_EQ(revisions(sorted), c.want) << c.key;
  }
}

TEST_F(RevisionListTest, LogPanelTexts) {
  archive::OpenArchive archive(ui, archiveOf("a.c"), 1);
  EXPECT_EQ(logPanelText(archive.handle(), ""), "Working file");
  EXPECT_EQ(logPanelText(archive.handle(), "1.3"), "Fixes the parser.\nSecond line.");
  EXPECT_EQ(logPanelText(archive.handle(), "1.4"), longLog.substr(0, kLogPanelLimit)) << "cut, not empty";
  EXPECT_EQ(logPanelText(archive.handle(), "7.7"), "");
}

}  // namespace
}  // namespace orv::workbench::views
