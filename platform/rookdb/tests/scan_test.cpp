// Scans: key order, prefixes, nesting and deletions during a scan.
#include "platform/rookdb/include/rookdb/store.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

using namespace rookdb;
using rookdb_test::image;
using orv::test::TempDir;

namespace {

class RookdbScan : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Store::create(dir_.file("sec")), kOk);
    ASSERT_EQ(Store::open(dir_.file("sec"), Mode::Update, s_), kOk);
  }
  std::int32_t add(int type, std::int32_t parent, const std::string& name) {
    std::string img = image(type, parent, name);
    EXPECT_EQ(s_->add(img), kOk);
    return imageId(img);
  }
  std::vector<std::string> names(const Selection& sel) {
    std::vector<std::string> out;
    Cursor c(sel);
    std::string img;
    int rc;
    for (rc = s_->first(c, img); rc == kOk; rc = s_->next(c, img)) out.emplace_back(imageName(img));
    EXPECT_EQ(rc, kNotFound);
    EXPECT_EQ(s_->next(c, img), kNotFound) << "the end stays the end";
    return out;
  }

  TempDir dir_;
  std::unique_ptr<Store> s_;
};

TEST_F(RookdbScan, SelectionsVisitTheirRecordsInKeyOrder) {
  // Added out of order; names ordered as bytes (shorter prefix first, high bytes last).
  add(3, 1, "b");
  add(3, 1, "abc");
  add(3, 2, "a");
  add(3, 1, "ab");
  add(3, 1, "\xe9t\xe9");
  add(4, 1, "a");
  add(2, 0, "p");
  add(3, -1, "neg");
  using V = std::vector<std::string>;
  struct Case {
    const char* what;
    Selection sel;
    V expected;
  } cases[] = {
      {"type", Selection::ofType(3), V{"neg", "ab", "abc", "b", "\xe9t\xe9", "a"}},
      {"type and parent", Selection::ofTypeUnder(3, 1), V{"ab", "abc", "b", "\xe9t\xe9"}},
      {"exact", Selection::named(3, 1, "ab"), V{"ab"}},
      {"exact, no prefix match", Selection::named(3, 1, "a"), V{}},
      {"children", Selection::childrenOf(1), V{"b", "abc", "ab", "\xe9t\xe9", "a"}},
      {"all by id", Selection::all(), V{"b", "abc", "a", "ab", "\xe9t\xe9", "a", "p", "neg"}},
      {"key 2, everything", Selection{2, 0, 0, 0, {}}, V{"p", "neg", "ab", "abc", "b", "\xe9t\xe9", "a", "a"}},
      {"key 3, everything", Selection{3, 0, 0, 0, {}}, V{"neg", "p", "b", "abc", "ab", "\xe9t\xe9", "a", "a"}},
      {"nothing of a type", Selection::ofType(8), V{}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(names(c.sel), c.expected);
  }
  std::string img;
  EXPECT_EQ(s_->find(Selection{4, 0, 0, 0, {}}, img), kBadArgument);
}

TEST_F(RookdbScan, DeletingDuringAScanNeitherSkipsNorRepeats) {
  for (const char* n : {"a", "b", "c", "d", "e", "f"}) add(3, 1, n);
  Cursor c(Selection::ofTypeUnder(3, 1));
  std::string img;
  std::vector<std::string> seen;
  for (int rc = s_->first(c, img); rc == kOk; rc = s_->next(c, img)) {
    std::string name(imageName(img));
    seen.push_back(name);
    ASSERT_EQ(s_->erase(imageId(img)), kOk);  // the current one
    if (name == "b") {
      std::string d;
      ASSERT_EQ(s_->find(Selection::named(3, 1, "d"), d), kOk);
      ASSERT_EQ(s_->erase(imageId(d)), kOk);  // one ahead
    }
    if (name == "c") add(3, 1, "bb");  // one behind: not visited
    if (name == "e") add(3, 1, "z");   // one ahead: visited
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c", "e", "f", "z"}));
}

TEST_F(RookdbScan, NestedScansAndCallsInsideAScanKeepTheirPlace) {
  std::int32_t g1 = add(4, 100, "g1");
  std::int32_t g2 = add(4, 100, "g2");
  for (const char* n : {"m1", "m2"}) add(7, g1, n);
  for (const char* n : {"n1", "n2", "n3"}) add(7, g2, n);
  std::vector<std::string> walk;
  Cursor outer(Selection::ofTypeUnder(4, 100));
  std::string g;
  for (int rc = s_->first(outer, g); rc == kOk; rc = s_->next(outer, g)) {
    walk.emplace_back(imageName(g));
    Cursor inner(Selection::childrenOf(imageId(g)));
    std::string m;
    for (int rc2 = s_->first(inner, m); rc2 == kOk; rc2 = s_->next(inner, m)) {
      walk.emplace_back(imageName(m));
      std::string other;  // an unrelated lookup in between
      ASSERT_EQ(s_->find(Selection::id(g1), other), kOk);
    }
  }
  EXPECT_EQ(walk, (std::vector<std::string>{"g1", "m1", "m2", "g2", "n1", "n2", "n3"}));
}

}  // namespace
