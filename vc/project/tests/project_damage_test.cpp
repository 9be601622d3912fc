// Damaged project and sandbox files: a real project and a sandbox cut at
// every byte (so at every line boundary too) either open with every member
// and option whose line they hold whole, or are refused and left as they
// are; no save after such an open loses anything the file held.
#include "vc/project/tests/project_test_support.h"
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

namespace err = vc::err;
using namespace projecttest;

std::string fixture(const std::string& name) {
  std::string text;
  EXPECT_EQ(orv::sys::readWholeFile(std::string(VC_TEST_SOURCE_DIR) + "/fixtures/" + name, text), 0);
  return text;
}

// One item of the current member, "-" when the member has none.
std::string memberItem(int h, int item) {
  char buf[512] = {};
  if (vcGetMember(h, item, buf, sizeof buf) != 0) return "-";
  if (item == VC_MEMBER_ITEM_KIND) return std::string(1, buf[0]);
  return buf;
}

// Every member of an open project as "stored name|kind|revision|rules",
// sorted.
std::vector<std::string> membersOf(int h) {
  std::vector<std::string> out;
  char name[512] = {};
  for (int rc = vcGetMember(h, VC_MEMBER_ITEM_FIRST_STORED, name, sizeof name); rc == 0;
       rc = vcGetMember(h, VC_MEMBER_ITEM_NEXT_STORED, name, sizeof name)) {
    out.push_back(memberItem(h, VC_MEMBER_ITEM_STORED_NAME) + "|" + memberItem(h, VC_MEMBER_ITEM_KIND) + "|" +
                  memberItem(h, VC_MEMBER_ITEM_REVISION) + "|" + memberItem(h, VC_MEMBER_ITEM_RULES));
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Where each line of text ends (the offset after its line feed).
std::vector<std::size_t> lineEnds(const std::string& text) {
  std::vector<std::size_t> ends;
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    ends.push_back(at + 1);
  return ends;
}

struct ProjectDamageTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-projdamage"};
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

  // The members of a project file that holds just the given member lines.
  std::vector<std::string> membersOfLines(const std::string& memberLines) {
    writeFile(path("lines.prj"), "--ORV Project--\n$Revision$\nEndOptions\n" + memberLines);
    int h = 0;
    EXPECT_EQ(vcOpenProject(path("lines.prj").c_str(), 0, &h, 0), 0);
    std::vector<std::string> out = membersOf(h);
    vcCloseProject(h);
    return out;
  }
};

TEST_F(ProjectDamageTest, CutProjectOpensWithEveryWholeMemberOrIsRefused) {
  const std::string whole = fixture("golden.prj");
  const std::vector<std::size_t> ends = lineEnds(whole);
  ASSERT_EQ(ends.back(), whole.size());
  const std::size_t optionsEnd = whole.find("\nEndOptions\n") + 12;
  const std::string file = path("p.prj");
  int opened = 0, refused = 0;
  for (std::size_t cut = 1; cut <= whole.size(); ++cut) {
    SCOPED_TRACE("cut after byte " + std::to_string(cut));
    const std::string text = whole.substr(0, cut);
    writeFile(file, text);
    const bool atLineEnd = std::find(ends.begin(), ends.end(), cut) != ends.end();
    int h = 0;
    const int rc = vcOpenProject(file.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE, &h, 0);
    if (!atLineEnd || cut < optionsEnd) {
      // Cut inside a line, or before the option part ended: refused, no
      // handle, the file as it was.
      EXPECT_TRUE(rc == err::kUnexpectedEof || rc == err::kNotProjectFile) << rc;
      EXPECT_EQ(h, 0);
      EXPECT_EQ(readFile(file), text);
      ++refused;
      continue;
    }
    ASSERT_EQ(rc, 0);
    ++opened;
    const std::vector<std::string> expected = membersOfLines(text.substr(optionsEnd));
    EXPECT_EQ(membersOf(h), expected);
    // Saved unchanged: not a byte differs.
    ASSERT_EQ(vcSaveProject(h), 0);
    EXPECT_EQ(readFile(file), text);
    // Saved with a member more: every member is still there.
    ASSERT_EQ(vcAddMember(h, 'f', path("added.c").c_str(), nullptr, nullptr), 0);
    ASSERT_EQ(vcSaveProject(h), 0);
    ASSERT_EQ(vcCloseProject(h), 0);
    ASSERT_EQ(vcOpenProject(file.c_str(), 0, &h, 0), 0);
    std::vector<std::string> after = membersOf(h);
    after.erase(std::remove_if(after.begin(), after.end(),
                               [](const std::string& m) { return m.find("added.c|") != std::string::npos; }),
                after.end());
    EXPECT_EQ(after, expected);
    ASSERT_EQ(vcCloseProject(h), 0);
  }
  EXPECT_EQ(opened, static_cast<int>(ends.end() - std::find(ends.begin(), ends.end(), optionsEnd)));
  EXPECT_GT(refused, 300);
  // The whole file has all seven.
  writeFile(file, whole);
  int h = 0;
  ASSERT_EQ(vcOpenProject(file.c_str(), 0, &h, 0), 0);
  EXPECT_EQ(membersOf(h).size(), 7u);
  ASSERT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectDamageTest, CutSandboxOpensWithEveryWholeOptionOrIsRefused) {
  writeFile(path("p.prj"), fixture("golden.prj"));
  // A pair after the block, so that cuts fall on both sides of it; the
  // writer puts pairs before blocks, so a save keeps the lines, not their
  // order.
  const std::string whole = "--ORV Project--Sandbox--\n"
                            "masterproject=" + path("p.prj") + "\n"
                            "description=my copy\n"
                            "worktoarch /work=/archive\n"
                            "block onsave\n"
                            "echo saved\n"
                            "end\n"
                            "autoaction checkin=onsave\n";
  const std::vector<std::size_t> ends = lineEnds(whole);
  const std::size_t masterEnd = ends[1];
  const std::size_t blockStart = ends[3], blockEnd = ends[6];
  const std::string file = path("s.sbx");
  for (std::size_t cut = 1; cut <= whole.size(); ++cut) {
    SCOPED_TRACE("cut after byte " + std::to_string(cut));
    const std::string text = whole.substr(0, cut);
    writeFile(file, text);
    const bool atLineEnd = std::find(ends.begin(), ends.end(), cut) != ends.end();
    const bool readable = atLineEnd && cut >= masterEnd && (cut <= blockStart || cut >= blockEnd);
    int s = 0, h = 0;
    const int sandboxRc = vcOpenSandbox(file.c_str(), VC_SANDBOX_OPEN_MODIFY | VC_SANDBOX_OPEN_WRITE, &s, 0);
    const int projectRc = vcOpenProject(file.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE, &h, 0);
    if (!readable) {
      for (int rc : {sandboxRc, projectRc})
        EXPECT_TRUE(rc == err::kUnexpectedEof || rc == err::kNoMasterProject || rc == err::kNotSandboxFile ||
                    rc == err::kNotProjectFile)
            << rc;
      EXPECT_EQ(s, 0);
      EXPECT_EQ(h, 0);
      EXPECT_EQ(readFile(file), text);
      continue;
    }
    ASSERT_EQ(sandboxRc, 0);
    ASSERT_EQ(projectRc, 0);
    // The project through the sandbox has the master's members, and saving
    // it unchanged touches neither file.
    EXPECT_EQ(membersOf(h).size(), 7u);
    ASSERT_EQ(vcSaveProject(h), 0);
    ASSERT_EQ(vcCloseProject(h), 0);
    EXPECT_EQ(readFile(file), text);
    EXPECT_EQ(readFile(path("p.prj")), fixture("golden.prj"));
    // The sandbox saved as such writes back what it read: every option
    // its whole lines hold, nothing less.
    ASSERT_EQ(vcSaveSandbox(s), 0);
    ASSERT_EQ(vcCloseSandbox(s), 0);
    const std::string saved = readFile(file);
    for (std::size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
      EXPECT_NE(saved.find(text.substr(at, nl + 1 - at)), std::string::npos) << text.substr(at, nl - at);
    EXPECT_EQ(saved.size(), text.size());
  }
}

// Sections that never end, in otherwise well-formed files; a single member
// line that names no member is still skipped.
TEST_F(ProjectDamageTest, SectionsWithoutTheirEnd) {
  const std::string head = "--ORV Project--\n$Revision: 1.2 $\n";
  struct Case {
    const char* what;
    std::string text;
    int expected;
  } cases[] = {
      {"options without EndOptions", head + "description=x\n", err::kUnexpectedEof},
      {"members but no EndOptions", head + "description=x\na.c a 1.1 \n", err::kUnexpectedEof},
      {"block without end, then EndOptions", head + "block b\necho x\nEndOptions\na.c a  \n", err::kUnexpectedEof},
      {"last member line without line feed", head + "EndOptions\na.c a 1.1 \nb.c a 1.", err::kUnexpectedEof},
      {"whole, no members", head + "EndOptions\n", 0},
      {"whole, CR LF lines", "--ORV Project--\r\n$Revision$\r\nEndOptions\r\na.c a  \r\n", 0},
      {"a damaged member line is skipped", head + "EndOptions\na.c a  \nnonsense\nb.c a  \n", 0},
      {"sandbox block without end", "--ORV Project--Sandbox--\nmasterproject=" + path("m.prj") + "\nblock b\n",
       err::kUnexpectedEof},
      {"sandbox without final line feed", "--ORV Project--Sandbox--\nmasterproject=" + path("m.p"),
       err::kUnexpectedEof},
  };
  writeFile(path("m.prj"), head + "EndOptions\nm.c a  \n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(path("t.prj"), c.text);
    int h = 0;
    EXPECT_EQ(vcOpenProject(path("t.prj").c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_CREATE, &h, 0),
              c.expected);
    if (h) {
      EXPECT_EQ(vcCloseProject(h), 0);
    }
    EXPECT_EQ(readFile(path("t.prj")), c.text);
  }
}

}  // namespace
