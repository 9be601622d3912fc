// The shared library as a caller loads it: the four exports, and a table
// that lands on a full device (/dev/full), which must fail the report.
#include <dlfcn.h>
#include <unistd.h>

#include "reporter/tests/report_test_support.h"

namespace {

using namespace reporttest;

TEST_F(ReportTest, ExportsOfTheSharedLibrary) {
  void* self = ::dlopen(nullptr, RTLD_NOW);
  for (const char* name : {"rptInitialize", "rptProjectReport", "rptArchiveReport", "rptTerminate"})
    EXPECT_NE(::dlsym(self, name), nullptr) << name;
  // Nothing but the four calls is exported.
  EXPECT_EQ(::dlsym(self, "_ZN3orv6report11reportFlagsEi"), nullptr);
  ::dlclose(self);
  rptTerminate(1, nullptr);
  EXPECT_EQ(rptProjectReport("x", 0, nullptr), 0);
  EXPECT_EQ(rptArchiveReport("x", 0, nullptr), 0);
}

TEST_F(ReportTest, TableOnAFullDevice) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  copyFixtures();
  ASSERT_EQ(::symlink("/dev/full", path("full.txr").c_str()), 0);
  rptHandle r = rptInitialize(path("full").c_str(), recordMessage, 0, givePassword);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(rptArchiveReport(path("arc/main.v").c_str(), 0, r), 0);
  EXPECT_EQ(errors(), std::vector<std::string>{"Writing to file " + path("full.txr") + "\nNo space left on device"});
  // The other tables are whole.
  EXPECT_EQ(rows(path("full"), ".txa").size(), 1u);
  EXPECT_EQ(rows(path("full"), ".txs").size(), 3u);
  rptTerminate(0, r);
  EXPECT_FALSE(anyTable(path("full")));
}

}  // namespace
