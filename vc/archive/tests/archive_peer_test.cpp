// Archives of the rest of the family through the library's calls: those GNU
// RCS wrote (testdata/archives/rcs_*.v, made by make_rcs_fixtures.sh) check
// out as `co -ko -p` gave them when they were made (rcs_co/<archive>/<revision>),
// and a commit keeps their phrases. A damaged text is refused, never cut.
#include "vc/tests/checkin_support.h"

#include "vc/error_codes.h"

#include <algorithm>
#include <sstream>

namespace archive_peer_test {
namespace {

namespace fs = std::filesystem;
using archive_test::readFile;

// The revisions GNU RCS checked out of an archive, sorted.
std::vector<std::string> coRevisions(const std::string& archive) {
  std::vector<std::string> revs;
  for (const auto& e : fs::directory_iterator(archive_test::fixtureDir() + "/rcs_co/" + archive))
    revs.push_back(e.path().filename().string());
  std::sort(revs.begin(), revs.end());
  return revs;
}

std::string coText(const std::string& archive, const std::string& revision) {
  return readFile(archive_test::fixtureDir() + "/rcs_co/" + archive + "/" + revision);
}

struct PeerTest : checkin_test::CheckinTest {
  // Opens a copy of the fixture (mode 1 read, 3 write).
  void openFixture(const std::string& name, int mode) {
    archive = copyFixture(name);
    ASSERT_EQ(0, vcOpenArchive(archive.c_str(), &h, mode));
  }
  // Every revision GNU RCS gave, without keyword processing (flags 2|4), as co -ko did.
  void expectAsRcsGaveThem(const std::string& name) {
    for (const std::string& r : coRevisions(name)) EXPECT_EQ(coText(name, r), co(r, 6)) << name << " " << r;
  }
};

class RcsFixture : public PeerTest, public ::testing::WithParamInterface<const char*> {};

// Each revision on its own (the reader stops at it), then all in one handle.
TEST_P(RcsFixture, EveryRevisionChecksOutAsCoGaveIt) {
  const std::string name = GetParam();
  const auto revs = coRevisions(name);
  ASSERT_GE(revs.size(), 3u);
  for (const std::string& r : revs) {
    openFixture(name, 1);
    EXPECT_EQ(coText(name, r), co(r, 6)) << r;
    ASSERT_EQ(0, vcCloseArchive(h));
  }
  openFixture(name, 1);
  expectAsRcsGaveThem(name);
  ASSERT_EQ(0, vcCloseArchive(h));
}

// Whether line stands before the "comment" clause of text.
bool beforeComment(const std::string& text, const std::string& line) {
  const auto at = text.find("\n" + line + "\n");
  const auto comment = text.find("\ncomment");
  return at != std::string::npos && comment != std::string::npos && at < comment;
}

// A label added through the library: the committed file keeps every phrase
// line where it was (before "comment" or after the known clauses), reads back
// with the label and checks out as before.
TEST_P(RcsFixture, CommitKeepsThePhrases) {
  const std::string name = GetParam();
  const std::string original = readFile(archive_test::fixtureDir() + "/" + name);
  std::vector<std::string> phrases;
  std::istringstream lines(original);
  for (std::string line; std::getline(lines, line);)
    for (const char* id : {"expand\t", "commitid\t", "integrity "})
      if (line.rfind(id, 0) == 0) phrases.push_back(line);
  ASSERT_FALSE(phrases.empty());

  openFixture(name, 3);
  co("1.2", 6);  // a partial read before the change
  ASSERT_EQ(0, vcSetArchiveInfo(h, 19, "peer_label", "1.2"));
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  expectAsRcsGaveThem(name);
  ASSERT_EQ(0, vcCloseArchive(h));

  const std::string after = readFile(archive);
  EXPECT_NE(std::string::npos, after.find("peer_label:1.2"));
  for (const std::string& line : phrases) {
    EXPECT_NE(std::string::npos, after.find("\n" + line + "\n")) << line;
    EXPECT_EQ(beforeComment(original, line), beforeComment(after, line)) << line;
  }
  ASSERT_EQ(0, vcOpenArchive(archive.c_str(), &h, 1));
  expectAsRcsGaveThem(name);
  ASSERT_EQ(0, vcCloseArchive(h));
}

INSTANTIATE_TEST_SUITE_P(Rcs, RcsFixture, ::testing::Values("rcs_expand_kk.v", "rcs_commitid.v", "rcs_integrity.v"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           const std::string n = param.param;
                           return n.substr(0, n.find('.'));
                         });

// "2@x" in the text of 1.2: its string ends at the stray '@'. Neither revision
// checks out, whichever is asked first.
TEST_F(PeerTest, StrayAtInATextIsRefused) {
  for (const char* first : {"1.2", "1.1"}) {
    openFixture("bad/31_stray_at_in_text.v", 1);
    int rc = 0;
    co(first, 6, rc);
    EXPECT_EQ(vc::err::kArchiveParseError, rc) << first;
    co("1.2", 0, rc);
    EXPECT_EQ(vc::err::kArchiveParseError, rc);
    co("1.1", 0, rc);
    EXPECT_EQ(vc::err::kArchiveParseError, rc);
    ASSERT_EQ(0, vcCloseArchive(h));
  }
}

}  // namespace
}  // namespace archive_peer_test
