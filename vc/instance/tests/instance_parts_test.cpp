// The parts that concerns keep in an instance (instancePart).
#include "vc/instance/instance.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_ended;

struct PartA {
  int value = 7;
  ~PartA() { g_ended.push_back("A"); }
};

struct PartB {
  std::string text;
  ~PartB() { g_ended.push_back("B"); }
};

}  // namespace

TEST(InstanceParts, MadeOnFirstUseOncePerInstance) {
  vc::VcInstance one;
  vc::VcInstance two;
  PartA& a = vc::instancePart<PartA>(one);
  EXPECT_EQ(a.value, 7);
  a.value = 9;
  vc::instancePart<PartB>(one).text = "b";  // a later part leaves a where it was
  EXPECT_EQ(&vc::instancePart<PartA>(one), &a);
  EXPECT_EQ(vc::instancePart<PartA>(one).value, 9);
  EXPECT_EQ(vc::instancePart<PartB>(one).text, "b");
  EXPECT_EQ(vc::instancePart<PartA>(two).value, 7);  // each instance its own
  EXPECT_EQ(vc::instancePart<PartB>(two).text, "");
}

TEST(InstanceParts, EndInTheReverseOrderOfTheirMaking) {
  {
    vc::VcInstance inst;
    vc::instancePart<PartB>(inst);
    vc::instancePart<PartA>(inst);
    g_ended.clear();
  }
  EXPECT_EQ(g_ended, (std::vector<std::string>{"A", "B"}));
}
