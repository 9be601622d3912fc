// Tests of the project information items: every item read from a project
// opened directly and through a sandbox, the option walks, the items that
// change a project (and what a save then writes), freezing and thawing with
// their permissions and log entries.
#include "vc/project/tests/project_test_support.h"
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace err = vc::err;

using namespace projecttest;

const std::string kProject =
    "--ORV Project--\n$Revision: 1.4 $\nowner=ann\nNocompress\nworktoarch /w=/a\nEndOptions\n"
    "a.c a  \n$(projectdir)/b.c a 1.2 \n";

struct ProjectItemsTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-projitems"};
  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    denied().clear();
    vc::permissionBridge().granted = grantedUnlessDenied;
    writeFile(path("p.prj"), kProject);
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
  std::string text(int h, int item, int* rc = nullptr) {
    char buf[512] = {};
    const int r = vcGetProject(h, item, buf, sizeof buf);
    if (rc) *rc = r;
    return r == 0 ? std::string(buf) : "<" + std::to_string(r) + ">";
  }
  int flag(int h, int item) {
    char b = 7;
    EXPECT_EQ(vcGetProject(h, item, &b, 1), 0) << item;
    return b;
  }
  std::vector<std::string> walk(int h, int first) {
    std::vector<std::string> out;
    for (int item = first;; item = first + 1) {
      int rc = 0;
      const std::string entry = text(h, item, &rc);
      if (rc != 0) {
        EXPECT_EQ(rc, err::kUnknownOption);
        return out;
      }
      out.push_back(entry);
    }
  }
};

TEST_F(ProjectItemsTest, ItemsOfADirectAndASandboxProject) {
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=p.prj\nowner=bob\n");
  const int direct = open("p.prj", 0);
  const int through = open("sb.prj", 0);
  struct Case {
    int item;
    std::string direct, through;
  } cases[] = {
      {140, path("p.prj"), path("p.prj")},
      {141, "1.4", "1.4"},
      {142, scratch.path(), scratch.path()},  // no projectdir option: the project file's directory
      {143, scratch.path(), scratch.path()},  // no workdir option: the project's, or the sandbox's
      {146, "<5>", path("sb.prj")},
      {147, path("p.trn"), path("p.trn")},
      {148, "<56>", "<56>"},  // not an item
      {151, path("p.prj"), path("p.prj")},
      {159, "<56>", "<56>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text(direct, c.item), c.direct) << c.item;
    EXPECT_EQ(text(through, c.item), c.through) << c.item;
  }
  for (int item : {144, 145, 149, 150, 152, 153, 155, 156, 158}) {
    EXPECT_EQ(flag(direct, item), item == 153 ? 1 : 0) << item;  // the use cache is on from the open
    EXPECT_EQ(flag(through, item), item == 150 || item == 153 ? 1 : 0) << item;
  }
  EXPECT_EQ(flag(direct, 154), 1);  // the log is on from the open

  std::int32_t count = 0;
  EXPECT_EQ(vcGetProject(direct, 157, reinterpret_cast<char*>(&count), 4), 0);
  EXPECT_EQ(count, 2);
  char shortBuf[3];
  EXPECT_EQ(vcGetProject(direct, 157, shortBuf, 3), err::kBufferTooSmall);
  char small[4];
  EXPECT_EQ(vcGetProject(direct, 140, small, sizeof small), err::kBufferTooSmall);
  EXPECT_EQ(vcGetProject(direct, 140, small, 0), err::kBadArgument);
  EXPECT_EQ(vcGetProject(direct + through + 100, 140, small, sizeof small), err::kBadProjectHandle);

  // The walks: oldest first, own list then the policies; the sandbox's alone.
  const std::vector<std::string> own{"owner=ann", "compress"};
  EXPECT_EQ(walk(direct, 120), own);
  EXPECT_EQ(walk(direct, 128), own);
  EXPECT_EQ(walk(direct, 122), std::vector<std::string>{"worktoarch /w=/a"});
  EXPECT_EQ(walk(direct, 132), std::vector<std::string>{});
  EXPECT_EQ(walk(through, 124), (std::vector<std::string>{"masterproject=p.prj", "owner=bob"}));
  // A "next" of another group starts that walk afresh.
  EXPECT_EQ(text(direct, 120), "owner=ann");
  EXPECT_EQ(text(direct, 129), "owner=ann");
}

// A long list of worktoarch pairs whose names come back further down the
// file: each name keeps the place of its first line and the value of its
// last, in the walk and through a save.
TEST_F(ProjectItemsTest, ManyPairsKeepTheirFirstPlaceAndLastValue) {
  std::string file = "--ORV Project--\n$Revision$\n";
  std::vector<std::string> names;
  std::map<std::string, std::string> last;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "/w" + std::to_string(i * 7 % 80);
    const std::string value = "/a" + std::to_string(i);
    file += "worktoarch " + name + "=" + value + "\n";
    if (!last.count(name)) names.push_back(name);
    last[name] = value;
  }
  writeFile(path("pairs.prj"), file + "EndOptions\n");
  std::vector<std::string> expected;
  for (const std::string& name : names) expected.push_back("worktoarch " + name + "=" + last[name]);
  const int h = open("pairs.prj", VC_PROJECT_OPEN_WRITE);
  EXPECT_EQ(walk(h, 122), expected);
  ASSERT_EQ(vcSetProject(h, VC_PROJECT_ITEM_SET_CHANGED, "\1"), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  ASSERT_EQ(vcCloseProject(h), 0);
  const int again = open("pairs.prj", 0);
  EXPECT_EQ(walk(again, 122), expected);
  ASSERT_EQ(vcCloseProject(again), 0);
}

TEST_F(ProjectItemsTest, MemberPathsWithoutVariables) {
  writeFile(path("old.prj"), "--ORV Project--\n$Revision$\nEndOptions\nsrc/a.c a  \n");
  EXPECT_EQ(flag(open("old.prj", 0), 156), 1);
}

TEST_F(ProjectItemsTest, SettingItemsAndWhatTheSaveWrites) {
  const int ro = open("p.prj", 0);
  EXPECT_EQ(vcSetProject(ro, 163, "/w"), err::kNotOpenForWrite);
  const int h = open("p.prj", 1);
  EXPECT_EQ(vcSetProject(h, 163, nullptr), err::kBadArgument);
  EXPECT_EQ(vcSetProject(h, 169, "1"), err::kBadArgument);
  EXPECT_EQ(vcSetProject(h, 163, "/home/w"), 0);
  EXPECT_EQ(text(h, 143), "/home/w");
  EXPECT_EQ(flag(h, 145), 1);
  EXPECT_EQ(vcSetProject(h, 163, ""), 0);  // an empty text clears it
  EXPECT_EQ(text(h, 143), scratch.path());
  EXPECT_EQ(vcSetProject(h, 162, "/src"), 0);
  EXPECT_EQ(vcSetProject(h, 161, "2.1"), 0);
  EXPECT_EQ(vcSetProject(h, 166, "\x01"), 0);
  EXPECT_EQ(flag(h, 152), 1);
  EXPECT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.prj")),
            "--ORV Project--\n$Revision: 2.1 $\nowner=ann\nNocompress\nprojectdir=/src\nworktoarch /w=/a\n"
            "EndOptions\na.c a  \n$(projectdir)/b.c a 1.2 \n");

  // The changed flag set off: the save writes nothing.
  EXPECT_EQ(vcSetProject(h, 161, "3.0"), 0);
  EXPECT_EQ(vcSetProject(h, 165, "0"), 0);
  EXPECT_EQ(flag(h, 145), 0);
  EXPECT_EQ(vcSaveProject(h), 0);
  EXPECT_NE(readFile(path("p.prj")).find("$Revision: 2.1 $"), std::string::npos);
}

TEST_F(ProjectItemsTest, FreezeAndThaw) {
  const int h = open("p.prj", 1);
  denied() = {"freezeproject"};
  EXPECT_EQ(vcSetProject(h, 171, nullptr), err::kDenyFreezeProject);
  EXPECT_EQ(flag(h, 158), 0);
  EXPECT_EQ(flag(h, 145), 0);
  denied().clear();
  EXPECT_EQ(vcSetProject(h, 171, nullptr), 0);
  EXPECT_EQ(vcSetProject(h, 171, nullptr), 0);  // already frozen: no second entry
  EXPECT_EQ(flag(h, 158), 1);
  EXPECT_EQ(vcSetProject(h, 161, "9.9"), err::kProjectFrozen);
  EXPECT_EQ(vcSetProject(h, 164, "1"), err::kProjectFrozen);
  EXPECT_EQ(vcSaveProject(h), 0);
  EXPECT_NE(readFile(path("p.prj")).find("\nfrozen\n"), std::string::npos);

  denied() = {"thawproject"};
  EXPECT_EQ(vcSetProject(h, 172, nullptr), err::kDenyThawProject);
  denied().clear();
  EXPECT_EQ(vcSetProject(h, 172, nullptr), 0);
  EXPECT_EQ(flag(h, 158), 0);
  EXPECT_EQ(vcSetProject(h, 172, nullptr), 0);
  EXPECT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.prj")).find("frozen"), std::string::npos);
  // One record a save, each with its one entry.
  const std::string log = readFile(path("p.trn"));
  EXPECT_NE(log.find("\nfrozen\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\nthawed\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("frozen\nfrozen"), std::string::npos) << log;
}

TEST_F(ProjectItemsTest, LogOffDropsThePendingEntries) {
  const int h = open("p.prj", 1);
  EXPECT_EQ(vcProjectOptionSet(h, "title=ledger", 1), 0);
  EXPECT_EQ(vcSetProject(h, 168, "0"), 0);
  EXPECT_EQ(flag(h, 154), 0);
  EXPECT_EQ(vcProjectOptionSet(h, "owner=bob", 1), 0);
  EXPECT_EQ(vcSaveProject(h), 0);
  EXPECT_NE(readFile(path("p.prj")).find("title=ledger"), std::string::npos);
  EXPECT_EQ(readFile(path("p.trn")), "<missing>");
}

}  // namespace
