// Tests of the options, blocks and transaction log of open projects and
// sandboxes, read back from the files the saves write.
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace err = vc::err;

std::int64_t fixedNow() { return 1700000000; }  // 2023/11/14 22:13:20 UTC

std::string readFile(const std::string& path) {
  std::string text;
  if (orv::sys::readWholeFile(path, text) != 0) return "<missing>";
  return text;
}
void writeFile(const std::string& path, const std::string& text) {
  ASSERT_EQ(orv::sys::writeWholeFile(path, text), 0) << path;
}

const std::string kProject =
    "--ORV Project--\n$Revision: 1.3 $\nowner=ann\nNocompress\nEndOptions\na.c a  \n";

struct ProjectOptionsTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-projopt"};
  std::string savedTz;
  bool hadTz = false;
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) {
      hadTz = true;
      savedTz = tz;
    }
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    vc::seams().now = fixedNow;
    ASSERT_EQ(vcSetSysInfo(99, "ann"), 0);
    writeFile(path("p.prj"), kProject);
  }
  void TearDown() override {
    vcAPIcleanup();
    vc::resetSeams();
    vc::resetPermissionBridge();
    if (hadTz)
      ::setenv("TZ", savedTz.c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  std::string path(const std::string& name) { return scratch.path() + "/" + name; }
  int open(const std::string& name, int flags) {
    int h = 0;
    EXPECT_EQ(vcOpenProject(path(name).c_str(), flags, &h, 0), 0) << name;
    return h;
  }
  std::string get(int h, const char* name, int expected = 0) {
    char value[256] = "?";
    EXPECT_EQ(vcProjectOptionGet(h, name, value, sizeof value, nullptr), expected) << name;
    return value;
  }
};

TEST_F(ProjectOptionsTest, ChangesAreLoggedAtTheSaveOnly) {
  const int h = open("p.prj", 1);
  struct Step {
    const char* call;  // "set" or "drop"
    const char* text;
  } steps[] = {{"set", "title=payroll"}, {"set", "owner=bo"}, {"drop", "nocompress"},
               {"set", "worktoarch /src=/arch"}, {"drop", "worktoarch /src"}, {"set", "Strictlocks"}};
  for (const Step& s : steps) {
    const std::string call = s.call;
    EXPECT_EQ(call == "set" ? vcProjectOptionSet(h, s.text, 1) : vcProjectOptionDrop(h, s.text), 0)
        << s.text;
  }
  EXPECT_EQ(vcProjectOptionDrop(h, "notthere"), err::kUnknownOption);
  EXPECT_EQ(readFile(path("p.trn")), "<missing>");
  ASSERT_EQ(vcSaveProject(h), 0);
  const std::string header = "+" + path("p.prj") + " 2023/11/14 22:13:20 revision 1.3 by ann\n";
  const std::string first = header +
                            "set title=payroll\n"
                            "change [was owner=ann] owner=bo\n"
                            "drop [was compress=null] nocompress\n"
                            "set worktoarch /src=/arch\n"
                            "drop [was worktoarch /src=/arch] worktoarch /src\n"
                            "set Strictlocks\n";
  EXPECT_EQ(readFile(path("p.trn")), first);
  EXPECT_EQ(readFile(path("p.prj")),
            "--ORV Project--\n$Revision: 1.3 $\nowner=bo\ntitle=payroll\nstrictlocks\n"
            "EndOptions\na.c a  \n");
  // A second save with a change appends a second record; one without none.
  ASSERT_EQ(vcProjectOptionSet(h, "title=ledger", 1), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.trn")), first + header + "change [was title=payroll] title=ledger\n");
  EXPECT_EQ(vcCloseProject(h), 0);
}

// A save never writes over a file someone else saved since we read it: it
// answers 55 and keeps both their file and our changes (saved after a new
// read).
TEST_F(ProjectOptionsTest, SaveOverSomeoneElsesSaveIsRefused) {
  const int h = open("p.prj", 1);
  ASSERT_EQ(vcProjectOptionSet(h, "title=ours", 1), 0);
  const std::string theirs = kProject + "b.c a  \n";
  writeFile(path("p.prj"), theirs);
  EXPECT_EQ(vcSaveProject(h), err::kFileChanged);
  EXPECT_EQ(readFile(path("p.prj")), theirs);
  EXPECT_EQ(readFile(path("p.trn")), "<missing>");
  EXPECT_EQ(get(h, "title"), "ours");
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOptionsTest, GoldenProjectRoundTripsThroughOpenAndSave) {
  const std::string golden = readFile(std::string(VC_TEST_SOURCE_DIR) + "/fixtures/golden.prj");
  writeFile(path("golden.prj"), golden);
  const int h = open("golden.prj", 1);
  EXPECT_EQ(get(h, "title"), "say \"hi\" for 100$");
  // A change undone still marks the project changed: the whole file is written.
  ASSERT_EQ(vcProjectOptionSet(h, "extra=1", 1), 0);
  ASSERT_EQ(vcProjectOptionDrop(h, "extra"), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("golden.prj")), golden);
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOptionsTest, GetReportsFlagsAndCutsLongValues) {
  const int h = open("p.prj", 0);
  unsigned flags = 0;
  char small[3];
  EXPECT_EQ(vcProjectOptionGet(h, "owner", small, sizeof small, &flags), err::kBufferTooSmall);
  EXPECT_STREQ(small, "an");
  EXPECT_EQ(vcProjectOptionGet(h, "Compress", nullptr, 0, &flags), 0);
  EXPECT_EQ(flags, vc::kOptNo);
  EXPECT_EQ(vcProjectOptionGet(h, "nothing", nullptr, 0, &flags), err::kUnknownOption);
  EXPECT_EQ(flags, vc::kOptNotFound);
  EXPECT_EQ(vcProjectOptionGet(h + 100, "owner", nullptr, 0, &flags), err::kBadProjectHandle);
  EXPECT_EQ(vcProjectOptionGet(h, nullptr, nullptr, 0, &flags), err::kBadArgument);
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOptionsTest, CheckOnlyNeedsNoWriteAndChangesNothing) {
  const int h = open("p.prj", 0);
  EXPECT_EQ(vcProjectOptionSet(h, "owner=bo", 0), 0);
  EXPECT_EQ(get(h, "owner"), "ann");
  EXPECT_EQ(vcProjectOptionSet(h, "=x", 0), err::kBadOptionLine);
  EXPECT_EQ(vcProjectOptionSet(h, "owner=bo", 1), err::kNotOpenForWrite);
  EXPECT_EQ(vcProjectOptionDrop(h, "owner"), err::kNotOpenForWrite);
  EXPECT_EQ(vcProjectBlockSet(h, "b", "x"), err::kNotOpenForWrite);
  EXPECT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.prj")), kProject);
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOptionsTest, FrozenProjectsAndFreezeRequests) {
  const int h = open("p.prj", 1);
  for (const char* s : {"frozen", "Frozen=1", "  FROZEN,x", "frozen ="})
    EXPECT_EQ(vcProjectOptionSet(h, s, 1), err::kBadFreeze) << s;
  EXPECT_EQ(vcProjectOptionSet(h, "frozenlist=1", 1), 0);
  EXPECT_EQ(vcCloseProject(h), 0);

  writeFile(path("f.prj"), "--ORV Project--\n$Revision$\nfrozen\nEndOptions\n");
  const int f = open("f.prj", 1);
  EXPECT_EQ(vcProjectOptionSet(f, "owner=x", 1), err::kProjectFrozen);
  EXPECT_EQ(vcProjectOptionDrop(f, "frozen"), err::kProjectFrozen);
  EXPECT_EQ(vcProjectBlockSet(f, "b", "x"), err::kProjectFrozen);
  EXPECT_EQ(vcCloseProject(f), 0);
}

struct Seen {
  std::vector<std::string> calls;
  int stopAt = -1;
};
Seen g_seen;
int recordLine(int flags, const char* scope, const char* keyword, const char* text) {
  char line[300];
  std::snprintf(line, sizeof line, "%#x %s %s %s", flags, scope, keyword, text);
  g_seen.calls.push_back(line);
  return static_cast<int>(g_seen.calls.size()) == g_seen.stopAt ? 7 : 0;
}

TEST_F(ProjectOptionsTest, BlocksLineByLine) {
  const int h = open("p.prj", 1);
  ASSERT_EQ(vcProjectBlockSet(h, "OnCheckin", "echo one\r\necho two\n"), 0);
  EXPECT_EQ(vcProjectBlockSet(h, "two words", "x"), err::kBadArgument);
  g_seen = {};
  ASSERT_EQ(vcProjectBlockGet(h, "oncheckin", recordLine), 0);
  EXPECT_EQ(g_seen.calls, (std::vector<std::string>{
                              "0x140 project block block oncheckin",
                              "0x240 project continue-block echo one",
                              "0x240 project continue-block echo two",
                              "0x440 project end-block end",
                          }));
  g_seen = {};
  g_seen.stopAt = 2;
  EXPECT_EQ(vcProjectBlockGet(h, "oncheckin", recordLine), 7);
  EXPECT_EQ(g_seen.calls.size(), 2u);
  EXPECT_EQ(vcProjectBlockGet(h, "none", recordLine), err::kUnknownOption);
  // Replaced, saved, read back.
  ASSERT_EQ(vcProjectBlockSet(h, "oncheckin", "echo three"), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.prj")),
            "--ORV Project--\n$Revision: 1.3 $\nowner=ann\nNocompress\nblock oncheckin\necho three\n"
            "end\nEndOptions\na.c a  \n");
  ASSERT_EQ(vcProjectBlockDrop(h, "oncheckin"), 0);
  EXPECT_EQ(vcProjectBlockDrop(h, "oncheckin"), err::kUnknownOption);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.prj")), kProject);
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOptionsTest, ThroughASandboxChangesGoToTheSandbox) {
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=p.prj\n");
  const int h = open("sb.prj", 0);  // the sandbox part needs no write open
  EXPECT_EQ(get(h, "owner"), "ann");
  ASSERT_EQ(vcProjectOptionSet(h, "owner=me", 1), 0);
  EXPECT_EQ(get(h, "owner"), "me");
  g_seen = {};
  ASSERT_EQ(vcProjectBlockSet(h, "b", "x"), 0);
  ASSERT_EQ(vcProjectBlockGet(h, "b", recordLine), 0);
  EXPECT_EQ(g_seen.calls.front(), "0x180 sandbox block block b");
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.prj")), kProject);
  EXPECT_EQ(readFile(path("sb.prj")),
            "--ORV Project--Sandbox--\nmasterproject=p.prj\nowner=me\nblock b\nx\nend\n");
  EXPECT_EQ(readFile(path("p.trn")), "<missing>");
  vc::permissionBridge().granted = [](vc::VcInstance&, const char* p) {
    return std::string(p) != "modifysandbox";
  };
  EXPECT_EQ(vcProjectOptionSet(h, "owner=you", 1), err::kDenyModifySandbox);
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOptionsTest, SandboxHandleOptions) {
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=p.prj\n");
  int s = 0;
  ASSERT_EQ(vcOpenSandbox(path("sb.prj").c_str(), 0, &s, 0), 0);
  EXPECT_EQ(vcSandboxOptionSet(s, "revision=1.2", 1), err::kNotOpenForWrite);
  EXPECT_EQ(vcSandboxOptionSet(s, "revision=1.2", 0), 0);
  EXPECT_EQ(vcCloseSandbox(s), 0);
  ASSERT_EQ(vcOpenSandbox(path("sb.prj").c_str(), 2, &s, 0), 0);
  ASSERT_EQ(vcSandboxOptionSet(s, "revision=1.2", 1), 0);
  char value[32] = "";
  unsigned flags = 9;
  EXPECT_EQ(vcSandboxOptionGet(s, "revision", value, sizeof value, &flags), 0);
  EXPECT_STREQ(value, "1.2");
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(vcSandboxOptionGet(s, "owner", value, sizeof value, &flags), err::kUnknownOption);
  EXPECT_EQ(vcSandboxOptionGet(s + 1, "owner", value, sizeof value, &flags), err::kBadSandboxHandle);
  ASSERT_EQ(vcSaveSandbox(s), 0);
  EXPECT_EQ(readFile(path("sb.prj")), "--ORV Project--Sandbox--\nmasterproject=p.prj\nrevision=1.2\n");
  EXPECT_EQ(vcCloseSandbox(s), 0);
}

TEST_F(ProjectOptionsTest, LogTextCheckpointAndCuts) {
  const int h = open("p.prj", 1);
  char buf[512] = "?";
  ASSERT_EQ(vcProjectGetLog(h, buf, sizeof buf), 0);  // no log yet
  EXPECT_STREQ(buf, "");
  writeFile(path("p.trn"), "+header one\nset a=1\n+header two\nset b=2\n");
  ASSERT_EQ(vcProjectGetLog(h, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "+header one\nset a=1\n+header two\nset b=2\n");
  // Too long: cut after the last whole line; one line that does not fit
  // gets a line feed of its own; nothing is written past the buffer.
  char cut[30];
  std::memset(cut, 'z', sizeof cut);
  ASSERT_EQ(vcProjectGetLog(h, cut, 25), 0);
  EXPECT_STREQ(cut, "+header one\nset a=1\n");
  EXPECT_EQ(cut[25], 'z');
  ASSERT_EQ(vcProjectGetLog(h, cut, 8), 0);
  EXPECT_STREQ(cut, "+heade\n");
  EXPECT_EQ(vcProjectGetLog(h, cut, 1), err::kBufferTooSmall);

  // A change not yet saved stays out of the log and after the checkpoint.
  ASSERT_EQ(vcProjectOptionSet(h, "c=3", 1), 0);
  ASSERT_EQ(vcCheckpointLog(h, "1.4"), 0);
  const std::string header = "+" + path("p.prj") + " 2023/11/14 22:13:20 revision 1.3 by ann\n";
  EXPECT_EQ(readFile(path("p.trn")), header + "checkpointed, new revision 1.4\n");
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.trn")),
            header + "checkpointed, new revision 1.4\n" + header + "set c=3\n");
  EXPECT_EQ(vcCheckpointLog(h, nullptr), err::kBadArgument);
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOptionsTest, LogBecomesTheRevisionsMessage) {
  writeFile(path("p.trn"), "+header\nset a=1\n");
  const int h = open("p.prj", 1);
  char archiveName[2048] = "";
  int a = 0;
  ASSERT_EQ(vcFindArchiveName(path("p.prj").c_str(), archiveName, sizeof archiveName, &a, 4 | 2), 0);
  char revision[32] = "";
  ASSERT_EQ(vcCiRevision(a, nullptr, path("p.prj").c_str(), 0, revision, sizeof revision), 0);
  EXPECT_EQ(vcAddProjectLog(h, a, "9.9"), err::kRevisionMissing);
  EXPECT_EQ(vcAddProjectLog(h, a + 1000, revision), err::kBadArchiveHandle);
  ASSERT_EQ(vcAddProjectLog(h, a, revision), 0);
  ASSERT_EQ(vcCommitArchive(a, 0), 0);
  char log[256] = "";
  ASSERT_EQ(vcGetRevInfo(a, 31, revision, log, sizeof log), 0);
  EXPECT_STREQ(log, "+header\nset a=1\n");
  EXPECT_EQ(readFile(path("p.trn")), "+" + path("p.prj") +
                                         " 2023/11/14 22:13:20 revision 1.3 by ann\n"
                                         "checkpointed, new revision " + revision + "\n");
  EXPECT_EQ(vcCloseArchive(a), 0);
  EXPECT_EQ(vcCloseProject(h), 0);
}

}  // namespace
