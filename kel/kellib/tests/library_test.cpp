// libkel32.so loaded by path with its calls found by name, as the revision
// library binds it.
#include "kel/kellib/include/kel.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

TEST(KelLibrary, ExportsItsCallsByName) {
  void* lib = dlopen(KEL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  EXPECT_EQ(dlsym(lib, "_ZN3kel8databaseEv"), nullptr) << "internal calls stay hidden";

  auto init = reinterpret_cast<decltype(&kelInit)>(dlsym(lib, "kelInit"));
  auto create = reinterpret_cast<decltype(&kelCreateDB)>(dlsym(lib, "kelCreateDB"));
  auto open = reinterpret_cast<decltype(&kelOpenDB)>(dlsym(lib, "kelOpenDB"));
  auto exitLib = reinterpret_cast<decltype(&kelExit)>(dlsym(lib, "kelExit"));
  auto errorStr = reinterpret_cast<decltype(&kelErrorStr)>(dlsym(lib, "kelErrorStr"));
  char buf[64];
  ASSERT_EQ(errorStr(26, buf, sizeof buf), KEL_SUCCESS);
  EXPECT_STREQ(buf, "Database opened read-only.");

  const orv::test::TempDir dir("kellib");
  const std::string base = dir.file("orvkel");
  EXPECT_EQ(open(base.c_str(), 1), KEL_NOT_INITIALIZED);
  ASSERT_EQ(init(KEL_LIBRARY), KEL_SUCCESS);
  EXPECT_EQ(create(base.c_str(), "admin"), KEL_SUCCESS);
  EXPECT_EQ(open(base.c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(exitLib(), KEL_SUCCESS);
  dlclose(lib);
}

}  // namespace
