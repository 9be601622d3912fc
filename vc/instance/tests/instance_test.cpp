#include "platform/dynlib/dynlib.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/config/user_name.h"
#include "vc/tests/support_kel_double.h"
#include "vc/config/option_state.h"
#include "vc/security/security_state.h"
#include "vc/netware/netware_state.h"
#include "testing/temp_dir.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

std::uint32_t g_fakePid = 1000;
std::uint32_t fakePid() { return g_fakePid; }

// Entry points of the security-database double that count its calls.
struct KelDouble {
  void* handle = ::dlopen(KEL_DOUBLE_PATH, RTLD_NOW | RTLD_LOCAL);
  int count(const char* name) {
    auto fn = reinterpret_cast<int (*)(const char*)>(::dlsym(handle, "kelDoubleCallCount"));
    return fn(name);
  }
  std::string lastName(const char* which) {
    auto fn = reinterpret_cast<int (*)(const char*, char*, int)>(::dlsym(handle, "kelDoubleLastName"));
    char buf[1024] = {};
    fn(which, buf, sizeof buf);
    return buf;
  }
  void reset() { reinterpret_cast<void (*)()>(::dlsym(handle, "kelDoubleReset"))(); }
  ~KelDouble() { ::dlclose(handle); }
};

struct InstanceTest : ::testing::Test {
  void SetUp() override {
    useKelDouble();
    ::unsetenv("ORV_KEL_FAIL");
    ::unsetenv("ORV_KEL_POLICY_FILE");
    vc::seams().processId = fakePid;
    g_fakePid = 1000;
  }
  void TearDown() override {
    for (int s = 0; s < vc::kInstanceSlots; ++s) {
      if (vc::VcInstance* inst = vc::instanceInSlot(s)) {
        g_fakePid = inst->identity.processId;
        vcAPIcleanup();
      }
    }
    vc::resetSeams();
    ::unsetenv("ORV_KEL_FAIL");
    ::unsetenv("ORV_KEL_POLICY_FILE");
  }
};

// What the clean-up hook below saw of the instance it was given, while armed.
struct CleanupWitness {
  bool armed = false;
  std::string os;        // the value of "os" in the instance's global list
  int closedBefore = -1; // calls of kelCloseDB so far
  KelDouble* kel = nullptr;
} g_witness;

void witnessCleanup(vc::VcInstance& inst) {
  if (!g_witness.armed) return;
  if (const vc::VcOption* o = vc::optionsOf(inst).global.find("os"); o && o->value)
    g_witness.os = *o->value;
  g_witness.closedBefore = g_witness.kel->count("kelCloseDB");
}
vc::CleanupRegistration g_witnessRegistration(&witnessCleanup);

std::string config(const char* name) {
  char value[256] = {};
  int rc = vcGetConfig(name, nullptr, 0, value, sizeof value);
  return rc == 0 ? value : "<" + std::to_string(rc) + ">";
}

}  // namespace

TEST_F(InstanceTest, TableOfTenSlots) {
  for (std::uint32_t p = 1; p <= 10; ++p) {
    g_fakePid = p;
    ASSERT_EQ(vcAPIinit(), 0) << p;
  }
  g_fakePid = 11;
  EXPECT_EQ(vcAPIinit(), vc::err::kNoInstanceSlot);
  EXPECT_EQ(vcExtraError(), -1);  // not attached
  g_fakePid = 4;
  EXPECT_EQ(vcAPIcleanup(), 0);
  EXPECT_EQ(vcAPIcleanup(), vc::err::kBadCaller);
  g_fakePid = 11;
  EXPECT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(vc::instanceInSlot(3)->identity.processId, 11u);  // the freed slot
}

TEST_F(InstanceTest, AttachedProcessIsNeverGivenASecondSlot) {
  g_fakePid = 1;
  ASSERT_EQ(vcAPIinit(), 0);
  g_fakePid = 2;
  ASSERT_EQ(vcAPIinit(), 0);
  g_fakePid = 1;
  ASSERT_EQ(vcAPIcleanup(), 0);  // slot 0 is free again, pid 2 sits in slot 1
  g_fakePid = 2;
  ASSERT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(vc::attachedInstanceCount(), 1);
  EXPECT_EQ(vc::instanceInSlot(0), nullptr);
}

TEST_F(InstanceTest, SecondInitChangesNothing) {
  auto echo = [](const char*, const char*, int, int) { return 0; };
  ASSERT_EQ(vcAPIinitRegister("prog", echo, nullptr), 0);
  ASSERT_EQ(vcSetConfig("logformat", "%u"), 0);
  ASSERT_EQ(vcSetCBHandle(77, nullptr), 0);
  EXPECT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(vcAPIinitRegister("other", nullptr, nullptr), 0);
  vc::VcInstance* inst = vc::currentInstance();
  EXPECT_NE(inst->callbacks.echoTrace, nullptr);
  unsigned h = 0;
  EXPECT_EQ(vcGetCBHandle(&h), 0);
  EXPECT_EQ(h, 77u);
  EXPECT_EQ(config("logformat"), "%u");
  EXPECT_EQ(vc::attachedInstanceCount(), 1);
}

TEST_F(InstanceTest, CallsWithoutInstance) {
  unsigned h = 5, prev = 0;
  EXPECT_EQ(vcSetCBHandle(1, &prev), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcGetCBHandle(&h), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcBufferLenQ(), -1);
  EXPECT_EQ(vcExtraError(), -1);
  EXPECT_EQ(vcKELError(), -1);
  EXPECT_EQ(vcAPIcleanup(), vc::err::kBadCaller);
  EXPECT_EQ(vcSetConfig("a", nullptr), vc::err::kBadCaller);
  char buf[32];
  EXPECT_EQ(vcGetConfig("a", nullptr, 0, buf, sizeof buf), vc::err::kBadCaller);
}

TEST_F(InstanceTest, CallbackHandle) {
  ASSERT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(vcGetCBHandle(nullptr), vc::err::kBadArgument);
  EXPECT_EQ(vcSetCBHandle(9, nullptr), 0);
  unsigned prev = 0, now = 0;
  EXPECT_EQ(vcSetCBHandle(10, &prev), 0);
  EXPECT_EQ(prev, 9u);
  EXPECT_EQ(vcGetCBHandle(&now), 0);
  EXPECT_EQ(now, 10u);
}

TEST_F(InstanceTest, StartUpDefaults) {
  ASSERT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(config("logformat"), "%C %u %r %f %D %l");
  EXPECT_EQ(config("rcspath"), "%v%d\\rcs\\%f");
  EXPECT_EQ(config("newline"), "\n");
  EXPECT_EQ(config("OS"), "linux");
  EXPECT_EQ(config("addcr"), "<30>");  // working files end lines with LF
  unsigned flags = 0;
  for (const char* f : {"textdiff", "century", "keywordexpand", "writeprotect"}) {
    EXPECT_EQ(vcGetConfigFlags(f, &flags), 0) << f;
    EXPECT_EQ(flags & 1u, 0u) << f;
  }
  vc::VcInstance* inst = vc::currentInstance();
  EXPECT_EQ(netwareOf(*inst).moduleStatus, 65535);
  EXPECT_EQ(netwareOf(*inst).clientStatus, 65535);
  EXPECT_EQ(securityOf(*inst).databaseOpen, 1);
  EXPECT_EQ(securityOf(*inst).on, 1);
  EXPECT_EQ(inst->scratch.size(), 2048u);
}

TEST_F(InstanceTest, CurrentDirectoryKeepsItsCase) {
  vc::seams().currentDirectory = [](std::string& out) {
    out = "/Work/MixedCase\\Dir";
    return true;
  };
  ASSERT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(vc::currentInstance()->identity.currentDirectory, "/Work/MixedCase/Dir");
}

TEST_F(InstanceTest, NoCurrentDirectory) {
  vc::seams().currentDirectory = [](std::string&) { return false; };
  EXPECT_EQ(vcAPIinit(), vc::err::kNoCurrentDirectory);
  EXPECT_EQ(vc::attachedInstanceCount(), 0);
}

TEST_F(InstanceTest, UserName) {
  vc::seams().systemUserName = [](char* buf, std::size_t) {
    std::strcpy(buf, "alice");
    return 0;
  };
  ASSERT_EQ(vcAPIinit(), 0);
  vc::VcInstance* inst = vc::currentInstance();
  EXPECT_EQ(vc::authenticatedUser(*inst), "alice");
  EXPECT_TRUE(inst->flags & vc::kInstSystemUser);
  vcAPIcleanup();

  // Without a system name there is no authenticated user; $LOGNAME is not
  // one (only the option `logname` names the user then).
  vc::seams().systemUserName = [](char*, std::size_t) { return 5; };
  ::setenv("LOGNAME", "bob", 1);
  ASSERT_EQ(vcAPIinit(), 0);
  inst = vc::currentInstance();
  EXPECT_EQ(vc::authenticatedUser(*inst), "");
  EXPECT_FALSE(inst->flags & vc::kInstSystemUser);
  EXPECT_EQ(vc::currentUserName(*inst), "unknown");
  char item80[64] = "";
  ASSERT_EQ(vcGetSysInfo(80, item80, sizeof item80), 0);
  EXPECT_STREQ(item80, "bob");  // the start-up name as reported falls back on $LOGNAME
  vcAPIcleanup();
  ::unsetenv("LOGNAME");
  ASSERT_EQ(vcAPIinit(), 0);
  ASSERT_EQ(vcGetSysInfo(80, item80, sizeof item80), 0);
  EXPECT_STREQ(item80, "");
}

TEST_F(InstanceTest, StartUpFailures) {
  struct Case {
    const char* fail;
    int code;
    int extra;
    int kel;
  } cases[] = {
      {"getdefault", 262, 0, 0},
      {"init", 263, 77, 204},
      {"opendb", 272, 88, 201},
  };
  for (const Case& c : cases) {
    ::setenv("ORV_KEL_FAIL", c.fail, 1);
    EXPECT_EQ(vcAPIinit(), c.code) << c.fail;
    EXPECT_EQ(vcExtraError(), c.extra) << c.fail;
    EXPECT_EQ(vcKELError(), c.kel) << c.fail;
    EXPECT_EQ(vc::attachedInstanceCount(), 1) << c.fail;  // still attached
    EXPECT_EQ(vcAPIinit(), 0) << c.fail;                  // and known as attached
    EXPECT_EQ(vcAPIcleanup(), 0) << c.fail;
  }
  ::unsetenv("ORV_KEL_FAIL");
  ::setenv("ORV_KEL_LIBRARY", "/nonexistent/libkel32.so", 1);
  EXPECT_EQ(vcAPIinit(), vc::err::kSecurityLoadFailed);
  EXPECT_EQ(vcExtraError(), 0);
  EXPECT_EQ(vcKELError(), 0);
  EXPECT_EQ(vcAPIcleanup(), 0);
  useKelDouble();
  EXPECT_EQ(vcAPIinit(), 0);  // binds once it can
}

TEST_F(InstanceTest, SecurityDatabaseOpenedOnceAndClosedByTheLast) {
  KelDouble kel;
  ASSERT_EQ(vcAPIinit(), 0);  // binds (the double's counters now live)
  kel.reset();
  g_fakePid = 2;
  ASSERT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(kel.count("kelOpenDB"), 0);  // already open
  EXPECT_EQ(kel.count("kelInit"), 1);
  EXPECT_EQ(vcAPIcleanup(), 0);
  EXPECT_EQ(kel.count("kelCloseDB"), 0);
  g_fakePid = 1000;
  EXPECT_EQ(vcAPIcleanup(), 0);
  EXPECT_EQ(kel.count("kelCloseDB"), 1);
  EXPECT_EQ(kel.count("kelExit"), 1);
}

TEST_F(InstanceTest, CleanupHooksRunBeforeTheListsAndTheDatabaseClose) {
  KelDouble kel;
  ASSERT_EQ(vcAPIinit(), 0);
  kel.reset();
  g_witness = CleanupWitness{true, "", -1, &kel};
  EXPECT_EQ(vcAPIcleanup(), 0);
  g_witness.armed = false;
  EXPECT_EQ(g_witness.os, "linux");  // the default list was still whole
  EXPECT_EQ(g_witness.closedBefore, 0);
  EXPECT_EQ(kel.count("kelCloseDB"), 1);
}

TEST_F(InstanceTest, NamePassedToTheSecurityDatabase) {
  KelDouble kel;
  ASSERT_EQ(vcAPIinitRegister("C:\\orv\\bin\\orvty32", nullptr, nullptr), 0);
  EXPECT_EQ(kel.lastName("getdefault"), "C:/orv/bin/orvty32");
  EXPECT_EQ(kel.lastName("init"), "C:/orv/bin/orvty32");
  EXPECT_EQ(vc::securityOf(*vc::currentInstance()).databasePath,
            vc::currentInstance()->identity.currentDirectory + "/orvkel/orvkel");
}

TEST_F(InstanceTest, PoliciesLoadIntoTheGlobalListBehindTheOthers) {
  const orv::test::TempDir dir("orv-policy");
  const std::string file = dir.write("policy.txt", "EnforceStrictLocks\nstates=Exp Rel\n@extra\n");
  dir.write("policy.txt.extra", "NoCompress\n");
  ::setenv("ORV_KEL_POLICY_FILE", file.c_str(), 1);
  ASSERT_EQ(vcAPIinit(), 0);
  std::vector<std::string> order;
  for (const vc::VcOption& o : vc::optionsOf(*vc::currentInstance()).global.options)
    order.push_back(o.name + ((o.flags & vc::kOptPolicy) ? "*" : ""));
  // Defaults in the order they were put (newest-first list reversed), then the
  // policy entries in their own order (newest first).
  std::vector<std::string> expected = {"textdiff", "century", "keywordexpand", "writeprotect",
                                       "logformat", "rcspath", "newline", "os",
                                       "states*", "strictlocks*", "compress*"};
  EXPECT_EQ(order, expected);
  unsigned flags = 0;
  EXPECT_EQ(vcGetConfigFlags("strictlocks", &flags), 0);
  EXPECT_EQ(flags, 0x14u);
  // An enforced policy cannot be overwritten by the user.
  EXPECT_EQ(vcSetConfig("NoStrictLocks", nullptr), 0);  // local list takes it...
  EXPECT_EQ(vcGetConfigFlags("strictlocks", &flags), 0);
  EXPECT_EQ(flags, 0x14u);  // ...but the enforced global entry wins
}
