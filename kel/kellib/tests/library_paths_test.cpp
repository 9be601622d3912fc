// The shared library finds the default database beside its own directory
// when no program is named.
#include "kel/kellib/include/kel.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>

namespace {

TEST(KelLibraryPaths, DefaultDatabaseBesideTheLibraryItself) {
  void* lib = dlopen(KEL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto get = reinterpret_cast<decltype(&kelGetDefaultDatabase)>(dlsym(lib, "kelGetDefaultDatabase"));
  ASSERT_NE(get, nullptr);
  const std::string file = KEL_LIBRARY;
  const std::string dir = file.substr(0, file.rfind('/'));
  const std::string expect = dir.substr(0, dir.rfind('/')) + "/orvkel/orvkel";
  char out[4096] = "";
  ASSERT_EQ(get(nullptr, "/", out, sizeof out), KEL_SUCCESS);
  EXPECT_EQ(std::string(out), expect);
  dlclose(lib);
}

}  // namespace
