#include "vc/paths/path_file_system.h"
#include "vc/files/file_operations.h"
#include "vc/paths/name_parts.h"
#include "vc/tokens/safe_names.h"
#include "vc/error_codes.h"

#include "vc/instance/instance.h"
#include "testing/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace vc;

namespace {

struct FileUtilsTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-files"};
  const std::string dir = scratch.path();
  std::string path(const std::string& n) const { return scratch.file(n); }
  void write(const std::string& n, const std::string& text) { scratch.write(n, text); }
  std::string read(const std::string& n) { return scratch.read(n); }
  unsigned mode(const std::string& n) {
    struct stat st {};
    ::stat(path(n).c_str(), &st);
    return st.st_mode & 0777;
  }
};

int g_answer = 0;
std::vector<std::string> g_questions;
int answer(int, const char* text) {
  g_questions.push_back(text);
  return g_answer;
}

}  // namespace

TEST_F(FileUtilsTest, DirectoriesForAPath) {
  fs::create_directory(path("a"));
  EXPECT_EQ(makeDirectoriesFor(path("a/b/c/file")), 0);
  EXPECT_TRUE(fs::is_directory(path("a/b/c")));
  EXPECT_FALSE(fs::exists(path("a/b/c/file")));
  EXPECT_EQ(makeDirectoriesFor(path("a/b/c/file")), 0);  // existing directories are fine
  write("a/x", "file, not a directory");
  EXPECT_EQ(makeDirectoriesFor(path("a/x/y/file")), ENOTDIR);
  EXPECT_EQ(makeDirectoriesFor(path("a\\w\\file")), 0);  // '\' separates too
  EXPECT_TRUE(fs::is_directory(path("a/w")));
}

TEST_F(FileUtilsTest, CopyAsksBeforeOverwriting) {
  write("src", "new contents");
  ::chmod(path("src").c_str(), 0640);
  write("dst", "old contents");
  g_answer = 0;
  g_questions.clear();
  EXPECT_EQ(copyFile(nullptr, path("src"), path("dst"), false, answer), vc::err::kCannotCopy);
  EXPECT_EQ(read("dst"), "old contents");
  ASSERT_EQ(g_questions.size(), 1u);
  EXPECT_EQ(g_questions[0], "Copying " + path("src") + "\nto " + path("dst") + "\nFile exists - overwrite?");

  g_answer = 1;
  g_questions.clear();
  EXPECT_EQ(copyFile(nullptr, path("src"), path("dst"), true, answer), 0);
  ASSERT_EQ(g_questions.size(), 2u);  // the archive-directory warning too
  EXPECT_EQ(g_questions[1], "The file " + path("dst") +
                                "\nis located in an archive directory.\nAre you sure you want to overwrite it?");
  EXPECT_EQ(read("dst"), "new contents");
  EXPECT_EQ(mode("dst"), 0640u);

  EXPECT_EQ(copyFile(nullptr, path("src"), path("new/dir/dst"), false, nullptr), 0);
  EXPECT_EQ(read("new/dir/dst"), "new contents");
  EXPECT_EQ(copyFile(nullptr, path("nosuch"), path("dst2"), false, nullptr), vc::err::kCannotCopy);
  EXPECT_FALSE(fs::exists(path("dst2")));
  write("blocker", "x");
  EXPECT_EQ(copyFile(nullptr, path("src"), path("blocker/dst"), false, nullptr), vc::err::kCannotCreateArchiveDir);
}

TEST_F(FileUtilsTest, ReadLineStatuses) {
  struct {
    std::string content;
    std::size_t size;
    std::vector<int> statuses;
  } cases[] = {
      {"ab\ncd\n", 16, {0, 0, 1}},
      {"ab\ncd", 16, {0, 2, 1}},
      {"", 16, {1}},
      {"abcdefgh\n", 5, {3, 3, 0, 1}},  // 4 bytes per call: "abcd", "efgh", "\n"
      {std::string("a\0b\n", 4), 16, {4, 1}},
  };
  for (auto& c : cases) {
    write("lines", c.content);
    std::FILE* f = std::fopen(path("lines").c_str(), "rb");
    std::vector<int> got;
    char buf[32];
    for (int i = 0; i < 6; ++i) {
      int st = readLine(buf, c.size, f);
      got.push_back(st);
      if (st == kLineEof) break;
    }
    std::fclose(f);
    EXPECT_EQ(got, c.statuses) << c.content;
  }
  // A read error: a directory opened as a stream.
  std::FILE* f = std::fopen(dir.c_str(), "rb");
  if (f) {
    char buf[8];
    EXPECT_EQ(readLine(buf, sizeof buf, f), kLineReadError);
    std::fclose(f);
  }
}

TEST(FileNames, AbsoluteDriveDirectoryAndSanitising) {
  EXPECT_EQ(absoluteNameKind("/usr"), -1);
  EXPECT_EQ(absoluteNameKind("\\x"), -1);
  EXPECT_EQ(absoluteNameKind("c:x"), 1);
  EXPECT_EQ(absoluteNameKind("rel/x"), 0);
  EXPECT_EQ(absoluteNameKind(""), 0);
  EXPECT_TRUE(isDriveRoot("c:"));
  EXPECT_TRUE(isDriveRoot("C:/"));
  EXPECT_TRUE(isDriveRoot("d:\\"));
  EXPECT_FALSE(isDriveRoot("c:/x"));
  EXPECT_FALSE(isDriveRoot("1:"));
  EXPECT_EQ(directoryPart("/a/b/c.txt"), "/a/b");
  EXPECT_EQ(directoryPart("a\\b"), "a");
  EXPECT_EQ(directoryPart("file"), ".");
  EXPECT_EQ(sanitizeName("9lab el;x@y,z:"), "_lab_el_x_y_z_");
  EXPECT_EQ(sanitizeName("_ok.1-2"), "_ok.1-2");
  EXPECT_TRUE(isIdentifier("a_1"));
  EXPECT_FALSE(isIdentifier("_a"));
  EXPECT_FALSE(isIdentifier("a-b"));
  EXPECT_FALSE(isIdentifier(""));
}

TEST_F(FileUtilsTest, ForceRemoveAndWorkPerms) {
  write("ro", "x");
  ::chmod(path("ro").c_str(), 0444);
  EXPECT_EQ(forceRemove(path("ro")), 0);
  EXPECT_FALSE(fs::exists(path("ro")));
  EXPECT_EQ(forceRemove(path("ro")), ENOENT);

  write("work.c", "x");
  ::chmod(path("work.c").c_str(), 0644);
  EXPECT_EQ(vcSetWorkPerms(0, 0, path("work.c").c_str(), 0), 0);  // strict locking assumed
  EXPECT_EQ(mode("work.c"), 0444u);
  EXPECT_EQ(vcSetWorkPerms(0, 0, path("work.c").c_str(), 1), 0);
  EXPECT_EQ(mode("work.c"), 0644u);
  EXPECT_EQ(vcSetWorkPerms(0, 0, path("missing.c").c_str(), 1), vc::err::kWorkWrite);
  EXPECT_EQ(vcSetWorkPerms(5, 0, path("work.c").c_str(), 1), vc::err::kBadArchiveHandle);  // no such archive
  EXPECT_EQ(vcSetWorkPerms(0, 0, nullptr, 1), vc::err::kBadArgument);
}

TEST(NamePart, TextAfterTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"/src/proj/main.c", "main.c"}, {"C:\\src\\main.c", "main.c"}, {"C:main.c", "main.c"},
      {"main.c", "main.c"},           {"/main.c", "/main.c"},        {"dir/", ""},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(vc::namePart(path), name) << path;
}
