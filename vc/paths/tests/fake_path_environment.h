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
    bool withHandle;
};

class FakePathEnvironment : public PathEnvironment {
public:
    std::optional<std::string> cwd = "/home/u";
    std::map<std::string, std::string> options;  // name -> value
    std::map<std::string, bool> flags;           // name -> boolean
    std::vector<WorkToArchPair> projectPairs;
    std::vector<WorkToArchPair> instancePairs;

    std::map<std::string, int> openResults;  // path -> answer (default 0)
    std::vector<OpenCall> opens;
    std::vector<int> commits;
    std::vector<int> closes;
    int nextHandle = 1;
    std::size_t neededLength = 0;
    int extraError = 0;
    bool createFiles = true;  // an open with the create bit makes the file

    std::optional<std::string> currentDirectory() override { return cwd; }

    std::optional<std::string> optionValue(std::string_view name) override
    {
        auto it = options.find(std::string(name));
        if (it == options.end() || it->second.empty())
            return std::nullopt;
        return it->second;
    }

    bool optionFlag(std::string_view name, bool defaultValue) override
    {
        auto it = flags.find(std::string(name));
        return it == flags.end() ? defaultValue : it->second;
    }

    std::vector<WorkToArchPair> projectWorktoarchPairs() override { return projectPairs; }
    std::vector<WorkToArchPair> instanceWorktoarchPairs() override { return instancePairs; }

    int openArchive(const std::string& path, int* handle, int mode) override
    {
        opens.push_back({path, mode, handle != nullptr});
        auto it = openResults.find(path);
        int r = it == openResults.end() ? 0 : it->second;
        if ((mode & 4) != 0 && createFiles && r == 0)
            std::ofstream(path).put('\n');
        if (handle != nullptr && (r == 0 || r == 19))
            *handle = nextHandle++;
        return r;
    }

    int commitArchive(int handle, int) override
    {
        commits.push_back(handle);
        return 0;
    }

    int closeArchive(int handle) override
    {
        closes.push_back(handle);
        return 0;
    }

    void setNeededLength(std::size_t length) override { neededLength = length; }
    void setExtraError(int error) override { extraError = error; }
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
    bool isDirectory(const std::string& relative) const
    {
        return std::filesystem::is_directory(path(relative));
    }

private:
    orv::test::TempDir dir_{"orv_paths"};
};

}  // namespace vc::test
