// Tests of the ".use" cache: its name beside the project, the written form
// of a fixture graph read back from a hand-made cache, a round trip (same
// lines, dependencies reversed), lines the reader skips, the cache flag,
// vcDropUses, vcDoneUses, and a deleted member that a non-member header
// included.
#include "vc/project/project_uses.h"
#include "vc/depends/tests/depends_test_support.h"
#include "vc/error_codes.h"
#include "vc/project/project_handles.h"
#include "platform/sys/fault_injection.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

namespace err = vc::err;
using namespace dependstest;

std::vector<std::string> sortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(UseCacheName, ExtensionReplacedOrAppended) {
  struct Case {
    const char* project;
    const char* cache;
  };
  const Case cases[] = {
      {"/w/p.prj", "/w/p.use"},       {"/w/p", "/w/p.use"},          {"/w/.prj", "/w/.prj.use"},
      {"/w.d/p", "/w.d/p.use"},       {"/w/p.x.prj", "/w/p.x.use"},
  };
  for (const Case& c : cases) {
    vc::VcProject p;
    p.path = c.project;
    EXPECT_EQ(vc::useCacheName(p), c.cache) << c.project;
  }
  vc::VcProject s;
  s.path = "/w/master.prj";
  s.throughSandbox = true;
  s.sandboxPath = "/w/mine.sbx";
  EXPECT_EQ(vc::useCacheName(s), "/w/mine.use");
}

struct UseCacheTest : DependsTest {};

TEST_F(UseCacheTest, ReadBackAndWrittenAgain) {
  put("src/main.c", "int main;\n");
  put("src/a.h", "int a;\n");
  // The cache of a member src/main.c that includes the member a.h and
  // c:/inc/defs.h style absolute headers, with lines the reader skips.
  const std::string cache =
      "!" + path("stray.h") + " 5\n"                 // a dependency before any record: ignored
      "$(projectdir)/src/main.c 1a2b 3f 2f6a1c00\n"
      "!" + path("inc/defs.h") + " 2f69ff00\n"
      "!$(projectdir)/src/a.h 2f69ff01\n"
      "three fields only\n"                             // ignored
      + path("inc/defs.h") + " 99c 40 2f69ff00\n"
      "!\"" + path("inc/with blank.h") + "\" 7\n"
      "$(projectdir)/src/a.h 10 6 2f69ff01 1.4\n"
      "\"" + path("inc/with blank.h") + "\" 1 1 7\n";
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), cache), 0);
  openProject({}, {"$(projectdir)/src/a.h", "$(projectdir)/src/main.c"});
  char text[64] = {};
  ASSERT_EQ(vcInProject(h, path("src/a.h").c_str()), 0);
  ASSERT_EQ(vcGetMember(h, 108, text, sizeof text), 0);
  EXPECT_EQ(std::string(text), "1.4");
  ASSERT_EQ(vcSaveUses(h), 0);
  const std::string written = read("p.use");
  // Member order (a.h before main.c), each member's record, its dependency
  // lines (reversed by the reading), then depth first what it reaches.
  EXPECT_EQ(placeholders(written),
            "$(projectdir)/src/a.h 10 6 2f69ff01 1.4\n"
            "$(projectdir)/src/main.c 1a2b 3f 2f6a1c00\n"
            "!$(projectdir)/src/a.h 2f69ff01\n"
            "!<dir>/inc/defs.h 2f69ff00\n"
            "<dir>/inc/defs.h 99c 40 2f69ff00\n"
            "!\"<dir>/inc/with blank.h\" 7\n"
            "\"<dir>/inc/with blank.h\" 1 1 7\n");
  // Round trip: the same lines, each list reversed once more.
  vcCloseProject(h);
  ASSERT_EQ(vcOpenProject(path("p.prj").c_str(), 2, &h, 0), 0);
  ASSERT_EQ(vcSaveUses(h), 0);
  EXPECT_EQ(sortedLines(read("p.use")), sortedLines(written));
  EXPECT_NE(read("p.use"), written);
  usedNames().clear();
  ASSERT_EQ(vcEnumUses(h, path("src/main.c").c_str(), collectUsed), 0);
  EXPECT_EQ(usedNames(), (std::vector<std::string>{path("inc/defs.h"), path("inc/with blank.h"), path("src/a.h")}));
}

TEST_F(UseCacheTest, FlagDropDoneAndWriteFailure) {
  put("src/main.c", "#include \"a.h\"\n");
  put("src/a.h", "int a;\n");
  openProject({}, {"$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(vcFindUses(h, path("src/main.c").c_str(), nullptr, 0), 0);
  // The cache flag off: nothing written.
  ASSERT_EQ(vcSetProject(h, 167, "\0"), 0);
  ASSERT_EQ(vcSaveUses(h), 0);
  EXPECT_EQ(read("p.use"), "<missing>");
  ASSERT_EQ(vcSetProject(h, 167, "\1"), 0);
  {
    // The cache is new: it takes its name by a link; an old one is renamed over.
    orv::sys::ScopedFault<&orv::sys::SystemCalls::rename> refused(EACCES, {.pathContains = "p.use"});
    orv::sys::ScopedFault<&orv::sys::SystemCalls::linkat> linkRefused(EACCES, {.pathContains = "p.use"});
    EXPECT_EQ(vcSaveUses(h), err::kUseCacheWrite);
    EXPECT_EQ(vcExtraError(), EACCES);
  }
  EXPECT_EQ(read("p.use"), "<missing>");
  // The project save writes the cache when the uses changed.
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_NE(read("p.use").find("!" + path("src/a.h")), std::string::npos);
  char flag[4] = {};
  ASSERT_EQ(vcGetProject(h, 152, flag, sizeof flag), 0);
  EXPECT_EQ(flag[0], 0);
  // vcDropUses forgets the links; a second drop has nothing to drop.
  EXPECT_EQ(vcDropUses(h, path("src/main.c").c_str()), 0);
  EXPECT_EQ(vcDropUses(h, path("src/main.c").c_str()), err::kDone);
  EXPECT_EQ(vcEnumUses(h, path("src/main.c").c_str(), collectUsed), err::kDone);
  EXPECT_EQ(vcDropUses(h, path("nope.c").c_str()), err::kNotMember);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(read("p.use").find("!"), std::string::npos);
  // After vcDoneUses the graph is made again when needed.
  ASSERT_EQ(vcDoneUses(h), 0);
  EXPECT_EQ(vcSaveUses(h), 0);
  EXPECT_EQ(vcEnumUses(h, path("src/main.c").c_str(), collectUsed), err::kDone);
  EXPECT_EQ(vcFindUses(h, path("src/main.c").c_str(), nullptr, 0), 0);
  usedNames().clear();
  EXPECT_EQ(vcEnumUses(h, path("src/main.c").c_str(), collectUsed), 0);
  EXPECT_EQ(usedNames().size(), 1u);
  EXPECT_EQ(vcDoneUses(h + 9), err::kBadProjectHandle);
}

TEST_F(UseCacheTest, LongLinesAreReadWhole) {
  // Record and dependency lines about the old limit of 2,047 characters and
  // far beyond: each is one line, read whole and written back whole.
  std::vector<std::string> names;
  std::string cache = "$(projectdir)/main.c 1 2 3\n";
  std::string records;
  for (std::size_t length : {2046u, 2047u, 2048u, 4095u, 10000u}) {
    std::string asDependency = path("d/dep" + std::to_string(length) + "_");
    asDependency.resize(length - 3, 'n');  // "!" name " 4"
    std::string asRecord = path("d/rec" + std::to_string(length) + "_");
    asRecord.resize(length - 6, 'n');  // name " 1 2 3"
    for (const std::string& name : {asDependency, asRecord}) {
      names.push_back(name);
      cache += "!" + name + " 4\n";
      records += name + " 1 2 4\n";
    }
  }
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), cache + records), 0);
  openProject({}, {"$(projectdir)/main.c"});
  usedNames().clear();
  ASSERT_EQ(vcEnumUses(h, path("main.c").c_str(), collectUsed), 0);
  std::vector<std::string> expected(names.rbegin(), names.rend());  // read in front of each other
  EXPECT_EQ(usedNames(), expected);
  ASSERT_EQ(vcSaveUses(h), 0);
  const std::string written = read("p.use");
  EXPECT_EQ(sortedLines(written), sortedLines(cache + records));
  // Read back once more: the same graph.
  vcCloseProject(h);
  ASSERT_EQ(vcOpenProject(path("p.prj").c_str(), 2, &h, 0), 0);
  usedNames().clear();
  ASSERT_EQ(vcEnumUses(h, path("main.c").c_str(), collectUsed), 0);
  EXPECT_EQ(usedNames(), names);
}

TEST_F(UseCacheTest, DeletedMemberThatAHeaderIncluded) {
  // A non-member header includes the member b.c; deleting b.c must take
  // the header's link to it away before its node goes.
  put("src/b.c", "int b;\n");
  put("src/h.h", "#include \"b.c\"\n");
  put("src/main.c", "#include \"h.h\"\n");
  openProject({}, {"$(projectdir)/src/b.c", "$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(vcFindUses(h, path("src/main.c").c_str(), nullptr, 0), 0);
  ASSERT_EQ(vcDeleteMember(h, path("src/b.c").c_str()), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(read("p.use").find("b.c"), std::string::npos) << read("p.use");
  usedNames().clear();
  ASSERT_EQ(vcEnumUses(h, path("src/main.c").c_str(), collectUsed), 0);
  EXPECT_EQ(usedNames(), (std::vector<std::string>{path("src/h.h")}));
  // Renaming a member keeps its record under the new name.
  ASSERT_EQ(vcRenameMember(h, path("src/main.c").c_str(), path("src/m2.c").c_str(), nullptr, 0), 0);
  usedNames().clear();
  EXPECT_EQ(vcEnumUses(h, path("src/m2.c").c_str(), collectUsed), 0);
  EXPECT_EQ(usedNames().size(), 1u);
}

TEST_F(UseCacheTest, ReadAsItStoodAtTheOpen) {
  // The graph is made when first needed, from the cache as the open read it,
  // whatever became of the file since; a rename or delete that comes first
  // carries the member's record along as at any other time.
  put("src/main.c", "int main;\n");
  put("src/a.h", "int a;\n");
  put("src/b.h", "int b;\n");
  const std::string cache =
      "$(projectdir)/src/main.c 1a2b 3f 2f6a1c00\n"
      "!$(projectdir)/src/b.h 2f69ff02\n"
      "!$(projectdir)/src/a.h 2f69ff01\n"
      "$(projectdir)/src/a.h 10 6 2f69ff01 1.4\n"
      "$(projectdir)/src/b.h 11 7 2f69ff02\n";
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), cache), 0);
  const std::vector<std::string> members{"$(projectdir)/src/a.h", "$(projectdir)/src/b.h", "$(projectdir)/src/main.c"};
  openProject({}, members);
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), "$(projectdir)/src/main.c 1 1 1\n"), 0);
  ASSERT_EQ(vcRenameMember(h, path("src/main.c").c_str(), path("src/m2.c").c_str(), nullptr, 0), 0);
  std::uint32_t size = 0;
  ASSERT_EQ(vcInProject(h, path("src/m2.c").c_str()), 0);
  ASSERT_EQ(vcGetMember(h, VC_MEMBER_ITEM_RECORDED_SIZE, reinterpret_cast<char*>(&size), sizeof size), 0);
  EXPECT_EQ(size, 0x3fu);
  usedNames().clear();
  ASSERT_EQ(vcEnumUses(h, path("src/m2.c").c_str(), collectUsed), 0);
  EXPECT_EQ(usedNames(), (std::vector<std::string>{path("src/a.h"), path("src/b.h")}));
  vcCloseProject(h);

  // A member deleted first takes its links with it.
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), cache), 0);
  openProject({}, members);
  ASSERT_EQ(vcDeleteMember(h, path("src/b.h").c_str()), 0);
  usedNames().clear();
  ASSERT_EQ(vcEnumUses(h, path("src/main.c").c_str(), collectUsed), 0);
  EXPECT_EQ(usedNames(), (std::vector<std::string>{path("src/a.h")}));
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(read("p.use").find("b.h"), std::string::npos) << read("p.use");
  EXPECT_NE(read("p.use").find("src/a.h 10 6 2f69ff01 1.4"), std::string::npos) << read("p.use");
  vcCloseProject(h);

  // An open that never needs the graph leaves the cache as it is, even when
  // the project is saved.
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), cache), 0);
  openProject({}, members);
  ASSERT_EQ(vcProjectOptionSet(h, "name=value", 0), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(read("p.use"), cache);
}

// Asks the status of every member, which makes the graph, while the open
// is still asking for a variable's value; then gives the value.
std::string g_statusMember;
int statusWhileAsked(int project, int, const char*, const char*, char* value, int) {
  vcMemberWorkChanges(project, g_statusMember.c_str(), nullptr);
  std::strcpy(value, "/nowhere");
  return 1;
}

TEST_F(UseCacheTest, GraphMadeDuringTheOpenTakesTheCacheToo) {
  put("src/main.c", "int main;\n");
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), "$(projectdir)/src/main.c 1a2b 3f 2f6a1c00\n"), 0);
  g_statusMember = path("src/main.c");
  vcProjectVariableRegister(statusWhileAsked);
  openProject({}, {"$(projectdir)/src/main.c", "$(unset)/x.c"});
  vcProjectVariableRegister(nullptr);
  std::uint32_t size = 0;
  ASSERT_EQ(vcInProject(h, path("src/main.c").c_str()), 0);
  ASSERT_EQ(vcGetMember(h, VC_MEMBER_ITEM_RECORDED_SIZE, reinterpret_cast<char*>(&size), sizeof size), 0);
  EXPECT_EQ(size, 0x3fu);
}

}  // namespace
