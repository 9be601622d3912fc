// The security-database bridge over the real libkel32.so and a database made
// through its own kel* calls:
//   global  users alice (no roles: the default registered role), bob [Limited]
//           role Limited = NoCheckIn, CheckOut, "LockStates = Exp"
//           policy statement: States=Exp Rel
//   project proj: users bob [ProjDev]; role ProjDev = CheckIn;
//           policy statement: NoModifyProject; registered for <dir>/app.tpj
// carol is not registered at all.
// Start-up over the same database with a policy statement or a fragment cut
// short in the file (the sqlite3 program): the rest loads, the damaged part
// is left out and shows as the security error.
#include "vc/error_codes.h"
#include "vc/archive/event_sources.h"
#include "vc/instance/instance.h"
#include "kel/kellib/include/kel.h"
#include "vc/security/permissions.h"
#include "vc/instance/seams.h"
#include "vc/security/security_state.h"
#include "testing/temp_dir.h"

#include <cstdio>
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
  EXPECT_EQ(vc::securityOf(*vc::currentInstance()).databasePath, (dir_ / "orvkel" / "orvkel").string());
  EXPECT_EQ(vcGetPerm("checkin"), 0);
  EXPECT_EQ(vc::runPreEvent(0, "checkin", nullptr), 0);
  EXPECT_EQ(vcGetPerm("openproject"), 0);
}

// Whether the database knows the current user: alice and bob are
// registered (bob in the global module and a project), carol is not.
TEST_F(RealDatabase, TheUserRegisteredItemAsksTheDatabase) {
  for (const char* user : {"alice", "bob", "carol"}) {
    startAs(user);
    char answer[4] = {};
    ASSERT_EQ(vcGetSysInfo(VC_SYSINFO_USER_REGISTERED, answer, sizeof answer), 0) << user;
    EXPECT_STREQ(answer, std::string(user) == "carol" ? "0" : "1") << user;
    char name[64] = {};
    ASSERT_EQ(vcGetSysInfo(VC_SYSINFO_USER, name, sizeof name), 0);
    EXPECT_STREQ(name, user);
    vcAPIcleanup();
  }
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

// Runs SQL on a database file with the sqlite3 program; its output, or
// "<failed>".
std::string sqlite(const std::string& file, const std::string& sql) {
  const std::string cmd = "sqlite3 '" + file + "' \"" + sql + "\"";
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return "<failed>";
  std::string out;
  char buf[256];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  return ::pclose(p) == 0 ? out : "<failed>";
}

TEST_F(RealDatabase, StartUpLeavesOutADamagedStatementOrFragment) {
  const fs::path file = dir_ / "orvkel" / "orvkel.dat";
  const fs::path saved = dir_ / "saved.dat";
  fs::copy_file(file, saved, fs::copy_options::overwrite_existing);
  // The global statement gets a fragment; then one of the two is cut short:
  // the statement loses its extra byte and its fragment list's end, the
  // fragment the NUL of its line.
  struct Case {
    const char* what;
    const char* record;  // the SQL condition that picks it
    int cut;
    const char* states;  // vcGetConfig("states"), or null when not found
  } const cases[] = {
      {"statement", "type = 5 AND name = CAST('Policy Statement' AS BLOB) AND parent = (SELECT id FROM object WHERE type = 1)", 2, nullptr},
      {"fragment", "type = 11", 3, "Exp Rel"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::copy_file(saved, file, fs::copy_options::overwrite_existing);
    ASSERT_EQ(kelInit(program().c_str()), KEL_SUCCESS);
    ASSERT_EQ(kelOpenDB((dir_ / "orvkel" / "orvkel").c_str(), 0), KEL_SUCCESS);
    ASSERT_EQ(kelAddFrag(1, "", "Policy Statement", "frag", "NoAddCR", 1), KEL_SUCCESS);
    ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
    ASSERT_EQ(kelExit(), KEL_SUCCESS);
    ASSERT_EQ(sqlite(file, std::string("UPDATE object SET rec = substr(rec, 1, length(rec) - ") +
                               std::to_string(c.cut) + ") WHERE " + c.record + "; SELECT changes();"),
              "1\n");
    ASSERT_EQ(sqlite(file, "PRAGMA integrity_check;"), "ok\n");

    startAs("alice");
    EXPECT_EQ(vcKELError(), KEL_BAD_FORMAT);
    char buf[64] = {};
    if (c.states) {
      EXPECT_EQ(vcGetConfig("states", nullptr, 0, buf, sizeof buf), 0);
      EXPECT_STREQ(buf, c.states);
    } else {
      EXPECT_EQ(vcGetConfig("states", nullptr, 0, buf, sizeof buf), 30);
    }
    EXPECT_EQ(vcGetConfig("noaddcr", nullptr, 0, buf, sizeof buf), 30) << "the fragment's line is not loaded";
    EXPECT_EQ(vcGetPerm("checkin"), 0) << "roles are not touched";
    while (vc::currentInstance()) vcAPIcleanup();
  }
  fs::copy_file(saved, file, fs::copy_options::overwrite_existing);

  // Sound again: the fragment's line loads and no security error stays.
  ASSERT_EQ(kelInit(program().c_str()), KEL_SUCCESS);
  ASSERT_EQ(kelOpenDB((dir_ / "orvkel" / "orvkel").c_str(), 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddFrag(1, "", "Policy Statement", "frag", "NoAddCR", 1), KEL_SUCCESS);
  ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
  ASSERT_EQ(kelExit(), KEL_SUCCESS);
  startAs("alice");
  EXPECT_EQ(vcKELError(), 0);
  char buf[64] = {};
  EXPECT_EQ(vcGetConfig("noaddcr", nullptr, 0, buf, sizeof buf), 0);
  while (vc::currentInstance()) vcAPIcleanup();
  fs::copy_file(saved, file, fs::copy_options::overwrite_existing);
}

}  // namespace
