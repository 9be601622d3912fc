// The seam through which the library starts programs (`exec` statements and
// the `$exec()` function).
//
// The library holds one Spawner per instance: PosixSpawner in real use, a
// recording double (recording_spawner.h) in tests. The show mode of the old
// platform is passed along for the record and otherwise ignored.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace orv::platform {

class Spawner {
public:
    virtual ~Spawner() = default;

    // Starts the program of a command line (split by split_command_line, run
    // without a shell). Returns the start result of process_spawn.h:
    // kStartSucceeded (33) on success, kStartFileNotFound (2) when the
    // program is not found or the line is empty, kStartPathNotFound (3),
    // kStartBadFormat (11), else kStartFailed (0).
    virtual int start(std::string_view command_line, int show_mode) = 0;

    // Starts argv[0] with exactly the arguments argv[1..], each passed as one
    // word whatever it holds (blanks, quotes, ';'). The same start results.
    virtual int start_argv(const std::vector<std::string>& argv, int show_mode) = 0;

    // Collects every child of ours that has ended, without waiting. Called on
    // library entries and at clean-up so that finished programs do not stay
    // behind as zombies.
    virtual void reap() = 0;
};

// Starts programs with spawn_program and reaps exactly the children that it
// started (waitpid per pid with WNOHANG; never waitpid(-1), so children that
// other parts of the process wait for are left alone).
class PosixSpawner : public Spawner {
public:
    PosixSpawner() = default;
    PosixSpawner(const PosixSpawner&) = delete;
    PosixSpawner& operator=(const PosixSpawner&) = delete;
    ~PosixSpawner() override;  // reaps once more; running children go on

    int start(std::string_view command_line, int show_mode) override;
    int start_argv(const std::vector<std::string>& argv, int show_mode) override;
    void reap() override;

    // Children started and not yet reaped.
    const std::vector<pid_t>& children() const { return children_; }

    // Waits until every child started here has ended. For tests and for
    // callers that must be sure; the library itself never blocks on a child.
    void wait_all();

private:
    std::vector<pid_t> children_;
};

}  // namespace orv::platform
