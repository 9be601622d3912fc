// Select Members: the name-pattern matcher (tables from its rules, and a
// cross-check with fnmatch over random patterns), the label and attribute
// criteria, the dialog's enabling, and the rows a record selects in a real
// project.
#include <gtest/gtest.h>

#include <fnmatch.h>

#include <random>

#include "vc/include/vc.h"
#include "workbench/dialogs/member_select.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using ui::testing::FakeSurface;

TEST(MemberSelectMatch, WildcardTable) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"*.c", "main.c", true},    {"*.c", ".c", false},       {"a*", "a", false},       {"a*", "ab", true},
      {"*ab", "xaaab", true},     {"*ab", "ab", false},       {"?", "x", true},         {"?", "", false},
      {"M?IN.C", "main.c", true}, {"*a*b", "xaxxb", true},    {"*a*b", "ab", false},    {"a*b*c", "aXbXc", true},
      {"a*b*c", "abc", false},    {"*", "", false},           {"", "", true},           {"x", "xy", false},
      {"**", "a", false},         {"**", "ab", true},         {"*b", "bbb", true},      {"*.c", "a.c.c", true},
  };
  for (const Case& c : cases) EXPECT_EQ(wildcardMatch(c.pattern, c.text), c.match) << c.pattern << " ~ " << c.text;
}

// "*" takes one character or more: fnmatch with every "*" written "?*",
// letters folded, agrees on every pattern and name.
TEST(MemberSelectMatch, AgreesWithFnmatch) {
  std::mt19937 random(40);
  const char alphabet[] = {'a', 'b', 'A', '*', '?', '.'};
  auto draw = [&](int maxLength, bool wild) {
    std::string s;
    const int length = static_cast<int>(random() % static_cast<unsigned>(maxLength + 1));
    for (int i = 0; i < length; ++i) s += alphabet[random() % (wild ? 6u : 3u)];
    return s;
  };
  int matches = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::string pattern = draw(6, true);
    std::string text = draw(7, false);
    std::string rewritten;
    for (char c : pattern) rewritten += c == '*' ? std::string("?*") : std::string(1, c);
    const bool expected = ::fnmatch(rewritten.c_str(), text.c_str(), FNM_CASEFOLD) == 0;
    EXPECT_EQ(wildcardMatch(pattern, text), expected) << pattern << " ~ " << text;
    matches += expected;
  }
  EXPECT_GT(matches, 100) << "the draw gives matches as well as misses";
}

TEST(MemberSelectMatch, FileNamesCompareTheirLastComponents) {
  struct Case {
    const char* patterns;
    const char* name;
    bool match;
  } cases[] = {
      {"*.c", "/w/src/main.c", true},
      {"src/*.c", "/w/src/main.c", true},
      {"lib/*.c", "/w/src/main.c", false},
      {"w/src/*.c", "/w/src/main.c", true},
      {"/w/*/main.c", "/w/src/main.c", true},
      {"/src/*.c", "/w/src/main.c", false},  // a leading '/' compares the whole name
      {"x/y/z/*.c", "a.c", false},
      {"*.h, *.c", "/w/a.c", true},
      {"*.h;*.cpp *.txt", "/w/a.c", false},
      {"", "/w/a.c", false},
  };
  for (const Case& c : cases) EXPECT_EQ(fileNameMatches(c.patterns, c.name), c.match) << c.patterns << " ~ " << c.name;
}

TEST(MemberSelectMatch, LabelsAsWholeWords) {
  EXPECT_TRUE(labelMatches("REL1 ", "REL1"));
  EXPECT_TRUE(labelMatches("BETA REL1 ", "REL1"));
  EXPECT_FALSE(labelMatches("REL10 ", "REL1"));
  EXPECT_FALSE(labelMatches("XREL1 ", "REL1"));
  EXPECT_TRUE(labelMatches("XREL1 REL1", "REL1"));
  EXPECT_FALSE(labelMatches("", "REL1"));
}

TEST(MemberSelectMatch, AttributeTable) {
  struct Case {
    const char* criterion;
    const char* rules;
    bool match;
  } cases[] = {
      {"lang", "lang", true},        {"lang", "lang=c", false},        {"lang=c", "lang=c", true},
      {"lang=c", "lang=cpp", false}, {"lang=c", "lang", false},        {" lang = c", "x=1,lang=c", true},
      {"lan", "lang", false},        {"", "lang", false},              {"opt=a,b", "opt=\"a,b\"", true},
  };
  for (const Case& c : cases) EXPECT_EQ(attributeMatches(c.criterion, c.rules), c.match) << c.criterion << " ~ " << c.rules;
}

class SelectMembersTest : public testing::ProjectTest {
 protected:
  // The mixed project's window with its rows read as the window reads them.
  testing::FakeProjectWindow& open(testing::FakeRegistry& windows) {
    testing::FakeProjectWindow& window = windows.openProject(makeMixedProject());
    for (int i = 0; i < window.view.rowCount(); ++i)
      project::updateMemberStatus(window.project(), *window.view.findMemberItem(i, true), 0);
    return window;
  }
};

TEST_F(SelectMembersTest, TheDialogFillsItsListsAndEnablesTheCombination) {
  testing::FakeRegistry windows(ui);
  testing::FakeProjectWindow& window = open(windows);
  ui.expectDialog(kMemberSelectDialogId, [](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_EQ(f.listItems(kMsLockerList), (std::vector<std::string>{"<All lockers>", "bob"}));
    EXPECT_EQ(f.listItems(kMsLabelList), std::vector<std::string>{"REL1"});
    EXPECT_EQ(f.selection(kMsLockerList), std::vector<int>{0}) << "alice locks nothing";
    EXPECT_FALSE(f.isEnabled(kMsAnd));
    f.setChecked(kMsChanged, true);
    f.press(logic, kMsChanged);
    EXPECT_FALSE(f.isEnabled(kMsAnd)) << "one criterion";
    f.setSelection(kMsTypeList, {0});
    f.press(logic, kMsTypeList);
    EXPECT_TRUE(f.isChecked(kMsType));
    EXPECT_TRUE(f.isEnabled(kMsAnd));
    f.setChecked(kMsAll, true);
    f.press(logic, kMsAll);
    EXPECT_FALSE(f.isEnabled(kMsChanged));
    EXPECT_FALSE(f.isEnabled(kMsAnd));
    f.close(logic, ui::kAnswerOk);
  });
  selectMembersCommand(window);
  EXPECT_EQ(window.rows, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(SelectMembersTest, RecordsSelectTheMatchingRows) {
  testing::FakeRegistry windows(ui);
  testing::FakeProjectWindow& window = open(windows);
  auto names = [&](const TMemberSelectTransferStruct& r) {
    std::vector<std::string> out;
    for (int row : matchingRows(window.project(), window.view, r))
      out.push_back(window.view.findMemberItem(row, false)->name.substr(dir.path().size() + 1));
    std::sort(out.begin(), out.end());
    return out;
  };
  TMemberSelectTransferStruct r;
  EXPECT_TRUE(names(r).empty()) << "nothing ticked, OR";
  r.logicalAnd = true;
  EXPECT_TRUE(names(r).empty()) << "nothing ticked, AND selects nothing either";
  r.type = true;
  r.typeText = "Archived";
  EXPECT_EQ(names(r), (std::vector<std::string>{"a.c", "b.c"}));
  r.logicalAnd = false;
  EXPECT_EQ(names(r), (std::vector<std::string>{"a.c", "b.c"})) << "one criterion: AND and OR agree";
  r.locked = true;
  r.locker = "BOB";
  r.logicalAnd = true;
  EXPECT_EQ(names(r), std::vector<std::string>{"a.c"});
  r = {};
  r.label = true;
  r.labelText = "REL1";
  r.fileName = true;
  r.fileNameText = "*.pj";
  EXPECT_EQ(names(r), (std::vector<std::string>{"a.c", "sub.pj"}));
  r.all = true;
  EXPECT_EQ(names(r).size(), 4u);
}

}  // namespace
}  // namespace orv::workbench::dialogs
