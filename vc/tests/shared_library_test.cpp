// The library as its callers load it: exports only, through librevlib32.so.
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/tests/support_kel_double.h"
#include "testing/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <string>

TEST(SharedLibrary, NullNameIsTheLibrarysOwnPath) {
  useKelDouble();
  ASSERT_EQ(vcAPIinitRegister(nullptr, nullptr, nullptr), 0);
  Dl_info info{};
  ASSERT_NE(::dladdr(reinterpret_cast<void*>(&vcAPIinit), &info), 0);
  void* kel = ::dlopen(KEL_DOUBLE_PATH, RTLD_NOW | RTLD_LOCAL);
  auto lastName = reinterpret_cast<int (*)(const char*, char*, int)>(::dlsym(kel, "kelDoubleLastName"));
  char buf[1024] = {};
  lastName("getdefault", buf, sizeof buf);
  EXPECT_EQ(std::string(buf), info.dli_fname);
  EXPECT_NE(std::string(buf).find("librevlib32.so"), std::string::npos);
  lastName("init", buf, sizeof buf);
  EXPECT_EQ(std::string(buf), info.dli_fname);
  ::dlclose(kel);

  char value[64];
  EXPECT_EQ(vcGetConfig("writeprotect", nullptr, 0, value, sizeof value), 0);
  EXPECT_EQ(vcRevCmp("1.5", "1.4"), 2);
  EXPECT_EQ(vcErrorStr(8, value, sizeof value), 0);
  EXPECT_STREQ(value, "Invalid VC library caller");
  EXPECT_EQ(vcAPIcleanup(), 0);
  EXPECT_EQ(vcAPIcleanup(), vc::err::kBadCaller);
}

TEST(SharedLibrary, OnlyTheInterfaceIsExported) {
  void* self = ::dlopen("librevlib32.so", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(self, nullptr);
  EXPECT_NE(::dlsym(self, "vcAPIinit"), nullptr);
  EXPECT_EQ(::dlsym(self, "_ZN2vc15currentInstanceEv"), nullptr);  // vc::currentInstance()
  ::dlclose(self);
}

// The default mail library name "cmc.dll" is this system's libcmc.so, found
// beside librevlib32.so without any search path.
TEST(SharedLibrary, DefaultMailLibraryLoadsFromTheLibrarysDirectory) {
  const orv::test::TempDir dir("orv-mail");
  dir.write("WIN.INI", "[mail]\nMAPI=1\nCMC=1\n");
  ::setenv("ORV_SETTINGS", dir.path().c_str(), 1);
  ::unsetenv("LD_LIBRARY_PATH");
  EXPECT_EQ(vx_init(), 0);
  EXPECT_EQ(vx_exit(), 0);
  ::unsetenv("ORV_SETTINGS");
}

// Without an override the real security library is taken from the
// directory of librevlib32.so. No database lies at its default path here, so
// start-up stops at opening it, not at loading the library.
TEST(SharedLibrary, SecurityLibraryLoadsFromTheLibrarysDirectory) {
  ::unsetenv("ORV_KEL_LIBRARY");
  ::unsetenv("LD_LIBRARY_PATH");
  const int rc = vcAPIinit();
  EXPECT_NE(rc, vc::err::kSecurityLoadFailed);
  EXPECT_TRUE(rc == 0 || rc == vc::err::kNoDefaultDatabase || rc == vc::err::kDatabaseOpenFailed) << rc;
  Dl_info info{};
  ASSERT_NE(::dladdr(reinterpret_cast<void*>(&vcAPIinit), &info), 0);
  std::string beside = info.dli_fname;
  beside = beside.substr(0, beside.find_last_of('/')) + "/libkel32.so";
  void* kel = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(kel, nullptr) << beside;
  if (kel) ::dlclose(kel);
  EXPECT_EQ(vcAPIcleanup(), 0);
  useKelDouble();
}
