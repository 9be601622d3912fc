#include "platform/fs/temp_file.h"

#include "testing/temp_dir.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orv::fs;

TEST(TempFile, SkipsExistingNamesAndPlantedLinks) {
  orv::test::TempDir dir;
  ::close(::open(dir.file("t0").c_str(), O_CREAT | O_WRONLY, 0644));
  ASSERT_EQ(::symlink(dir.file("victim").c_str(), dir.file("t1").c_str()), 0);
  CreatedFile f = createUnique([&](unsigned n) { return dir.file("t" + std::to_string(n)); }, 10, 0600);
  ASSERT_GE(f.fd, 0);
  EXPECT_EQ(f.path, dir.file("t2"));
  struct stat st {};
  ASSERT_EQ(::fstat(f.fd, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ::close(f.fd);
  EXPECT_NE(::access(dir.file("victim").c_str(), F_OK), 0);  // the link was not followed
}

TEST(TempFile, GivesUpAfterMaxTriesOrOnOtherErrors) {
  orv::test::TempDir dir;
  ::close(::open(dir.file("t0").c_str(), O_CREAT | O_WRONLY, 0644));
  CreatedFile f = createUnique([&](unsigned) { return dir.file("t0"); }, 5, 0600);
  EXPECT_EQ(f.fd, -1);
  EXPECT_EQ(f.error, EEXIST);
  f = createUnique([&](unsigned) { return dir.file("no/such/dir"); }, 5, 0600);
  EXPECT_EQ(f.fd, -1);
  EXPECT_EQ(f.error, ENOENT);
  f = createUnique([&](unsigned) { return std::string(); }, 5, 0600);
  EXPECT_EQ(f.fd, -1);
}

TEST(TempFile, TemporaryDirectoryOrder) {
  ::setenv("TMPDIR", "/d1", 1);
  ::setenv("TMP", "", 1);
  ::setenv("TEMP", "/d3", 1);
  EXPECT_EQ(temporaryDirectories(), (std::vector<std::string>{"/d1", "/d3", "/tmp"}));
  ::unsetenv("TMPDIR");
  ::unsetenv("TMP");
  ::unsetenv("TEMP");
  EXPECT_EQ(temporaryDirectories(), (std::vector<std::string>{"/tmp"}));
}
