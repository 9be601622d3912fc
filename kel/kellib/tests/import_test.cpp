// Importing users and groups from passwd/group fixture files and from the
// system's account database.
#include "kel/kellib/include/kel.h"
#include "kel/kellib/account_source.h"
#include "kel/kellib/tests/kel_fixture.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"
#include "platform/sys/fault_injection.h"
#include "kel/kellib/scope_password.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <grp.h>
#include <pwd.h>

namespace {

using kel::ObjectRecord;
using orv::test::TempDir;

const std::string kAccounts = std::string(KEL_FIXTURES) + "/accounts";

std::vector<std::string> g_progress;
void progress(const char* name) { g_progress.emplace_back(name); }

// Names of the records of a kind under a parent, sorted.
std::vector<std::string> namesUnder(int kind, std::int32_t parent) {
  std::vector<std::string> names;
  kel::ObjectScan scan(rookdb::Selection::ofTypeUnder(kind, parent));
  ObjectRecord r;
  while (scan.next(r) == KEL_SUCCESS) names.push_back(r.name());
  std::sort(names.begin(), names.end());
  return names;
}

int countAll() {
  int n = 0;
  kel::ObjectScan scan(rookdb::Selection::all());
  ObjectRecord r;
  while (scan.next(r) == KEL_SUCCESS) ++n;
  return n;
}

std::int32_t idOf(int kind, std::int32_t parent, const std::string& name) {
  ObjectRecord r;
  EXPECT_EQ(kel::findObject(kind, parent, name, r), KEL_SUCCESS) << name;
  return r.id();
}

using Names = std::vector<std::string>;

class KelImport : public kel_test::OpenDatabase {
 protected:
  void SetUp() override {
    g_progress.clear();
    OpenDatabase::SetUp();
  }
  std::int32_t global() const { return kel::database().globalId(); }
};

TEST_F(KelImport, OrdinaryUsersOnlyAndTwiceAddsNothing) {
  ASSERT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str()), KEL_SUCCESS);
  // root, daemon, nobody and dave are outside the fixture's UID range,
  // ws01$ is a machine account.
  EXPECT_EQ(g_progress, (Names{"alice", "bob", "carol"}));
  EXPECT_EQ(namesUnder(KEL_USER, global()), (Names{"alice", "bob", "carol"}));

  const int before = countAll();
  g_progress.clear();
  EXPECT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, nullptr, progress, kAccounts.c_str()), KEL_SUCCESS);
  EXPECT_TRUE(g_progress.empty());
  EXPECT_EQ(countAll(), before);
  EXPECT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, "", nullptr, kAccounts.c_str()), KEL_SUCCESS);
}

TEST_F(KelImport, GroupsWithTheirOrdinaryMembers) {
  ASSERT_EQ(kelImportGroupsNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(g_progress, (Names{"devs", "ops"})) << "machines$ and groups outside the GID range are skipped";
  EXPECT_EQ(namesUnder(KEL_GROUP, global()), (Names{"devs", "ops"}));
  // devs lists bob, daemon, ws01$, alice, dave and an unknown ghost; alice
  // and carol have it as their primary group.
  const std::int32_t devs = idOf(KEL_GROUP, global(), "devs");
  EXPECT_EQ(namesUnder(KEL_GROUP_MEMBER, devs), (Names{"alice", "bob", "carol"}));
  ObjectRecord member;
  ASSERT_EQ(kel::findObject(KEL_GROUP_MEMBER, devs, "carol", member), KEL_SUCCESS);
  EXPECT_EQ(member.text(), "devs");
  EXPECT_EQ(namesUnder(KEL_GROUP_MEMBER, idOf(KEL_GROUP, global(), "ops")), (Names{"bob"}));
  // Members are users of the group's scope.
  EXPECT_EQ(namesUnder(KEL_USER, global()), (Names{"alice", "bob", "carol"}));

  const int before = countAll();
  g_progress.clear();
  EXPECT_EQ(kelImportGroupsNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str(), 1), KEL_SUCCESS);
  EXPECT_TRUE(g_progress.empty());
  EXPECT_EQ(countAll(), before);
}

TEST_F(KelImport, GroupsWithoutMembers) {
  ASSERT_EQ(kelImportGroupsNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str(), 0), KEL_SUCCESS);
  EXPECT_EQ(namesUnder(KEL_GROUP_MEMBER, idOf(KEL_GROUP, global(), "devs")), Names{});
  EXPECT_EQ(namesUnder(KEL_USER, global()), Names{});
  // A later import with members fills in the members of existing groups.
  ASSERT_EQ(kelImportGroupsNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(namesUnder(KEL_GROUP_MEMBER, idOf(KEL_GROUP, global(), "ops")), (Names{"bob"}));
}

TEST_F(KelImport, IntoAProjectAlsoRegistersTheUsersGlobally) {
  ObjectRecord project;
  ASSERT_EQ(kel::addObjectRecord(0, KEL_PROJECT, "Proj", &project), KEL_SUCCESS);
  ASSERT_EQ(kelImportUsersNT(KEL_PROJECT, "Proj", progress, kAccounts.c_str()), KEL_SUCCESS);
  EXPECT_EQ(namesUnder(KEL_USER, project.id()), (Names{"alice", "bob", "carol"}));
  EXPECT_EQ(namesUnder(KEL_USER, global()), (Names{"alice", "bob", "carol"}));
  ASSERT_EQ(kelImportGroupsNT(KEL_PROJECT, "Proj", progress, kAccounts.c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(namesUnder(KEL_GROUP, project.id()), (Names{"devs", "ops"}));
  EXPECT_EQ(namesUnder(KEL_GROUP, global()), Names{});

  EXPECT_EQ(kelImportUsersNT(KEL_PROJECT, "Nope", progress, kAccounts.c_str()), KEL_NOT_FOUND);
  EXPECT_EQ(kelImportUsersNT(KEL_PROJECT, "", progress, kAccounts.c_str()), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelImportUsersNT(KEL_USER, "alice", progress, kAccounts.c_str()), KEL_INVALID_ARGUMENT);
}

// The password callback's script: each request takes the next answer, an
// empty one declines.
std::vector<std::string> g_passwords;
std::vector<std::string> g_requests;
int scriptedPassword(int kind, const char* name, char* buffer, int length, const char* prompt) {
  g_requests.push_back(std::to_string(kind) + ":" + name + ":" + prompt);
  if (g_passwords.empty()) return 0;
  const std::string answer = g_passwords.front();
  g_passwords.erase(g_passwords.begin());
  if (answer.empty()) return 0;
  std::snprintf(buffer, static_cast<std::size_t>(length), "%s", answer.c_str());
  return 1;
}

TEST_F(KelImport, AScopeWithAPasswordAsksForItOnce) {
  ASSERT_EQ(kelSetPasswd(KEL_GLOBAL_MODULE, "", "s3cret"), KEL_SUCCESS);
  kel::resetPasswordState();  // forget the answer the change left in the cache
  kelRegisterPasswdCB(scriptedPassword);

  struct Case {
    const char* title;
    std::vector<std::string> answers;
    int want;
    Names requests;
  } cases[] = {
      {"declined", {""}, KEL_INCORRECT_PASSWORD, {"1::"}},
      {"wrong three times", {"a", "b", "c"}, KEL_INCORRECT_PASSWORD, {"1::", "1::retry", "1::retry"}},
      {"wrong, then right", {"nope", "s3cret"}, KEL_SUCCESS, {"1::", "1::retry"}},
  };
  for (const auto& c : cases) {
    g_passwords = c.answers;
    g_requests.clear();
    g_progress.clear();
    EXPECT_EQ(kelImportGroupsNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str(), 1), c.want) << c.title;
    EXPECT_EQ(g_requests, c.requests) << c.title << ": asked once for the whole import";
    EXPECT_TRUE(g_passwords.empty()) << c.title;
    if (c.want != KEL_SUCCESS) {
      EXPECT_EQ(namesUnder(KEL_GROUP, global()), Names{}) << c.title;
      EXPECT_TRUE(g_progress.empty()) << c.title;
    }
  }
  EXPECT_EQ(g_progress, (Names{"devs", "ops"}));
  EXPECT_EQ(namesUnder(KEL_GROUP_MEMBER, idOf(KEL_GROUP, global(), "devs")), (Names{"alice", "bob", "carol"}));

  // The answer stays cached: a later import asks nothing.
  g_requests.clear();
  EXPECT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str()), KEL_SUCCESS);
  EXPECT_EQ(g_requests, Names{});
  kelRegisterPasswdCB(nullptr);
}

TEST_F(KelImport, AProjectPasswordIsAskedForTheProject) {
  ASSERT_EQ(kelAddObject(KEL_GLOBAL_MODULE, "", 0, nullptr, KEL_PROJECT, "Proj", 0), KEL_SUCCESS);
  ASSERT_EQ(kelSetPasswd(KEL_PROJECT, "Proj", "pw"), KEL_SUCCESS);
  kel::resetPasswordState();
  EXPECT_EQ(kelImportUsersNT(KEL_PROJECT, "Proj", progress, kAccounts.c_str()), KEL_INCORRECT_PASSWORD)
      << "no callback registered";
  kelRegisterPasswdCB(scriptedPassword);
  g_passwords = {"pw"};
  g_requests.clear();
  EXPECT_EQ(kelImportUsersNT(KEL_PROJECT, "Proj", progress, kAccounts.c_str()), KEL_SUCCESS);
  EXPECT_EQ(g_requests, (Names{"2:Proj:"}));
  EXPECT_EQ(g_progress, (Names{"alice", "bob", "carol"}));
  kelRegisterPasswdCB(nullptr);
}

TEST_F(KelImport, SourceAndDatabaseFailures) {
  EXPECT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, "", progress, dir_.file("no-such-server").c_str()), KEL_NT_ERROR);
  EXPECT_EQ(kelExtraError(), ENOENT);
  EXPECT_EQ(kelImportGroupsNT(KEL_GLOBAL_MODULE, "", progress, dir_.file("no-such-server").c_str(), 1),
            KEL_NT_ERROR);

  EXPECT_EQ(kelImportUsersNetWare(KEL_GLOBAL_MODULE, "", progress, nullptr), KEL_NOT_AVAILABLE);
  EXPECT_EQ(kelImportGroupsNetWare(KEL_GLOBAL_MODULE, "", progress, "server", 1), KEL_NOT_AVAILABLE);

  ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
  EXPECT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str()), KEL_NOT_OPEN);
  ASSERT_EQ(kelOpenDB(base_.c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str()), KEL_READ_ONLY);
  ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
  EXPECT_TRUE(g_progress.empty());
}

TEST_F(KelImport, SystemAccountsThroughNss) {
  const kel::AccountRanges ranges = kel::readAccountRanges(kel::kSystemLoginDefs);
  ASSERT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, "", progress, nullptr), KEL_SUCCESS);
  ASSERT_EQ(kelImportGroupsNT(KEL_GLOBAL_MODULE, "", nullptr, "", 1), KEL_SUCCESS);
  for (const auto& name : namesUnder(KEL_USER, global())) {
    const struct passwd* pw = ::getpwnam(name.c_str());
    ASSERT_NE(pw, nullptr) << name;
    EXPECT_GE(pw->pw_uid, ranges.uidMin) << name;
    EXPECT_LE(pw->pw_uid, ranges.uidMax) << name;
    EXPECT_NE(name.back(), '$');
  }
  EXPECT_EQ(namesUnder(KEL_USER, global()).size(), g_progress.size());
}

TEST_F(KelImport, AnAccountFileThatCannotBeReadImportsNothing) {
  const int before = countAll();
  for (const char* file : {"/passwd", "/group"}) {
    {
      orv::sys::ScopedFault<&orv::sys::SystemCalls::read> eio(EIO, {.pathContains = file});
      EXPECT_EQ(kelImportUsersNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str()), KEL_NT_ERROR) << file;
      EXPECT_EQ(kelExtraError(), EIO) << file;
      EXPECT_EQ(kelImportGroupsNT(KEL_GLOBAL_MODULE, "", progress, kAccounts.c_str(), 1), KEL_NT_ERROR) << file;
    }
    EXPECT_EQ(countAll(), before) << file;
    EXPECT_TRUE(g_progress.empty()) << file;
  }
}

// A scripted account database in place of NSS: two users, one group, walked
// in order; the walks are counted so an unfinished one shows.
struct ScriptedNss {
  static inline int userAt = -1, groupAt = -1;
  static inline int openWalks = 0;
  static inline char names[4][16] = {"ann", "sys", "team", "bob"};
  static inline char* members[2] = {names[3], nullptr};

  static struct passwd* nextUser() {
    static struct passwd pw {};
    if (userAt < 0 || userAt >= 2) return nullptr;
    pw.pw_name = names[userAt];
    pw.pw_uid = userAt == 0 ? 1500 : 5;
    pw.pw_gid = 1600;
    ++userAt;
    return &pw;
  }
  static struct group* nextGroup() {
    static struct group gr {};
    if (groupAt < 0 || groupAt >= 1) return nullptr;
    gr.gr_name = names[2];
    gr.gr_gid = 1600;
    gr.gr_mem = members;
    ++groupAt;
    return &gr;
  }
  static void install() {
    auto& calls = orv::sys::calls();
    calls.setpwent = [] {
      userAt = 0;
      ++openWalks;
    };
    calls.getpwent = nextUser;
    calls.endpwent = [] {
      userAt = -1;
      --openWalks;
    };
    calls.setgrent = [] {
      groupAt = 0;
      ++openWalks;
    };
    calls.getgrent = nextGroup;
    calls.endgrent = [] {
      groupAt = -1;
      --openWalks;
    };
  }
};

TEST(KelAccountSource, SystemAccountsComeFromTheNssWalk) {
  ScriptedNss::install();
  kel::AccountDatabase db;
  const int rc = kel::readSystemAccounts(db);
  orv::sys::resetCalls();
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(ScriptedNss::openWalks, 0) << "every walk is ended";
  ASSERT_EQ(db.users.size(), 2u);
  EXPECT_EQ(db.users[0].name, "ann");
  EXPECT_EQ(db.users[0].uid, 1500u);
  EXPECT_EQ(db.users[1].name, "sys");
  ASSERT_EQ(db.groups.size(), 1u);
  EXPECT_EQ(db.groups[0].name, "team");
  EXPECT_EQ(db.groups[0].members, (Names{"bob"}));
  db.ranges = kel::AccountRanges{};  // this machine's login.defs aside
  std::vector<std::string> ordinary;
  for (const auto* a : kel::ordinaryUsers(db)) ordinary.push_back(a->name);
  EXPECT_EQ(ordinary, (Names{"ann"}));
}

TEST(KelAccountSource, LoginDefsRanges) {
  TempDir dir;
  const std::string defs = dir.file("login.defs");
  std::ofstream(defs) << "# comment\nUID_MIN 500\nUID_MAX\t0x1000\n#GID_MIN 7\nGID_MAX 077\nMAIL_DIR /var/mail\n"
                         "GID_MIN -4\n";
  kel::AccountRanges r = kel::readAccountRanges(defs);
  EXPECT_EQ(r.uidMin, 500u);
  EXPECT_EQ(r.uidMax, 0x1000u);
  EXPECT_EQ(r.gidMin, 1000u) << "a negative value is ignored";
  EXPECT_EQ(r.gidMax, 077u);
  kel::AccountRanges d = kel::readAccountRanges(dir.file("missing"));
  EXPECT_EQ(d.uidMin, 1000u);
  EXPECT_EQ(d.uidMax, 60000u);
  EXPECT_EQ(d.gidMin, 1000u);
  EXPECT_EQ(d.gidMax, 60000u);
}

}  // namespace
