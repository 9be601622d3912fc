// One comparison of two revisions in the real vardel32, offscreen: the
// program reads the words the workbench gives it, shows the two checked-out
// copies, and deletes them when it closes. It is closed with a terminate
// signal once it has taken its command line (it catches the signal from
// then on), and nothing is left in the temporary directory afterwards.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "workbench/external/revision_comparison.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::external {
namespace {

int entriesIn(const std::string& dir) {
  int n = 0;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
    ::closedir(d);
  }
  return n;
}

// Whether pid has a handler of its own for SIGTERM (bit 15 of SigCgt).
bool catchesTerminate(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) != 0) continue;
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    return mask & (1ull << (SIGTERM - 1));
  }
  return false;
}

bool running(pid_t pid) { return ::kill(pid, 0) == 0; }

class VisualMergeRun : public testing::ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    for (const char* v : {"TMPDIR", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"})
      if (const char* old = std::getenv(v)) saved_.emplace_back(v, old);
    ::mkdir(tmp.c_str(), 0700);
    ::mkdir(runtime.c_str(), 0700);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);  // a command socket of its own
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  void TearDown() override {
    for (const char* v : {"TMPDIR", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"}) ::unsetenv(v);
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    ArchiveTest::TearDown();
  }

  std::string tmp = dir.file("tmp");
  std::string runtime = dir.file("run");

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(VisualMergeRun, RevisionsAreComparedAndTheirCopiesGoWhenItCloses) {
  start();
  makeArchive("queue.c", {"one\ntwo\n", "one\n2\nthree\n"});
  platform::PosixSpawner spawner;
  ProgramStarts starts{ui, spawner, dir.file("ORVTY.INI"), VARDEL32_DIR};
  TempFiles temps(ui);
  {
    OpenArchive archive(ui, work("queue.c"), 1);
    ASSERT_EQ(compareRevisionsCommand(starts, archive, temps, {{"1.2", 0}, {"1.1", 0}}),
              platform::kStartSucceeded);
  }
  ASSERT_EQ(spawner.children().size(), 1u);
  const pid_t pid = spawner.children()[0];
  EXPECT_EQ(entriesIn(tmp), 2);

  // Wait until vardel32 has run its command line (it catches the signal
  // from then on); give up only if it ends or after a long while.
  for (int i = 0; i < 6000 && running(pid) && !catchesTerminate(pid); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(catchesTerminate(pid)) << "vardel32 did not take its command line";
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  for (int i = 0; i < 6000 && !spawner.children().empty(); ++i) {
    spawner.reap();
    if (!spawner.children().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!spawner.children().empty()) {
    ::kill(pid, SIGKILL);
    spawner.wait_all();
    FAIL() << "vardel32 did not close on the terminate signal";
  }
  EXPECT_EQ(entriesIn(tmp), 0) << "vardel32 deletes the copies it was given with -d3";
  EXPECT_NE(dir.read("settings/vardel.ini").find("[General]"), std::string::npos)
      << "the frame closed as Exit closes it, storing its settings";
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace orv::workbench::external
