#include "platform/dynlib/dynlib.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace orv::dynlib;

TEST(Dynlib, LoadsAndBindsByName) {
  Library lib;
  ASSERT_TRUE(lib.open(PROBE_PATH)) << lib.lastError();
  auto fn = reinterpret_cast<int (*)()>(lib.symbol("probeAnswer"));
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn(), 42);
  EXPECT_EQ(lib.symbol("noSuchSymbol"), nullptr);
  Library moved = std::move(lib);
  EXPECT_FALSE(lib.isOpen());
  EXPECT_TRUE(moved.isOpen());
}

TEST(Dynlib, MissingLibraryFailsWithText) {
  Library lib;
  EXPECT_FALSE(lib.open("/nonexistent/libnothing.so"));
  EXPECT_FALSE(lib.lastError().empty());
  EXPECT_EQ(lib.symbol("x"), nullptr);
}

TEST(Dynlib, OwnPathAndOverride) {
  static int anchor;
  std::string self = pathOfModuleContaining(reinterpret_cast<void*>(&anchor));
  EXPECT_NE(self.find("platform_dynlib_test"), std::string::npos);
  Library lib;
  // Not beside this program and not on the search path...
  EXPECT_FALSE(openBesideModule(lib, PROBE_NAME, &anchor, "ORV_PROBE_OVERRIDE"));
  // ...but the override names it.
  ::setenv("ORV_PROBE_OVERRIDE", PROBE_PATH, 1);
  EXPECT_TRUE(openBesideModule(lib, PROBE_NAME, &anchor, "ORV_PROBE_OVERRIDE"));
  ::unsetenv("ORV_PROBE_OVERRIDE");
}
