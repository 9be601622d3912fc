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

// A long list finds its options through its index: the index must answer as
// a walk of the list would through sets, drops, options of the same name
// met later in the list, copies and moves, and changes made to the list
// directly (after which the code that made them forgets the index).
TEST(OptionList, LongListAnswersAsAWalkWould) {
  auto walk = [](const VcOptionList& list, const std::string& name) -> const VcOption* {
    for (const VcOption& o : list.options)
      if (o.name == name) return &o;
    return nullptr;
  };
  auto agrees = [&](const VcOptionList& list) {
    for (int i = -1; i <= 1000; ++i) {
      const std::string name = i < 0 ? "shadowed" : "opt" + std::to_string(i);
      if (list.find(name) != walk(list, name)) return name;
    }
    return std::string();
  };
  VcOptionList list;
  for (int i = 0; i < 500; ++i) setOption(list, "opt" + std::to_string(i), std::to_string(i), 0);
  EXPECT_EQ(agrees(list), "");
  // Two options of one name further down, as a policy list holds them.
  list.options.push_back(VcOption{"shadowed", std::string("first"), kOptPolicy});
  list.options.push_back(VcOption{"shadowed", std::string("second"), kOptPolicy});
  setOption(list, "shadowed", std::string("own"), 0);
  EXPECT_EQ(*list.find("shadowed")->value, "own") << "the first of the name is replaced";
  EXPECT_EQ(list.options.front().name, "opt499");
  EXPECT_EQ(agrees(list), "");
  for (int i = 0; i < 500; i += 3) ASSERT_TRUE(list.dropOption("opt" + std::to_string(i)));
  EXPECT_TRUE(list.dropOption("shadowed"));
  EXPECT_EQ(*list.find("shadowed")->value, "second") << "the next of the name comes first now";
  EXPECT_FALSE(list.dropOption("shadowed")) << "a policy option stays";
  // A droppable option of the name behind the policy one: it goes, the
  // policy one stays first.
  list.options.push_back(VcOption{"shadowed", std::string("third"), 0});
  EXPECT_EQ(*list.find("shadowed")->value, "second");
  EXPECT_TRUE(list.dropOption("shadowed"));
  EXPECT_EQ(*list.find("shadowed")->value, "second");
  EXPECT_EQ(list.options.back().value, std::string("second"));
  EXPECT_EQ(agrees(list), "");
  for (int i = 500; i < 900; ++i) setOption(list, "opt" + std::to_string(i), std::string("new"), 0);
  EXPECT_EQ(agrees(list), "");
  EXPECT_EQ(list.find("opt3"), nullptr);
  EXPECT_EQ(*list.find("opt4")->value, "4");

  VcOptionList copy = list;
  EXPECT_EQ(agrees(copy), "");
  EXPECT_NE(copy.find("opt4"), list.find("opt4")) << "a copy finds its own options";
  VcOptionList moved = std::move(copy);
  EXPECT_EQ(agrees(moved), "");
  // Changed behind the index: the same length, another option in place.
  moved.options.front() = VcOption{"opt999", std::string("swapped"), 0};
  moved.index.forget();
  EXPECT_EQ(agrees(moved), "");
  EXPECT_EQ(*moved.find("opt999")->value, "swapped");
  moved.clear();
  EXPECT_EQ(moved.find("opt4"), nullptr);
}

TEST(OptionList, LongPairListAfterDrops) {
  VcOptionList list;
  for (int i = 0; i < 200; ++i) list.setPair(PairKind::WorkMap, "/w" + std::to_string(i), "/a" + std::to_string(i));
  // A second pair of one name further down, put there directly.
  list.workMap.push_back(VcPair{"/w7", "/older"});
  ASSERT_NE(list.findPair(PairKind::WorkMap, "/w7"), nullptr);
  for (int i = 0; i < 200; i += 3) ASSERT_TRUE(list.dropPair(PairKind::WorkMap, "/w" + std::to_string(i)));
  for (int i = 0; i < 200; ++i) {
    const VcPair* p = list.findPair(PairKind::WorkMap, "/w" + std::to_string(i));
    if (i % 3 == 0) EXPECT_EQ(p, nullptr) << i;
    else ASSERT_NE(p, nullptr) << i;
  }
  ASSERT_TRUE(list.dropPair(PairKind::WorkMap, "/w7"));
  EXPECT_EQ(list.findPair(PairKind::WorkMap, "/w7")->value, "/older") << "the next of the name comes first now";
  EXPECT_EQ(list.findPair(PairKind::WorkToArch, "/w8"), nullptr) << "each kind apart";
}
