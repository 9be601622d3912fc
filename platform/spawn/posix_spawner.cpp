// The real spawner: starts programs without a shell and reaps its own
// children without blocking.
#include <cerrno>
#include <sys/wait.h>

#include "platform/spawn/command_line.h"
#include "platform/spawn/process_spawn.h"
#include "platform/spawn/spawner.h"

namespace orv::platform {

PosixSpawner::~PosixSpawner()
{
    reap();
}

int PosixSpawner::start(std::string_view command_line, int /*show_mode*/)
{
    return start_argv(split_command_line(command_line), 0);
}

int PosixSpawner::start_argv(const std::vector<std::string>& argv, int /*show_mode*/)
{
    reap();
    if (argv.empty() || argv[0].empty())
        return kStartFileNotFound;
    pid_t pid = -1;
    int error = spawn_program(argv, SpawnOptions{}, pid);
    if (error == 0)
        children_.push_back(pid);
    return start_result_for(error);
}

void PosixSpawner::reap()
{
    std::vector<pid_t> running;
    for (pid_t pid : children_) {
        int status = 0;
        pid_t result;
        do {
            result = waitpid(pid, &status, WNOHANG);
        } while (result < 0 && errno == EINTR);
        // 0: still running. The pid itself: collected. -1 (ECHILD): someone
        // else collected it; nothing left to do for us.
        if (result == 0)
            running.push_back(pid);
    }
    children_.swap(running);
}

void PosixSpawner::wait_all()
{
    for (pid_t pid : children_) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    children_.clear();
}

}  // namespace orv::platform
