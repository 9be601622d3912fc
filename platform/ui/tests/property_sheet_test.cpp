// The property sheet's rules, with pages that record what was asked of them.
#include "platform/ui/property_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/testing/fake_sheet.h"

namespace orv::ui {
namespace {

struct Log {
  std::vector<std::string> calls;
};

class RecordingPage : public PageLogic {
 public:
  RecordingPage(std::string name, Log& log) : name_(std::move(name)), log_(log) {}
  void setUp(DialogSurface&) override { log_.calls.push_back("setUp " + name_); }
  void command(DialogSurface&, int) override {}
  bool validate(DialogSurface&) override {
    log_.calls.push_back("validate " + name_);
    return valid;
  }
  bool apply() override {
    log_.calls.push_back("apply " + name_);
    return applies;
  }
  bool valid = true;
  bool applies = true;

 private:
  std::string name_;
  Log& log_;
};

class PropertySheetTest : public ::testing::Test {
 protected:
  SheetController make(bool validateOnLeave = true) {
    std::vector<SheetPage> pages;
    const char* titles[] = {"&Preferences", "&General", "Pro&motion", "A&&B"};
    for (int i = 0; i < 4; ++i) pages.push_back({titles[i], {}, &page[i], true});
    return SheetController("Sheet", std::move(pages), validateOnLeave);
  }
  Log log;
  RecordingPage page[4] = {{"0", log}, {"1", log}, {"2", log}, {"3", log}};
};

TEST(TabMnemonicTest, FirstSingleAmpersandMarksTheKey) {
  struct Case {
    const char* title;
    char key;
  } cases[] = {{"Pro&motion", 'M'}, {"&Preferences", 'P'}, {"A&&B", 0},    {"A&&&B", 'B'},
               {"Trailing&", 0},     {"None", 0},           {"&&x&y", 'Y'}, {"", 0}};
  for (const Case& c : cases) EXPECT_EQ(tabMnemonic(c.title), c.key) << c.title;
}

TEST_F(PropertySheetTest, SelectingTheCurrentOrADisabledTabDoesNothing) {
  SheetController sheet = make();
  testing::FakeSheet fake(sheet);
  log.calls.clear();
  EXPECT_FALSE(fake.select(0));
  sheet.enable(2, false);
  EXPECT_FALSE(fake.select(2));
  EXPECT_FALSE(fake.select(7));
  EXPECT_FALSE(fake.select(-1));
  EXPECT_EQ(sheet.current(), 0);
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(PropertySheetTest, LeavingAPageValidatesItAndARefusalKeepsTheTab) {
  SheetController sheet = make();
  testing::FakeSheet fake(sheet);
  page[0].valid = false;
  EXPECT_FALSE(fake.select(1));
  EXPECT_EQ(sheet.current(), 0);
  EXPECT_FALSE(fake.shown(1));
  page[0].valid = true;
  EXPECT_TRUE(fake.select(1));
  EXPECT_EQ(log.calls, (std::vector<std::string>{"setUp 0", "validate 0", "validate 0", "setUp 1"}));
}

TEST_F(PropertySheetTest, WithoutValidationOnLeavingSwitchingNeverValidates) {
  SheetController sheet = make(false);
  testing::FakeSheet fake(sheet);
  page[0].valid = false;
  EXPECT_TRUE(fake.select(1));
  EXPECT_TRUE(fake.select(0));
  EXPECT_EQ(log.calls, (std::vector<std::string>{"setUp 0", "setUp 1"}));
}

TEST_F(PropertySheetTest, OkValidatesTheFrontPageAndAppliesEveryPageInOrder) {
  SheetController sheet = make();
  testing::FakeSheet fake(sheet);
  ASSERT_TRUE(fake.select(2));
  log.calls.clear();
  EXPECT_TRUE(fake.ok());
  EXPECT_EQ(fake.result(), kAnswerOk);
  // Pages 1 and 3 were never shown and are applied all the same.
  EXPECT_EQ(log.calls, (std::vector<std::string>{"validate 2", "apply 0", "apply 1", "apply 2", "apply 3"}));
}

TEST_F(PropertySheetTest, OkStopsAtARefusedValidationOrTheFirstFailedApply) {
  SheetController sheet = make();
  testing::FakeSheet fake(sheet);
  page[0].valid = false;
  log.calls.clear();
  EXPECT_FALSE(fake.ok());
  EXPECT_EQ(log.calls, (std::vector<std::string>{"validate 0"}));
  page[0].valid = true;
  page[1].applies = false;
  log.calls.clear();
  EXPECT_FALSE(fake.ok());
  EXPECT_EQ(sheet.failedPage(), 1);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"validate 0", "apply 0", "apply 1"}));
  EXPECT_EQ(fake.result(), kAnswerCancel);
}

TEST_F(PropertySheetTest, CancelAppliesNothing) {
  SheetController sheet = make();
  testing::FakeSheet fake(sheet);
  fake.select(1);
  log.calls.clear();
  fake.cancel();
  EXPECT_TRUE(log.calls.empty());
  EXPECT_EQ(fake.result(), kAnswerCancel);
}

TEST_F(PropertySheetTest, NextAndPreviousWrapAndSkipDisabledTabs) {
  SheetController sheet = make();
  testing::FakeSheet fake(sheet);
  sheet.enable(1, false);
  EXPECT_TRUE(fake.next());
  EXPECT_EQ(sheet.current(), 2);
  EXPECT_TRUE(fake.next());
  EXPECT_TRUE(fake.next());
  EXPECT_EQ(sheet.current(), 0);  // wrapped past the end
  EXPECT_TRUE(fake.previous());
  EXPECT_EQ(sheet.current(), 3);  // wrapped past the start
  for (int i : {0, 1, 2}) sheet.enable(i, false);
  log.calls.clear();
  EXPECT_FALSE(fake.next());  // comes back round to itself
  EXPECT_FALSE(fake.previous());
  EXPECT_EQ(sheet.current(), 3);
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(PropertySheetTest, MnemonicsFindEnabledTabsOnly) {
  SheetController sheet = make();
  EXPECT_EQ(sheet.tabForKey('m'), 2);
  EXPECT_EQ(sheet.tabForKey('G'), 1);
  EXPECT_EQ(sheet.tabForKey('B'), -1);  // "A&&B" has none
  sheet.enable(1, false);
  EXPECT_EQ(sheet.tabForKey('g'), -1);
}

TEST_F(PropertySheetTest, StartPicksTheFirstEnabledTab) {
  SheetController sheet = make();
  sheet.enable(0, false);
  EXPECT_EQ(sheet.start(), 1);
  SheetController empty("Empty", {});
  EXPECT_EQ(empty.start(), -1);
  EXPECT_FALSE(empty.next());
  EXPECT_TRUE(empty.ok());  // a sheet without pages closes at once
}

}  // namespace
}  // namespace orv::ui
