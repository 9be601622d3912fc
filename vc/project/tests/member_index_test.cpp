// Tests of large projects: a project of many members and options in awkward
// orders (letter-case twins, repeated lines, sub-projects, quoted names,
// members below variables, absolute and relative directories) saves back
// byte for byte after an open, a file in any member order saves in member
// order, and the member lookup stays right through adds, renames, deletes
// and changes of the variables member names are made of.
#include "vc/project/tests/project_test_support.h"
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/project/project_file.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

namespace err = vc::err;

using namespace projecttest;

struct Line {
  std::string directory;  // as written, "" for none
  std::string name;
  std::string rest;  // " kind revision rules"
  std::string text() const {
    return (directory.empty() ? vc::quotedField(name) : vc::quotedField(directory) + "/" + vc::quotedField(name)) +
           rest;
  }
};

// Member lines in the order the project writes them: by directory text,
// then name; lines equal in both keep their order.
std::vector<Line> sorted(std::vector<Line> lines) {
  std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
    return a.directory != b.directory ? a.directory < b.directory : a.name < b.name;
  });
  return lines;
}

std::string fileText(const std::string& options, const std::vector<Line>& lines) {
  std::string text = "--ORV Project--\n$Revision: 1.7 $\n" + options + "EndOptions\n";
  for (const Line& l : lines) text += l.text() + "\n";
  return text;
}

// Many options (more than a short list holds), the variable "lib" the
// members below it use, flags and pairs, all in the written form.
std::string manyOptions() {
  std::string text = "lib=/srv/lib\nNocompress\nEnforceNostrictlocks\n";
  for (int i = 0; i < 300; ++i) text += "opt" + std::to_string(i) + "=value " + std::to_string(i * 7) + "\n";
  text += "worktoarch /src/proj=/archive/proj\nworkmap /a=/b\n";
  return text;
}

// Members of every awkward kind; with repeats, also lines of the same
// directory and name that differ after it (their file order is kept).
std::vector<Line> awkwardMembers(bool repeats) {
  std::vector<Line> lines;
  const char* directories[] = {"", "$(projectdir)", "$(projectdir)/Src", "$(projectdir)/src", "$(lib)",
                               "$(lib)/deep/er", "/opt/abs", "rel/dir", "$(projectdir)/my dir"};
  int n = 0;
  for (const char* dir : directories)
    for (int i = 0; i < 220; ++i, ++n) {
      const std::string base = "f" + std::to_string((i * 37) % 220);
      std::string name = i % 11 == 0 ? "F" + base.substr(1) + ".C" : base + ".c";
      if (i % 13 == 0) name = "with blank " + name;
      const char kinds[] = {'a', 'a', 'f', 's', 'i'};
      const char kind = kinds[n % 5];
      std::string rest = std::string(" ") + kind + " " + (kind == 'a' ? "1." + std::to_string(1 + i % 9) : "") + " ";
      if (i % 17 == 0) rest += "frozen";
      lines.push_back({dir, name, rest});
      // A letter-case twin: another member with the same full name.
      if (i % 29 == 0) lines.push_back({dir, "F" + base.substr(1) + ".c", " a 1.1 "});
    }
  lines.push_back({"$(projectdir)", "quote\"d.h", " i  "});
  if (repeats) {
    lines.push_back({"$(projectdir)", "twice.c", " a 1.1 "});
    lines.push_back({"$(projectdir)", "twice.c", " a 1.1 "});
    lines.push_back({"$(projectdir)", "same.c", " a 1.2 "});
    lines.push_back({"$(projectdir)", "same.c", " f  "});
    lines.push_back({"$(projectdir)", "same.c", " a 1.1 x=y"});
  }
  return lines;
}

struct MemberIndexTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-member-index"};
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
  int open(const std::string& name) {
    int h = 0;
    EXPECT_EQ(vcOpenProject(path(name).c_str(), VC_PROJECT_OPEN_WRITE, &h, 0), 0) << name;
    return h;
  }
  std::string item(int h, int it) {
    char buf[2048] = {};
    const int rc = vcGetMember(h, it, buf, sizeof buf);
    return rc == 0 ? std::string(buf) : "<" + std::to_string(rc) + ">";
  }
  // (full name, stored name) of every member in member order.
  std::vector<std::pair<std::string, std::string>> walk(int h) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::string s = item(h, VC_MEMBER_ITEM_FIRST); s[0] != '<'; s = item(h, VC_MEMBER_ITEM_NEXT))
      out.emplace_back(s, item(h, VC_MEMBER_ITEM_STORED_NAME));
    return out;
  }
  // The stored name of the member a name finds, or the answer.
  std::string found(int h, const std::string& name) {
    const int rc = vcInProject(h, name.c_str());
    return rc == 0 ? item(h, VC_MEMBER_ITEM_STORED_NAME) : "<" + std::to_string(rc) + ">";
  }
};

// The comparison of names the lookup makes: letter case and "\" against "/"
// not counting.
std::string folded(std::string s) {
  for (char& c : s) c = c == '\\' ? '/' : (c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
  return s;
}

TEST_F(MemberIndexTest, ProjectSavedAfterOpeningIsByteIdentical) {
  const std::string original = fileText(manyOptions(), sorted(awkwardMembers(true)));
  writeFile(path("big.prj"), original);
  const int h = open("big.prj");
  // A change that comes and goes, so that the save writes the whole file.
  ASSERT_EQ(vcAddMember(h, 'a', path("zz/new.c").c_str(), "1.1", nullptr), 0);
  ASSERT_EQ(vcAddMember(h, 'a', path("Src/f0.c").c_str(), nullptr, nullptr), err::kAlreadyMember);
  ASSERT_EQ(vcDeleteMember(h, path("ZZ/NEW.C").c_str()), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("big.prj")), original);
  ASSERT_EQ(vcCloseProject(h), 0);
}

TEST_F(MemberIndexTest, FileInAnyOrderSavesInMemberOrder) {
  std::vector<Line> lines = awkwardMembers(false);
  std::shuffle(lines.begin(), lines.end(), std::mt19937(39));
  writeFile(path("shuffled.prj"), fileText(manyOptions(), lines));
  const int h = open("shuffled.prj");
  ASSERT_EQ(vcSetProject(h, VC_PROJECT_ITEM_SET_CHANGED, "\1"), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("shuffled.prj")), fileText(manyOptions(), sorted(awkwardMembers(false))));
  ASSERT_EQ(vcCloseProject(h), 0);
}

TEST_F(MemberIndexTest, LookupFindsTheFirstMemberOfEachNameInMemberOrder) {
  writeFile(path("big.prj"), fileText(manyOptions(), sorted(awkwardMembers(true))));
  const int h = open("big.prj");
  const auto members = walk(h);
  ASSERT_GT(members.size(), 2000u);
  std::map<std::string, std::string> first;  // folded full name -> stored name
  for (const auto& [full, stored] : members) first.emplace(folded(full), stored);
  std::size_t checked = 0;
  for (const auto& [full, stored] : members) {
    std::string upper = full;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    ASSERT_EQ(found(h, upper), first.at(folded(full))) << full;
    ++checked;
  }
  EXPECT_EQ(checked, members.size());
  EXPECT_EQ(found(h, path("nowhere.c")), "<" + std::to_string(err::kNotMember) + ">");
  ASSERT_EQ(vcCloseProject(h), 0);
}

TEST_F(MemberIndexTest, LookupFollowsAddsRenamesDeletesAndVariables) {
  writeFile(path("big.prj"), fileText(manyOptions(), sorted(awkwardMembers(false))));
  const int h = open("big.prj");
  const std::string gone = "<" + std::to_string(err::kNotMember) + ">";

  // A member below the variable moves with its value.
  EXPECT_EQ(found(h, "/srv/lib/f1.c"), "$(lib)/f1.c");
  ASSERT_EQ(vcProjectOptionSet(h, "lib=/srv/other", VC_STATEMENT_APPLY), 0);
  EXPECT_EQ(found(h, "/srv/lib/f1.c"), gone);
  EXPECT_EQ(found(h, "/srv/other/F1.C"), "$(lib)/f1.c");
  // So does one below the project directory.
  EXPECT_EQ(found(h, path("my dir/f2.c")), "$(projectdir)/my dir/f2.c");
  ASSERT_EQ(vcSetProject(h, VC_PROJECT_ITEM_SET_PROJECT_DIR, "/moved/here"), 0);
  EXPECT_EQ(found(h, path("my dir/f2.c")), gone);
  EXPECT_EQ(found(h, "/moved/here/My Dir/f2.c"), "$(projectdir)/my dir/f2.c");
  EXPECT_EQ(found(h, "/moved/here/rel/dir/f3.c"), "rel/dir/f3.c");
  ASSERT_EQ(vcSetProject(h, VC_PROJECT_ITEM_SET_PROJECT_DIR, scratch.path().c_str()), 0);

  // Adds, renames and deletes, each seen by the next lookup (and by the
  // places in member order, asked for once before).
  ASSERT_EQ(vcMemberSetPosition(h, 5), 0);
  for (int i = 0; i < 50; ++i) {
    const std::string name = path("added/n" + std::to_string(i) + ".c");
    ASSERT_EQ(vcAddMember(h, 'a', name.c_str(), nullptr, nullptr), 0) << name;
    ASSERT_EQ(found(h, name), "$(projectdir)/added/n" + std::to_string(i) + ".c");
    ASSERT_EQ(vcAddMember(h, 'a', name.c_str(), nullptr, nullptr), err::kAlreadyMember);
  }
  ASSERT_EQ(vcRenameMember(h, path("added/n7.c").c_str(), path("Added/a7.c").c_str(), nullptr, 0), 0);
  EXPECT_EQ(found(h, path("added/n7.c")), gone);
  EXPECT_EQ(found(h, path("added/A7.C")), "$(projectdir)/Added/a7.c");
  ASSERT_EQ(vcDeleteMember(h, path("added/n8.c").c_str()), 0);
  EXPECT_EQ(found(h, path("added/n8.c")), gone);
  // Four members of one name ("Src" and "src", each with a letter-case
  // twin): deleting the first leaves the next in member order to be found.
  const std::vector<std::string> twins{"$(projectdir)/Src/F193.c", "$(projectdir)/Src/f193.c",
                                       "$(projectdir)/src/F193.c", "$(projectdir)/src/f193.c"};
  for (const std::string& twin : twins) {
    ASSERT_EQ(found(h, path("SRC/f193.c")), twin);
    ASSERT_EQ(vcDeleteMember(h, path("SRC/f193.c").c_str()), 0);
  }
  EXPECT_EQ(found(h, path("src/f193.c")), gone);

  // The walk is still in member order, and the saved file reads back to it.
  const auto before = walk(h);
  for (std::size_t at = 0; at < before.size(); at += 37) {
    ASSERT_EQ(vcMemberSetPosition(h, static_cast<int>(at)), 0);
    ASSERT_EQ(item(h, VC_MEMBER_ITEM_STORED_NAME), before[at].second) << at;
  }
  EXPECT_EQ(vcMemberSetPosition(h, static_cast<int>(before.size())), err::kNotMember);
  ASSERT_EQ(vcSaveProject(h), 0);
  ASSERT_EQ(vcCloseProject(h), 0);
  const int again = open("big.prj");
  EXPECT_EQ(walk(again), before);
  ASSERT_EQ(vcCloseProject(again), 0);
}

// Members whose names differ in letter case only share the record of their
// working file. One of them going, or taking another name, leaves the
// other's record whole (the sanitizer build sees a freed record).
TEST_F(MemberIndexTest, LetterCaseTwinsKeepTheirRecordWhenOneGoes) {
  for (const char* name : {"A.c", "a.c", "B.c", "b.c"}) writeFile(path(name), std::string("int ") + name[0] + ";\n");
  writeFile(path("t.prj"), "--ORV Project--\n$Revision$\nEndOptions\n$(projectdir)/A.c a  \n$(projectdir)/B.c a  \n"
                           "$(projectdir)/a.c a  \n$(projectdir)/b.c a  \n");
  const int h = open("t.prj");
  auto recordAll = [&] {
    for (int at = 0; vcMemberSetPosition(h, at) == 0; ++at) {
      ASSERT_EQ(vcMemberWorkChanges(h, nullptr, nullptr), 0) << at;
      ASSERT_EQ(vcMemberWorkUpdate(h, nullptr), 0) << at;
    }
  };
  recordAll();
  ASSERT_EQ(vcDeleteMember(h, path("a.c").c_str()), 0);
  ASSERT_EQ(vcRenameMember(h, path("b.c").c_str(), path("c.c").c_str(), nullptr, 0), 0);
  ASSERT_EQ(vcDeleteMember(h, path("c.c").c_str()), 0);
  recordAll();
  EXPECT_EQ(walk(h), (std::vector<std::pair<std::string, std::string>>{{path("B.c"), "$(projectdir)/B.c"},
                                                                       {path("a.c"), "$(projectdir)/a.c"}}));
  ASSERT_EQ(vcSaveProject(h), 0);
  ASSERT_EQ(vcCloseProject(h), 0);
  const int again = open("t.prj");
  recordAll();
  ASSERT_EQ(vcCloseProject(again), 0);
}

}  // namespace
