// The security-database bridge over the test double of libkel32.so: the
// caches, the scopes, the policy values, start-up failures, policy lines as
// options, the project-opening gate and redirector files.
#include "kel/kellib/include/kel.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/security/permissions.h"
#include "vc/security/security_policies.h"
#include "vc/instance/seams.h"
#include "vc/tests/support_kel_double.h"
#include "vc/security/security_state.h"
#include "testing/temp_dir.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Control entries of the double, reached through its own handle.
struct KelDouble {
  void* handle = ::dlopen(KEL_DOUBLE_PATH, RTLD_NOW | RTLD_LOCAL);
  ~KelDouble() { ::dlclose(handle); }
  template <class Fn>
  Fn fn(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(handle, name));
  }
  int count(const char* name) { return fn<int (*)(const char*)>("kelDoubleCallCount")(name); }
  void reset() { fn<void (*)()>("kelDoubleReset")(); }
  void answer(const char* scope, const char* permission, int result, int flags,
              const char* value = nullptr) {
    fn<void (*)(const char*, const char*, int, int, const char*)>("kelDoubleSetAnswer")(
        scope, permission, result, flags, value);
  }
  void securityObject(const char* path, const char* projects) {
    fn<void (*)(const char*, const char*)>("kelDoubleSetSecurityObject")(path, projects);
  }
  std::string lastUser() {
    char buf[256] = {};
    fn<int (*)(const char*, char*, int)>("kelDoubleLastName")("user", buf, sizeof buf);
    return buf;
  }
};

constexpr int kRefused = 22;  // what the database answers for a "No" entry
constexpr int kNoFlag = 1;    // the entry carried "No"
constexpr int kCatalogueRoles = 8;  // role rows of the double's catalogue

std::vector<std::string> g_archiveObjects;
std::optional<std::string> g_projectPath;
std::vector<std::string> archiveObjects(vc::VcInstance&) { return g_archiveObjects; }
std::optional<std::string> projectPath(vc::VcInstance&) { return g_projectPath; }

int userName(char* buf, std::size_t) {
  std::strcpy(buf, "alice");
  return 0;
}

struct SecurityBridge : ::testing::Test {
  KelDouble kel;
  orv::test::TempDir scratch{"orv-secbridge"};
  const fs::path dir = scratch.path();

  void SetUp() override {
    useKelDouble();
    ::unsetenv("ORV_KEL_FAIL");
    ::unsetenv("ORV_KEL_POLICY_FILE");
    vc::seams().systemUserName = userName;
    kel.reset();
    g_archiveObjects.clear();
    g_projectPath.reset();
    vc::securityScopeSources() = vc::SecurityScopeSources{archiveObjects, projectPath};
  }
  void TearDown() override {
    while (vc::currentInstance()) vcAPIcleanup();
    vc::resetSecurityScopeSources();
    vc::resetSeams();
    ::unsetenv("ORV_KEL_FAIL");
    ::unsetenv("ORV_KEL_POLICY_FILE");
  }
  void start() { ASSERT_EQ(vcAPIinit(), 0); }
  void writeFile(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
  std::string value(const char* permission) {
    char buf[256] = {};
    int rc = vcGetPermValue(permission, buf, sizeof buf);
    return rc == 0 ? buf : "<" + std::to_string(rc) + ">";
  }
};

TEST_F(SecurityBridge, ASecondCheckAsksTheDatabaseNothing) {
  start();
  EXPECT_EQ(vcGetPerm("checkin"), 0);
  EXPECT_EQ(kel.count("kelEnumBuiltinPolicy"), 1);
  EXPECT_EQ(kel.count("kelResolvePermission"), kCatalogueRoles) << "one call per role row";
  EXPECT_EQ(kel.lastUser(), "alice");
  // The same permission again, another one of the catalogue, another spelling.
  EXPECT_EQ(vcGetPerm("checkin"), 0);
  EXPECT_EQ(vcGetPerm("Lock"), 0);
  EXPECT_EQ(vcGetPerm("CHECKOUT"), 0);
  EXPECT_EQ(kel.count("kelEnumBuiltinPolicy"), 1);
  EXPECT_EQ(kel.count("kelResolvePermission"), kCatalogueRoles);
  // A permission the catalogue lacks is asked once, then cached too.
  EXPECT_EQ(vcGetPerm("newstate"), 0);
  EXPECT_EQ(vcGetPerm("newstate"), 0);
  EXPECT_EQ(kel.count("kelResolvePermission"), kCatalogueRoles + 1);
}

// The database is asked about the current user of config/user_name.h:
// the authenticated user (start-up or item 99), else `logname`, else
// "unknown"; made safe.
const char* g_systemName = nullptr;
int systemName(char* buf, std::size_t) {
  if (!g_systemName) return 5;
  std::strcpy(buf, g_systemName);
  return 0;
}

TEST_F(SecurityBridge, AsksAboutTheCurrentUser) {
  struct Case {
    const char* startUp;
    const char* item99;
    const char* logname;
    const char* asked;
  } cases[] = {
      {nullptr, nullptr, nullptr, "unknown"}, {nullptr, nullptr, "jo", "jo"},
      {"Ann", nullptr, nullptr, "Ann"},       {"Ann", nullptr, "jo", "Ann"},
      {nullptr, "Ann", "jo", "Ann"},          {"x@y", nullptr, "jo", "x_y"},
  };
  vc::seams().systemUserName = systemName;
  for (const auto& c : cases) {
    g_systemName = c.startUp;
    start();
    if (c.item99) {
      ASSERT_EQ(vcSetSysInfo(99, c.item99), 0);
    }
    if (c.logname) {
      ASSERT_EQ(vcSetConfig("logname", c.logname), 0);
    }
    EXPECT_EQ(vcGetPerm("checkin"), 0);
    EXPECT_EQ(kel.lastUser(), c.asked) << (c.startUp ? c.startUp : "-") << " "
                                       << (c.item99 ? c.item99 : "-") << " "
                                       << (c.logname ? c.logname : "-");
    vcAPIcleanup();  // the last instance: the caches go with the binding
  }
}

TEST_F(SecurityBridge, RefusalsAndNoEntries) {
  kel.answer("", "checkin", kRefused, kNoFlag);  // "NoCheckIn"
  kel.answer("", "lock", 0, kNoFlag);            // a "No" flag alone refuses too
  kel.answer("", "checkout", kRefused, 2);       // no entry at all
  start();
  EXPECT_EQ(vcGetPerm("checkin"), vc::err::kDone);
  EXPECT_EQ(vcGetPerm("lock"), vc::err::kDone);
  EXPECT_EQ(vcGetPerm("checkout"), vc::err::kDone);
  EXPECT_EQ(vcGetPerm("openarchive"), 0);
  EXPECT_EQ(vcGetPerm(nullptr), vc::err::kBadArgument);
  // Refused through an event gate: the operation's refusal code.
  EXPECT_EQ(vcArchiveEvent(0, "precheckin", nullptr), vc::err::kDenyCheckin);
  EXPECT_EQ(vcExtraError(), 0);
  EXPECT_EQ(vcKELError(), 0);
}

TEST_F(SecurityBridge, ASecurityObjectOverridesAGlobalRefusal) {
  kel.answer("", "checkin", kRefused, kNoFlag);
  kel.answer("projA", "checkin", kRefused, 2);
  kel.answer("projB", "checkin", 0, 0);
  start();
  EXPECT_EQ(vcGetPerm("checkin"), vc::err::kDone) << "no archive: the global refusal stands";
  g_archiveObjects = {"projA", "projB"};
  EXPECT_EQ(vcGetPerm("checkin"), 0);
  EXPECT_EQ(kel.count("kelResolvePermissionInSO"), 2 * kCatalogueRoles);
  EXPECT_EQ(vcGetPerm("checkin"), 0);
  EXPECT_EQ(kel.count("kelResolvePermissionInSO"), 2 * kCatalogueRoles);
}

TEST_F(SecurityBridge, OpeningAnArchiveSkipsItsSecurityObjects) {
  kel.answer("", "openarchive", kRefused, kNoFlag);
  kel.answer("projA", "openarchive", 0, 0);
  start();
  g_archiveObjects = {"projA"};
  EXPECT_EQ(vcGetPerm("openarchive"), vc::err::kDone);
  EXPECT_EQ(kel.count("kelResolvePermissionInSO"), 0);
}

TEST_F(SecurityBridge, TheProjectCheckGoesThroughTheScopeCache) {
  kel.answer("", "modifyproject", kRefused, kNoFlag);
  kel.answer("projP", "modifyproject", 0, 0);
  kel.securityObject("/work/app.tpj", "projX,projP");
  start();
  g_projectPath = "/work/app.tpj";
  EXPECT_EQ(vcGetPerm("modifyproject"), 0);
  EXPECT_EQ(vcGetPerm("modifyproject"), 0);
  EXPECT_EQ(vcGetPerm("openproject"), 0);
  EXPECT_EQ(kel.count("kelGetObject"), 1);
  // An archive with security objects takes the place of the project.
  kel.answer("projQ", "modifyproject", kRefused, 2);
  g_archiveObjects = {"projQ"};
  EXPECT_EQ(vcGetPerm("modifyproject"), vc::err::kDone);
  // A project file that no security object lists.
  g_archiveObjects.clear();
  g_projectPath = "/work/other.tpj";
  EXPECT_EQ(vcGetPerm("modifyproject"), vc::err::kDone);
  EXPECT_EQ(kel.count("kelGetObject"), 2);
}

TEST_F(SecurityBridge, ValuesOfEveryScopeAreMerged) {
  kel.answer("", "lockstates", 0, 0, "a, b");
  kel.answer("projA", "lockstates", 0, 0, " b c ");
  kel.answer("projB", "lockstates", kRefused, kNoFlag, "zzz");  // refused: its value counts not
  kel.answer("", "checkin", kRefused, kNoFlag);
  start();
  EXPECT_EQ(value("lockstates"), "a, b");
  // Holding a valued policy grants nothing else.
  EXPECT_EQ(vcGetPerm("checkin"), vc::err::kDone);
  EXPECT_EQ(value("checkin"), "<30>");
  g_archiveObjects = {"projA", "projB"};
  EXPECT_EQ(value("lockstates"), "a, b c");
  EXPECT_EQ(value("lock"), "") << "granted without a value";
  char small[4];
  EXPECT_EQ(vcGetPermValue("lockstates", small, sizeof small), vc::err::kBufferTooSmall);
  EXPECT_EQ(vcBufferLenQ(), 7);
}

TEST(PermissionValueMerge, WordsAndLimit) {
  struct Case {
    std::string acc, add, want;
  } cases[] = {
      {"", "a, b", "a, b"},
      {"a, b", "b c", "a, b c"},
      {"x", "x\tx,x", "x"},
      {"a", "", "a"},
      {std::string(195, 'q'), "r s t", std::string(195, 'q') + " r s"},  // 199 fits, 201 not
      {std::string(198, 'q'), "r", std::string(198, 'q')},               // 200 would be reached
      {"", std::string(250, 'w'), ""},                               // one word too long
  };
  for (const Case& c : cases) {
    std::string acc = c.acc;
    vc::mergePermissionValue(acc, c.add);
    EXPECT_EQ(acc, c.want) << c.acc.substr(0, 10) << " + " << c.add.substr(0, 10);
    EXPECT_LT(acc.size(), 200u);
  }
}

TEST_F(SecurityBridge, SecurityChecksSwitchedOffGrantEverything) {
  kel.answer("", "checkin", kRefused, kNoFlag);
  start();
  vc::securityOf(*vc::currentInstance()).on = 0;
  EXPECT_EQ(vcGetPerm("checkin"), 0);
  EXPECT_EQ(kel.count("kelResolvePermission"), 0);
}

TEST_F(SecurityBridge, RequirePermissionRecordsTheRefusal) {
  kel.answer("", "addlabel", kRefused, kNoFlag);
  start();
  vc::VcInstance& inst = *vc::currentInstance();
  securityOf(inst).error = 9;
  inst.extraError = 9;
  EXPECT_EQ(vc::requirePermission(inst, "addlabel", vc::err::kDenyAddLabel), vc::err::kDenyAddLabel);
  EXPECT_EQ(inst.lastError, vc::err::kDenyAddLabel);
  EXPECT_EQ(securityOf(inst).error, 0);
  EXPECT_EQ(inst.extraError, 0);
  EXPECT_EQ(vc::requirePermission(inst, "checkin", vc::err::kDenyCheckin), 0);
}

TEST_F(SecurityBridge, StartUpFailures) {
  struct Case {
    const char* library;
    const char* failing;
    int code, securityError, extra;
  } cases[] = {
      {"/nonexistent/libkel32.so", nullptr, 270, 0, 0},
      {nullptr, "getdefault", 262, 0, 0},
      {nullptr, "init", 263, 204, 77},
      {nullptr, "opendb", 272, 201, 88},
  };
  for (const Case& c : cases) {
    if (c.library) ::setenv("ORV_KEL_LIBRARY", c.library, 1);
    else useKelDouble();
    if (c.failing) ::setenv("ORV_KEL_FAIL", c.failing, 1);
    else ::unsetenv("ORV_KEL_FAIL");
    EXPECT_EQ(vcAPIinit(), c.code);
    EXPECT_EQ(vcKELError(), c.securityError) << c.code;
    EXPECT_EQ(vcExtraError(), c.extra) << c.code;
    // The instance stays attached; nothing is guarded without a database.
    EXPECT_EQ(vcGetPerm("checkin"), 0) << c.code;
    EXPECT_EQ(vcAPIcleanup(), 0);
  }
}

TEST_F(SecurityBridge, PolicyLinesArriveAsReadOnlyOptions) {
  const fs::path policy = dir / "policy";
  writeFile(policy, "States=Exp Rel\nEnforceNoAddCr\n@extra\n");
  writeFile(dir / "policy.extra", "logname=fromfragment\n");
  ::setenv("ORV_KEL_POLICY_FILE", policy.c_str(), 1);
  start();
  unsigned flags = 0;
  ASSERT_EQ(vcGetConfigFlags("states", &flags), 0);
  EXPECT_EQ(flags & 16u, 16u);
  ASSERT_EQ(vcGetConfigFlags("addcr", &flags), 0);
  EXPECT_EQ(flags & (16u | 4u | 1u), 16u | 4u | 1u);
  ASSERT_EQ(vcGetConfigFlags("logname", &flags), 0);
  EXPECT_EQ(flags & 16u, 16u) << "fragment lines come in too";
  // The caller can neither override an enforced policy line nor drop or
  // re-flag a policy option.
  char qualifier[64] = {}, buf[64] = {};
  EXPECT_EQ(vcSetConfig("addcr", nullptr), 0);
  ASSERT_EQ(vcGetConfig("addcr", qualifier, sizeof qualifier, buf, sizeof buf), 0);
  EXPECT_STREQ(qualifier, "enforcenoaddcr");
  EXPECT_EQ(vcDropConfig("states"), vc::err::kUnknownOption);
  EXPECT_EQ(vcSetConfigFlags("states", 0), vc::err::kUnknownOption);
  ASSERT_EQ(vcGetConfig("states", nullptr, 0, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "Exp Rel");
}

TEST_F(SecurityBridge, PolicyStatementsMayNotStartPrograms) {
  const fs::path policy = dir / "policy";
  writeFile(policy, "before=1\nexec /bin/true\nafter=1\n");
  ::setenv("ORV_KEL_POLICY_FILE", policy.c_str(), 1);
  start();
  char buf[32];
  EXPECT_EQ(vcGetConfig("before", nullptr, 0, buf, sizeof buf), 0);
  EXPECT_EQ(vcGetConfig("after", nullptr, 0, buf, sizeof buf), vc::err::kUnknownOption)
      << "the script error ends the load";
}

TEST_F(SecurityBridge, SecurityObjectPoliciesGoToTheGivenList) {
  const fs::path policy = dir / "policy";
  writeFile(policy, "");
  writeFile(dir / "policy@projA", "Strictlocks\n");
  ::setenv("ORV_KEL_POLICY_FILE", policy.c_str(), 1);
  start();
  vc::VcOptionList archiveList;
  EXPECT_EQ(vc::loadSecurityObjectPolicies(*vc::currentInstance(), archiveList, {"projA", "projB"}), 0);
  const vc::VcOption* o = archiveList.find("strictlocks");
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->flags & 16u, 16u);
}

TEST_F(SecurityBridge, ProjectOpeningGate) {
  const fs::path policy = dir / "policy";
  writeFile(policy, "");
  writeFile(dir / "policy@open", "OpenProject\nNoModifyProject\n");
  writeFile(dir / "policy@closed", "NoOpenProject\n");
  ::setenv("ORV_KEL_POLICY_FILE", policy.c_str(), 1);
  kel.securityObject("/p/open.tpj", "open");
  kel.securityObject("/p/closed.tpj", "closed");
  start();
  vc::VcInstance& inst = *vc::currentInstance();
  struct Case {
    const char* path;
    bool forChange;
    int want;
  } cases[] = {
      {"/p/unlisted.tpj", true, 0},  // the database says nothing: open
      {"/p/open.tpj", false, 0},
      {"/p/open.tpj", true, 94},
      {"/p/closed.tpj", false, 94},
  };
  for (const Case& c : cases) {
    vc::VcOptionList first;
    EXPECT_EQ(vc::projectOpenGate(inst, first, c.path, c.forChange), c.want) << c.path << c.forChange;
  }
}

TEST_F(SecurityBridge, RedirectorFiles) {
  start();
  // Missing database path; directories made; a read-only file replaced.
  EXPECT_EQ(vcKELCreateRedirector(nullptr, nullptr), vc::err::kBadArgument);
  EXPECT_EQ(vcKELCreateRedirector("", "x"), vc::err::kBadArgument);
  const fs::path red = dir / "a" / "b" / "orvkel";
  ASSERT_EQ(vcKELCreateRedirector("/srv/kel/orvkel", red.c_str()), 0);
  writeFile(dir / "a" / "b" / "orvkel.red", "stale\n");
  ::chmod((dir / "a" / "b" / "orvkel.red").c_str(), 0444);
  ASSERT_EQ(vcKELCreateRedirector("/srv/kel/second", red.c_str()), 0);
  std::ifstream in(dir / "a" / "b" / "orvkel.red");
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all, "/srv/kel/second\n");
  EXPECT_FALSE(fs::exists(dir / "a" / "b" / "orvkel.red.old"));

  // A component that is a file: 271 with the system error, security error 0.
  writeFile(dir / "plain", "x");
  EXPECT_EQ(vcKELCreateRedirector("/srv/kel/orvkel", (dir / "plain" / "r").c_str()), vc::err::kRedirectorFailed);
  EXPECT_EQ(vcExtraError(), ENOTDIR);
  EXPECT_EQ(vcKELError(), 0);

  // The database refuses: 271 with its result; the old redirector is kept.
  ::setenv("ORV_KEL_FAIL", "redirector", 1);
  EXPECT_EQ(vcKELCreateRedirector("/srv/kel/third", red.c_str()), vc::err::kRedirectorFailed);
  EXPECT_EQ(vcKELError(), KEL_CANNOT_WRITE);
  EXPECT_EQ(vcExtraError(), 99);
  std::ifstream again(dir / "a" / "b" / "orvkel.red");
  std::string kept((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, "/srv/kel/second\n");
  ::unsetenv("ORV_KEL_FAIL");

  // No redirector named: the database path the library uses (item 79).
  vc::securityOf(*vc::currentInstance()).databasePath = (dir / "def" / "orvkel").string();
  ASSERT_EQ(vcKELCreateRedirector("/srv/kel/orvkel", nullptr), 0);
  EXPECT_TRUE(fs::exists(dir / "def" / "orvkel.red"));
}

}  // namespace
