#include "vc/include/vc.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

TEST(RevisionNumbers, Fields) {
  struct {
    const char* rev;
    int fields;
  } cases[] = {{"1.2", 2}, {"1.2.1.1", 4}, {"1.2.", 2}, {"", 0}, {nullptr, 0}, {"1", 1}, {"1.2.1", 3}};
  for (auto& c : cases) EXPECT_EQ(vcRevFields(c.rev), c.fields) << (c.rev ? c.rev : "null");
}

TEST(RevisionNumbers, CompareDerivesOrder) {
  struct {
    const char* a;
    const char* b;
    int cmp, order, derives;
  } cases[] = {
      {"1.5", "1.4", 2, 2, 2},
      {"1.4", "1.5", -2, -2, -1},
      {"1.2", "1.2.1.1", 3, -3, 3},
      {"1.2.1.1", "1.2", -3, 3, -1},
      {"1.2.1.2", "1.2.1.1", -4, 4, -1},
      {"1.2.1.1", "1.2.1.2", 4, -4, 4},
      {"1", "1.5", 2, 2, 2},
      {"1.5", "1", -2, -2, -1},
      {"1.2", "1.2", 0, 0, 0},
      {"1.3", "1.2", 2, 2, 2},
      {"1.2.1.1", "1.3", -2, -2, -1},
      {"2.1", "1.9", 1, 1, 1},
      {"1.2.1", "1.2.1.1", -4, 4, -1},  // a branch number before its revisions: even prefix
      {"1.2.1.1", "1.2.1", 4, -4, 4},
      {"1.2.1.1", "1.2.1.1.3.1", 5, -5, 5},
      {"1.2.1.1.3.1", "1.2.1.1", -5, 5, -1},
      {"1.2.1.3", "1.2.1.1.3.1", -4, 4, -1},
      {"", "1.1", 1, 1, 1},
      {nullptr, nullptr, 0, 0, 0},
      {"99999999999999999999999.1", "99999999999999999999998.1", 0, 0, 0},  // both saturate
  };
  for (auto& c : cases) {
    SCOPED_TRACE(std::string(c.a ? c.a : "null") + " vs " + (c.b ? c.b : "null"));
    EXPECT_EQ(vcRevCmp(c.a, c.b), c.cmp);
    EXPECT_EQ(vcRevOrder(c.a, c.b), c.order);
    EXPECT_EQ(vcRevDerives(c.a, c.b), c.derives);
  }
}

namespace {

std::string join(const std::vector<int>& f) {
  std::string s;
  for (std::size_t i = 0; i < f.size(); ++i) s += (i ? "." : "") + std::to_string(f[i]);
  return s;
}

}  // namespace

// Revision numbers (an even number of fields) sort by vcRevOrder exactly as
// their fields do as number tuples, and the order is antisymmetric.
TEST(RevisionNumbers, OrderMatchesNumericTuples) {
  std::mt19937 rng(7);
  std::vector<std::vector<int>> revs;
  for (int i = 0; i < 300; ++i) {
    int pairs = 1 + static_cast<int>(rng() % 3);
    std::vector<int> f;
    for (int k = 0; k < 2 * pairs; ++k) f.push_back(1 + static_cast<int>(rng() % 3));
    revs.push_back(f);
  }
  for (auto& a : revs) {
    for (auto& b : revs) {
      int o = vcRevOrder(join(a).c_str(), join(b).c_str());
      int back = vcRevOrder(join(b).c_str(), join(a).c_str());
      ASSERT_EQ(o < 0, a < b) << join(a) << " " << join(b);
      ASSERT_EQ(o == 0, a == b);
      ASSERT_EQ(o < 0, back > 0);
    }
  }
}

// Builds a revision tree and checks that vcRevDerives(a, b) >= 0 exactly
// when b's text is built through a: the path from the head of the trunk to b
// passes through a (trunk revisions lie above their predecessors, branch
// revisions below their branch point).
TEST(RevisionNumbers, DerivesFollowsTheTree) {
  // Trunk 1.1 .. 1.4 (head 1.4); branches 1.2.1 (1.2.1.1, 1.2.1.2), 1.2.2 (1.2.2.1),
  // 1.2.1.1.1 (1.2.1.1.1.1), 1.3.1 (1.3.1.1).
  std::vector<std::string> revs = {"1.1",     "1.2",     "1.3",         "1.4",    "1.2.1.1",
                                   "1.2.1.2", "1.2.2.1", "1.2.1.1.1.1", "1.3.1.1"};
  auto parentOf = [](const std::string& r) -> std::string {
    std::vector<int> f;
    std::size_t p = 0;
    while (p <= r.size()) {
      std::size_t d = r.find('.', p);
      f.push_back(std::stoi(r.substr(p, d - p)));
      if (d == std::string::npos) break;
      p = d + 1;
    }
    if (f.size() == 2) return f[1] == 4 ? "" : "1." + std::to_string(f[1] + 1);  // trunk: next newer
    if (f.back() > 1) {
      f.back() -= 1;
      return join(f);
    }
    f.resize(f.size() - 2);
    return join(f);  // first on a branch: its branch point
  };
  for (auto& a : revs) {
    for (auto& b : revs) {
      bool through = false;
      for (std::string r = b; !r.empty(); r = parentOf(r))
        if (r == a) through = true;
      EXPECT_EQ(vcRevDerives(a.c_str(), b.c_str()) >= 0, through) << a << " -> " << b;
    }
  }
}
