// The exported path calls over a library instance: the instance check, the
// caller's buffer, the instance's options and pairs, the current directory
// read again at each call, and the archive search opening and creating real
// archives in a temporary tree. The path rules themselves are tested with
// the path layer (vc/paths/tests).
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/paths/path_codes.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/tests/support_kel_double.h"
#include "testing/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// The directory the current-directory seam reports; empty: it fails.
std::string& fakeCwd() {
  static std::string cwd;
  return cwd;
}

bool readFakeCwd(std::string& out) {
  out = fakeCwd();
  return !out.empty();
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct PathApiTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-paths"};
  const std::string tree = scratch.path();
  char buf[4096] = {};

  void SetUp() override {
    useKelDouble();
    fakeCwd() = tree;
    vc::seams().currentDirectory = readFakeCwd;
    ASSERT_EQ(vcAPIinit(), 0);
  }
  void TearDown() override {
    vcAPIcleanup();
    vc::resetSeams();
  }

  std::string p(const std::string& relative) const { return scratch.file(relative); }
  void add(const std::string& relative, const std::string& bytes = "x\n") const {
    fs::create_directories(fs::path(p(relative)).parent_path());
    std::ofstream(p(relative), std::ios::binary) << bytes;
  }
  void addArchive(const std::string& relative) const {
    add(relative, readFile(std::string(ORV_TEST_DATA_DIR) + "/archives/one.v"));
  }
};

TEST(PathApiWithoutInstance, EveryCallAnswers8) {
  char b[64];
  int h = 5;
  EXPECT_EQ(vcPathSame("/a", "/a"), vc::err::kBadCaller);
  EXPECT_EQ(vcCheckDirPath("/tmp"), vc::err::kBadCaller);
  EXPECT_EQ(vcMakePath("/tmp/x/"), vc::err::kBadCaller);
  EXPECT_EQ(vcGetAbsName("a", b, sizeof b), vc::err::kBadCaller);
  EXPECT_EQ(vcWorkToArchName(nullptr, "/a/b.c", "%d/rcs/%f", b, sizeof b), vc::err::kBadCaller);
  EXPECT_EQ(vcMapName("/a/b.c", "%d/rcs/%f", b, sizeof b), vc::err::kBadCaller);
  EXPECT_EQ(vcFindArchiveName("/a/b.c", b, sizeof b, &h, 1), vc::err::kBadCaller);
  EXPECT_EQ(vcFindWorkName("/a/rcs/b.c", b, sizeof b), vc::err::kBadCaller);
}

TEST_F(PathApiTest, CallersBuffers) {
  // A null buffer or a length below 1 is a bad argument, before any work.
  for (int length : {0, -1}) {
    EXPECT_EQ(vcGetAbsName("a", buf, length), vc::err::kBadArgument);
    EXPECT_EQ(vcMapName("/a/b.c", "%d/rcs/%f", buf, length), vc::err::kBadArgument);
    EXPECT_EQ(vcWorkToArchName("", "/a/b.c", "%d/rcs/%f", buf, length), vc::err::kBadArgument);
    EXPECT_EQ(vcFindArchiveName(p("b.c").c_str(), buf, length, nullptr, 1), vc::err::kBadArgument);
    EXPECT_EQ(vcFindWorkName("/a/rcs/b.c", buf, length), vc::err::kBadArgument);
  }
  EXPECT_EQ(vcGetAbsName("a", nullptr, 10), vc::err::kBadArgument);
  EXPECT_EQ(vcFindArchiveName(p("b.c").c_str(), nullptr, 10, nullptr, 1), vc::err::kBadArgument);
  EXPECT_EQ(vcPathSame(nullptr, "/a"), vc::err::kBadArgument);

  // Too short: the first length - 1 characters, the needed length kept.
  const std::string whole = p("src/file.c");
  EXPECT_EQ(vcGetAbsName("src\\file.c", buf, 8), vc::err::kBufferTooSmall);
  EXPECT_EQ(std::string(buf), whole.substr(0, 7));
  EXPECT_EQ(vcBufferLenQ(), static_cast<int>(whole.size() + 1));
  EXPECT_EQ(vcGetAbsName("src\\file.c", buf, static_cast<int>(whole.size() + 1)), 0);
  EXPECT_EQ(std::string(buf), whole);

  const std::string archive = p("src/rcs/file.c");
  EXPECT_EQ(vcFindArchiveName("src/file.c", buf, 5, nullptr, 1), vc::err::kBufferTooSmall);
  EXPECT_EQ(vcBufferLenQ(), static_cast<int>(archive.size() + 1));
  EXPECT_FALSE(fs::exists(p("src/rcs")));
}

TEST_F(PathApiTest, CurrentDirectoryIsReadAgainForEveryCall) {
  EXPECT_EQ(vcGetAbsName("./a/../b", buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), p("a/../b"));

  fakeCwd() = "/elsewhere\\Deep";
  EXPECT_EQ(vcGetAbsName("../b", buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), "/elsewhere/b");
  EXPECT_EQ(vc::currentInstance()->identity.currentDirectory, "/elsewhere/Deep");

  fakeCwd().clear();
  EXPECT_EQ(vcGetAbsName("b", buf, sizeof buf), vc::err::kNoCurrentDirectory);
  EXPECT_EQ(vcMapName("b.c", "%d/rcs/%f", buf, sizeof buf), vc::err::kNoCurrentDirectory);
  EXPECT_EQ(vcOpenArchive("b.c", nullptr, 1), vc::err::kNoCurrentDirectory);
  EXPECT_EQ(vcGetAbsName("/rooted", buf, sizeof buf), 0);  // needs no current directory
}

TEST_F(PathApiTest, OptionsOfTheInstance) {
  // preservefilecase off folds the caller's names, never the current directory.
  fakeCwd() = p("Mixed");
  ASSERT_EQ(vcSetConfig("Nopreservefilecase", nullptr), 0);
  EXPECT_EQ(vcGetAbsName("Sub\\File.C", buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), p("Mixed/sub/file.c"));
  ASSERT_EQ(vcSetConfig("preservefilecase", nullptr), 0);
  EXPECT_EQ(vcGetAbsName("Sub\\File.C", buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), p("Mixed/Sub/File.C"));
  fakeCwd() = tree;

  // rcswork is the root of vcMapName and of vcWorkToArchName without a root.
  ASSERT_EQ(vcSetConfig("rcswork", p("src").c_str()), 0);
  EXPECT_EQ(vcMapName("src/lib/a.c", "/arch%d/%f,v", buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), "/arch" + p("src/lib/a.c,v"));
  EXPECT_EQ(vcWorkToArchName(nullptr, "src/lib/a.c", "/arch%d/%f,v", buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), "/arch" + p("src/lib/a.c,v"));
  EXPECT_EQ(vcMapName("other/a.c", "/arch%d/%f", buf, sizeof buf), vc::path_code::kNotContained);
  EXPECT_EQ(vcWorkToArchName(nullptr, "other/a.c", "/arch%d/%f", buf, sizeof buf), vc::path_code::kNotContained);
  EXPECT_EQ(vcWorkToArchName("", "other/a.c", "%v%d\\rcs\\%f", buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), p("other/rcs/a.c"));
  EXPECT_EQ(vcMapName("src/", "/arch/%d/%f", buf, sizeof buf), vc::err::kCannotMakeArchiveName);
}

TEST_F(PathApiTest, DirectoriesChecksAndCreation) {
  add("dir/file");
  struct Case {
    const char* name;
    int expected;
  } cases[] = {
      {"dir/file", 0},
      {"dir/new", 0},
      {"dir\\new", 0},
      {"dir", 0},
      {"new", vc::path_code::kNoDirectoryPart},
      {"nodir/new", vc::path_code::kDirectoryMissing},
      {"dir/file/x", vc::path_code::kNotADirectory},
  };
  for (const Case& c : cases) EXPECT_EQ(vcCheckDirPath(c.name), c.expected) << c.name;

  EXPECT_EQ(vcMakePath("made\\a/b/file"), 0);
  EXPECT_TRUE(fs::is_directory(p("made/a/b")));
  EXPECT_FALSE(fs::exists(p("made/a/b/file")));
  EXPECT_EQ(vcMakePath("dir/file/below/x"), vc::err::kCannotCreateArchiveDir);
  EXPECT_EQ(vcExtraError(), ENOTDIR);
}

// The archive search with the default template %v%d\rcs\%f and with
// worktoarch pairs of the instance, opening and creating real archives.
TEST_F(PathApiTest, FindArchiveNameOverATree) {
  addArchive("src/rcs/found.c");
  add("src/rcs/junk.c", "not an archive\n");
  addArchive("store/paired.c");
  ASSERT_EQ(vcSetConfig("worktoarch paired", p("store/%f").c_str()), 0);

  struct Case {
    const char* work;
    int flags;
    bool handle;
    int expected;
    const char* archive;  // in the buffer, below the tree
    bool existsAfter;
  } cases[] = {
      {"src/found.c", 1, true, 0, "src/rcs/found.c", true},
      {"src\\found.c", 3, false, 0, "src/rcs/found.c", true},  // a check only
      {"src/junk.c", 1, true, 15, "src/rcs/junk.c", true},     // the opener's answer
      {"src/missing.c", 1, true, 14, "src/rcs/missing.c", false},
      {"new/missing.c", 3, false, 14, "new/rcs/missing.c", false},
      {"paired/paired.c", 1, true, 0, "store/paired.c", true},
      {"paired/other.c", 1, false, 14, "store/other.c", false},
      {"src/made.c", 6, true, 0, "src/rcs/made.c", false},      // created, handed out: on disk from its commit
      {"fresh/made.c", 4, false, 0, "fresh/rcs/made.c", true},  // created and committed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.work);
    int h = -1;
    buf[0] = '\0';
    EXPECT_EQ(vcFindArchiveName(c.work, buf, sizeof buf, c.handle ? &h : nullptr, c.flags),
              c.expected);
    EXPECT_EQ(std::string(buf), p(c.archive));
    EXPECT_EQ(fs::exists(p(c.archive)), c.existsAfter);
    if (!c.handle) continue;
    if (c.expected == 0) {
      EXPECT_GT(h, 0);
      EXPECT_EQ((c.flags & 2) ? vcCommitArchive(h, 1) : vcCloseArchive(h), 0);
    } else {
      EXPECT_EQ(h, 0);
    }
  }

  // Archives made by the search are real: found again, opened, mapped back.
  for (const char* work : {"src/made.c", "fresh/made.c"}) {
    SCOPED_TRACE(work);
    int h = 0;
    ASSERT_EQ(vcFindArchiveName(work, buf, sizeof buf, &h, 1), 0);
    EXPECT_EQ(vcCloseArchive(h), 0);
    const std::string archive = buf;
    ASSERT_EQ(vcFindWorkName(archive.c_str(), buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf), p(work));
  }
  EXPECT_EQ(vcFindWorkName(p("store/paired.c").c_str(), buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), p("paired/paired.c"));
  EXPECT_EQ(vcFindWorkName("/no/template/fits", buf, sizeof buf), vc::err::kNoWorkFileName);

  // A template that names the working file itself: 85, nothing opened or made.
  ASSERT_EQ(vcSetConfig("rcspath", "%v%d%f"), 0);
  add("self.c");
  EXPECT_EQ(vcFindArchiveName("self.c", buf, sizeof buf, nullptr, 4), vc::err::kWorkEqualsArchive);
  EXPECT_EQ(readFile(p("self.c")), "x\n");
  EXPECT_EQ(vcFindWorkName(p("self.c").c_str(), buf, sizeof buf), vc::err::kWorkEqualsArchive);
}

// Archives are opened under the path layer's absolute names: relative to the
// current directory of the moment, and up to the library's 2,048 bytes.
TEST_F(PathApiTest, ArchivesOpenUnderAbsoluteNames) {
  addArchive("a/rcs/one.v");
  fakeCwd() = p("a/rcs");
  int h = 0;
  ASSERT_EQ(vcOpenArchive("./one.v", &h, 1), 0);
  EXPECT_EQ(vcCloseArchive(h), 0);
  fakeCwd() = p("a");
  EXPECT_EQ(vcOpenArchive("rcs\\one.v", nullptr, 1), 0);

  // Deep names beyond the old 512-byte limit open; past 2,048 bytes they are 12.
  std::string deep = "a";
  while (deep.size() < 600) deep += "/" + std::string(60, 'd');
  addArchive(deep + "/one.v");
  EXPECT_EQ(vcOpenArchive(p(deep + "/one.v").c_str(), nullptr, 1), 0);
  // ... and what opens for writing also commits.
  EXPECT_EQ(vcOpenArchive(p(deep + "/one.v").c_str(), &h, 3), 0);
  EXPECT_EQ(vcCommitArchive(h, 1), 0);
  const std::string tooLong = p(std::string(2100, 'n'));
  EXPECT_EQ(vcOpenArchive(tooLong.c_str(), nullptr, 1), vc::err::kInternalBufferExceeded);
  EXPECT_EQ(vcFindWorkName(tooLong.c_str(), buf, sizeof buf), vc::err::kInternalBufferExceeded);
}

}  // namespace
