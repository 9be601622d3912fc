// What project saves leave on disk: processes killed at random moments of
// saving a project, its dependency cache and a sandbox leave the project,
// cache and sandbox files whole (the old contents or the new) and no other
// file once the next writer has been through the directory.
#include "vc/project/tests/project_test_support.h"
#include "vc/include/vc.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>

namespace {

using namespace projecttest;

std::set<std::string> names(const std::string& dir) {
  std::set<std::string> out;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") out.insert(n);
    }
    ::closedir(d);
  }
  return out;
}

constexpr int kMembers = 400;

struct ProjectLeftoversTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-projleft"};
  orv::test::TempDir tmp{"orv-projleft-tmp"};
  void SetUp() override {
    ::setenv("TMPDIR", tmp.path().c_str(), 1);
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    denied().clear();
    vc::permissionBridge().granted = grantedUnlessDenied;
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vcAPIcleanup();
    ::unsetenv("TMPDIR");
  }
  std::string path(const std::string& name) { return scratch.path() + "/" + name; }
};

// One child's work, over and over until it is killed: open the project, add
// a member, save the project and its cache, save the sandbox. The token of
// each member whose save came back goes down the pipe.
[[noreturn]] void saveUntilKilled(const std::string& dir, unsigned seed, int pipeFd) {
  if (vcAPIinit() != 0) ::_exit(250);
  const std::string project = dir + "/p.prj";
  const std::string sandbox = dir + "/s.sbx";
  for (unsigned round = 0;; ++round) {
    int h = 0;
    if (int rc = vcOpenProject(project.c_str(), VC_PROJECT_OPEN_WRITE, &h, 0)) ::_exit(rc & 0xff);
    char token[32];
    std::snprintf(token, sizeof token, "k%08x_%u.c", seed, round);
    if (int rc = vcAddMember(h, 'f', (dir + "/" + token).c_str(), nullptr, nullptr)) ::_exit(rc & 0xff);
    if (int rc = vcSaveProject(h)) ::_exit(rc & 0xff);
    if (int rc = vcSaveUses(h)) ::_exit(rc & 0xff);
    if (int rc = vcCloseProject(h)) ::_exit(rc & 0xff);
    const std::string line = std::string(token) + "\n";
    if (::write(pipeFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) ::_exit(251);
    int s = 0;
    if (int rc = vcOpenSandbox(sandbox.c_str(), VC_SANDBOX_OPEN_MODIFY | VC_SANDBOX_OPEN_WRITE, &s, 0))
      ::_exit(rc & 0xff);
    if (int rc = vcSaveSandbox(s)) ::_exit(rc & 0xff);
    if (int rc = vcCloseSandbox(s)) ::_exit(rc & 0xff);
  }
}

TEST_F(ProjectLeftoversTest, SavesKilledAtRandomMomentsLeaveWholeFilesAndNothingElse) {
  // A project large enough that its saves take a while, with a cache that
  // holds a record for every member.
  std::string project = "--ORV Project--\n$Revision$\ndescription=killed saves\nEndOptions\n";
  std::string cache;
  for (int i = 0; i < kMembers; ++i) {
    char member[32];
    std::snprintf(member, sizeof member, "m%04d.c", i);
    project += std::string(member) + " f  \n";
    cache += std::string(member) + " 1 2 3\n!" + path("inc.h") + " 4\n";
  }
  cache += path("inc.h") + " 5 6 4\n";
  const std::string sandbox = "--ORV Project--Sandbox--\nmasterproject=" + path("p.prj") + "\ndescription=mine\n";
  writeFile(path("p.prj"), project);
  writeFile(path("p.use"), cache);
  writeFile(path("s.sbx"), sandbox);

  constexpr int kKills = 60;
  std::mt19937 random(20261211u);
  std::set<std::string> saved;
  for (int kill = 0; kill < kKills; ++kill) {
    int p[2];
    ASSERT_EQ(::pipe2(p, O_CLOEXEC), 0);
    const unsigned seed = static_cast<unsigned>(random());
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(p[0]);
      saveUntilKilled(scratch.path(), seed, p[1]);
    }
    ::close(p[1]);
    // Every fourth child is let through its first save before the delay, so
    // that some kills come after saves however slow the build is.
    std::string reported;
    if (kill % 4 == 3) {
      char c = 0;
      while (::read(p[0], &c, 1) == 1) {
        reported += c;
        if (c == '\n') break;
      }
    }
    ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, 12000)(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status)) << "child ended by itself: " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    char buf[512];
    for (ssize_t n; (n = ::read(p[0], buf, sizeof buf)) > 0;) reported.append(buf, static_cast<std::size_t>(n));
    ::close(p[0]);
    for (std::size_t at = 0, nl; (nl = reported.find('\n', at)) != std::string::npos; at = nl + 1)
      saved.insert(reported.substr(at, nl - at));

    // Whatever the moment, each file is whole: the project opens with every
    // member it had and every one a save reported; the cache keeps every
    // record; the sandbox opens.
    SCOPED_TRACE("after kill " + std::to_string(kill));
    const std::string text = readFile(path("p.prj"));
    ASSERT_EQ(text.substr(0, project.size()), project);
    ASSERT_EQ(text.back(), '\n');
    for (const std::string& token : saved) EXPECT_NE(text.find("/" + token + " f  \n"), std::string::npos) << token;
    int h = 0;
    ASSERT_EQ(vcOpenProject(path("p.prj").c_str(), 0, &h, 0), 0);
    ASSERT_EQ(vcCloseProject(h), 0);
    const std::string uses = readFile(path("p.use"));
    for (std::size_t at = 0, nl; (nl = cache.find('\n', at)) != std::string::npos; at = nl + 1)
      ASSERT_NE(uses.find(cache.substr(at, nl + 1 - at)), std::string::npos) << cache.substr(at, nl - at);
    EXPECT_EQ(readFile(path("s.sbx")), sandbox);
  }
  ASSERT_FALSE(saved.empty()) << "no kill came after a save; the delays are too short";

  // Only the temporary names of a swap in progress may be left, and the next
  // writer of each file clears them.
  const std::set<std::string> files{"p.prj", "p.use", "p.trn", "s.sbx", ".vclock"};
  for (const std::string& n : names(scratch.path())) {
    if (files.count(n)) continue;
    const bool swapName = n.size() > 2 && n[0] == '.' && n.back() == '~';
    EXPECT_TRUE(swapName) << "left behind: " << n;
  }
  int h = 0;
  ASSERT_EQ(vcOpenProject(path("p.prj").c_str(), VC_PROJECT_OPEN_WRITE, &h, 0), 0);
  ASSERT_EQ(vcAddMember(h, 'f', path("last.c").c_str(), nullptr, nullptr), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  ASSERT_EQ(vcSaveUses(h), 0);
  ASSERT_EQ(vcCloseProject(h), 0);
  int s = 0;
  ASSERT_EQ(vcOpenSandbox(path("s.sbx").c_str(), VC_SANDBOX_OPEN_MODIFY | VC_SANDBOX_OPEN_WRITE, &s, 0), 0);
  ASSERT_EQ(vcSaveSandbox(s), 0);
  ASSERT_EQ(vcCloseSandbox(s), 0);
  EXPECT_EQ(names(scratch.path()), files);
  EXPECT_TRUE(names(tmp.path()).empty()) << "the temporary directory holds " << names(tmp.path()).size() << " files";
}

}  // namespace
