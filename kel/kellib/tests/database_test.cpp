// Start, stop, create, open and close, the default contents, and the
// object records of the open database.
#include "kel/kellib/include/kel.h"
#include "kel/kellib/default_policy.h"
#include "kel/kellib/default_roles.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"
#include "platform/rookdb/include/rookdb/fault_seam.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using kel::ObjectRecord;
using kel::TextList;
using orv::test::TempDir;

class KelDatabase : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(kelInit("/opt/orv/bin/orvty"), KEL_SUCCESS); }
  void TearDown() override { EXPECT_EQ(kelExit(), KEL_SUCCESS); }

  std::string createDefault() {
    const std::string base = dir_.file("orvkel");
    EXPECT_EQ(kelCreateDB(base.c_str(), "admin"), KEL_SUCCESS);
    return base;
  }
  std::string openDefault() {
    std::string base = createDefault();
    EXPECT_EQ(kelOpenDB(base.c_str(), 0), KEL_SUCCESS);
    return base;
  }
  std::int32_t global() const { return kel::database().globalId(); }

  TempDir dir_;
};

// Renders every record in id order the way the fixture lists them.
std::string renderAll() {
  std::ostringstream out;
  kel::ObjectScan scan(rookdb::Selection::all());
  ObjectRecord r;
  while (scan.next(r) == KEL_SUCCESS) {
    out << r.id() << ' ' << r.type() << ' ' << r.parent() << ' ' << r.attrib(1) << " \"" << r.name() << "\" "
        << r.size() << '\n';
    for (const auto& list : r.lists()) {
      out << "  list\n";
      for (const auto& t : list) out << "    \"" << t << "\"\n";
    }
  }
  return out.str();
}

std::string fixture(const std::string& name) {
  std::ifstream in(std::string(KEL_FIXTURES) + "/" + name);
  std::string line, out;
  while (std::getline(in, line))
    if (line.empty() || line[0] != '#') out += line + "\n";
  return out;
}

TEST(KelStart, CallsBeforeStartAnswerNotInitialised) {
  EXPECT_EQ(kelExit(), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelOpenDB("/tmp/x", 1), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelCloseDB(), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelCreateDB("/tmp/x", "admin"), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelInit(nullptr), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelInit(""), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelInit("orvty"), KEL_SUCCESS);
  EXPECT_EQ(kel::database().startName, "orvty");
  EXPECT_EQ(kelInit("again"), KEL_SUCCESS);
  EXPECT_EQ(kelExit(), KEL_SUCCESS);
  EXPECT_EQ(kel::database().startName, "");
  EXPECT_EQ(kelExit(), KEL_NOT_INITIALIZED);
}

TEST_F(KelDatabase, CreateWritesTheDefaultContents) {
  const std::string base = createDefault();
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"orvkel.dat", "orvkel.lok"}));
  EXPECT_FALSE(kel::database().isOpen()) << "creation leaves the database closed";
  ASSERT_EQ(kelOpenDB((base + ".DAT").c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(renderAll(), fixture("default_contents.txt"));
  EXPECT_EQ(kel::database().globalModule.name(), "Global Module");
  EXPECT_EQ(global(), 1);
  ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);

  // The same rows as the sqlite3 program reads them.
  std::size_t policyLength = 148 + 3;
  for (const char* line : kel::defaultPolicyLines()) policyLength += std::strlen(line) + 1;
  EXPECT_EQ(rookdb_test::sqliteCli(base + ".dat",
                                   "SELECT id, type, parent, CAST(name AS TEXT), length(rec) FROM object ORDER BY id"),
            "1|1|0|Global Module|149\n"
            "2|5|1|Policy Statement|151\n"
            "3|6|1|DefaultRegisteredUser|473\n"
            "4|6|1|DefaultUnregisteredUser|150\n"
            "5|5|0|Default Policy Statement|" + std::to_string(policyLength) + "\n"
            "6|8|0|Tessalyworkbench|149\n");
  EXPECT_EQ(kel::defaultPolicyLines().size(), 65u);
  EXPECT_EQ(kel::defaultRegisteredUserPermissions().size(), 28u);
}

TEST_F(KelDatabase, CreateChecksItsArgumentsAndNeverOverwrites) {
  const std::string base = dir_.file("db");
  EXPECT_EQ(kelCreateDB(nullptr, "admin"), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelCreateDB("", "admin"), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelCreateDB(base.c_str(), nullptr), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelCreateDB(base.c_str(), ""), KEL_BLANK_PASSWORD);
  EXPECT_TRUE(dir_.entries().empty());

  ASSERT_EQ(kelCreateDB((base + ".dat").c_str(), "admin"), KEL_SUCCESS);
  ASSERT_EQ(kelOpenDB(base.c_str(), 0), KEL_SUCCESS);
  ASSERT_EQ(kel::addObjectRecord(global(), KEL_USER, "alice"), KEL_SUCCESS);
  ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
  EXPECT_EQ(kelCreateDB(base.c_str(), "admin"), KEL_OBJECT_EXISTS);
  ASSERT_EQ(kelOpenDB(base.c_str(), 1), KEL_SUCCESS);
  ObjectRecord r;
  EXPECT_EQ(kel::findObject(KEL_USER, global(), "alice", r), KEL_SUCCESS) << "the old database is untouched";
}

TEST_F(KelDatabase, AFailedCreateLeavesNothing) {
  rookdb::fault::failNext(rookdb::fault::Point::Publish, ENOSPC);
  EXPECT_EQ(kelCreateDB(dir_.file("db").c_str(), "admin"), KEL_CANNOT_ACCESS);
  EXPECT_EQ(kelExtraError(), rookdb::kSystemBase + ENOSPC);
  EXPECT_TRUE(dir_.entries().empty());
}

TEST_F(KelDatabase, OpenAndCloseCodes) {
  const std::string base = createDefault();
  EXPECT_EQ(kelOpenDB(nullptr, 0), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelOpenDB("", 0), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelCloseDB(), KEL_NOT_OPEN);
  EXPECT_EQ(kelOpenDB(dir_.file("missing").c_str(), 1), KEL_CANNOT_ACCESS);
  EXPECT_EQ(kelExtraError(), rookdb::kSystemBase + ENOENT);
  ASSERT_EQ(kelOpenDB(base.c_str(), 0), KEL_SUCCESS);
  EXPECT_FALSE(kel::database().readOnly);
  EXPECT_EQ(kelOpenDB(base.c_str(), 0), KEL_ALREADY_OPEN);
  EXPECT_EQ(kelCloseDB(), KEL_SUCCESS);
  EXPECT_EQ(kelCloseDB(), KEL_NOT_OPEN);
  ASSERT_EQ(kelOpenDB(base.c_str(), 1), KEL_SUCCESS);
  EXPECT_TRUE(kel::database().readOnly);
  EXPECT_EQ(kel::addObjectRecord(global(), KEL_USER, "bob"), KEL_READ_ONLY);
  // kelExit closes what is still open; the next start opens again.
}

TEST_F(KelDatabase, ForeignFilesAndMissingGlobalModule) {
  {
    std::ofstream(dir_.file("junk.dat")) << std::string(2048, 'j');
    std::ofstream(dir_.file("junk.lok")).close();
  }
  EXPECT_EQ(kelOpenDB(dir_.file("junk").c_str(), 0), KEL_CANNOT_ACCESS);
  EXPECT_EQ(kelExtraError(), rookdb::kBadFormat);

  // A database of ours without a global module: 202, and it is not left open.
  ASSERT_EQ(rookdb::Store::create(dir_.file("empty")), rookdb::kOk);
  EXPECT_EQ(kelOpenDB(dir_.file("empty").c_str(), 0), KEL_CANNOT_READ);
  EXPECT_EQ(kelCloseDB(), KEL_NOT_OPEN);
  const std::string base = createDefault();
  EXPECT_EQ(kelOpenDB(base.c_str(), 0), KEL_SUCCESS);
}

TEST_F(KelDatabase, ALongNameIsCutAndFoundAgain) {
  openDefault();
  const std::string sixty = "u" + std::string(59, 'x');
  ObjectRecord added, found;
  ASSERT_EQ(kel::addObjectRecord(global(), KEL_USER, sixty, &added), KEL_SUCCESS);
  EXPECT_EQ(added.name().size(), 55u);
  ASSERT_EQ(kel::findObject(KEL_USER, global(), sixty, found), KEL_SUCCESS);
  EXPECT_EQ(found.id(), added.id());
  EXPECT_EQ(kel::findObject(KEL_USER, global(), sixty.substr(0, 55), found), KEL_SUCCESS);
  EXPECT_EQ(kel::addObjectRecord(global(), KEL_USER, sixty + "other tail"), KEL_OBJECT_EXISTS);
  EXPECT_EQ(kel::addObjectRecord(global(), KEL_USER, ""), KEL_INVALID_ARGUMENT);
}

TEST_F(KelDatabase, AddingHasItsSideEffects) {
  openDefault();
  ObjectRecord project, group, member, r;
  ASSERT_EQ(kel::addObjectRecord(0, KEL_PROJECT, "tools", &project), KEL_SUCCESS);
  EXPECT_EQ(project.size(), 149u);
  // A new project owns a policy statement with two empty lists.
  ASSERT_EQ(kel::findObject(KEL_POLICY_STATEMENT, project.id(), "Policy Statement", r), KEL_SUCCESS);
  EXPECT_EQ(r.size(), 151u);

  // A user of a project is a user of the global module as well.
  ASSERT_EQ(kel::addObjectRecord(project.id(), KEL_USER, "carol", &r), KEL_SUCCESS);
  EXPECT_EQ(r.size(), 150u) << "users have one empty list";
  ASSERT_EQ(kel::findObject(KEL_USER, global(), "carol", r), KEL_SUCCESS);
  EXPECT_EQ(kel::addObjectRecord(global(), KEL_USER, "carol"), KEL_OBJECT_EXISTS);

  // A group member becomes a user of the group's scope and names its group.
  ASSERT_EQ(kel::addObjectRecord(project.id(), KEL_GROUP, "builders", &group), KEL_SUCCESS);
  ASSERT_EQ(kel::addObjectRecord(group.id(), KEL_GROUP_MEMBER, "dave", &member), KEL_SUCCESS);
  EXPECT_EQ(member.text(), "builders");
  EXPECT_EQ(member.size(), 149u);
  EXPECT_EQ(kel::findObject(KEL_USER, project.id(), "dave", r), KEL_SUCCESS);
  EXPECT_EQ(kel::findObject(KEL_USER, global(), "dave", r), KEL_SUCCESS);

  // Security objects: the full path in VarData, found without case.
  const std::string path = "/srv/archives/" + std::string(60, 'p') + "/one";
  const std::string twin = "/srv/archives/" + std::string(60, 'p') + "/two";
  ObjectRecord so;
  ASSERT_EQ(kel::addObjectRecord(0, KEL_SECURITY_OBJECT, path, &so), KEL_SUCCESS);
  EXPECT_EQ(so.lists(), (std::vector<TextList>{TextList{path}, TextList{}}));
  ASSERT_EQ(kel::addObjectRecord(0, KEL_SECURITY_OBJECT, twin), KEL_SUCCESS) << "same cut name, other path";
  ASSERT_EQ(kel::findObject(KEL_SECURITY_OBJECT, 0, "\\SRV\\archives\\" + std::string(60, 'P') + "\\ONE", r),
            KEL_SUCCESS);
  EXPECT_EQ(r.id(), so.id());
  EXPECT_EQ(kel::addObjectRecord(0, KEL_SECURITY_OBJECT, path), KEL_OBJECT_EXISTS);

  // Deleting the project takes its statement, users and groups with it.
  ASSERT_EQ(kel::deleteObjectTree(project.id()), KEL_SUCCESS);
  EXPECT_EQ(kel::readObject(member.id(), r), KEL_NOT_FOUND);
  EXPECT_EQ(kel::findObject(KEL_USER, global(), "dave", r), KEL_SUCCESS) << "global users stay";
  EXPECT_EQ(kel::deleteObjectTree(project.id()), KEL_NOT_FOUND);
}

TEST_F(KelDatabase, ARecordOverTheLimitIsRefusedAndTheOldOneKept) {
  openDefault();
  ObjectRecord role;
  ASSERT_EQ(kel::findObject(KEL_ROLE, global(), "DefaultRegisteredUser", role), KEL_SUCCESS);
  const std::string before = role.image();
  ObjectRecord grown = role;
  grown.image().append(4096 - grown.size() + 1, 'x');
  EXPECT_EQ(kel::rewriteObject(grown), KEL_OUT_OF_MEMORY);
  ObjectRecord again;
  ASSERT_EQ(kel::readObject(role.id(), again), KEL_SUCCESS);
  EXPECT_EQ(again.image(), before);
}

TEST(KelContainment, OnlyTheListedPairsAreAllowed) {
  const std::vector<std::pair<int, int>> allowed = {
      {0, 8}, {0, 9}, {1, 2}, {1, 3}, {1, 4}, {1, 6}, {1, 10}, {2, 3}, {2, 4},
      {2, 6}, {2, 10}, {3, 6}, {4, 6}, {4, 7}, {5, 10}, {6, 12},
  };
  for (int parent = 0; parent <= 12; ++parent)
    for (int child = 0; child <= 13; ++child) {
      bool ok = std::find(allowed.begin(), allowed.end(), std::make_pair(parent, child)) != allowed.end();
      EXPECT_EQ(kel::containmentCheck(parent, child), ok ? KEL_SUCCESS : KEL_INVALID_ARGUMENT)
          << parent << " -> " << child;
    }
}

}  // namespace
