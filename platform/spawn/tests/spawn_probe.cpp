// A program for the spawn tests: writes what it was started with into the
// file named by its first argument.
//   spawn_probe OUTPUT [--read-stdin] [ARG...]
// Lines written: "arg:<ARG>" for each argument, "session_leader:<0|1>",
// "sigpipe_default:<0|1>", "fd:<n>" for every open descriptor above 2 and,
// with --read-stdin, "stdin:<everything read from standard input>".
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 64;
    std::string report;
    int first = 2;
    bool read_stdin = argc > 2 && std::strcmp(argv[2], "--read-stdin") == 0;
    if (read_stdin)
        ++first;
    for (int i = first; i < argc; ++i)
        report += std::string("arg:") + argv[i] + "\n";
    report += std::string("session_leader:") + (getsid(0) == getpid() ? "1" : "0") + "\n";
    struct sigaction action {};
    sigaction(SIGPIPE, nullptr, &action);
    report += std::string("sigpipe_default:") + (action.sa_handler == SIG_DFL ? "1" : "0") + "\n";
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            int fd = std::atoi(entry->d_name);
            if (fd > 2 && fd != dirfd(dir))
                report += "fd:" + std::to_string(fd) + "\n";
        }
        closedir(dir);
    }
    if (read_stdin) {
        report += "stdin:";
        char buffer[256];
        ssize_t n;
        while ((n = read(0, buffer, sizeof buffer)) > 0)
            report.append(buffer, static_cast<std::size_t>(n));
        report += "\n";
    }
    FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 65;
    std::fputs(report.c_str(), out);
    return std::fclose(out) == 0 ? 0 : 66;
}
