// A PathEnvironment for tests: a settable current directory, options and
// pairs, and an archive opener that records its calls.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "testing/temp_dir.h"
#include "vc/paths/path_environment.h"

namespace vc::test {

struct OpenCall {
    std::string path;
    int mode;
    bool with_handle;
};

class FakePathEnvironment : public PathEnvironment {
public:
    std::optional<std::string> cwd = "/home/u";
    std::map<std::string, std::string> options;  // name -> value
    std::map<std::string, bool> flags;           // name -> boolean
    std::vector<WorkToArchPair> project_pairs;
    std::vector<WorkToArchPair> instance_pairs;

    std::map<std::string, int> open_results;  // path -> answer (default 0)
    std::vector<OpenCall> opens;
    std::vector<int> commits;
    std::vector<int> closes;
    int next_handle = 1;
    std::size_t needed_length = 0;
    int extra_error = 0;
    bool create_files = true;  // an open with the create bit makes the file

    std::optional<std::string> current_directory() override { return cwd; }

    std::optional<std::string> option_value(std::string_view name) override
    {
        auto it = options.find(std::string(name));
        if (it == options.end() || it->second.empty())
            return std::nullopt;
        return it->second;
    }

    bool option_flag(std::string_view name, bool default_value) override
    {
        auto it = flags.find(std::string(name));
        return it == flags.end() ? default_value : it->second;
    }

    std::vector<WorkToArchPair> project_worktoarch_pairs() override { return project_pairs; }
    std::vector<WorkToArchPair> instance_worktoarch_pairs() override { return instance_pairs; }

    int open_archive(const std::string& path, int* handle, int mode) override
    {
        opens.push_back({path, mode, handle != nullptr});
        auto it = open_results.find(path);
        int r = it == open_results.end() ? 0 : it->second;
        if ((mode & 4) != 0 && create_files && r == 0)
            std::ofstream(path).put('\n');
        if (handle != nullptr && (r == 0 || r == 19))
            *handle = next_handle++;
        return r;
    }

    int commit_archive(int handle, int) override
    {
        commits.push_back(handle);
        return 0;
    }

    int close_archive(int handle) override
    {
        closes.push_back(handle);
        return 0;
    }

    void set_needed_length(std::size_t length) override { needed_length = length; }
    void set_extra_error(int error) override { extra_error = error; }
};

// A tree of files in a fresh temporary directory (the shared TempDir),
// removed at the end.
class TempTree {
public:
    const std::string& root() const { return dir_.path(); }
    std::string path(const std::string& relative) const { return dir_.file(relative); }

    // Creates a file (and its directories); a name ending in "/" is a
    // directory.
    void add(const std::string& relative) const
    {
        std::filesystem::path p = path(relative);
        if (relative.ends_with("/")) {
            std::filesystem::create_directories(p);
            return;
        }
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p) << "x\n";
    }

    bool exists(const std::string& relative) const { return std::filesystem::exists(path(relative)); }
    bool is_directory(const std::string& relative) const
    {
        return std::filesystem::is_directory(path(relative));
    }

private:
    orv::test::TempDir dir_{"orv_paths"};
};

}  // namespace vc::test
