#include "vc/config/option_lookup.h"

#include <gtest/gtest.h>

using namespace vc;

// All six lists hold the option; the table says which ones carry it and
// which are enforced, and which list must answer.
TEST(OptionLookup, OrderAcrossAllSixLists) {
  // Lists in walking order: global, archive, project first, project second, sandbox, local.
  const char* names[] = {"global", "archive", "project0", "project1", "sandbox", "local"};
  struct Case {
    const char* present;   // one letter per list: '-' absent, 'x' present, 'E' enforced
    const char* expected;  // name of the winning list, or "" for none
  } cases[] = {
      {"xxxxxx", "local"},    {"xxxxx-", "archive"},  {"x-xxx-", "sandbox"},
      {"x-xx--", "project1"}, {"x-x---", "project0"}, {"x-----", "global"},
      {"E-xxxx", "global"},   {"xExxxx", "archive"},  {"x-Exxx", "project0"},
      {"xx-E-x", "project1"}, {"xxxxxE", "local"},    {"------", ""},
      {"EEEEEE", "global"},   {"xx-x--", "archive"},  {"-----x", "local"},
  };
  for (const Case& c : cases) {
    VcOptionList lists[6];
    VcListSet set;
    VcOptionList* slots[6] = {&lists[0], &lists[1], &lists[2], &lists[3], &lists[4], &lists[5]};
    set.global = slots[0];
    set.archive = slots[1];
    set.project[0] = slots[2];
    set.project[1] = slots[3];
    set.project[2] = slots[4];
    set.local = slots[5];
    for (int i = 0; i < 6; ++i) {
      if (c.present[i] == '-') continue;
      setOption(lists[i], "opt", std::string(names[i]), c.present[i] == 'E' ? kOptEnforce : 0);
      lists[i].blocks.push_back(VcBlock{"blk", c.present[i] == 'E' ? 256u | kOptEnforce : 256u, {names[i]}});
    }
    OptionHit hit = lookupOption(set, "opt");
    BlockHit block = lookupBlock(set, "blk");
    if (!*c.expected) {
      EXPECT_EQ(hit.option, nullptr) << c.present;
      EXPECT_EQ(block.block, nullptr) << c.present;
      continue;
    }
    ASSERT_NE(hit.option, nullptr) << c.present;
    EXPECT_EQ(*hit.option->value, c.expected) << c.present;
    ASSERT_NE(block.block, nullptr) << c.present;
    EXPECT_EQ(block.block->lines[0], c.expected) << c.present;
  }
}

TEST(OptionLookup, ListsMissingFromTheSetAreSkipped) {
  VcOptionList global, local;
  setOption(global, "a", std::string("g"), 0);
  VcListSet set;
  set.global = &global;
  set.local = &local;
  OptionHit hit = lookupOption(set, "a");
  ASSERT_NE(hit.option, nullptr);
  EXPECT_EQ(hit.list, kListGlobal);
}

TEST(OptionList, SetOptionRules) {
  VcOptionList l;
  EXPECT_EQ(setOption(l, "x", std::string("1"), 0), SetResult::Created);
  EXPECT_EQ(setOption(l, "x", std::string("1"), 0), SetResult::EqualValue);
  EXPECT_EQ(setOption(l, "x", std::nullopt, kOptNo), SetResult::Replaced);
  EXPECT_EQ(*l.find("x")->value, "1");  // no value given: the old one stays
  EXPECT_EQ(l.find("x")->flags, kOptNo);
  EXPECT_EQ(setOption(l, "p", std::string("v"), kOptPolicy | kOptEnforce), SetResult::Created);
  EXPECT_EQ(setOption(l, "p", std::string("w"), kOptSaved), SetResult::Enforced);
  EXPECT_EQ(setOption(l, "q", std::string("v"), kOptPolicy | kOptSaved), SetResult::Created);
  EXPECT_EQ(l.find("q")->flags, kOptSaved);  // the saved flag clears the policy flag
  EXPECT_FALSE(l.dropOption("p"));           // policy entries are not dropped
  EXPECT_EQ(l.options.front().name, "q");    // newest first
}
