// posix_spawnp with the rules of this system: no shell, own session, no
// inherited descriptors, default signals.
#include "platform/spawn/process_spawn.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>

extern char** environ;

namespace orv::platform {
namespace {

class FileActions {
public:
    FileActions() { error_ = posix_spawn_file_actions_init(&actions_); }
    ~FileActions()
    {
        if (error_ == 0)
            posix_spawn_file_actions_destroy(&actions_);
    }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    int error() const { return error_; }
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
    int error_;
};

class SpawnAttributes {
public:
    SpawnAttributes() { error_ = posix_spawnattr_init(&attributes_); }
    ~SpawnAttributes()
    {
        if (error_ == 0)
            posix_spawnattr_destroy(&attributes_);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    int error() const { return error_; }
    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
    int error_;
};

}  // namespace

int spawn_program(const std::vector<std::string>& argv, const SpawnOptions& options, pid_t& pid)
{
    if (argv.empty() || argv[0].empty())
        return EINVAL;

    FileActions actions;
    if (actions.error() != 0)
        return actions.error();
    if (options.stdin_fd >= 0 && options.stdin_fd != 0) {
        if (int e = posix_spawn_file_actions_adddup2(actions.get(), options.stdin_fd, 0))
            return e;
    }
    // Every descriptor above standard error is closed in the child, whether
    // or not its owner remembered O_CLOEXEC.
    if (int e = posix_spawn_file_actions_addclosefrom_np(actions.get(), 3))
        return e;

    SpawnAttributes attributes;
    if (attributes.error() != 0)
        return attributes.error();
    sigset_t empty_mask;
    sigemptyset(&empty_mask);
    sigset_t defaults;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (int e = posix_spawnattr_setflags(attributes.get(), flags))
        return e;
    if (int e = posix_spawnattr_setsigmask(attributes.get(), &empty_mask))
        return e;
    if (int e = posix_spawnattr_setsigdefault(attributes.get(), &defaults))
        return e;

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& word : argv)
        args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);

    pid_t child = -1;
    int error = posix_spawnp(&child, args[0], actions.get(), attributes.get(), args.data(), environ);
    if (error != 0)
        return error;
    pid = child;
    return 0;
}

int start_result_for(int spawn_error)
{
    switch (spawn_error) {
    case 0: return kStartSucceeded;
    case ENOENT:
    case EINVAL: return kStartFileNotFound;
    case ENOTDIR: return kStartPathNotFound;
    case ENOEXEC: return kStartBadFormat;
    default: return kStartFailed;
    }
}

}  // namespace orv::platform
