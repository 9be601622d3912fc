// A Spawner double for tests: records every start and answers a set result.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/spawn/process_spawn.h"
#include "platform/spawn/spawner.h"

namespace orv::platform {

class RecordingSpawner : public Spawner {
public:
    struct Start {
        std::string command_line;
        int show_mode;
    };

    int start(std::string_view command_line, int show_mode) override
    {
        starts.push_back({std::string(command_line), show_mode});
        return result;
    }

    void reap() override { ++reap_calls; }

    std::vector<Start> starts;
    int result = kStartSucceeded;
    int reap_calls = 0;
};

}  // namespace orv::platform
