#include "platform/fs/replace_file.h"

#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace orv::fs;

namespace {
std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
size_t entries(const std::string& dir) {
  size_t n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) (void)e, ++n;
  return n;
}
}  // namespace

TEST(ReplaceFile, ReplacesAndKeepsPermissionBits) {
  orv::test::TempDir dir;
  ASSERT_EQ(replaceFileContents(dir.file("f"), "one\n"), 0);
  ASSERT_EQ(::chmod(dir.file("f").c_str(), 0640), 0);
  ASSERT_EQ(replaceFileContents(dir.file("f"), "two\n"), 0);
  EXPECT_EQ(readFile(dir.file("f")), "two\n");
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(ReplaceFile, FailuresLeaveTheOldFileAndNoTemporary) {
  orv::test::TempDir dir;
  ASSERT_EQ(replaceFileContents(dir.file("f"), "old\n"), 0);
  struct Fault {
    const char* what;
    void (*inject)();
    int err;
  };
  const Fault faults[] = {
      {"rename", [] { orv::sys::calls().rename = [](const char*, const char*) { errno = EXDEV; return -1; }; }, EXDEV},
      {"write", [] { orv::sys::calls().write = [](int, const void*, size_t) -> ssize_t { errno = ENOSPC; return -1; }; }, ENOSPC},
      {"fsync", [] { orv::sys::calls().fsync = [](int) { errno = EIO; return -1; }; }, EIO},
  };
  for (const Fault& f : faults) {
    f.inject();
    EXPECT_EQ(replaceFileContents(dir.file("f"), "new contents\n"), f.err) << f.what;
    orv::sys::resetCalls();
    EXPECT_EQ(readFile(dir.file("f")), "old\n") << f.what;
    EXPECT_EQ(entries(dir.path()), 1u) << f.what;
  }
}

TEST(ReplaceFile, AbandonedWriterRemovesItsTemporary) {
  orv::test::TempDir dir;
  {
    AtomicFileWriter w;
    ASSERT_EQ(w.begin(dir.file("f")), 0);
    ASSERT_EQ(w.write("partial"), 0);
    EXPECT_EQ(entries(dir.path()), 0u);  // unnamed while it is written
  }
  EXPECT_EQ(entries(dir.path()), 0u);
}

TEST(ReplaceFile, NoSyncLeavesOutBothSyncs) {
  orv::test::TempDir dir;
  static int syncs;
  orv::sys::calls().fsync = [](int fd) {
    ++syncs;
    return ::fsync(fd);
  };
  for (Durability d : {Durability::Durable, Durability::NoSync}) {
    syncs = 0;
    AtomicFileWriter w;
    ASSERT_EQ(w.begin(dir.file("f"), 0666, d), 0);
    ASSERT_EQ(w.write("text\n"), 0);
    ASSERT_EQ(w.commit(), 0);
    EXPECT_EQ(readFile(dir.file("f")), "text\n");
    EXPECT_EQ(syncs, d == Durability::Durable ? 2 : 0) << "the file and its directory";
  }
  orv::sys::resetCalls();
  EXPECT_EQ(entries(dir.path()), 1u);
}

// Without syncs an existing file is replaced by swapping the two names and
// removing the old file; where the swap cannot be made, or the old file
// cannot be removed after it, a rename does the replacement. Either way the
// new contents and the old permission bits are in place and nothing is left.
namespace {
int g_swaps = 0;
bool g_swapFails = false;
int countingSwap(const char* a, const char* b) {
  ++g_swaps;
  if (g_swapFails) {
    errno = EINVAL;  // as from a file system that cannot
    return -1;
  }
  return orv::sys::realCalls().renameExchange(a, b);
}
}  // namespace

TEST(ReplaceFile, NoSyncSwapsNamesOrRenames) {
  orv::test::TempDir dir;
  struct Case {
    const char* what;
    bool swapFails;
    bool unlinkFails;
  };
  for (const Case& c : {Case{"swap", false, false}, Case{"no swap", true, false}, Case{"old file stays", false, true}}) {
    ASSERT_EQ(replaceFileContents(dir.file("f"), "old\n"), 0);
    ASSERT_EQ(::chmod(dir.file("f").c_str(), 0640), 0);
    g_swaps = 0;
    g_swapFails = c.swapFails;
    orv::sys::calls().renameExchange = countingSwap;
    if (c.unlinkFails) orv::sys::calls().unlink = [](const char*) {
      errno = EBUSY;
      return -1;
    };
    AtomicFileWriter w;
    ASSERT_EQ(w.begin(dir.file("f"), 0666, Durability::NoSync), 0) << c.what;
    ASSERT_EQ(w.write("new\n"), 0) << c.what;
    EXPECT_EQ(w.commit(), 0) << c.what;
    orv::sys::resetCalls();
    EXPECT_GE(g_swaps, 1) << c.what;
    EXPECT_EQ(readFile(dir.file("f")), "new\n") << c.what;
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << c.what;
    EXPECT_EQ(entries(dir.path()), 1u) << c.what;
  }
  // A new file has nothing to swap with.
  g_swaps = 0;
  g_swapFails = false;
  orv::sys::calls().renameExchange = countingSwap;
  AtomicFileWriter w;
  ASSERT_EQ(w.begin(dir.file("g"), 0666, Durability::NoSync), 0);
  ASSERT_EQ(w.write("g\n"), 0);
  EXPECT_EQ(w.commit(), 0);
  orv::sys::resetCalls();
  EXPECT_EQ(g_swaps, 0);
  EXPECT_EQ(readFile(dir.file("g")), "g\n");
}

// A dead writer's leftover name goes with the next writer into its
// directory, and the directory is read once however many files this process
// writes there, with unnamed temporaries or named ones.
TEST(ReplaceFile, DeadWritersNamesGoAndTheDirectoryIsReadOnce) {
  orv::test::TempDir dir;
  pid_t gone = 65535;  // a process id that names no process
  while (gone > 2 && !(::kill(gone, 0) != 0 && errno == ESRCH)) --gone;
  char tail[32];
  std::snprintf(tail, sizeof tail, ".%04x.000~", static_cast<unsigned>(gone) & 0xffffu);
  const std::string stale = dir.file(std::string(".g") + tail);
  { std::ofstream(stale) << "left by a writer that was killed\n"; }

  static int directoryReads = 0;
  orv::sys::calls().opendir = [](const char* path) {
    ++directoryReads;
    return orv::sys::realCalls().opendir(path);
  };
  auto writeThree = [&] {
    for (const char* name : {"a", "b", "c"}) {
      AtomicFileWriter w;
      ASSERT_EQ(w.begin(dir.file(name)), 0);
      ASSERT_EQ(w.write(name), 0);
      ASSERT_EQ(w.commit(), 0);
    }
  };
  writeThree();
  EXPECT_EQ(directoryReads, 1);
  EXPECT_FALSE(std::filesystem::exists(stale));

  orv::sys::calls().open = [](const char* path, int flags, mode_t mode) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
      errno = EOPNOTSUPP;
      return -1;
    }
    return orv::sys::realCalls().open(path, flags, mode);
  };
  writeThree();
  writeThree();
  orv::sys::resetCalls();
  EXPECT_EQ(directoryReads, 1);
  EXPECT_EQ(entries(dir.path()), 3u);
  EXPECT_EQ(readFile(dir.file("b")), "b");
}
