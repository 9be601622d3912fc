// Several processes on one database: concurrent adds, read-modify-write
// inside one transaction, and a maintenance lock held by another process.
#include "platform/rookdb/include/rookdb/store.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <unistd.h>

using namespace rookdb;
using rookdb_test::image;
using orv::test::TempDir;

namespace {

// Children wait on a pipe so that they start their work together.
struct StartGate {
  int fds[2];
  StartGate() { EXPECT_EQ(pipe(fds), 0); }
  ~StartGate() { close(fds[0]); close(fds[1]); }
  void wait() {
    char c;
    close(fds[1]);
    (void)!read(fds[0], &c, 1);
  }
  void open() { close(fds[1]); fds[1] = -1; }
};

TEST(RookdbProcesses, ConcurrentAddsGetDistinctIds) {
  TempDir dir;
  const std::string base = dir.file("sec");
  ASSERT_EQ(Store::create(base), kOk);
  StartGate gate;
  std::vector<pid_t> kids;
  for (int k = 0; k < 2; ++k) {
    kids.push_back(rookdb_test::spawnChild([&, k] {
      gate.wait();
      std::unique_ptr<Store> s;
      if (Store::open(base, Mode::Update, s) != kOk) return 1;
      for (int i = 0; i < 200; ++i) {
        std::string img = image(3, 1, "user" + std::to_string(k) + "-" + std::to_string(i));
        if (s->add(img) != kOk) return 2;
      }
      return 0;
    }));
  }
  gate.open();
  for (pid_t p : kids) EXPECT_EQ(rookdb_test::waitChild(p), 0);

  std::unique_ptr<Store> s;
  ASSERT_EQ(Store::open(base, Mode::ReadOnly, s), kOk);
  std::set<std::int32_t> ids;
  Cursor c(Selection::ofTypeUnder(3, 1));
  std::string img;
  for (int rc = s->first(c, img); rc == kOk; rc = s->next(c, img)) ids.insert(imageId(img));
  EXPECT_EQ(ids.size(), 400u);
  EXPECT_EQ(rookdb_test::sqliteCli(dir.file("sec.dat"), "PRAGMA integrity_check"), "ok\n");
}

TEST(RookdbProcesses, ReadModifyWriteInsideATransactionLosesNoUpdate) {
  TempDir dir;
  const std::string base = dir.file("sec");
  std::int32_t id = 0;
  ASSERT_EQ(Store::create(base, [&](Store& s) {
              std::string img = image(3, 1, "counter", 4);  // a 32-bit count after the fixed part
              int rc = s.add(img);
              id = imageId(img);
              return rc;
            }),
            kOk);
  StartGate gate;
  std::vector<pid_t> kids;
  for (int k = 0; k < 2; ++k) {
    kids.push_back(rookdb_test::spawnChild([&] {
      gate.wait();
      std::unique_ptr<Store> s;
      if (Store::open(base, Mode::Update, s) != kOk) return 1;
      for (int i = 0; i < 100; ++i) {
        WriteTransaction tx(*s);
        if (tx.begin() != kOk) return 2;
        std::string img;
        if (s->find(Selection::id(id), img) != kOk) return 3;
        std::int32_t n;
        std::memcpy(&n, img.data() + Layout::kFixedSize, 4);
        ++n;
        std::memcpy(img.data() + Layout::kFixedSize, &n, 4);
        if (s->rewrite(img) != kOk) return 4;
        if (tx.commit() != kOk) return 5;
      }
      return 0;
    }));
  }
  gate.open();
  for (pid_t p : kids) EXPECT_EQ(rookdb_test::waitChild(p), 0);
  std::unique_ptr<Store> s;
  ASSERT_EQ(Store::open(base, Mode::ReadOnly, s), kOk);
  std::string img;
  ASSERT_EQ(s->find(Selection::id(id), img), kOk);
  std::int32_t n;
  std::memcpy(&n, img.data() + Layout::kFixedSize, 4);
  EXPECT_EQ(n, 200);
}

TEST(RookdbProcesses, MaintenanceLockInAnotherProcessRefusesUpdateButNotReading) {
  TempDir dir;
  const std::string base = dir.file("sec");
  ASSERT_EQ(Store::create(base), kOk);
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t kid = rookdb_test::spawnChild([&] {
    close(ready[0]);
    close(release[1]);
    std::unique_ptr<Store> s;
    int rc = Store::open(base, Mode::Exclusive, s);
    char c = rc == kOk ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);  // hold the lock until the parent is done
    return rc;
  });
  close(ready[1]);
  close(release[0]);
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(c, 'y');
  std::unique_ptr<Store> s;
  EXPECT_EQ(Store::open(base, Mode::Update, s), kNoUpdate);
  EXPECT_EQ(Store::open(base, Mode::ReadOnly, s), kOk);
  s.reset();
  close(release[1]);
  close(ready[0]);
  EXPECT_EQ(rookdb_test::waitChild(kid), 0);
  EXPECT_EQ(Store::open(base, Mode::Update, s), kOk) << "the lock went with the process";
}

}  // namespace
