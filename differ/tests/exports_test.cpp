// The shared libraries export exactly their C entry points, and the visual
// merge program's name for the text differencer loads the same library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

void* open_lib(const std::string& name) {
  void* h = dlopen((std::string(ORV_LIB_DIR) + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(h, nullptr) << dlerror();
  return h;
}

}  // namespace

TEST(DifferExports, EntryPointsAndAlias) {
  void* txt = open_lib("libtxtcmp32.so");
  void* ntxt = open_lib("libntxtcmp32.so");
  void* bin = open_lib("libbincmp32.so");
  ASSERT_TRUE(txt && ntxt && bin);
  EXPECT_NE(dlsym(txt, "DiffFile"), nullptr);
  EXPECT_NE(dlsym(txt, "DiffError"), nullptr);
  EXPECT_EQ(dlsym(ntxt, "DiffFile"), dlsym(txt, "DiffFile"));
  EXPECT_NE(dlsym(bin, "DiffBFile"), nullptr);
  EXPECT_NE(dlsym(bin, "DiffBError"), nullptr);
  // Internal symbols stay hidden.
  EXPECT_EQ(dlsym(txt, "_ZN3orv7txtcmp17set_memory_budgetEm"), nullptr);

  using DiffFn = int (*)(int, const char* const*, const char*, const char*, const char*);
  using ErrFn = int (*)(char*, int);
  auto diff = reinterpret_cast<DiffFn>(dlsym(ntxt, "DiffFile"));
  auto err = reinterpret_cast<ErrFn>(dlsym(ntxt, "DiffError"));
  const char* argv[] = {"diff", "-z"};
  EXPECT_EQ(diff(2, argv, "/dev/null", "/dev/null", "/dev/null"), 2);
  char msg[64];
  EXPECT_EQ(err(msg, sizeof msg), 0);
  EXPECT_STREQ(msg, "Unknown option \"-z\"\n");
  dlclose(bin);
  dlclose(ntxt);
  dlclose(txt);
}
