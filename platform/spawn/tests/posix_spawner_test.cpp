// Starting real programs: words reach the program literally, the child runs in
// its own session with default signals and none of our descriptors, start
// results, and the reaper.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/spawn/process_spawn.h"
#include "platform/spawn/spawner.h"
#include "testing/temp_dir.h"

namespace orv::platform {
namespace {

class PosixSpawnerTest : public ::testing::Test {
protected:
    std::string read_output() const
    {
        std::ifstream in(output_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    orv::test::TempDir dir_{"spawn"};
    std::string output_ = dir_.file("probe.out");
};

TEST_F(PosixSpawnerTest, WordsReachTheProgramLiterally)
{
    PosixSpawner spawner;
    std::string line = std::string(SPAWN_PROBE) + " " + output_ +
                       " \"a b\" ; $(HOME) `id` \"\" c\"d e\"f";
    ASSERT_EQ(spawner.start(line, 1), kStartSucceeded);
    spawner.wait_all();
    std::string out = read_output();
    EXPECT_NE(out.find("arg:a b\narg:;\narg:$(HOME)\narg:`id`\narg:\narg:cd ef\n"), std::string::npos) << out;
}

TEST_F(PosixSpawnerTest, ArgvWordsReachTheProgramUnsplit)
{
    PosixSpawner spawner;
    ASSERT_EQ(spawner.start_argv({SPAWN_PROBE, output_, "a \"b\" c", "x;y", "|t|"}, 1), kStartSucceeded);
    spawner.wait_all();
    std::string out = read_output();
    EXPECT_NE(out.find("arg:a \"b\" c\narg:x;y\narg:|t|\n"), std::string::npos) << out;
    EXPECT_EQ(spawner.start_argv({}, 1), kStartFileNotFound);
    EXPECT_EQ(spawner.start_argv({dir_.file("missing")}, 1), kStartFileNotFound);
}

TEST_F(PosixSpawnerTest, ChildHasOwnSessionDefaultSignalsAndNoInheritedDescriptors)
{
    int leaked = open("/dev/null", O_RDONLY);  // deliberately without O_CLOEXEC
    ASSERT_GE(leaked, 3);
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);

    PosixSpawner spawner;
    int result = spawner.start(std::string(SPAWN_PROBE) + " " + output_, 0);
    spawner.wait_all();
    sigaction(SIGPIPE, &previous, nullptr);
    close(leaked);

    ASSERT_EQ(result, kStartSucceeded);
    std::string out = read_output();
    EXPECT_NE(out.find("session_leader:1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("sigpipe_default:1\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("fd:"), std::string::npos) << out;
}

TEST_F(PosixSpawnerTest, StartResults)
{
    std::string plain = dir_.file("plain");
    std::ofstream(plain) << "not a program\n";
    chmod(plain.c_str(), 0644);

    struct Row {
        std::string line;
        int result;
    } rows[] = {
        {"", kStartFileNotFound},
        {"   ", kStartFileNotFound},
        {"\"\"", kStartFileNotFound},
        {"orv-no-such-program-anywhere arg", kStartFileNotFound},
        {dir_.file("missing/prog"), kStartFileNotFound},
        {plain + "/below", kStartPathNotFound},
        {plain, kStartFailed},  // not executable: refused even for root
        {"true", kStartSucceeded},
    };
    PosixSpawner spawner;
    for (const Row& row : rows)
        EXPECT_EQ(spawner.start(row.line, 1), row.result) << row.line;
    spawner.wait_all();
}

TEST_F(PosixSpawnerTest, StandardInputFromADescriptor)
{
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    pid_t pid = -1;
    ASSERT_EQ(spawn_program({SPAWN_PROBE, output_, "--read-stdin"}, SpawnOptions{fds[0]}, pid), 0);
    close(fds[0]);
    ASSERT_EQ(write(fds[1], "hello\n", 6), 6);
    close(fds[1]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string out = read_output();
    EXPECT_NE(out.find("stdin:hello\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("fd:"), std::string::npos) << out;  // the pipe's write end stayed ours
}

TEST_F(PosixSpawnerTest, ReaperCollectsEndedChildrenOnly)
{
    PosixSpawner spawner;
    ASSERT_EQ(spawner.start("sleep 60", 1), kStartSucceeded);
    ASSERT_EQ(spawner.start("true", 1), kStartSucceeded);
    ASSERT_EQ(spawner.children().size(), 2u);
    pid_t sleeper = spawner.children()[0];
    pid_t quick = spawner.children()[1];

    // Wait until "true" has ended, leaving it a zombie for the reaper.
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(quick), &info, WEXITED | WNOWAIT), 0);

    spawner.reap();
    ASSERT_EQ(spawner.children().size(), 1u);
    EXPECT_EQ(spawner.children()[0], sleeper);
    errno = 0;
    EXPECT_EQ(waitpid(quick, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    kill(sleeper, SIGKILL);
    spawner.wait_all();
    EXPECT_TRUE(spawner.children().empty());
}

TEST(SpawnProgram, EmptyArgumentVectorIsRefused)
{
    pid_t pid = -1;
    EXPECT_EQ(spawn_program({}, SpawnOptions{}, pid), EINVAL);
    EXPECT_EQ(start_result_for(EINVAL), kStartFileNotFound);
}

}  // namespace
}  // namespace orv::platform
