// Tests of the links between archives and projects (the extension text read
// back after add and drop), the reference copy with its switched and
// restored options, the reference records of the dependency cache, the
// sandbox-variable callback sequence recorded by a double, and expressions
// over a member's rules.
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace err = vc::err;

bool grantAll(vc::VcInstance&, const char*) { return true; }

std::string readFile(const std::string& path) {
  std::string text;
  if (orv::sys::readWholeFile(path, text) != 0) return "<missing>";
  return text;
}
void writeFile(const std::string& path, const std::string& text) {
  ASSERT_EQ(orv::sys::writeWholeFile(path, text), 0) << path;
}

struct ProjectLinksTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-links"};
  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    vc::permissionBridge().granted = grantAll;
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vcAPIcleanup();
  }
  std::string path(const std::string& name) { return scratch.path() + "/" + name; }
  int open(const std::string& name, int flags) {
    int h = 0;
    EXPECT_EQ(vcOpenProject(path(name).c_str(), flags, &h, 0), 0) << name;
    return h;
  }
  // Checks a.c in (text given) and opens its archive for writing.
  int archiveOf(const std::string& text) {
    writeFile(path("a.c"), text);
    char name[2048] = "";
    int a = 0;
    EXPECT_EQ(vcFindArchiveName(path("a.c").c_str(), name, sizeof name, &a, 4 | 2), 0);
    char revision[32] = "";
    EXPECT_EQ(vcCiRevision(a, nullptr, path("a.c").c_str(), 0, revision, sizeof revision), 0);
    EXPECT_EQ(vcCommitArchive(a, 0), 0);
    return a;
  }
  std::string extension(int a) {
    char buf[1024] = {};
    EXPECT_EQ(vcGetArchiveInfo(a, 70, buf, sizeof buf), 0);
    return buf;
  }
};

TEST_F(ProjectLinksTest, LinksInTheExtensionText) {
  writeFile(path("p.prj"), "--ORV Project--\n$Revision$\nEndOptions\n$(projectdir)/a.c a 1.1 \n");
  writeFile(path("q.prj"), "--ORV Project--\n$Revision$\nEndOptions\n");
  const int p = open("p.prj", 0);
  const int q = open("q.prj", 0);
  const int a = archiveOf("text\n");
  ASSERT_EQ(vcWriteLock(a), 0);
  const std::string base = "other stuff;\nProject " + path("p.prj") + ";\n";  // "project" counts in lower case only
  ASSERT_EQ(vcSetArchiveInfo(a, 72, base.c_str(), nullptr), 0);
  EXPECT_EQ(vcAddProjectLink(p, a), 0);
  EXPECT_EQ(vcAddProjectLink(p, a), 0);  // twice: one statement
  EXPECT_EQ(vcAddProjectLink(q, a), 0);
  const std::string both = base + "project " + path("p.prj") + ";\nproject " + path("q.prj") + ";\n";
  EXPECT_EQ(extension(a), both);
  EXPECT_EQ(vcDropProjectLink(p, a), 0);
  EXPECT_EQ(extension(a), base + "project " + path("q.prj") + ";\n");
  EXPECT_EQ(vcDropProjectLink(p, a), 0);  // not there: nothing changes
  EXPECT_EQ(extension(a), base + "project " + path("q.prj") + ";\n");
  ASSERT_EQ(vcCommitArchive(a, 0), 0);

  ASSERT_EQ(vcSetConfig("vanillarcs", nullptr), 0);
  EXPECT_EQ(vcAddProjectLink(p, a), 0);
  EXPECT_EQ(extension(a), base + "project " + path("q.prj") + ";\n");
  ASSERT_EQ(vcDropConfig("vanillarcs"), 0);
  ASSERT_EQ(vcDropWriteLock(a), 0);
  char name[2048];
  ASSERT_EQ(vcFindArchiveName(path("a.c").c_str(), name, sizeof name, nullptr, 1), 0);
  EXPECT_NE(readFile(name).find("project " + path("q.prj") + ";"), std::string::npos);  // committed
  EXPECT_EQ(vcAddProjectLink(p, a), err::kNotOpenForWrite);
  EXPECT_EQ(vcAddProjectLink(p, a + 1), err::kBadArchiveHandle);
  EXPECT_EQ(vcAddProjectLink(p + q + 10, a), err::kBadProjectHandle);
}

bool flagOn(const char* name) {
  unsigned flags = 0;
  return vcGetConfigFlags(name, &flags) == 0 && !(flags & 1);
}

TEST_F(ProjectLinksTest, ReferenceCopyWithSwitchedOptions) {
  writeFile(path("p.prj"), "--ORV Project--\n$Revision$\nEndOptions\n$(projectdir)/a.c a 1.1 \n");
  const int p = open("p.prj", 0);
  const int a = archiveOf("revision one\n");
  const std::string target = path("ref/a.c");
  ASSERT_EQ(orv::sys::calls().mkdir(path("ref").c_str(), 0755), 0);
  EXPECT_EQ(vcCoProjectReference(p, a, "1.1", target.c_str(), 0), err::kUnknownOption);
  ASSERT_EQ(vcSetConfig("projectreference=ref", nullptr), 0);
  ASSERT_EQ(vcSetConfig("wason", nullptr), 0);
  ASSERT_EQ(vcSetConfig("nowasoff", nullptr), 0);
  // Wanted states: wason off, wasoff on, missing off (already), unset on.
  ASSERT_EQ(vcSetConfig("projectreferenceflags=nowason WASOFF nomissing unset ignored", nullptr), 0);
  struct Case {
    const char* name;
    bool before;
  } cases[] = {{"wason", true}, {"wasoff", false}, {"missing", false}, {"unset", false}, {"ignored", false}};
  writeFile(target, "old copy\n");
  ASSERT_EQ(vcCoProjectReference(p, a, "1.1", target.c_str(), 0), 0);
  EXPECT_EQ(readFile(target), "revision one\n");
  for (const Case& c : cases) EXPECT_EQ(flagOn(c.name), c.before) << c.name;
  unsigned flags = 0;
  EXPECT_EQ(vcGetConfigFlags("unset", &flags), err::kUnknownOption);  // dropped again, not left "off"
  // A failed check-out keeps the old copy and still puts the options back.
  writeFile(target, "old copy\n");
  EXPECT_NE(vcCoProjectReference(p, a, "9.9", target.c_str(), 0), 0);
  EXPECT_EQ(readFile(target), "old copy\n");
  for (const Case& c : cases) EXPECT_EQ(flagOn(c.name), c.before) << c.name;
  // No temporary file is left beside the target.
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path("ref"))) names.push_back(e.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"a.c"});
}

TEST_F(ProjectLinksTest, ReferenceRecordsOfTheDependencyCache) {
  writeFile(path("p.prj"),
            "--ORV Project--\n$Revision$\nEndOptions\n$(projectdir)/a.c a 1.1 \n\"$(projectdir)/my dir\"/b.c a  \n");
  const int p = open("p.prj", 0);
  writeFile(path("copy.c"), "ab");  // checksum 0x61 + 0x62 = 0xc3
  struct stat st {};
  ASSERT_EQ(::stat(path("copy.c").c_str(), &st), 0);
  char time[32];
  std::snprintf(time, sizeof time, "%lx", static_cast<unsigned long>(st.st_mtime));
  ASSERT_EQ(vcAppendReferenceWorkCache(p, path("a.c").c_str(), path("copy.c").c_str(), "1.2"), 0);
  ASSERT_EQ(vcAppendReferenceWorkCache(p, path("my dir/b.c").c_str(), path("missing.c").c_str(), nullptr), 0);
  EXPECT_EQ(vcAppendReferenceWorkCache(p, path("x.c").c_str(), path("copy.c").c_str(), "1.2"), err::kNotMember);
  EXPECT_EQ(vcAppendReferenceWorkCache(p, path("a.c").c_str(), nullptr, "1.2"), err::kBadArgument);
  ASSERT_EQ(vcDoneAppendReferenceWorkCache(p), 0);
  EXPECT_EQ(vcDoneAppendReferenceWorkCache(p), 0);
  EXPECT_EQ(readFile(path("p.use")),
            "$(projectdir)/a.c c3 2 " + std::string(time) + " 1.2\n\"$(projectdir)/my dir\"/b.c 0 0 0\n");
}

struct Question {
  std::string name, current, buffer, archive;
  bool operator==(const Question&) const = default;
};
void PrintTo(const Question& q, std::ostream* os) {
  *os << q.name << "|" << q.current << "|" << q.buffer << "|" << q.archive;
}
std::vector<Question> g_questions;
std::vector<std::pair<int, std::string>> g_answers;
int answerVariable(const char* name, const char* current, char* value, const char* archive) {
  g_questions.push_back({name, current, value, archive ? archive : "null"});
  if (g_answers.empty()) return 0;
  const auto [rc, text] = g_answers.front();
  g_answers.erase(g_answers.begin());
  std::strcpy(value, text.c_str());
  return rc;
}

TEST_F(ProjectLinksTest, SandboxVariableQuestions) {
  writeFile(path("p.prj"), "--ORV Project--\n$Revision$\nlib=/opt/lib\nEndOptions\n"
                           "$(lib)/x.c a  archive=$(arc)/x.arc\n$(projectdir)/y.c a  archive=$(projectdir)/y.arc\n"
                           "$(tools)/t.c a  archive=$(arc)/t.arc\n$(tools)/u.c a  \n");
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=p.prj\ntools=/given\n");
  const int plain = open("p.prj", 0);
  g_questions.clear();
  EXPECT_EQ(vcSbxVariableReset(plain, answerVariable), 0);
  EXPECT_TRUE(g_questions.empty());
  const int sb = open("sb.prj", 0);
  EXPECT_EQ(vcSbxVariableReset(sb, nullptr), err::kBadArgument);
  g_answers = {{1, "/my/lib//"}, {1, "///"}, {-1, ""}};
  EXPECT_EQ(vcSbxVariableReset(sb, answerVariable), err::kDone);
  const std::vector<Question> expected{
      {"lib", "/opt/lib", "/opt/lib/x.c", "null"},
      {"arc", "", "/my/lib/x.c", "$(arc)/x.arc"},  // no value: the rule stays unexpanded
      {"arc", "", "/given/t.c", "$(arc)/t.arc"},  // "/" only set nothing: asked again
  };
  EXPECT_EQ(g_questions, expected);
  char value[64] = {};
  unsigned flags = 0;
  ASSERT_EQ(vcProjectOptionGet(sb, "lib", value, sizeof value, &flags), 0);
  EXPECT_STREQ(value, "/my/lib");
  EXPECT_EQ(flags & 128u, 128u);
  char changed = 0;
  ASSERT_EQ(vcGetProject(sb, 155, &changed, 1), 0);
  EXPECT_EQ(changed, 1);
  char full[512];
  ASSERT_EQ(vcInProject(sb, "/my/lib/x.c"), 0);  // the working name in the sandbox
  ASSERT_EQ(vcGetMember(sb, 100, full, sizeof full), 0);
  EXPECT_STREQ(full, "/opt/lib/x.c");  // the full name keeps the master's value
}

TEST_F(ProjectLinksTest, ExpressionsOverAMembersRules) {
  writeFile(path("p.prj"), "--ORV Project--\n$Revision$\nEndOptions\n$(projectdir)/a.c a  level=3,kind=lib\n");
  const int p = open("p.prj", 0);
  ASSERT_EQ(vcMemberBindExpression(p, path("a.c").c_str(), "level + 1 == 31"), 0);
  EXPECT_EQ(vcExtraError(), 1);
  ASSERT_EQ(vcMemberBindExpression(p, path("a.c").c_str(), "kind == \"lib\""), 0);
  EXPECT_EQ(vcExtraError(), 1);
  EXPECT_EQ(vcMemberBindExpression(p, nullptr, "1"), err::kNotMember);
  EXPECT_EQ(vcMemberBindExpression(p, path("a.c").c_str(), nullptr), err::kBadArgument);
}

}  // namespace
