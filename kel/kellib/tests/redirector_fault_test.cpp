// An I/O error while a redirector is followed: in its header or in a record,
// for a read-only open and an open for update alike. The reader answers its
// code with the system's error, and neither the redirector nor the database
// behind it is touched.
#include "kel/kellib/include/kel.h"
#include "platform/sys/fault_injection.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace {

using orv::sys::ScopedFault;
using orv::sys::SystemCalls;
using orv::test::TempDir;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class KelRedirectorFault : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(kelInit("/opt/orv/bin/orvty"), KEL_SUCCESS); }
  void TearDown() override {
    kelCloseDB();
    EXPECT_EQ(kelExit(), KEL_SUCCESS);
  }
  TempDir dir_;
};

}  // namespace

TEST_F(KelRedirectorFault, ReadErrorInTheRedirectorAnswersCannotAccess) {
  const std::string db = dir_.file("real");
  ASSERT_EQ(kelCreateDB(db.c_str(), "admin"), KEL_SUCCESS);
  const std::string red = dir_.file("lead");
  ASSERT_EQ(kelAppendRedirector(red.c_str(), (db + ".dat").c_str()), KEL_SUCCESS);
  const std::string redBytes = readFile(red + ".red");
  const std::string dbBytes = readFile(db + ".dat");
  const auto names = dir_.entries();

  // Reads let through: none (the header fails), one (the first record fails).
  for (int after : {0, 1}) {
    for (int update : {0, 1}) {
      SCOPED_TRACE("reads let through: " + std::to_string(after) + ", update " + std::to_string(update));
      {
        ScopedFault<&SystemCalls::read> eio(EIO, {.after = after, .pathContains = "lead.red"});
        char out[512] = "";
        EXPECT_EQ(kelCheckDatabasePath(red.c_str(), out, sizeof out), KEL_CANNOT_ACCESS);
        EXPECT_EQ(kelExtraError(), EIO);
        EXPECT_EQ(kelOpenDB(red.c_str(), update), KEL_CANNOT_ACCESS);
        EXPECT_EQ(kelExtraError(), EIO);
        EXPECT_EQ(eio.failures(), 2);
      }
      EXPECT_TRUE(readFile(red + ".red") == redBytes);
      EXPECT_TRUE(readFile(db + ".dat") == dbBytes);
      EXPECT_EQ(dir_.entries(), names);
    }
  }
  // Without the fault the same redirector leads to the database.
  ASSERT_EQ(kelOpenDB(red.c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(kelCloseDB(), KEL_SUCCESS);
}
