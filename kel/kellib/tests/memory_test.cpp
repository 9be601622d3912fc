// The memory calls through which blocks reach callers.
#include "kel/kellib/include/kel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(KelMemory, SizesBelowOneGiveNull) {
  EXPECT_EQ(kelMalloc(0), nullptr);
  EXPECT_EQ(kelMalloc(-1), nullptr);
  void* block = kelMalloc(8);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(kelRealloc(block, 0), nullptr);  // the block stays the caller's
  std::memset(block, 'x', 8);
  kelFree(block);
  kelFree(nullptr);
}

TEST(KelMemory, ReallocKeepsContentsAndStrdupCopies) {
  char* s = kelStrdup("role list");
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, "role list");
  s = static_cast<char*>(kelRealloc(s, 4096));
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, "role list");
  kelFree(s);
  EXPECT_EQ(kelStrdup(nullptr), nullptr);
  char* empty = kelStrdup("");
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty, "");
  kelFree(empty);
}

}  // namespace
