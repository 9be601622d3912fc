// The separator rule shared by the revision library, the security database
// and the differencers.
#include "platform/fs/path_separators.h"

#include <gtest/gtest.h>

namespace {

TEST(ForwardSlashes, TurnsEveryBackslashIntoASlashAndKeepsTheRest) {
  struct Case {
    std::string_view given, expected;
  } cases[] = {
      {"", ""},
      {"plain/name.c", "plain/name.c"},
      {"C:\\Src\\rcs\\Foo.c", "C:/Src/rcs/Foo.c"},
      {"\\\\server\\share\\", "//server/share/"},
      {"mixed\\and/both\\", "mixed/and/both/"},
  };
  for (const auto& c : cases) EXPECT_EQ(orv::fs::forward_slashes(c.given), c.expected) << c.given;
}

TEST(ForwardSlashes, KeepsEmbeddedNulBytes) {
  using namespace std::string_literals;
  EXPECT_EQ(orv::fs::forward_slashes("a\\\0b"s), "a/\0b"s);
}

}  // namespace
