// The default database path derived from the program path.
#include "kel/kellib/include/kel.h"
#include "kel/kellib/default_database_path.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string parentOfDirectory(const std::string& file) {
  std::string dir = file.substr(0, file.rfind('/'));
  return dir.substr(0, dir.rfind('/'));
}

TEST(KelDefaultDatabase, Table) {
  struct Case {
    const char *program, *cwd, *result;
  } cases[] = {
      {"/a/b/prog", "/elsewhere", "/a/orvkel/orvkel"},
      {"/a/prog", "", "/orvkel/orvkel"},
      {"/prog", "/home/u", "orvkel/orvkel"},
      {"./prog", "/home/u", "/home/orvkel/orvkel"},
      {"prog-not-the-running-one", "/home/u", "/home/orvkel/orvkel"},
      {"bin/prog", "/home/u", "/home/u/orvkel/orvkel"},
      {"../bin/prog", "/home/u", "/home/orvkel/orvkel"},
      {"/a/./b/../c/d/prog", "", "/a/c/orvkel/orvkel"},
      {"\\a\\b\\prog", "", "/a/orvkel/orvkel"},
      {"d:/a/b/prog", "", "d:/a/orvkel/orvkel"},
      {"d:/prog", "", "orvkel/orvkel"},
  };
  for (const auto& c : cases) {
    char out[512] = "";
    EXPECT_EQ(kelGetDefaultDatabase(c.program, c.cwd, out, sizeof out), KEL_SUCCESS) << c.program;
    EXPECT_STREQ(out, c.result) << c.program;
  }
}

TEST(KelDefaultDatabase, BareNameOfTheRunningProgramIsFoundThroughItsOwnPath) {
  const std::string self = kel::runningProgramPath();
  ASSERT_FALSE(self.empty());
  const std::string name = self.substr(self.rfind('/') + 1);
  char out[4096] = "";
  ASSERT_EQ(kelGetDefaultDatabase(name.c_str(), "/nonexistent-dir", out, sizeof out), KEL_SUCCESS);
  EXPECT_EQ(std::string(out), parentOfDirectory(self) + "/orvkel/orvkel");

  // A file of that name in the current directory is the program meant.
  orv::test::TempDir dir;
  std::ofstream(dir.file(name)) << "";
  ASSERT_EQ(kelGetDefaultDatabase(name.c_str(), dir.path().c_str(), out, sizeof out), KEL_SUCCESS);
  EXPECT_EQ(std::string(out), parentOfDirectory(dir.file(name)) + "/orvkel/orvkel");

  // Without a name: the module holding the library (here the test program).
  ASSERT_EQ(kelGetDefaultDatabase(nullptr, "", out, sizeof out), KEL_SUCCESS);
  EXPECT_EQ(std::string(out), parentOfDirectory(self) + "/orvkel/orvkel");
  ASSERT_EQ(kelGetDefaultDatabase("", "", out, sizeof out), KEL_SUCCESS);
  EXPECT_EQ(std::string(out), parentOfDirectory(self) + "/orvkel/orvkel");
}

TEST(KelDefaultDatabase, ResultThatDoesNotFitLeavesTheBuffer) {
  const std::string expect = "/a/orvkel/orvkel";
  char out[32];
  std::memset(out, 'q', sizeof out);
  EXPECT_EQ(kelGetDefaultDatabase("/a/b/prog", "", out, static_cast<int>(expect.size())), KEL_BUFFER_TOO_SMALL);
  EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, 'q'));
  EXPECT_EQ(kelGetDefaultDatabase("/a/b/prog", "", out, static_cast<int>(expect.size()) + 1), KEL_SUCCESS);
  EXPECT_EQ(std::string(out), expect);
  EXPECT_EQ(kelGetDefaultDatabase("/a/b/prog", "", nullptr, 10), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelGetDefaultDatabase("/a/b/prog", "", out, 0), KEL_BUFFER_TOO_SMALL);
}

}  // namespace
