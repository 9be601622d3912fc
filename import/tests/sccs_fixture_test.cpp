// SCCS files made with the SCCS tools (fixtures/make_fixtures.sh) and
// imported: every delta, found by its comment, checks out through the
// revision library to the text "get -k -p" gave for its SID; and the
// header keeps what the file says (access list, joint edit, MR numbers,
// "@" in logs, a date of the last century).
#include <gtest/gtest.h>

#include <sstream>

#include "import/tests/import_test_util.h"
#include "import/include/orv/sccsty32.h"
#include "testing/temp_dir.h"

namespace {

using namespace importtest;

std::string undoubled(std::string s) {
  for (std::size_t at = 0; (at = s.find("@@", at)) != std::string::npos; ++at) s.erase(at, 1);
  return s;
}

void checkFixture(const std::string& file, int* revisions) {
  orv::test::TempDir d{"orv-sccsfix"};
  const std::string fixtures = IMPORT_FIXTURES;
  ASSERT_EQ(sccs2rcsFile(0, 0, 1, (fixtures + "/s." + file).c_str(), d.path().c_str()), 0);
  const std::string archive = d.path() + "/" + file;
  const auto numbers = numbersByLog(archive);
  Library lib(d.path());
  ASSERT_TRUE(lib.ok);
  std::istringstream sids(readFile(fixtures + "/" + file + ".sids"));
  for (std::string line; std::getline(sids, line);) {
    const std::string sid = line.substr(0, line.find(' ')), comment = line.substr(line.find(' ') + 1);
    std::string number;
    for (const auto& [log, n] : numbers) {
      const std::string plain = undoubled(log);
      if (plain.size() >= comment.size() + 1 && plain.compare(plain.size() - comment.size() - 1, std::string::npos,
                                                              comment + "\n") == 0)
        number = n;
    }
    ASSERT_FALSE(number.empty()) << file << ": " << comment;
    EXPECT_EQ(lib.checkOut(archive, number, d.path() + "/out"), readFile(fixtures + "/" + file + "." + sid))
        << file << " " << sid << " as " << number;
    ++*revisions;
  }
}

TEST(SccsFixtures, EveryDeltaChecksOutAsGetGaveIt) {
  int revisions = 0;
  checkFixture("trunk.c", &revisions);
  checkFixture("branch.c", &revisions);
  EXPECT_EQ(revisions, 10);
}

TEST(SccsFixtures, HeaderAndLogsKeepWhatTheFileSays) {
  orv::test::TempDir d{"orv-sccsfix"};
  ASSERT_EQ(sccs2rcsFile(0, 0, 1, IMPORT_FIXTURES "/s.trunk.c", d.path().c_str()), 0);
  const std::string archive = readFile(d.path() + "/trunk.c");
  EXPECT_EQ(archive.substr(0, archive.find("\n\n1.3\n")),
            "head     1.3;\nbranch   ;\naccess   bob root ann;\nsymbols  ;\nlocks    ;\ncomment  @ * @;\n");
  EXPECT_NE(archive.find("\n1.1\ndate     98.06.30."), std::string::npos);
  EXPECT_NE(archive.find("log\n@MR numbers:\nMR1\n\nfirst @@ log\n@"), std::string::npos);
  EXPECT_NE(archive.find("log\n@MR numbers:\nMR2\nMR3\n\nsecond\n@"), std::string::npos);
  // The removed delta is not there; its SID's new delta is.
  ASSERT_EQ(sccs2rcsFile(0, 0, 0, IMPORT_FIXTURES "/s.branch.c", d.path().c_str()), 0);
  const std::string branched = readFile(d.path() + "/branch.c");
  EXPECT_EQ(branched.find("removed"), std::string::npos);
  EXPECT_NE(branched.find("\n1.2.1.1.1.1\ndate"), std::string::npos);
}

}  // namespace
