// Tests of the root project search, the enumeration of option lists with
// their scopes, and the comparison of two projects' members: the golden
// difference texts in their three phases, a short buffer that does not move
// the cursor, deletes during a comparison and closing a compared project.
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/instance/seams.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace err = vc::err;

bool grantAll(vc::VcInstance&, const char*) { return true; }

void writeFile(const std::string& path, const std::string& text) {
  ASSERT_EQ(orv::sys::writeWholeFile(path, text), 0) << path;
}

std::string& fakeCwd() {
  static std::string cwd;
  return cwd;
}
bool readFakeCwd(std::string& out) {
  out = fakeCwd();
  return true;
}

struct ProjectCompareTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-compare"};
  void SetUp() override {
    useKelDouble();
    fakeCwd() = scratch.path();
    vc::seams().currentDirectory = readFakeCwd;
    ASSERT_EQ(vcAPIinit(), 0);
    vc::permissionBridge().granted = grantAll;
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vcAPIcleanup();
    vc::resetSeams();
  }
  std::string path(const std::string& name) { return scratch.path() + "/" + name; }
  int open(const std::string& name, const std::string& members, int flags = 0) {
    writeFile(path(name), "--ORV Project--\n$Revision$\nEndOptions\n" + members);
    int h = 0;
    EXPECT_EQ(vcOpenProject(path(name).c_str(), flags, &h, 0), 0) << name;
    return h;
  }
  std::vector<std::string> changes(int compare) {
    std::vector<std::string> out;
    char buf[512];
    int rc = 0;
    while ((rc = vcProjectChanges(compare, buf, sizeof buf)) == 0) out.push_back(buf);
    EXPECT_EQ(rc, err::kDone);
    return out;
  }
};

TEST_F(ProjectCompareTest, DifferenceTexts) {
  const int one = open("one.prj",
                       "$(projectdir)/gone.c a 1.1 \n$(projectdir)/kind.c a 1.1 \n$(projectdir)/rev.c a 1.2 \n"
                       "$(projectdir)/rules.c a 1.1 x=1\n$(projectdir)/same.c a 1.1 \n$(projectdir)/all.c a  \n");
  const int two = open("two.prj",
                       "$(projectdir)/KIND.c s 1.1 \n$(projectdir)/new.c a 1.1 \n$(projectdir)/rev.c a 1.3 \n"
                       "$(projectdir)/rules.c a 1.1 \n$(projectdir)/same.c a 1.1 \n$(projectdir)/all.c f 2.1 y=2\n");
  int c = 0;
  ASSERT_EQ(vcProjectCompareInit(one, two, &c), 0);
  const std::string d = scratch.path() + "/";
  EXPECT_EQ(changes(c), (std::vector<std::string>{
                            "d" + d + "gone.c",
                            "a" + d + "new.c",
                            "m\"" + d + "KIND.c\" ta;s;",
                            "m\"" + d + "all.c\" ta;f;rnull;2.1;unull;y=2;",
                            "m\"" + d + "rev.c\" r1.2;1.3;",
                            "m\"" + d + "rules.c\" ux=1;null;",
                        }));
  EXPECT_EQ(vcProjectChanges(c, nullptr, 10), err::kBadArgument);
  EXPECT_EQ(vcProjectCompareDone(c), 0);
  EXPECT_EQ(vcProjectCompareDone(c), err::kBadArgument);
  char two_[2];
  EXPECT_EQ(vcProjectChanges(c, two_, 2), err::kBadArgument);

  // A project compared with itself: done at once.
  ASSERT_EQ(vcProjectCompareInit(one, one, &c), 0);
  char buf[64];
  EXPECT_EQ(vcProjectChanges(c, buf, sizeof buf), err::kDone);
  EXPECT_EQ(vcProjectCompareInit(one, two + 100, &c), err::kBadArgument);
  EXPECT_EQ(vcProjectCompareInit(one, two, nullptr), err::kBadArgument);
}

TEST_F(ProjectCompareTest, ShortBufferDeletesAndClosing) {
  const int one = open("one.prj", "$(projectdir)/a.c a  \n$(projectdir)/b.c a  \n$(projectdir)/c.c a  \n", 2);
  const int two = open("two.prj", "");
  int c = 0;
  ASSERT_EQ(vcProjectCompareInit(one, two, &c), 0);
  char small[4];
  EXPECT_EQ(vcProjectChanges(c, small, 1), err::kBufferTooSmall);
  EXPECT_EQ(vcProjectChanges(c, small, sizeof small), err::kBufferTooSmall);
  char buf[512];
  ASSERT_EQ(vcProjectChanges(c, buf, sizeof buf), 0);  // the same difference again
  EXPECT_EQ(std::string(buf), "d" + path("a.c"));
  ASSERT_EQ(vcProjectChanges(c, small, sizeof small), err::kBufferTooSmall);  // the cursor stands on b.c
  ASSERT_EQ(vcDeleteMember(one, path("b.c").c_str()), 0);
  EXPECT_EQ(changes(c), std::vector<std::string>{"d" + path("c.c")});
  int c2 = 0;
  ASSERT_EQ(vcProjectCompareInit(one, two, &c2), 0);
  ASSERT_EQ(vcCloseProject(two), 0);
  EXPECT_EQ(vcProjectChanges(c2, buf, sizeof buf), err::kBadArgument);  // ended with its project
}

struct Entry {
  int flags;
  std::string scope, keyword, text;
  bool operator==(const Entry&) const = default;
};
std::vector<Entry> g_entries;
int g_stopAt = -1;
int record(int flags, const char* scope, const char* keyword, const char* text) {
  g_entries.push_back({flags, scope, keyword, text});
  return static_cast<int>(g_entries.size()) == g_stopAt ? 77 : 0;
}

TEST_F(ProjectCompareTest, EnumerationOfOptionListsWithTheirScopes) {
  writeFile(path("p.prj"),
            "--ORV Project--\n$Revision$\nowner=ann\nNocompress\nworktoarch /w=/a\nblock build\n"
            "echo hi\nend\nEndOptions\n");
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=p.prj\n");
  int h = 0;
  ASSERT_EQ(vcOpenProject(path("sb.prj").c_str(), 0, &h, 0), 0);
  g_entries.clear();
  g_stopAt = -1;
  ASSERT_EQ(vcEnumConfig(h, record), 0);
  const std::vector<Entry> expected{
      {0x8000 | 128, "sandbox", "masterproject", "masterproject=p.prj"},
      {0x8000 | 64, "project - local", "owner", "owner=ann"},
      {0x8000 | 64, "project - local", "compress", "Nocompress"},
      {0x1000 | 64, "project - local", "worktoarch", "/w=/a"},
      {0x100 | 64, "project - local", "block", "block build"},
      {0x200 | 64, "project - local", "continue-block", "echo hi"},
      {0x400 | 64, "project - local", "end-block", "end"},
  };
  EXPECT_EQ(g_entries, expected);
  g_entries.clear();
  g_stopAt = 1;
  EXPECT_EQ(vcEnumConfig(h, record), 77);  // the first answer ends everything
  EXPECT_EQ(g_entries.size(), 1u);
  EXPECT_EQ(vcEnumConfig(h, nullptr), err::kBadArgument);
  EXPECT_EQ(vcEnumConfig(h + 100, record), err::kBadProjectHandle);
  // Without a project: the instance's local list, then its global list.
  ASSERT_EQ(vcSetConfig("mylocal=1", nullptr), 0);
  g_entries.clear();
  g_stopAt = -1;
  ASSERT_EQ(vcEnumConfig(0, record), 0);
  ASSERT_FALSE(g_entries.empty());
  EXPECT_EQ(g_entries.front(), (Entry{0x8000, "instance - local", "mylocal", "mylocal=1"}));
  EXPECT_EQ(g_entries.back().flags & 0xFF, 8);
}

TEST_F(ProjectCompareTest, RootProject) {
  char buf[512];
  EXPECT_EQ(vcRootProject(buf, sizeof buf), err::kUnknownOption);
  ASSERT_EQ(orv::sys::calls().mkdir(path("a").c_str(), 0755), 0);
  ASSERT_EQ(orv::sys::calls().mkdir(path("a/b").c_str(), 0755), 0);
  writeFile(path("root.prj"), "x");
  fakeCwd() = path("a/b");
  ASSERT_EQ(vcSetConfig("rootproject=root.prj", nullptr), 0);
  ASSERT_EQ(vcRootProject(buf, sizeof buf), 0);  // two levels up
  EXPECT_EQ(std::string(buf), path("root.prj"));
  ASSERT_EQ(vcSetConfig(("rootproject=" + path("root.prj")).c_str(), nullptr), 0);
  ASSERT_EQ(vcRootProject(buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), path("root.prj"));
  ASSERT_EQ(vcSetConfig("rootproject=no-such-root-project.prj", nullptr), 0);
  EXPECT_EQ(vcRootProject(buf, sizeof buf), err::kArchiveMissing);
}

}  // namespace
