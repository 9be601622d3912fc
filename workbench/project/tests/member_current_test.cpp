// A member whose working file holds its revision reads as current in the
// row's flags and the detail text, however it got there; and View Log's
// text of the project log.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "workbench/project/member_rows.h"
#include "workbench/project/project_member_ops.h"
#include "workbench/testing/fake_member_view.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::project {
namespace {

using testing::ProjectTest;

class MemberCurrentTest : public ProjectTest {
 protected:
  // The row of a.c recomputed, and its detail text.
  struct Read {
    MemberRow row;
    std::string detail;
  };
  Read readRow(const std::string& projectFile) {
    OpenProject p(ui, projectFile.c_str(), 1);
    EXPECT_EQ(p.status, 0);
    testing::FakeView view(p);
    MemberRow* row = view.findMemberItem(0, true);
    EXPECT_NE(row, nullptr);
    updateMemberStatus(p, *row, 0);
    LibraryMemberDetails details(p);
    return {*row, memberDetailText(details, row, false)};
  }
};

TEST_F(MemberCurrentTest, AWorkingFileHoldingTheRevisionIsCurrentHoweverItGotThere) {
  const std::vector<std::string> texts = {"one\n", "two\n", "three $Revision$\n"};
  struct Case {
    const char* name;
    const char* revision;            // the member's
    std::string workingFile;         // its working file's bytes ("" none)
    bool recordCheckOut;             // the recorded revision set, as a check-out does
    bool current;
  };
  const std::vector<Case> cases = {
      {"added at 1.1, file equal", "1.1", "one\n", false, true},
      {"added at 1.2, file equal", "1.2", "two\n", false, true},
      {"added at 1.3, keywords expanded", "1.3", "three $Revision: 1.3 $\n", false, true},
      {"added at 1.3, keywords as stored", "1.3", "three $Revision$\n", false, true},
      {"copied over by another revision's bytes", "1.2", "one\n", false, false},
      {"edited", "1.1", "one\nmore\n", false, false},
      {"checked out and recorded", "1.2", "two\n", true, true},
  };
  makeArchive("a.c", texts);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("a.c", c.workingFile);
    const std::string pj = makeProject("p.pj", {{"a.c", 'a', c.revision}});
    if (c.recordCheckOut) {
      int h = 0;
      ASSERT_EQ(vcOpenProject(pj.c_str(), VC_PROJECT_OPEN_MODIFY, &h, 0), 0);
      ASSERT_EQ(vcInProject(h, work("a.c").c_str()), 0);
      ASSERT_EQ(vcSetMember(h, VC_MEMBER_ITEM_SET_RECORDED_REVISION, c.revision), 0);
      ASSERT_EQ(vcSaveProject(h), 0);
      vcCloseProject(h);
    }
    const Read read = readRow(pj);
    EXPECT_EQ((read.row.changeFlags & kOtherRevision) == 0, c.current) << std::hex << read.row.changeFlags;
    EXPECT_EQ(read.detail.find("unknown revision") == std::string::npos, c.current) << read.detail;
    ::unlink(pj.c_str());
  }
}

TEST_F(MemberCurrentTest, ViewLogShowsTheLogOrSaysItHasNoEntries) {
  EXPECT_EQ(projectLogText(""), kProjectLogEmpty);
  EXPECT_EQ(projectLogText(work("missing.trn")), kProjectLogEmpty);
  dir.write("empty.trn", "");
  EXPECT_EQ(projectLogText(work("empty.trn")), kProjectLogEmpty);
  dir.write("p.trn", "Checked in a.c 1.2\r\nAdded b.c\r\n");
  EXPECT_EQ(projectLogText(work("p.trn")), "Checked in a.c 1.2\nAdded b.c\n");

  const std::string pj = makeProject("q.pj", {});
  OpenProject p(ui, pj.c_str(), 1);
  ASSERT_EQ(p.status, 0);
  testing::FakeView view(p);
  std::vector<std::pair<std::string, std::string>> shown;
  MemberDialogs d;
  d.showText = [&shown](const std::string& caption, const std::string& text) { shown.emplace_back(caption, text); };
  ProjectMemberOperations ops(p, view, d);
  ops.viewProjectLog();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].first.find("q.pj"), std::string::npos);
  EXPECT_EQ(shown[0].second, kProjectLogEmpty);
}

}  // namespace
}  // namespace orv::workbench::project
