// Starting one program with posix_spawnp and no shell.
//
// The child gets its own session (so it outlives a terminal hang-up of ours
// and no terminal signal of ours reaches it), default signal dispositions, an
// empty signal mask and no descriptor of ours beyond standard input, output
// and error. Nothing here forks or installs a SIGCHLD handler; the caller
// waits for or reaps the child.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orv::platform {

struct SpawnOptions {
    // A descriptor that becomes the child's standard input; -1 keeps ours.
    int stdin_fd = -1;
};

// Starts argv[0] (looked up in PATH when it has no "/") with the given
// arguments and our environment. Returns 0 and sets `pid`, or returns the
// errno value of the failure (ENOENT when the program is not found; EINVAL
// for an empty argv).
int spawn_program(const std::vector<std::string>& argv, const SpawnOptions& options, pid_t& pid);

// Start results in the style that scripts and callers of the library know
// from the old platform's program start: above 31 is success.
constexpr int kStartSucceeded = 33;
constexpr int kStartFailed = 0;          // out of resources, refused, anything else
constexpr int kStartFileNotFound = 2;    // no such program (or an empty command)
constexpr int kStartPathNotFound = 3;    // a directory on the way is missing
constexpr int kStartBadFormat = 11;      // not an executable format

// The start result for a spawn_program result (0 or an errno value).
int start_result_for(int spawn_error);

}  // namespace orv::platform
