// Creation, opening, records, limits and transactions of the store.
#include "platform/rookdb/include/rookdb/fault_seam.h"
#include "platform/rookdb/include/rookdb/store.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using namespace rookdb;
using rookdb_test::image;
using orv::test::TempDir;

namespace {

std::unique_ptr<Store> openOrDie(const std::string& base, Mode mode) {
  std::unique_ptr<Store> s;
  EXPECT_EQ(Store::open(base, mode, s), kOk);
  return s;
}

TEST(RookdbCreate, MakesBothFilesAndReadsBackWhatFillWrote) {
  TempDir dir;
  const std::string base = dir.file("sec");
  std::int32_t id = 0;
  ASSERT_EQ(Store::create(base, [&](Store& s) {
              std::string img = image(1, 0, "Global Module");
              int rc = s.add(img);
              id = imageId(img);
              return rc;
            }),
            kOk);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"sec.dat", "sec.lok"}));
  EXPECT_EQ(std::ifstream(dir.file("sec.lok"), std::ios::ate).tellg(), 0);

  auto s = openOrDie(base, Mode::ReadOnly);
  ASSERT_TRUE(s);
  std::string got;
  ASSERT_EQ(s->find(Selection::named(1, 0, "Global Module"), got), kOk);
  EXPECT_EQ(imageId(got), id);
  EXPECT_GT(id, 0);
  EXPECT_EQ(got.size(), 149u);
  // An independent reader sees the same row and our stamp.
  EXPECT_EQ(rookdb_test::sqliteCli(dir.file("sec.dat"),
                                   "SELECT id, type, parent, CAST(name AS TEXT), length(rec) FROM object"),
            std::to_string(id) + "|1|0|Global Module|149\n");
  EXPECT_EQ(rookdb_test::sqliteCli(dir.file("sec.dat"), "PRAGMA application_id"),
            std::to_string(kApplicationId) + "\n");
}

TEST(RookdbCreate, RefusesAnExistingDatabaseAndLeavesItAlone) {
  TempDir dir;
  const std::string base = dir.file("sec");
  ASSERT_EQ(Store::create(base, [](Store& s) {
              std::string img = image(1, 0, "keep me");
              return s.add(img);
            }),
            kOk);
  EXPECT_EQ(Store::create(base), kExists);
  auto s = openOrDie(base, Mode::ReadOnly);
  std::string got;
  EXPECT_EQ(s->find(Selection::named(1, 0, "keep me"), got), kOk);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"sec.dat", "sec.lok"}));
}

TEST(RookdbCreate, FailuresLeaveNoFilesBehind) {
  struct Case {
    const char* what;
    bool failPublish;
    int fillResult;
    int expected;
  } cases[] = {
      {"fill fails", false, 77, 77},
      {"publishing fails", true, kOk, kSystemBase + EIO},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    if (c.failPublish) fault::failNext(fault::Point::Publish, EIO);
    EXPECT_EQ(Store::create(dir.file("sec"), [&](Store& s) {
                std::string img = image(1, 0, "x");
                s.add(img);
                return c.fillResult;
              }),
              c.expected);
    fault::clear();
    EXPECT_TRUE(dir.entries().empty());
  }
}

TEST(RookdbCreate, KeepsALockCompanionThatWasThereBefore) {
  TempDir dir;
  std::ofstream(dir.file("sec.lok")).close();
  fault::failNext(fault::Point::Publish, EIO);
  EXPECT_NE(Store::create(dir.file("sec")), kOk);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"sec.lok"}));
}

TEST(RookdbOpen, RefusesFilesThatAreNotOurs) {
  TempDir dir;
  {
    std::ofstream f(dir.file("junk.dat"));
    f << std::string(4096, 'x');
  }
  std::ofstream(dir.file("junk.lok")).close();
  std::unique_ptr<Store> s;
  EXPECT_EQ(Store::open(dir.file("junk"), Mode::ReadOnly, s), kBadFormat);
  EXPECT_EQ(Store::open(dir.file("junk"), Mode::Update, s), kBadFormat);

  // A real SQLite file with another application id.
  std::system(("sqlite3 '" + dir.file("other.dat") + "' 'CREATE TABLE t(x)'").c_str());
  EXPECT_EQ(Store::open(dir.file("other"), Mode::ReadOnly, s), kBadFormat);

  EXPECT_EQ(Store::open(dir.file("missing"), Mode::ReadOnly, s), kSystemBase + ENOENT);
  EXPECT_FALSE(s);
}

TEST(RookdbOpen, UpdateNeedsTheLockCompanion) {
  TempDir dir;
  ASSERT_EQ(Store::create(dir.file("sec")), kOk);
  std::unique_ptr<Store> s;
  fault::failNext(fault::Point::LockOpen, EACCES);
  EXPECT_EQ(Store::open(dir.file("sec"), Mode::Update, s), kNoUpdate);
  EXPECT_EQ(Store::open(dir.file("sec"), Mode::ReadOnly, s), kOk);
}

TEST(RookdbOpen, ExclusiveAndSharedLocksExcludeEachOther) {
  // OFD locks belong to the open file, so two stores of one process conflict
  // just as two processes would.
  TempDir dir;
  const std::string base = dir.file("sec");
  ASSERT_EQ(Store::create(base), kOk);
  std::unique_ptr<Store> a, b, c;
  ASSERT_EQ(Store::open(base, Mode::Update, a), kOk);
  EXPECT_EQ(Store::open(base, Mode::Update, b), kOk) << "writers share the database";
  EXPECT_EQ(Store::open(base, Mode::Exclusive, c), kNoUpdate);
  a.reset();
  b.reset();
  ASSERT_EQ(Store::open(base, Mode::Exclusive, c), kOk);
  EXPECT_EQ(Store::open(base, Mode::Update, a), kNoUpdate);
  EXPECT_EQ(Store::open(base, Mode::ReadOnly, b), kOk) << "readers take no lock";
  EXPECT_EQ(Store::create(base), kExists);
}

TEST(RookdbRecords, ReadOnlyStoreRefusesEveryChange) {
  TempDir dir;
  std::int32_t id = 0;
  ASSERT_EQ(Store::create(dir.file("sec"), [&](Store& s) {
              std::string img = image(3, 0, "u");
              int rc = s.add(img);
              id = imageId(img);
              return rc;
            }),
            kOk);
  auto s = openOrDie(dir.file("sec"), Mode::ReadOnly);
  std::string img = image(3, 0, "v");
  EXPECT_EQ(s->add(img), kNoUpdate);
  std::string old;
  ASSERT_EQ(s->find(Selection::id(id), old), kOk);
  EXPECT_EQ(s->rewrite(old), kNoUpdate);
  EXPECT_EQ(s->erase(id), kNoUpdate);
  EXPECT_EQ(s->eraseSubtree(id), kNoUpdate);
  EXPECT_EQ(s->begin(), kNoUpdate);
}

TEST(RookdbRecords, RecordSizeLimitsAreKeptOnWriteAndRead) {
  TempDir dir;
  ASSERT_EQ(Store::create(dir.file("sec")), kOk);
  auto s = openOrDie(dir.file("sec"), Mode::Update);
  std::string img = image(3, 0, "u", Layout::kMaxRecord - Layout::kFixedSize);
  ASSERT_EQ(img.size(), 4096u);
  ASSERT_EQ(s->add(img), kOk) << "exactly 4,096 bytes is allowed";

  std::string bigger = img + "x";
  EXPECT_EQ(s->rewrite(bigger), kTooLong);
  std::string tooBig = image(3, 0, "w", 4096);
  EXPECT_EQ(s->add(tooBig), kTooLong);
  std::string shortImg(100, '\0');
  EXPECT_EQ(s->add(shortImg), kBadArgument);

  std::string got;
  ASSERT_EQ(s->find(Selection::id(imageId(img)), got), kOk);
  EXPECT_EQ(got, img) << "the refused rewrite left the record as it was";
  EXPECT_EQ(s->find(Selection::named(3, 0, "w"), got), kNotFound);

  // A record made too long behind our back is refused when read.
  s.reset();
  std::system(("sqlite3 '" + dir.file("sec.dat") + "' \"UPDATE object SET rec = zeroblob(5000)\"").c_str());
  s = openOrDie(dir.file("sec"), Mode::ReadOnly);
  EXPECT_EQ(s->find(Selection::id(imageId(img)), got), kTooLong);
}

TEST(RookdbRecords, IdsAreNeverReused) {
  TempDir dir;
  ASSERT_EQ(Store::create(dir.file("sec")), kOk);
  std::int32_t last = 0;
  {
    auto s = openOrDie(dir.file("sec"), Mode::Update);
    for (const char* n : {"a", "b", "c"}) {
      std::string img = image(3, 0, n);
      ASSERT_EQ(s->add(img), kOk);
      EXPECT_GT(imageId(img), last);
      last = imageId(img);
    }
    ASSERT_EQ(s->erase(last), kOk);
    EXPECT_EQ(s->erase(last), kNotFound);
  }
  auto s = openOrDie(dir.file("sec"), Mode::Update);
  std::string img = image(3, 0, "c");
  ASSERT_EQ(s->add(img), kOk);
  EXPECT_GT(imageId(img), last);
}

TEST(RookdbRecords, RewriteMovesTheKeysAndKeepsNamesUnique) {
  TempDir dir;
  ASSERT_EQ(Store::create(dir.file("sec")), kOk);
  auto s = openOrDie(dir.file("sec"), Mode::Update);
  std::string a = image(3, 0, "a"), b = image(3, 0, "b");
  ASSERT_EQ(s->add(a), kOk);
  ASSERT_EQ(s->add(b), kOk);
  std::string dup = image(3, 0, "a");
  EXPECT_EQ(s->add(dup), kEngineBase + 19) << "SQLITE_CONSTRAINT";

  std::string renamed = image(3, 7, "z");
  std::memcpy(renamed.data(), a.data(), 4);
  ASSERT_EQ(s->rewrite(renamed), kOk);
  std::string got;
  EXPECT_EQ(s->find(Selection::named(3, 0, "a"), got), kNotFound);
  ASSERT_EQ(s->find(Selection::named(3, 7, "z"), got), kOk);
  EXPECT_EQ(got, renamed);

  std::string ghost = image(3, 0, "ghost");
  std::int32_t nobody = 999;
  std::memcpy(ghost.data(), &nobody, 4);
  EXPECT_EQ(s->rewrite(ghost), kNotFound);

  // Security objects may share a (cut) name.
  std::string so1 = image(9, 0, "/same"), so2 = image(9, 0, "/same");
  EXPECT_EQ(s->add(so1), kOk);
  EXPECT_EQ(s->add(so2), kOk);
}

TEST(RookdbRecords, EraseSubtreeTakesAllDescendantsAndNothingElse) {
  TempDir dir;
  ASSERT_EQ(Store::create(dir.file("sec")), kOk);
  auto s = openOrDie(dir.file("sec"), Mode::Update);
  auto add = [&](int type, std::int32_t parent, const char* name) {
    std::string img = image(type, parent, name);
    EXPECT_EQ(s->add(img), kOk);
    return imageId(img);
  };
  std::int32_t root = add(2, 0, "project");
  std::int32_t other = add(2, 0, "other");
  std::int32_t group = add(4, root, "group");
  add(7, group, "member");
  add(5, root, "Policy Statement");
  std::int32_t keep = add(3, other, "user");
  ASSERT_EQ(s->eraseSubtree(root), kOk);
  std::string got;
  Cursor all(Selection::all());
  std::vector<std::int32_t> left;
  for (int rc = s->first(all, got); rc == kOk; rc = s->next(all, got)) left.push_back(imageId(got));
  EXPECT_EQ(left, (std::vector<std::int32_t>{other, keep}));
  EXPECT_EQ(s->eraseSubtree(root), kNotFound);
}

TEST(RookdbTransactions, NestedRollbackKeepsTheOuterWork) {
  TempDir dir;
  ASSERT_EQ(Store::create(dir.file("sec")), kOk);
  auto s = openOrDie(dir.file("sec"), Mode::Update);
  std::string got;
  {
    WriteTransaction outer(*s);
    ASSERT_EQ(outer.begin(), kOk);
    std::string a = image(3, 0, "outer");
    ASSERT_EQ(s->add(a), kOk);
    {
      WriteTransaction inner(*s);
      ASSERT_EQ(inner.begin(), kOk);
      std::string b = image(3, 0, "inner");
      ASSERT_EQ(s->add(b), kOk);
    }  // rolled back
    EXPECT_EQ(s->find(Selection::named(3, 0, "inner"), got), kNotFound);
    ASSERT_EQ(outer.commit(), kOk);
  }
  EXPECT_EQ(s->find(Selection::named(3, 0, "outer"), got), kOk);
  {
    WriteTransaction outer(*s);
    ASSERT_EQ(outer.begin(), kOk);
    std::string c = image(3, 0, "dropped");
    ASSERT_EQ(s->add(c), kOk);
  }
  EXPECT_EQ(s->find(Selection::named(3, 0, "dropped"), got), kNotFound);
  EXPECT_EQ(s->depth(), 0);
  EXPECT_EQ(s->commit(), kBadArgument);
}

}  // namespace
