// Tests of the project members: member order in walks and in the saved
// file, lookup by full and working name, the leading-part rule, the stored
// paths of new members and their variables, the checks of vcSetMember in
// their order, the walk apart from the current member, renames and deletes
// with their log lines read back from the saved log.
#include "vc/project/tests/project_test_support.h"
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/project/project_members.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

namespace err = vc::err;

using namespace projecttest;

const std::string kHeader = "--ORV Project--\n$Revision$\n";

struct ProjectMembersTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-members"};
  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    denied().clear();
    vc::permissionBridge().granted = grantedUnlessDenied;
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vcAPIcleanup();
  }
  std::string path(const std::string& name) { return scratch.path() + "/" + name; }
  int open(const std::string& name, int flags, const std::string& body = "EndOptions\n") {
    if (readFile(path(name)) == "<missing>") writeFile(path(name), kHeader + body);
    int h = 0;
    EXPECT_EQ(vcOpenProject(path(name).c_str(), flags, &h, 0), 0) << name;
    return h;
  }
  std::string item(int h, int it) {
    char buf[1024] = {};
    const int rc = vcGetMember(h, it, buf, sizeof buf);
    return rc == 0 ? std::string(buf) : "<" + std::to_string(rc) + ">";
  }
  std::vector<std::string> walk(int h, int first = 114) {
    std::vector<std::string> out;
    for (std::string s = item(h, first); s[0] != '<'; s = item(h, first + 1)) out.push_back(s);
    return out;
  }
  std::string option(int h, const std::string& name) {
    char buf[512] = {};
    return vcProjectOptionGet(h, name.c_str(), buf, sizeof buf, nullptr) == 0 ? buf : "<none>";
  }
};

TEST_F(ProjectMembersTest, MemberOrderInWalksAndInTheSavedFile) {
  const int h = open("p.prj", 2);
  for (const char* name : {"b.c", "lib/y.c", "a.c", "Src/x.c", "C.c"})
    ASSERT_EQ(vcAddMember(h, 'a', path(name).c_str(), "1.1", nullptr), 0) << name;
  const std::vector<std::string> stored{"$(projectdir)/C.c", "$(projectdir)/a.c", "$(projectdir)/b.c",
                                        "$(projectdir)/Src/x.c", "$(projectdir)/lib/y.c"};
  // Directory text first ("$(projectdir)" sorts before "$(projectdir)/..."),
  // upper case before lower case.
  EXPECT_EQ(walk(h), stored);
  EXPECT_EQ(walk(h, 112).front(), path("C.c"));
  // Names that differ only in letter case are one member.
  EXPECT_EQ(vcAddMember(h, 'a', path("c.C").c_str(), nullptr, nullptr), err::kAlreadyMember);
  ASSERT_EQ(vcSaveProject(h), 0);
  const std::string text = readFile(path("p.prj"));
  EXPECT_EQ(text.substr(text.find("EndOptions\n") + 11),
            "$(projectdir)/C.c a 1.1 \n$(projectdir)/a.c a 1.1 \n$(projectdir)/b.c a 1.1 \n"
            "$(projectdir)/Src/x.c a 1.1 \n$(projectdir)/lib/y.c a 1.1 \n");
  // Non-ASCII names sort after ASCII ones (unsigned byte order).
  ASSERT_EQ(vcAddMember(h, 'f', path("\xc3\xa9t\xc3\xa9.c").c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(walk(h)[3], "$(projectdir)/\xc3\xa9t\xc3\xa9.c");
}

TEST_F(ProjectMembersTest, LookupIgnoresCaseAndSlashesAndFindsWorkingNames) {
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=p.prj\nworkdir=/work/me\n");
  const int h = open("p.prj", 2, "EndOptions\n$(projectdir)/src/Main.c a 1.1 \n");
  const int sb = open("sb.prj", 0);
  struct Case {
    int project;
    std::string name;
    int rc;
  } cases[] = {
      {h, path("src/Main.c"), 0},
      {h, path("SRC\\main.C"), 0},
      {h, path("src/Main.c2"), err::kNotMember},
      {sb, path("src/main.c"), 0},        // full name (the master's)
      {sb, "/work/me/src/main.c", 0},     // working name in the sandbox
      {sb, "/WORK/me\\src/Main.c", 0},
      {h, "/work/me/src/main.c", err::kNotMember},
  };
  for (const Case& c : cases) EXPECT_EQ(vcInProject(c.project, c.name.c_str()), c.rc) << c.name;
  char buf[512];
  ASSERT_EQ(vcMemberWorkName(sb, nullptr, nullptr, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "/work/me/src/Main.c");
  ASSERT_EQ(vcMemberWorkName(sb, nullptr, "/elsewhere", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "/elsewhere/src/Main.c");
  ASSERT_EQ(vcMemberWorkName(h, nullptr, nullptr, buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), path("src/Main.c"));
  EXPECT_EQ(vcInProject(h, nullptr), err::kBadArgument);
}

TEST(MemberPathRules, LeadingParts) {
  struct Case {
    const char* value;
    const char* path;
    bool leading;
  } cases[] = {
      {"d:/src", "d:/src/a.c", true},      {"d:/src/", "d:/src/a.c", true},
      {"D:/src", "d:/src/a.c", false},     {"d:/src/a.c", "d:/src/a.c", false},
      {"d:/src", "d:/src2/a.c", false},    {"d:/SRC", "d:/src/x/a.c", true},
      {"/home/ann", "/home/ann/a.c", true}, {"/home/an", "/home/ann/a.c", false},
      {"", "/a.c", false},
  };
  for (const Case& c : cases) EXPECT_EQ(vc::isLeadingPart(c.value, c.path), c.leading) << c.value << " " << c.path;
}

TEST_F(ProjectMembersTest, StoredPathsAndTheirVariables) {
  const int h = open("p.prj", 2, "share=/opt/share\nshared=/opt/share/lib\nroot_var=/elsewhere\nEndOptions\n");
  struct Case {
    std::string file, stored;
  } cases[] = {
      {path("a.c"), "$(projectdir)/a.c"},
      {"/opt/share/x.c", "$(share)/x.c"},
      {"/opt/share/lib/y.c", "$(shared)/y.c"},  // the longest value wins
      {"/srv/data-1/z.c", "$(root_srv)/data-1/z.c"},
      {"/srv/q.c", "$(root_srv)/q.c"},           // the variable is made once
      {"/9x/r.c", "$(root_9x)/r.c"},
      {"/var/k.c", "$(root_var_2)/k.c"},          // the name holds another value
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vcAddMember(h, 'f', c.file.c_str(), nullptr, nullptr), 0) << c.file;
    EXPECT_EQ(item(h, 116), c.stored);
    EXPECT_EQ(item(h, 100), c.file);
  }
  EXPECT_EQ(option(h, "root_srv"), "/srv");
  EXPECT_EQ(option(h, "root_9x"), "/9x");
  EXPECT_EQ(option(h, "root_var"), "/elsewhere");
  // A file directly in the root cannot be stored.
  EXPECT_EQ(vcAddMember(h, 'f', "/top.c", nullptr, nullptr), err::kBadArgument);
}

int g_asked = 0;
int answerVariable(int, int, const char* name, const char* rest, char* value, int length) {
  ++g_asked;
  if (std::string(name) != "tools" || std::string(rest) != "/t.c" || length != 1024) return 0;
  std::strcpy(value, "/usr/tools");
  return 1;
}
int declineVariable(int, int, const char*, const char*, char*, int) {
  ++g_asked;
  return 0;
}

TEST_F(ProjectMembersTest, VariablesWithoutValues) {
  writeFile(path("v.prj"), kHeader + "EndOptions\n$(tools)/t.c a  \n$(none)/n.c a  \n");
  g_asked = 0;
  vcProjectVariableRegister(declineVariable);
  const int declined = open("v.prj", 0);
  EXPECT_EQ(g_asked, 2);
  ASSERT_EQ(vcMemberSetPosition(declined, 1), 0);
  EXPECT_EQ(item(declined, 100), "$(tools)/t.c");  // stays unexpanded, never "/t.c"
  vcProjectVariableRegister(answerVariable);
  const int answered = open("v.prj", 0);
  ASSERT_EQ(vcMemberSetPosition(answered, 1), 0);
  EXPECT_EQ(item(answered, 100), "/usr/tools/t.c");
  EXPECT_EQ(option(answered, "tools"), "/usr/tools");
  vcProjectVariableRegister(nullptr);
}

TEST_F(ProjectMembersTest, SetMemberChecksInOrder) {
  writeFile(path("p.prj"), kHeader + "EndOptions\n$(projectdir)/a.c a 1.1 frozen\n$(projectdir)/b.c a 1.1 \n");
  const int ro = open("p.prj", 0);
  const int rw = open("p.prj", 2);
  const int empty = open("e.prj", 2);
  writeFile(path("fz.prj"), kHeader + "frozen\nEndOptions\n$(projectdir)/b.c a  \n");
  const int frozen = open("fz.prj", 2);
  ASSERT_EQ(vcMemberSetPosition(rw, 0), 0);  // a.c, a frozen member
  struct Case {
    int project, item;
    const char* value;
    int rc;
  } cases[] = {
      {ro, 127, "1.2", err::kNotOpenForWrite},
      {ro, 127, nullptr, err::kNotOpenForWrite},
      {rw, 127, nullptr, err::kBadArgument},
      {rw, 127, "1 2", err::kBadArgument},
      {frozen, 127, "1.2", err::kProjectFrozen},
      {empty, 127, "1.2", err::kNotMember},
      {rw, 127, "1.2", err::kMemberFrozen},
      {rw, 126, "x=1", err::kMemberFrozen},
      {rw, 131, "x", err::kBadArgument},
      {ro, 128, "1.4", err::kNotMember},  // item 128 needs no write access
  };
  for (const Case& c : cases)
    EXPECT_EQ(vcSetMember(c.project, c.item, c.value), c.rc) << c.item << " " << (c.value ? c.value : "null");
  ASSERT_EQ(vcMemberSetPosition(rw, 1), 0);  // b.c
  EXPECT_EQ(vcSetMember(rw, 125, "x"), err::kBadInfoRequest);
  EXPECT_EQ(vcSetMember(rw, 126, "a=1,frozen"), err::kBadFreeze);
}

TEST_F(ProjectMembersTest, ChangesAndTheirLogLines) {
  const int h = open("p.prj", 2);
  writeFile(path("a.c"), "abc");
  ASSERT_EQ(vcAddMember(h, 'a', path("a.c").c_str(), "1.1", nullptr), 0);
  const std::string a = path("a.c");
  EXPECT_EQ(vcSetMember(h, 125, "a"), 0);  // unchanged: no entry
  EXPECT_EQ(vcSetMember(h, 127, "1.2"), 0);
  EXPECT_EQ(vcSetMember(h, 126, "x=1"), 0);
  EXPECT_EQ(vcSetMember(h, 129, nullptr), 0);
  EXPECT_EQ(item(h, 119), "x=1,frozen");
  EXPECT_EQ(item(h, 120), "\x01");
  EXPECT_EQ(vcSetMember(h, 129, nullptr), 0);  // already frozen: nothing
  EXPECT_EQ(vcSetMember(h, 130, nullptr), 0);
  EXPECT_EQ(item(h, 119), "x=1");
  EXPECT_EQ(vcSetMember(h, 125, "f"), 0);
  EXPECT_EQ(item(h, 101), "");  // kind f drops the revision
  EXPECT_EQ(vcSetMember(h, 129, nullptr), 0);  // kind f cannot be frozen
  EXPECT_EQ(item(h, 119), "x=1");
  char buf[512];
  ASSERT_EQ(vcRenameMember(h, nullptr, path("z.c").c_str(), buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), path("z.c"));
  ASSERT_EQ(vcDeleteMember(h, path("Z.C").c_str()), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  const std::string log = readFile(path("p.trn"));
  const std::string z = path("z.c");
  EXPECT_EQ(log.substr(log.find('\n') + 1),
            a + " add 1.1\n" + a + " new-revision 1.2 was 1.1\n" + a + " new-rules x=1 was none\n" + a +
                " new-rules x=1,frozen was x=1\n" + a + " new-rules x=1 was x=1,frozen\n" + a +
                " new-type f was a\n" + z + " add\n" + a + " drop\n" + z + " drop\n");
}

TEST_F(ProjectMembersTest, WalkAndCurrentMemberAreApart) {
  const int h = open("p.prj", 2, "EndOptions\na.c a  \nb.c a  \nc.c a  \nd.c a  \n");
  EXPECT_EQ(vcMemberSetPosition(h + 100, -1), err::kBadArgument);  // before the handle is looked at
  EXPECT_EQ(vcMemberSetPosition(h, 4), err::kNotMember);
  EXPECT_EQ(item(h, 100), "<61>");  // no current member yet
  EXPECT_EQ(item(h, 114), "a.c");
  ASSERT_EQ(vcMemberSetPosition(h, 2), 0);
  EXPECT_EQ(item(h, 116), "c.c");
  EXPECT_EQ(item(h, 115), "b.c");  // the walk goes on from where it stood
  ASSERT_EQ(vcInProject(h, path("d.c").c_str()), 0);
  EXPECT_EQ(item(h, 115), "c.c");  // a walk item makes its member the current one
  // Deleting the member the walk stands on: the walk goes on after it.
  ASSERT_EQ(vcDeleteMember(h, nullptr), 0);  // c.c
  EXPECT_EQ(item(h, 100), "<61>");
  EXPECT_EQ(item(h, 115), "d.c");
  ASSERT_EQ(vcDeleteMember(h, path("d.c").c_str()), 0);
  EXPECT_EQ(item(h, 115), "<61>");
  EXPECT_EQ(item(h, 115), "<61>");
  EXPECT_EQ(item(h, 114), "a.c");
  std::uint32_t flags = 7;
  EXPECT_EQ(vcGetMember(h, 110, reinterpret_cast<char*>(&flags), 4), 0);
  EXPECT_EQ(vcGetMember(h, 110, reinterpret_cast<char*>(&flags), 3), err::kBufferTooSmall);
  EXPECT_EQ(item(h, 103), std::string());  // its node, made at the open: nothing recorded yet
  EXPECT_EQ(vcSetMember(h, 128, "1.9"), 0);
  EXPECT_EQ(item(h, 108), "1.9");
  EXPECT_EQ(vcGetMember(h, 110, reinterpret_cast<char*>(&flags), 4), 0);
  EXPECT_EQ(flags, vc::kMemberRevisionDiffers);
}

TEST_F(ProjectMembersTest, AddRenameAndDeleteRefusals) {
  writeFile(path("p.prj"), kHeader + "EndOptions\n$(projectdir)/a.c a 1.1 frozen\n$(projectdir)/b.c a  \n");
  const int ro = open("p.prj", 0);
  const int h = open("p.prj", 2);
  EXPECT_EQ(vcAddMember(ro, 'a', path("n.c").c_str(), nullptr, nullptr), err::kNotOpenForWrite);
  EXPECT_EQ(vcAddMember(h, 'a', path("n.c").c_str(), "1 1", nullptr), err::kBadArgument);
  EXPECT_EQ(vcAddMember(h, 'x', path("n.c").c_str(), nullptr, nullptr), err::kBadArgument);
  EXPECT_EQ(vcAddMember(h, 'a', path("B.C").c_str(), nullptr, nullptr), err::kAlreadyMember);
  EXPECT_EQ(vcAddMember(h, 'a', path("p.prj").c_str(), nullptr, nullptr), err::kProjectInOwnJournal);
  denied().insert("addmember");
  EXPECT_EQ(vcAddMember(h, 'a', path("n.c").c_str(), nullptr, nullptr), err::kDenyAddMember);
  EXPECT_EQ(vcRenameMember(h, path("b.c").c_str(), path("n.c").c_str(), nullptr, 0), err::kDenyAddMember);
  denied().clear();
  EXPECT_EQ(vcRenameMember(h, path("x.c").c_str(), path("n.c").c_str(), nullptr, 0), err::kNotMember);
  EXPECT_EQ(vcRenameMember(h, path("a.c").c_str(), path("n.c").c_str(), nullptr, 0), err::kMemberFrozen);
  EXPECT_EQ(vcRenameMember(h, path("b.c").c_str(), path("A.c").c_str(), nullptr, 0), err::kMemberNameExists);
  EXPECT_EQ(vcDeleteMember(h, path("a.c").c_str()), err::kMemberFrozen);
  denied().insert("removemember");
  EXPECT_EQ(vcDeleteMember(h, path("b.c").c_str()), err::kDenyRemoveMember);
  denied().clear();
  // Nothing of the refused calls reached the project.
  EXPECT_EQ(walk(h), (std::vector<std::string>{"$(projectdir)/a.c", "$(projectdir)/b.c"}));
  // A rename keeps the member's fields and moves it to its place.
  ASSERT_EQ(vcInProject(h, path("b.c").c_str()), 0);
  ASSERT_EQ(vcSetMember(h, 128, "1.1"), 0);
  ASSERT_EQ(vcRenameMember(h, nullptr, path("0.c").c_str(), nullptr, 0), 0);
  EXPECT_EQ(item(h, 108), "1.1");
  EXPECT_EQ(walk(h), (std::vector<std::string>{"$(projectdir)/0.c", "$(projectdir)/a.c"}));
}

int g_locationAnswer = 0;
std::string g_proposed;
int chooseLocation(const char*, const char*, char* result, int) {
  g_proposed = result;
  if (g_locationAnswer == 1) std::strcpy(result, (g_proposed.substr(0, g_proposed.rfind('/')) + "/in/copied.c").c_str());
  return g_locationAnswer;
}
int sayYes(int, const char*) { return 1; }

TEST_F(ProjectMembersTest, AddingThroughASandbox) {
  orv::test::TempDir outside{"orv-outside"};
  writeFile(outside.path() + "/o.c", "outside");
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=p.prj\nworkdir=" + path("work") + "\n");
  open("p.prj", 0);
  const int sb = open("sb.prj", 2);
  // A file of the sandbox's tree takes the same place in the master's.
  ASSERT_EQ(vcAddMemberFromSandbox(sb, 'a', path("work/src/w.c").c_str(), nullptr, nullptr, chooseLocation, sayYes), 0);
  EXPECT_EQ(item(sb, 116), "$(projectdir)/src/w.c");
  EXPECT_EQ(item(sb, 100), path("src/w.c"));
  const std::string o = outside.path() + "/o.c";
  g_locationAnswer = -1;
  EXPECT_EQ(vcAddMemberFromSandbox(sb, 'a', o.c_str(), nullptr, nullptr, chooseLocation, sayYes), err::kCancelled);
  EXPECT_EQ(g_proposed, path("o.c"));
  g_locationAnswer = 1;
  ASSERT_EQ(vcAddMemberFromSandbox(sb, 'a', o.c_str(), nullptr, nullptr, chooseLocation, sayYes), 0);
  EXPECT_EQ(item(sb, 116), "$(projectdir)/in/copied.c");
  EXPECT_EQ(readFile(path("in/copied.c")), "outside");
  // Left where it is, the file gets a variable of the sandbox.
  g_locationAnswer = 0;
  ASSERT_EQ(vcAddMemberFromSandbox(sb, 'a', o.c_str(), nullptr, nullptr, chooseLocation, sayYes), 0);
  EXPECT_EQ(item(sb, 100), o);
  char flag = 0;
  EXPECT_EQ(vcGetProject(sb, 155, &flag, 1), 0);
  EXPECT_EQ(flag, 1);  // the new variable went to the sandbox
}

TEST_F(ProjectMembersTest, ArchiveOfAMember) {
  const int h = open("p.prj", 2, "arch=/nowhere/rcs\nEndOptions\n$(projectdir)/a.c a 1.1 archive=$(arch)/a.arc,x=1\n");
  char buf[512] = {};
  int archive = 0;
  EXPECT_NE(vcMemberOpenArchive(h, path("a.c").c_str(), buf, sizeof buf, &archive, 0), 0);
  EXPECT_STREQ(buf, "/nowhere/rcs/a.arc");
  EXPECT_EQ(vcMemberOpenArchive(h, path("b.c").c_str(), buf, sizeof buf, &archive, 0), err::kNotMember);
}

}  // namespace
