// A Spawner double for tests: records every start and answers a set result.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/spawn/command_line.h"
#include "platform/spawn/process_spawn.h"
#include "platform/spawn/spawner.h"

namespace orv::platform {

class RecordingSpawner : public Spawner {
public:
    // A start as the program would see it: argv holds the words of a
    // command line, or the words given to start_argv (whose command_line
    // stays empty).
    struct Start {
        std::string command_line;
        int show_mode;
        std::vector<std::string> argv;
    };

    int start(std::string_view command_line, int show_mode) override
    {
        starts.push_back({std::string(command_line), show_mode, split_command_line(command_line)});
        return result;
    }

    int start_argv(const std::vector<std::string>& argv, int show_mode) override
    {
        starts.push_back({std::string(), show_mode, argv});
        return result;
    }

    void reap() override { ++reap_calls; }

    std::vector<Start> starts;
    int result = kStartSucceeded;
    int reap_calls = 0;
};

}  // namespace orv::platform
