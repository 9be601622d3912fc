// The dependency graph's links as nodes come, go and change names: no list
// ever holds a node that is gone, and each node knows exactly who links to
// it.
#include "vc/project/uses_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

using vc::VcUsesGraph;
using vc::VcUsesNode;

// Every link of every live node leads to a live node, and the links counted
// into each node are the links there are.
void expectWhole(const VcUsesGraph& graph, const std::vector<std::string>& names) {
  std::vector<VcUsesNode*> live;
  for (const std::string& n : names)
    if (VcUsesNode* node = graph.find(n)) live.push_back(node);
  ASSERT_EQ(live.size(), graph.size());
  std::map<std::pair<VcUsesNode*, VcUsesNode*>, std::uint32_t> counted;
  for (VcUsesNode* node : live)
    for (VcUsesNode* dep : node->dependencies) {
      ASSERT_NE(std::find(live.begin(), live.end(), dep), live.end()) << node->name << " links a node that is gone";
      ++counted[{dep, node}];
    }
  for (VcUsesNode* node : live) {
    for (const auto& [from, count] : node->dependents) {
      const std::pair<VcUsesNode*, VcUsesNode*> link{node, from};
      EXPECT_EQ(counted[link], count) << from->name << " -> " << node->name;
      counted.erase(link);
    }
  }
  for (const auto& [link, count] : counted) ADD_FAILURE() << link.second->name << " -> " << link.first->name << " not counted";
}

// A node for each name, in that order.
std::vector<VcUsesNode*> obtainAll(VcUsesGraph& graph, const std::vector<std::string>& names) {
  std::vector<VcUsesNode*> out;
  for (const std::string& n : names) out.push_back(graph.obtain(n));
  return out;
}

std::vector<std::string> names(const VcUsesNode& node) {
  std::vector<std::string> out;
  for (const VcUsesNode* dep : node.dependencies) out.push_back(dep->name);
  return out;
}

TEST(UsesGraph, RemovingANodeTakesEveryLinkToItAndFromIt) {
  VcUsesGraph g;
  const std::vector<std::string> all{"/p/a.c", "/p/b.h", "/p/c.c", "/p/d.h", "/p/e.c"};
  const std::vector<VcUsesNode*> n = obtainAll(g, all);
  VcUsesNode *a = n[0], *b = n[1], *c = n[2], *d = n[3], *e = n[4];
  a->link(b);
  c->link(b);
  c->link(b);  // twice
  b->link(d);
  b->link(b);  // itself
  e->link(d);
  a->link(d);
  expectWhole(g, all);
  const auto before = g.generation();
  g.remove(b);
  EXPECT_NE(g.generation(), before);
  EXPECT_EQ(g.find("/p/B.H"), nullptr);
  EXPECT_EQ(names(*a), std::vector<std::string>{"/p/d.h"});
  EXPECT_TRUE(c->dependencies.empty());
  expectWhole(g, all);
  // A new node of the name starts without links.
  VcUsesNode* again = g.obtain("/p/b.h");
  EXPECT_TRUE(again->dependencies.empty());
  EXPECT_TRUE(again->dependents.empty());
  g.remove(d);
  EXPECT_TRUE(a->dependencies.empty());
  EXPECT_TRUE(e->dependencies.empty());
  a->unlinkAll();
  g.remove(a);
  expectWhole(g, all);
}

TEST(UsesGraph, RenamingOntoAnIncludedFileTakesOverItsLinks) {
  VcUsesGraph g;
  const std::vector<std::string> all{"/p/m.c", "/p/inc.h", "/p/x.c", "/p/y.h", "/p/z.h"};
  const std::vector<VcUsesNode*> n = obtainAll(g, all);
  VcUsesNode *member = n[0], *included = n[1], *x = n[2], *y = n[3], *z = n[4];
  x->link(included);
  member->link(included);
  member->link(z);
  included->link(y);
  g.rename(member, "/p/INC.h");
  EXPECT_EQ(g.find("/p/inc.h"), member);
  EXPECT_EQ(g.find("/p/m.c"), nullptr);
  EXPECT_EQ(names(*x), std::vector<std::string>{"/p/INC.h"});
  // The member's own link to that name leads to itself now; the included
  // node's own links went with it.
  EXPECT_EQ(names(*member), (std::vector<std::string>{"/p/z.h", "/p/INC.h"}));
  EXPECT_TRUE(y->dependents.empty());
  expectWhole(g, {"/p/inc.h", "/p/x.c", "/p/y.h", "/p/z.h"});
  g.remove(member);
  EXPECT_TRUE(x->dependencies.empty());
  EXPECT_TRUE(z->dependents.empty());
  expectWhole(g, {"/p/x.c", "/p/y.h", "/p/z.h"});
}

}  // namespace
