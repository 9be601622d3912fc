#include "platform/fs/file_identity.h"

#include "testing/temp_dir.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orv::fs;

namespace {
void writeFile(const std::string& path, const char* text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs(text, f);
  std::fclose(f);
}
void setTimes(const std::string& path, time_t sec, long nsec) {
  struct timespec ts[2] = {{sec, nsec}, {sec, nsec}};
  ::utimensat(AT_FDCWD, path.c_str(), ts, 0);
}
}  // namespace

TEST(FileIdentity, UnchangedFileIsNotChanged) {
  orv::test::TempDir dir;
  writeFile(dir.file("a"), "hello");
  FileIdentity id = readIdentity(dir.file("a"));
  ASSERT_TRUE(id.valid);
  EXPECT_EQ(id.size, 5);
  EXPECT_FALSE(fileChanged(id, dir.file("a")));
}

TEST(FileIdentity, RewriteBySameSizeAndTimeThroughRenameIsSeen) {
  orv::test::TempDir dir;
  writeFile(dir.file("a"), "hello");
  setTimes(dir.file("a"), 1000000, 5);
  FileIdentity id = readIdentity(dir.file("a"));
  writeFile(dir.file("b"), "HELLO");
  setTimes(dir.file("b"), 1000000, 5);
  ASSERT_EQ(::rename(dir.file("b").c_str(), dir.file("a").c_str()), 0);
  EXPECT_TRUE(fileChanged(id, dir.file("a")));
}

TEST(FileIdentity, SameSizeDifferentTimeIsSeen) {
  orv::test::TempDir dir;
  writeFile(dir.file("a"), "hello");
  setTimes(dir.file("a"), 1000000, 5);
  FileIdentity id = readIdentity(dir.file("a"));
  setTimes(dir.file("a"), 1000000, 6);  // same second, other nanoseconds
  EXPECT_TRUE(fileChanged(id, dir.file("a")));
}

TEST(FileIdentity, VanishedAndAppearedFilesAreChanges) {
  orv::test::TempDir dir;
  FileIdentity none = readIdentity(dir.file("a"));
  EXPECT_FALSE(none.valid);
  EXPECT_FALSE(fileChanged(none, dir.file("a")));
  writeFile(dir.file("a"), "x");
  EXPECT_TRUE(fileChanged(none, dir.file("a")));
  FileIdentity id = readIdentity(dir.file("a"));
  ::unlink(dir.file("a").c_str());
  EXPECT_TRUE(fileChanged(id, dir.file("a")));
}
