#include "fs/file_identity.h"

#include "test_dir.h"

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
  ScratchDir dir;
  writeFile(dir / "a", "hello");
  FileIdentity id = readIdentity(dir / "a");
  ASSERT_TRUE(id.valid);
  EXPECT_EQ(id.size, 5);
  EXPECT_FALSE(fileChanged(id, dir / "a"));
}

TEST(FileIdentity, RewriteBySameSizeAndTimeThroughRenameIsSeen) {
  ScratchDir dir;
  writeFile(dir / "a", "hello");
  setTimes(dir / "a", 1000000, 5);
  FileIdentity id = readIdentity(dir / "a");
  writeFile(dir / "b", "HELLO");
  setTimes(dir / "b", 1000000, 5);
  ASSERT_EQ(::rename((dir / "b").c_str(), (dir / "a").c_str()), 0);
  EXPECT_TRUE(fileChanged(id, dir / "a"));
}

TEST(FileIdentity, SameSizeDifferentTimeIsSeen) {
  ScratchDir dir;
  writeFile(dir / "a", "hello");
  setTimes(dir / "a", 1000000, 5);
  FileIdentity id = readIdentity(dir / "a");
  setTimes(dir / "a", 1000000, 6);  // same second, other nanoseconds
  EXPECT_TRUE(fileChanged(id, dir / "a"));
}

TEST(FileIdentity, VanishedAndAppearedFilesAreChanges) {
  ScratchDir dir;
  FileIdentity none = readIdentity(dir / "a");
  EXPECT_FALSE(none.valid);
  EXPECT_FALSE(fileChanged(none, dir / "a"));
  writeFile(dir / "a", "x");
  EXPECT_TRUE(fileChanged(none, dir / "a"));
  FileIdentity id = readIdentity(dir / "a");
  ::unlink((dir / "a").c_str());
  EXPECT_TRUE(fileChanged(id, dir / "a"));
}
