// What processes leave on disk: a process killed at any moment of open,
// check-in, check-out, commit or close leaves only the archive and the
// working files (temporary names it had are cleared by the next writer in
// the directory, and the temporary directory gets nothing at all); the
// clean-up removes only files of processes that are gone; creating an
// archive puts nothing on disk before its first commit.
#include "vc/tests/archive_test_support.h"

#include "platform/fs/temp_file.h"
#include "vc/files/temp_files.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace archive_test;

namespace {

std::set<std::string> names(const std::string& dir) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
  return out;
}

// Runs body in a child process with its own library instance; answers the
// child's exit status, or -1 when it did not exit normally.
template <class Body>
int inChild(Body body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int rc = vcAPIinit() == 0 ? body() : 250;
    ::_exit(rc & 0xff);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A process id that is surely not in use: a child that has exited and been
// waited for.
pid_t deadPid() {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

// A child that lives until stop() (or the object goes).
struct LiveChild {
  pid_t pid = -1;
  int pipeFd = -1;
  LiveChild() {
    int p[2];
    if (::pipe(p) != 0) return;
    pid = ::fork();
    if (pid == 0) {
      ::close(p[1]);
      char c;
      while (::read(p[0], &c, 1) < 0 && errno == EINTR) {
      }
      ::_exit(0);
    }
    ::close(p[0]);
    pipeFd = p[1];
  }
  ~LiveChild() {
    if (pipeFd >= 0) ::close(pipeFd);
    if (pid > 0) ::waitpid(pid, nullptr, 0);
  }
};

std::string hex4(pid_t pid) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04x", static_cast<unsigned>(pid) & 0xffffu);
  return buf;
}

struct LeftoversTest : ArchiveTest {
  std::string tmp;  // the temporary directory of the library, private to the test
  void SetUp() override {
    ArchiveTest::SetUp();
    char tmpl[] = "/tmp/orv-leftovers-tmp-XXXXXX";
    tmp = ::mkdtemp(tmpl);
    ::setenv("TMPDIR", tmp.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("TMPDIR");
    fs::remove_all(tmp);
    ArchiveTest::TearDown();
  }
};

}  // namespace

// ---- the clean-up of temporary files ----

TEST_F(LeftoversTest, StaleTemporaryFilesOfGoneProcessesAreRemovedAndNoOthers) {
  const pid_t dead = deadPid();
  LiveChild live;
  ASSERT_GT(live.pid, 0);
  struct Case {
    std::string name;
    bool markedInUse;  // some open description holds it marked
    bool removed;
  };
  const Case cases[] = {
      {"vc_" + hex4(dead) + ".000", false, true},    // its process is gone
      {"vj_l" + hex4(dead) + ".012", false, true},   // a project file of the same
      {"vc_" + hex4(dead) + ".001", true, false},    // in use, whatever the name says
      {"vc_" + hex4(live.pid) + ".000", false, false},  // its process may not have marked it yet
      {"vc_" + hex4(live.pid) + ".001", true, false},
      {"vc_" + hex4(::getpid()) + ".000", false, false},  // this process's own
      {"vc_notes.txt", false, false},                  // not a temporary name
      {"vc_" + hex4(dead) + ".txt", false, false},
      {"work.c,v", false, false},
  };
  std::vector<int> holders;
  for (const Case& c : cases) {
    writeFile(path(c.name), "partial");
    if (c.markedInUse) {
      const int fd = ::open(path(c.name).c_str(), O_RDWR | O_CLOEXEC);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(orv::fs::markInUse(fd), 0);
      holders.push_back(fd);
    }
  }
  int expected = 0;
  for (const Case& c : cases) expected += c.removed ? 1 : 0;
  EXPECT_EQ(vc::removeStaleTemps(dir), expected);
  for (const Case& c : cases) EXPECT_EQ(fs::exists(path(c.name)), !c.removed) << c.name;
  // Once nobody holds it, the dead process's file goes too.
  for (int fd : holders) ::close(fd);
  EXPECT_EQ(vc::removeStaleTemps(dir), 1);
  EXPECT_FALSE(fs::exists(path("vc_" + hex4(dead) + ".001")));
}

TEST_F(LeftoversTest, WriterClearsTheDirectoryAndTemporaryFilesAreMarkedInUse) {
  const std::string p = copyFixture("one.v");
  const pid_t dead = deadPid();
  const std::string stale = path("vc_" + hex4(dead) + ".003");
  writeFile(stale, "half a commit");
  // A reader leaves it; a writer's open clears it.
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  EXPECT_TRUE(fs::exists(stale));
  ASSERT_EQ(vcCloseArchive(h), 0);
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 3), 0);
  EXPECT_FALSE(fs::exists(stale));
  // A named temporary file of a live process survives another process's
  // clean-up, even with another process's id in its name.
  vc::TempFile t;
  static pid_t other;
  other = dead;
  vc::seams().processId = [] { return static_cast<std::uint32_t>(other); };
  ASSERT_EQ(vc::createTempBeside(nullptr, dir, vc::kArchiveTempPrefix, t), 0);
  vc::resetSeams();
  EXPECT_EQ(inChild([&] { return vc::removeStaleTemps(dir); }), 0);
  EXPECT_TRUE(fs::exists(t.path));
  vc::removeTemp(nullptr, t);
  ASSERT_EQ(vcCloseArchive(h), 0);
}

// ---- creating an archive ----

TEST_F(LeftoversTest, CreatedArchiveIsOnDiskOnlyFromItsFirstCommit) {
  const std::string p = path("new.v");
  const auto before = names(dir);
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 4), 0);
  auto during = names(dir);
  during.erase(".vclock");
  EXPECT_EQ(during, before);  // nothing under the name, no placeholder of any kind
  // The name is held by the lock: a second creator is refused meanwhile.
  EXPECT_EQ(inChild([&] { int c = 0; return vcOpenArchive(p.c_str(), &c, 4); }), 204);
  EXPECT_EQ(inChild([&] { int c = 0; return vcOpenArchive(p.c_str(), &c, 1); }), 204);
  ASSERT_EQ(vcCommitArchive(h, 0), 0);
  EXPECT_EQ(readFile(p).substr(0, 6), "head ;");
  EXPECT_EQ(fs::status(p).permissions() & fs::perms::all & ~(fs::perms::owner_read | fs::perms::group_read |
                                                             fs::perms::others_read),
            fs::perms::none);  // write-protected, as every committed archive
  ASSERT_EQ(vcCloseArchive(h), 0);
  EXPECT_TRUE(leftovers().empty());

  // Abandoned before its first commit: the name is free for the next creator.
  const std::string q = path("other.v");
  ASSERT_EQ(vcOpenArchive(q.c_str(), &h, 4), 0);
  ASSERT_EQ(vcCloseArchive(h), 0);
  EXPECT_FALSE(fs::exists(q));
  EXPECT_EQ(inChild([&] {
              int c = 0;
              int rc = vcOpenArchive(q.c_str(), &c, 4);
              return rc ? rc : vcCommitArchive(c, 1);
            }),
            0);
  EXPECT_TRUE(fs::exists(q));
}

TEST_F(LeftoversTest, EmptyFileCountsAsAbsentToACreatorAndTheFirstCommitReplacesIt) {
  const std::string p = path("zero.v");
  writeFile(p, "");
  int h = 0;
  EXPECT_EQ(vcOpenArchive(p.c_str(), &h, 1), 15);  // still no archive to a reader
  EXPECT_EQ(vcOpenArchive(p.c_str(), &h, 2), 15);
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 4), 0);
  EXPECT_TRUE(rec(h)->file.flags & vc::archive::kFlagCreated);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(readFile(p).substr(0, 6), "head ;");
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  EXPECT_EQ(vc::readArchiveTexts(inst(), *rec(h), nullptr), 0);
  ASSERT_EQ(vcCloseArchive(h), 0);
  EXPECT_TRUE(leftovers().empty());
}

// ---- processes killed at random moments ----

namespace {

// One child's work, over and over until it is killed: open (creating the
// archive the first time), check in a new text, commit, check the head out.
// Each committed text's token goes down the pipe.
[[noreturn]] void workUntilKilled(const std::string& archive, const std::string& dir, bool compress,
                                  unsigned seed, int pipeFd) {
  if (vcAPIinit() != 0) ::_exit(250);
  if (compress) vcSetConfig("compress", nullptr);
  for (unsigned round = 0;; ++round) {
    int h = 0;
    const int open = vcOpenArchive(archive.c_str(), &h, 4);
    if (open != 0) ::_exit(open & 0xff);
    char token[32];
    std::snprintf(token, sizeof token, "%08x-%u", seed, round);
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + " of " + token + "\n";
    writeFile(dir + "/work.c", text);
    char number[64] = {};
    if (int rc = vcCiRevision(h, nullptr, (dir + "/work.c").c_str(), 0, number, sizeof number)) ::_exit(rc & 0xff);
    if (int rc = vcCommitArchive(h, 0)) ::_exit(rc & 0xff);
    const std::string line = std::string(token) + "\n";
    if (::write(pipeFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) ::_exit(251);
    if (int rc = vcCoRevision(h, number, (dir + "/out.c").c_str())) ::_exit(rc & 0xff);
    if (int rc = vcCloseArchive(h)) ::_exit(rc & 0xff);
  }
}

}  // namespace

TEST_F(LeftoversTest, ProcessesKilledAtRandomMomentsLeaveOnlyTheArchiveAndWorkingFiles) {
  constexpr int kKills = 75;  // per archive form
  std::mt19937 random(20240611u);
  for (bool compress : {false, true}) {
    SCOPED_TRACE(compress ? "compressed archive" : "text archive");
    const std::string archive = path(compress ? "packed.c,v" : "text.c,v");
    std::set<std::string> committed;
    int exitedEarly = 0;
    for (int kill = 0; kill < kKills; ++kill) {
      int p[2];
      ASSERT_EQ(::pipe2(p, O_CLOEXEC), 0);
      const unsigned seed = static_cast<unsigned>(random());
      const pid_t pid = ::fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        ::close(p[0]);
        workUntilKilled(archive, dir, compress, seed, p[1]);
      }
      ::close(p[1]);
      // Every fourth child is let through its first commit before the delay,
      // so that some kills come after commits however slow the build is.
      std::string reported;
      if (kill % 4 == 3) {
        char c = 0;
        while (::read(p[0], &c, 1) == 1) {
          reported += c;
          if (c == '\n') break;
        }
      }
      // Anywhere from before the first open to several rounds in.
      ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, 15000)(random)));
      ::kill(pid, SIGKILL);
      int status = 0;
      ASSERT_EQ(::waitpid(pid, &status, 0), pid);
      if (!WIFSIGNALED(status)) {
        ++exitedEarly;
        ADD_FAILURE() << "child ended by itself: " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
      }
      char buf[512];
      for (ssize_t n; (n = ::read(p[0], buf, sizeof buf)) > 0;) reported.append(buf, static_cast<size_t>(n));
      ::close(p[0]);
      for (std::size_t at = 0, nl; (nl = reported.find('\n', at)) != std::string::npos; at = nl + 1)
        committed.insert(reported.substr(at, nl - at));
    }
    ASSERT_EQ(exitedEarly, 0);
    ASSERT_FALSE(committed.empty()) << "no kill came after a commit; the delays are too short";

    // The next writer clears what the killed ones left mid-swap.
    int h = 0;
    ASSERT_EQ(vcOpenArchive(archive.c_str(), &h, 2), 0);
    const std::string texts = dumpTexts(inst(), *rec(h));
    for (const std::string& token : committed)
      EXPECT_NE(texts.find("line 199 of " + token + "\n"), std::string::npos) << "lost: " << token;
    ASSERT_EQ(vcCloseArchive(h), 0);
    std::set<std::string> allowed{".vclock", "work.c", "out.c", "text.c,v", "packed.c,v"};
    for (const std::string& n : names(dir)) {
      if (n.rfind(".out.c.", 0) == 0) continue;  // a check-out's, cleared by the next one (below)
      EXPECT_TRUE(allowed.count(n)) << "left behind: " << n;
    }
    // A check-out clears its own kind.
    ASSERT_EQ(vcOpenArchive(archive.c_str(), &h, 1), 0);
    ASSERT_EQ(vcCoRevision(h, "", path("out.c").c_str()), 0);
    ASSERT_EQ(vcCloseArchive(h), 0);
    for (const std::string& n : names(dir)) EXPECT_TRUE(allowed.count(n)) << "left behind: " << n;
    EXPECT_TRUE(names(tmp).empty()) << "the temporary directory holds " << names(tmp).size() << " files";
  }
}
