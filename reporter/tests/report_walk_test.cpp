// Project and archive reports over the fixture projects: the golden tables
// of each report type, read back with Python's csv module; sub-projects
// reached twice, shared archives, the "historical" option, the questions
// and their answers, stopping, the password callback, and several reports
// into one set of tables.
#include <dlfcn.h>

#include "reporter/tests/report_test_support.h"

namespace {

using namespace reporttest;

struct WalkTest : ReportTest {
  std::string base;
  rptHandle r = nullptr;

  void SetUp() override {
    ReportTest::SetUp();
    copyFixtures();
    fs::create_directories(path("out"));
    base = path("out/report");
  }
  void TearDown() override {
    rptTerminate(0, r);
    ReportTest::TearDown();
  }
  rptHandle start(int type, rptMessageCallback messages = recordMessage) {
    r = rptInitialize((base + ".mdb").c_str(), messages, type, givePassword);
    EXPECT_NE(r, nullptr);
    return r;
  }
  // The value of column `column` (counted from 0) of each row.
  std::vector<std::string> column(const char* extension, int column) const {
    std::vector<std::string> out;
    for (const std::string& row : rows(base, extension)) {
      std::size_t start = 0;
      for (int i = 0; i < column; ++i) start = row.find(", ", start) + 2;
      out.push_back(row.substr(start, row.find(", ", start) - start));
    }
    return out;
  }
};

struct GoldenTables : WalkTest, ::testing::WithParamInterface<int> {};

// The whole fixture project: the tables equal the golden ones, Python's
// csv module reads them back whole and they join up, and the encrypted
// archive's password was asked once.
TEST_P(GoldenTables, ProjectReport) {
  const int type = GetParam();
  start(type);
  EXPECT_EQ(rptProjectReport(path("top.prj").c_str(), 0, r), 1);
  EXPECT_EQ(errors(), std::vector<std::string>{});
  EXPECT_EQ(questions(), 0);
  EXPECT_EQ(calls().passwordAsks.size(), type == 1 ? 0u : 1u);
  const std::string golden = kGolden + "/type" + std::to_string(type) + "/report";
  for (const char* e : kExtensions) EXPECT_EQ(table(base, e), readFile(golden + e)) << "type " << type << " " << e;
  EXPECT_EQ(pythonCheck(base, type), "");
  rptTerminate(0, r);
  r = nullptr;
  EXPECT_FALSE(anyTable(base));
  EXPECT_EQ(scratch.entries(), (std::vector<std::string>{"arc", "other.prj", "out", "settings", "sub.prj", "top.prj"}));
}

INSTANTIATE_TEST_SUITE_P(Types, GoldenTables, ::testing::Values(0, 1, 2, 3, 6));

// sub.prj is a member of top.prj and of other.prj: one .txp row, its
// member listed once, and both parents' rows carry its ProjId. shared.v
// serves three members: one .txa row and one set of revision rows.
TEST_F(WalkTest, SubprojectReachedTwiceAndSharedArchive) {
  start(6);
  ASSERT_EQ(rptProjectReport(path("top.prj").c_str(), 0, r), 1);
  const std::vector<std::string> projects = column(".txp", 1), projectIds = column(".txp", 0);
  ASSERT_EQ(std::count(projects.begin(), projects.end(), "\"@DIR@/sub.prj\""), 1);
  const std::string subId = projectIds[static_cast<std::size_t>(
      std::find(projects.begin(), projects.end(), "\"@DIR@/sub.prj\"") - projects.begin())];
  const std::vector<std::string> members = column(".txm", 1), joins = column(".txm", 4), owners = column(".txm", 0);
  std::vector<std::string> subJoins, subOwners, sharedJoins;
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (members[i] == "\"@DIR@/sub.prj\"") subJoins.push_back(joins[i]), subOwners.push_back(owners[i]);
    if (members[i] == "\"@DIR@/lib.c\"" || members[i] == "\"@DIR@/util.c\"" || members[i] == "\"@DIR@/other.c\"")
      sharedJoins.push_back(joins[i]);
  }
  EXPECT_EQ(subJoins, (std::vector<std::string>{subId, subId}));
  EXPECT_NE(subOwners[0], subOwners[1]);
  EXPECT_EQ(std::count(members.begin(), members.end(), "\"@DIR@/sub.c\""), 1);
  ASSERT_EQ(sharedJoins.size(), 3u);
  EXPECT_EQ(sharedJoins[0], sharedJoins[1]);
  EXPECT_EQ(sharedJoins[1], sharedJoins[2]);
  const std::vector<std::string> archives = column(".txa", 1);
  EXPECT_EQ(std::count(archives.begin(), archives.end(), "\"@DIR@/arc/shared.v\""), 1);
  const std::vector<std::string> revisionIds = column(".txr", 0);
  EXPECT_EQ(std::count(revisionIds.begin(), revisionIds.end(), sharedJoins[0]), 3);
}

// A member archive that cannot be opened: the error, then the question.
// Going on writes the member with ArchId 0; stopping, or having no callback
// to ask, ends the report with 0.
TEST_F(WalkTest, MemberArchiveThatCannotBeOpened) {
  writeFile(path("gap.prj"), "--ORV Project--\n$Revision$\nEndOptions\na.c a 1.1 archive=arc/none.v\n"
                             "b.c a 1.1 archive=arc/sub.v\n");
  struct Case {
    bool callback;
    int answer;
    int result;
    std::size_t members;
  };
  for (const Case c : {Case{true, 0, 1, 2}, Case{true, 1, 0, 0}, Case{false, 0, 0, 0}}) {
    calls() = Calls{};
    calls().questionAnswer = c.answer;
    start(0, c.callback ? recordMessage : nullptr);
    EXPECT_EQ(rptProjectReport(path("gap.prj").c_str(), 0, r), c.result) << c.callback << c.answer;
    EXPECT_EQ(rows(base, ".txm").size(), c.members);
    if (c.callback) {
      ASSERT_EQ(errors().size(), 1u);
      EXPECT_EQ(errors()[0].rfind("Opening member archive " + path("a.c") + "\n ", 0), 0u) << errors()[0];
      EXPECT_EQ(calls().messages.back(), c.answer ? "!Data will be incomplete." : path("b.c"));
    }
    if (c.members) {
      EXPECT_EQ(rows(base, ".txm")[0], "1, \"@DIR@/a.c\", \"a\", \"1.1\", 0");
    }
    rptTerminate(0, r);
    r = nullptr;
  }
}

// The progress callback's -1 stops the report where it stands.
TEST_F(WalkTest, ProgressAnswerStops) {
  calls().stopAt = path("main.c");
  start(0);
  EXPECT_EQ(rptProjectReport(path("top.prj").c_str(), 0, r), 0);
  EXPECT_EQ(column(".txm", 1), (std::vector<std::string>{"\"@DIR@/README\"", "\"@DIR@/lib.c\""}));
  EXPECT_TRUE(errors().empty());
}

// Sub-projects are opened as their current file while "historical" is not
// defined, and at the revision their parent records once it is defined at
// all, on or off.
TEST_F(WalkTest, HistoricalOptionChoosesTheSubprojectRevision) {
  // sub.prj as revision 1.1 has one member; the current file has two.
  char archiveName[4096] = "";
  int a = 0;
  ASSERT_EQ(vcFindArchiveName(path("sub.prj").c_str(), archiveName, sizeof archiveName, &a, VC_ARCHIVE_OPEN_CREATE | VC_ARCHIVE_OPEN_WRITE), 0);
  char revision[32] = "";
  ASSERT_EQ(vcCiRevision(a, nullptr, path("sub.prj").c_str(), 0, revision, sizeof revision), 0);
  ASSERT_STREQ(revision, "1.1");
  ASSERT_EQ(vcCommitArchive(a, VC_COMMIT_CLOSE), 0);
  writeFile(path("sub.prj"), readFile(path("sub.prj")) + "more.c f  \n");
  writeFile(path("hist.prj"), "--ORV Project--\n$Revision$\nEndOptions\nsub.prj i 1.1\n");

  struct Case {
    const char* option;  // null: not defined
    std::size_t subMembers;
  };
  for (const Case c : {Case{nullptr, 2}, Case{"historical", 1}, Case{"Nohistorical", 1}}) {
    if (c.option) {
      ASSERT_EQ(vcSetConfig(c.option, nullptr), 0);
    }
    start(7);
    EXPECT_EQ(rptProjectReport(path("hist.prj").c_str(), 0, r), 1) << (c.option ? c.option : "-");
    EXPECT_EQ(rows(base, ".txm").size(), 1 + c.subMembers) << (c.option ? c.option : "-");
    EXPECT_TRUE(errors().empty());
    rptTerminate(0, r);
    r = nullptr;
  }
}

// Keys of (archive, revision) pairs cannot meet the names of archives:
// archive "foo1.2" and revision 1.2 of archive "foo" are both written.
TEST_F(WalkTest, RevisionKeysDoNotMeetArchiveNames) {
  const std::string text = readFile(path("arc/shared.v"));
  writeFile(path("arc/foo"), text);
  writeFile(path("arc/foo1.2"), text);
  writeFile(path("keys.prj"), "--ORV Project--\n$Revision$\nEndOptions\na.c a 1.1 archive=arc/foo1.2\n"
                              "b.c a 1.1 archive=arc/foo\nc.c a 1.2 archive=arc/foo\n");
  start(3);
  ASSERT_EQ(rptProjectReport(path("keys.prj").c_str(), 0, r), 1);
  EXPECT_EQ(column(".txr", 1), (std::vector<std::string>{"\"1.1\"", "\"1.1\"", "\"1.2\""}));
  EXPECT_EQ(column(".txr", 0), (std::vector<std::string>{"2", "4", "4"}));
}

// Archive reports: by name with each report type (the revisions in the
// library's order of the whole tree; the current revision is the tip of the
// default branch); an archive without revisions; an archive handle that the
// caller opened.
TEST_F(WalkTest, ArchiveReports) {
  struct Case {
    int type;
    const char* archive;
    std::vector<std::string> revisions;
  };
  const Case cases[] = {
      {0, "shared.v", {"\"1.2\"", "\"1.1.1.1\"", "\"1.1\""}},
      {2, "shared.v", {}},
      {3, "shared.v", {"\"1.1.1.1\""}},
      {3, "main.v", {"\"1.3\""}},
      {7, "main.v", {"\"1.3\"", "\"1.2.1.1\"", "\"1.2\"", "\"1.1\""}},
  };
  for (const Case& c : cases) {
    calls() = Calls{};
    start(c.type);
    EXPECT_EQ(rptArchiveReport(path(std::string("arc/") + c.archive).c_str(), 0, r), 1);
    EXPECT_EQ(column(".txr", 1), c.revisions) << c.type << " " << c.archive;
    EXPECT_EQ(rows(base, ".txa").size(), 1u);
    EXPECT_EQ(calls().messages, std::vector<std::string>{path(std::string("arc/") + c.archive)});
    rptTerminate(0, r);
    r = nullptr;
  }

  // An archive without revisions has no head: the question, and going on
  // leaves it out.
  writeFile(path("arc/empty.v"), "head ;\nbranch ;\naccess ;\nsymbols ;\nlocks ;\ncomment @# @;\n\n\ndesc\n@@\n");
  for (int answer : {0, 1}) {
    calls() = Calls{};
    calls().questionAnswer = answer;
    start(0);
    EXPECT_EQ(rptArchiveReport(path("arc/empty.v").c_str(), 0, r), answer ? 0 : 1);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0], path("arc/empty.v") + ": Reading archive header information\n Revision does not exist");
    EXPECT_EQ(questions(), 1);
    EXPECT_TRUE(rows(base, ".txa").empty());
    rptTerminate(0, r);
    r = nullptr;
  }
  // Its members in a project join no archive, and each tries it again.
  writeFile(path("empty.prj"), "--ORV Project--\n$Revision$\nEndOptions\na.c a 1.1 archive=arc/empty.v\n"
                               "b.c a 1.1 archive=arc/empty.v\n");
  calls() = Calls{};
  start(0);
  EXPECT_EQ(rptProjectReport(path("empty.prj").c_str(), 0, r), 1);
  EXPECT_EQ(column(".txm", 4), (std::vector<std::string>{"0", "0"}));
  EXPECT_EQ(questions(), 2);
  rptTerminate(0, r);
  r = nullptr;

  // The caller's own handle stays open.
  calls() = Calls{};
  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("arc/sub.v").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  start(0);
  EXPECT_EQ(rptArchiveReport("sub", h, r), 1);
  EXPECT_EQ(column(".txa", 1), std::vector<std::string>{"\"@DIR@/arc/sub.v\""});
  char head[16] = "";
  EXPECT_EQ(vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_HEAD, head, sizeof head), 0);
  EXPECT_EQ(vcCloseArchive(h), 0);
  EXPECT_EQ(rptArchiveReport(nullptr, h, r), 0);
  EXPECT_EQ(errors(), std::vector<std::string>{"Validating arguments\n Invalid argument"});
}

// The encrypted archive: the password callback once per opening, on a
// cleared buffer; a wrong password and a cancel both fail with the
// library's text for the code.
TEST_F(WalkTest, EncryptedArchive) {
  start(0);
  const std::string secret = path("arc/secret.v");
  EXPECT_EQ(rptArchiveReport(secret.c_str(), 0, r), 1);
  EXPECT_EQ(calls().passwordAsks, std::vector<std::string>{secret});
  EXPECT_EQ(column(".txr", 7), std::vector<std::string>{"\"\""});
  EXPECT_EQ(column(".txr", 8), std::vector<std::string>{"\"hidden \""});
  rptTerminate(0, r);
  r = nullptr;

  struct Case {
    const char* password;
    int answer;
    const char* error;
  };
  for (const Case c : {Case{"wrong", 0, "Incorrect password"}, Case{kPassword, 1, "Encrypted Tessalyworkbench file"}}) {
    calls() = Calls{};
    calls().password = c.password;
    calls().passwordAnswer = c.answer;
    start(0);
    EXPECT_EQ(rptArchiveReport(secret.c_str(), 0, r), 0);
    EXPECT_EQ(calls().passwordAsks.size(), 1u);
    EXPECT_TRUE(calls().bufferClearedOnAsk);
    EXPECT_EQ(errors(), std::vector<std::string>{secret + ": opening archive\n " + c.error});
    EXPECT_TRUE(rows(base, ".txa").empty());
    rptTerminate(0, r);
    r = nullptr;
  }
}

// Reports into one set of tables: nothing twice, one numbering.
TEST_F(WalkTest, SeveralReportsIntoOneHandle) {
  start(0);
  EXPECT_EQ(rptArchiveReport(path("arc/main.v").c_str(), 0, r), 1);
  EXPECT_EQ(rptProjectReport(path("top.prj").c_str(), 0, r), 1);
  EXPECT_EQ(rptProjectReport(path("top.prj").c_str(), 0, r), 1);
  EXPECT_EQ(rptArchiveReport(path("arc/sub.v").c_str(), 0, r), 1);
  const std::vector<std::string> archives = column(".txa", 1);
  EXPECT_EQ(std::count(archives.begin(), archives.end(), "\"@DIR@/arc/main.v\""), 1);
  EXPECT_EQ(column(".txa", 0).front(), "1");
  EXPECT_EQ(column(".txp", 0).front(), "2");
  EXPECT_EQ(rows(base, ".txp").size(), 3u);  // top, other, sub
  EXPECT_EQ(pythonCheck(base, 0), "");
}

// An archive report named by a working file reports the file's archive.
TEST_F(WalkTest, WorkingFileNameLeadsToItsArchive) {
  writeFile(path("work.c"), "int x;\n");
  char archiveName[4096] = "";
  int a = 0;
  ASSERT_EQ(vcFindArchiveName(path("work.c").c_str(), archiveName, sizeof archiveName, &a, VC_ARCHIVE_OPEN_CREATE | VC_ARCHIVE_OPEN_WRITE), 0);
  char revision[32] = "";
  ASSERT_EQ(vcCiRevision(a, nullptr, path("work.c").c_str(), 0, revision, sizeof revision), 0);
  ASSERT_EQ(vcCommitArchive(a, VC_COMMIT_CLOSE), 0);
  start(0);
  EXPECT_EQ(rptArchiveReport(path("work.c").c_str(), 0, r), 1);
  EXPECT_EQ(calls().messages, std::vector<std::string>{archiveName});
  EXPECT_EQ(column(".txr", 1), std::vector<std::string>{"\"1.1\""});
  EXPECT_EQ(rptArchiveReport(path("nothing.c").c_str(), 0, r), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0].rfind(path("nothing.c") + ": opening archive\n ", 0), 0u) << errors()[0];
}

// A project or sub-project that cannot be opened, and a project given by
// its handle.
TEST_F(WalkTest, ProjectOpening) {
  start(0);
  EXPECT_EQ(rptProjectReport(path("none.prj").c_str(), 0, r), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0].rfind(path("none.prj") + ": opening project\n ", 0), 0u) << errors()[0];
  // The library's extra error is a system error number: its text follows.
  EXPECT_NE(errors()[0].find("\nNo such file or directory"), std::string::npos) << errors()[0];

  calls() = Calls{};
  writeFile(path("lost.prj"), "--ORV Project--\n$Revision$\nEndOptions\nnone.prj i  \n");
  EXPECT_EQ(rptProjectReport(path("lost.prj").c_str(), 0, r), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0].rfind("Opening member sub-project " + path("none.prj") + "\n ", 0), 0u) << errors()[0];

  calls() = Calls{};
  int p = 0;
  ASSERT_EQ(vcOpenProject(path("sub.prj").c_str(), 0, &p, 0), 0);
  EXPECT_EQ(rptProjectReport("sub", p, r), 1);
  EXPECT_EQ(rows(base, ".txp").back(), "2, \"sub\", \"\"");
  char name[16] = "";
  EXPECT_EQ(vcGetMember(p, VC_MEMBER_ITEM_FIRST, name, 1), VC_E_BUFFER_TOO_SMALL);  // still open
  EXPECT_EQ(vcCloseProject(p), 0);
}

// A user who may not modify projects still reports on them, and nothing
// of the projects changes.
TEST_F(WalkTest, ReportingNeedsNoRightToModify) {
  void* kel = ::dlopen(KEL_DOUBLE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(kel, nullptr);
  constexpr int kRefused = 22, kNoFlag = 1;  // a "No" entry of the database
  reinterpret_cast<void (*)(const char*, const char*, int, int, const char*)>(::dlsym(kel, "kelDoubleSetAnswer"))(
      "", "modifyproject", kRefused, kNoFlag, nullptr);
  vcAPIcleanup();  // the report starts its own instance, which reads the refusal
  const std::string top = readFile(path("top.prj")), sub = readFile(path("sub.prj"));
  start(0);
  int p = 0;
  EXPECT_EQ(vcOpenProject(path("top.prj").c_str(), VC_PROJECT_OPEN_MODIFY, &p, 0), VC_E_DENY_MODIFY_PROJECT);
  if (p) vcCloseProject(p);
  EXPECT_EQ(rptProjectReport(path("top.prj").c_str(), 0, r), 1) << (errors().empty() ? "" : errors()[0]);
  EXPECT_TRUE(errors().empty());
  EXPECT_FALSE(rows(base, ".txp").empty());
  EXPECT_EQ(readFile(path("top.prj")), top);
  EXPECT_EQ(readFile(path("sub.prj")), sub);
  reinterpret_cast<void (*)()>(::dlsym(kel, "kelDoubleReset"))();
  ::dlclose(kel);
}

}  // namespace
