// The security database used by several processes at once.
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <unistd.h>

namespace {

using kel::ObjectRecord;
using orv::test::TempDir;

TEST(KelProcesses, AMaintenanceLockElsewhereMakesTheOpenReadOnly) {
  TempDir dir;
  const std::string base = dir.file("orvkel");
  ASSERT_EQ(kelInit("orvty"), KEL_SUCCESS);
  ASSERT_EQ(kelCreateDB(base.c_str(), "admin"), KEL_SUCCESS);

  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t kid = rookdb_test::spawnChild([&] {
    close(ready[0]);
    close(release[1]);
    std::unique_ptr<rookdb::Store> s;
    int rc = rookdb::Store::open(base, rookdb::Mode::Exclusive, s);
    char c = rc == rookdb::kOk ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);
    return rc;
  });
  close(ready[1]);
  close(release[0]);
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');

  EXPECT_EQ(kelOpenDB(base.c_str(), 0), KEL_READ_ONLY);
  EXPECT_TRUE(kel::database().readOnly);
  ObjectRecord r;
  EXPECT_EQ(kel::findObject(KEL_ROLE, kel::database().globalId(), "DefaultRegisteredUser", r), KEL_SUCCESS)
      << "reading works";
  EXPECT_EQ(kel::addObjectRecord(kel::database().globalId(), KEL_USER, "erin"), KEL_READ_ONLY);
  EXPECT_EQ(kel::rewriteObject(r), KEL_READ_ONLY);
  EXPECT_EQ(kel::deleteObjectTree(r.id()), KEL_READ_ONLY);
  EXPECT_EQ(kelCloseDB(), KEL_SUCCESS);

  close(release[1]);
  close(ready[0]);
  EXPECT_EQ(rookdb_test::waitChild(kid), 0);
  EXPECT_EQ(kelOpenDB(base.c_str(), 0), KEL_SUCCESS) << "writable again once the lock is gone";
  EXPECT_EQ(kelExit(), KEL_SUCCESS);
}

TEST(KelProcesses, TwoProcessesAddingUsersGetDistinctIds) {
  TempDir dir;
  const std::string base = dir.file("orvkel");
  ASSERT_EQ(kelInit("orvty"), KEL_SUCCESS);
  ASSERT_EQ(kelCreateDB(base.c_str(), "admin"), KEL_SUCCESS);
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> kids;
  for (int k = 0; k < 2; ++k) {
    kids.push_back(rookdb_test::spawnChild([&, k] {
      close(gate[1]);
      char ch;
      (void)!read(gate[0], &ch, 1);
      if (kelOpenDB(base.c_str(), 0) != KEL_SUCCESS) return 1;
      for (int i = 0; i < 200; ++i) {
        std::string name = "user" + std::to_string(k) + "." + std::to_string(i);
        if (kel::addObjectRecord(kel::database().globalId(), KEL_USER, name) != KEL_SUCCESS) return 2;
      }
      return kelExit() == KEL_SUCCESS ? 0 : 3;
    }));
  }
  close(gate[0]);
  close(gate[1]);
  for (pid_t p : kids) EXPECT_EQ(rookdb_test::waitChild(p), 0);

  ASSERT_EQ(kelOpenDB(base.c_str(), 1), KEL_SUCCESS);
  std::set<std::int32_t> ids;
  kel::ObjectScan scan(rookdb::Selection::ofTypeUnder(KEL_USER, kel::database().globalId()));
  ObjectRecord r;
  while (scan.next(r) == KEL_SUCCESS) ids.insert(r.id());
  EXPECT_EQ(ids.size(), 400u);
  EXPECT_EQ(kelExit(), KEL_SUCCESS);
  EXPECT_EQ(rookdb_test::sqliteCli(base + ".dat", "PRAGMA integrity_check"), "ok\n");
}

TEST(KelProcesses, TwoProcessesAppendingRolesToOneUserLoseNothing) {
  TempDir dir;
  const std::string base = dir.file("orvkel");
  ASSERT_EQ(kelInit("orvty"), KEL_SUCCESS);
  ASSERT_EQ(kelCreateDB(base.c_str(), "admin"), KEL_SUCCESS);
  ASSERT_EQ(kelOpenDB(base.c_str(), 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "shared", 0), KEL_SUCCESS);
  ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);

  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> kids;
  for (int k = 0; k < 2; ++k) {
    kids.push_back(rookdb_test::spawnChild([&, k] {
      close(gate[1]);
      char ch;
      (void)!read(gate[0], &ch, 1);
      if (kelOpenDB(base.c_str(), 0) != KEL_SUCCESS) return 1;
      for (int i = 0; i < 100; ++i) {
        std::string role = "role" + std::to_string(k) + "." + std::to_string(i);
        if (kelAddObject(1, "", KEL_USER, "shared", KEL_ROLE, role.c_str(), 0) != KEL_SUCCESS) return 2;
      }
      return kelExit() == KEL_SUCCESS ? 0 : 3;
    }));
  }
  close(gate[0]);
  close(gate[1]);
  for (pid_t p : kids) EXPECT_EQ(rookdb_test::waitChild(p), 0);

  ASSERT_EQ(kelOpenDB(base.c_str(), 1), KEL_SUCCESS);
  char* list = nullptr;
  ASSERT_EQ(kelGetRoles(1, "", KEL_USER, "shared", &list, 1), KEL_SUCCESS);
  std::set<std::string> roles;
  std::size_t count = 0;
  for (const char* p = list; *p; p += std::strlen(p) + 1, ++count) roles.insert(p);
  kelFree(list);
  EXPECT_EQ(count, 200u);
  EXPECT_EQ(roles.size(), 200u);
  EXPECT_EQ(kelExit(), KEL_SUCCESS);
}

}  // namespace
