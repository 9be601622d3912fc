// The security-database bridge over the real libkel32.so and a database made
// through its own kel* calls:
//   global  users alice (no roles: the default registered role), bob [Limited]
//           role Limited = NoCheckIn, CheckOut, "LockStates = Exp"
//           policy statement: States=Exp Rel
//   project proj: users bob [ProjDev]; role ProjDev = CheckIn;
//           policy statement: NoModifyProject; registered for <dir>/app.tpj
// carol is not registered at all.
#include "vc/error_codes.h"
#include "vc/script/event_sources.h"
#include "vc/instance/instance.h"
#include "kel.h"
#include "vc/security/permissions.h"
#include "vc/instance/seams.h"
#include "testing/temp_dir.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string g_user;
int userName(char* buf, std::size_t len) {
  if (g_user.size() >= len) return 5;
  std::memcpy(buf, g_user.c_str(), g_user.size() + 1);
  return 0;
}

std::optional<std::string> g_projectPath;
std::vector<std::string> noObjects(vc::VcInstance&) { return {}; }
std::optional<std::string> projectPath(vc::VcInstance&) { return g_projectPath; }

std::string names(std::initializer_list<const char*> list) {
  std::string out;
  for (const char* n : list) out += std::string(n) + '\0';
  return out + '\0';
}

class RealDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_.emplace("orv-realkel");
    dir_ = scratch_->path();
    fs::create_directories(dir_ / "orvkel");
    fs::create_directories(dir_ / "bin");
    const std::string base = (dir_ / "orvkel" / "orvkel").string();
    ASSERT_EQ(kelInit(program().c_str()), KEL_SUCCESS);
    ASSERT_EQ(kelCreateDB(base.c_str(), "admin"), KEL_SUCCESS);
    ASSERT_EQ(kelOpenDB(base.c_str(), 0), KEL_SUCCESS);
    auto add = [](int sk, const char* s, int pk, const char* p, int k, const std::string& n) {
      ASSERT_EQ(kelAddObject(sk, s, pk, p, k, n.c_str(), 1), KEL_SUCCESS) << n.c_str();
    };
    add(1, "", 0, nullptr, KEL_USER, names({"alice", "bob"}));
    add(1, "", 0, nullptr, KEL_ROLE, names({"Limited"}));
    add(1, "", KEL_ROLE, "Limited", KEL_PERMISSION, names({"NoCheckIn", "CheckOut", "LockStates = Exp"}));
    add(1, "", KEL_USER, "bob", KEL_ROLE, names({"Limited"}));
    ASSERT_EQ(kelSetOption(1, "", KEL_POLICY_STATEMENT, "Policy Statement", "States", "Exp Rel"), KEL_SUCCESS);
    add(1, "", 0, nullptr, KEL_PROJECT, names({"proj"}));
    add(2, "proj", 0, nullptr, KEL_ROLE, names({"ProjDev"}));
    add(2, "proj", KEL_ROLE, "ProjDev", KEL_PERMISSION, names({"CheckIn"}));
    add(2, "proj", 0, nullptr, KEL_USER, names({"bob"}));
    add(2, "proj", KEL_USER, "bob", KEL_ROLE, names({"ProjDev"}));
    ASSERT_EQ(kelSetOption(2, "proj", KEL_POLICY_STATEMENT, "Policy Statement", "NoModifyProject", nullptr),
              KEL_SUCCESS);
    ASSERT_EQ(kelRegisterProject((dir_ / "app.tpj").c_str(), "proj", 1), KEL_SUCCESS);
    ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
    ASSERT_EQ(kelExit(), KEL_SUCCESS);
  }
  static void TearDownTestSuite() { scratch_.reset(); }
  static std::string program() { return (dir_ / "bin" / "orvty").string(); }

  void SetUp() override {
    ::setenv("ORV_KEL_LIBRARY", KEL_LIBRARY_PATH, 1);
    vc::seams().systemUserName = userName;
    g_projectPath.reset();
    vc::securityScopeSources() = vc::SecurityScopeSources{noObjects, projectPath};
  }
  void TearDown() override {
    while (vc::currentInstance()) vcAPIcleanup();
    vc::resetSecurityScopeSources();
    vc::resetSeams();
  }
  // Each start is a fresh library load: nothing cached from the last user.
  void startAs(const char* user) {
    g_user = user;
    ASSERT_EQ(vcAPIinitRegister(program().c_str(), nullptr, nullptr), 0);
  }

  static std::optional<orv::test::TempDir> scratch_;
  static fs::path dir_;
};

std::optional<orv::test::TempDir> RealDatabase::scratch_;
fs::path RealDatabase::dir_;

TEST_F(RealDatabase, ARegisteredUserMayCheckIn) {
  startAs("alice");
  EXPECT_EQ(vc::currentInstance()->security.databasePath, (dir_ / "orvkel" / "orvkel").string());
  EXPECT_EQ(vcGetPerm("checkin"), 0);
  EXPECT_EQ(vc::runPreEvent(0, "checkin", nullptr), 0);
  EXPECT_EQ(vcGetPerm("openproject"), 0);
}

TEST_F(RealDatabase, AnUnregisteredUserIsRefused) {
  startAs("carol");
  EXPECT_EQ(vcGetPerm("checkin"), vc::err::kDone);
  EXPECT_EQ(vc::runPreEvent(0, "checkin", nullptr), vc::err::kDenyCheckin);
  EXPECT_EQ(vc::requirePermission(*vc::currentInstance(), "checkin", vc::err::kDenyCheckin), vc::err::kDenyCheckin);
  char text[512] = {};
  ASSERT_EQ(vcErrorStr(241, text, sizeof text), 0);
  EXPECT_NE(std::string(text).find("check in revisions"), std::string::npos);
}

TEST_F(RealDatabase, ANoEntryRefusesAndValuesStillCount) {
  startAs("bob");
  EXPECT_EQ(vcGetPerm("checkin"), vc::err::kDone) << "NoCheckIn";
  EXPECT_EQ(vcGetPerm("checkout"), 0);
  char value[64] = {};
  ASSERT_EQ(vcGetPermValue("lockstates", value, sizeof value), 0);
  EXPECT_STREQ(value, "Exp");
  // The project registered for the current project file grants it.
  g_projectPath = (dir_ / "app.tpj").string();
  EXPECT_EQ(vcGetPerm("checkin"), 0);
}

TEST_F(RealDatabase, PolicyStatementsAndTheProjectGate) {
  startAs("alice");
  char buf[64] = {};
  unsigned flags = 0;
  ASSERT_EQ(vcGetConfig("states", nullptr, 0, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "Exp Rel");
  ASSERT_EQ(vcGetConfigFlags("states", &flags), 0);
  EXPECT_EQ(flags & 16u, 16u);
  // The administrators' template statement is not loaded.
  EXPECT_EQ(vcGetConfig("noaddcr", nullptr, 0, buf, sizeof buf), vc::err::kUnknownOption);

  vc::VcInstance& inst = *vc::currentInstance();
  vc::VcOptionList first;
  const std::string project = (dir_ / "app.tpj").string();
  EXPECT_EQ(vc::projectOpenGate(inst, first, project, false), 0);
  vc::VcOptionList second;
  EXPECT_EQ(vc::projectOpenGate(inst, second, project, true), vc::err::kProjectDenied);
  ASSERT_NE(second.find("modifyproject"), nullptr);
  EXPECT_EQ(second.find("modifyproject")->flags & 16u, 16u);
}

TEST_F(RealDatabase, RedirectorLeadsToTheDatabase) {
  startAs("alice");
  const fs::path red = dir_ / "elsewhere" / "lead";
  ASSERT_EQ(vcKELCreateRedirector((dir_ / "orvkel" / "orvkel").c_str(), red.c_str()), 0);
  char found[512] = {};
  EXPECT_EQ(kelCheckDatabasePath(red.c_str(), found, sizeof found), KEL_SUCCESS);
  EXPECT_NE(std::string(found).find("orvkel"), std::string::npos);
  // The library's own base path already holds a database: refused by the
  // database library, reported as 271 with its code.
  EXPECT_EQ(vcKELCreateRedirector("/srv/x", nullptr), vc::err::kRedirectorFailed);
  EXPECT_EQ(vcKELError(), KEL_DATABASE_AT_REDIRECTOR);
}

}  // namespace
