// Runs the sendmail-compatible program and feeds it the message.
#include "platform/cmc/sendmail_pipe.h"
#include "platform/sys/system_calls.h"

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/cmc/cmc.h"
#include "platform/spawn/process_spawn.h"

namespace orv::platform {
namespace {

bool write_all(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::string sendmail_program()
{
    const char* configured = orv::sys::calls().getenv(CMC_SENDMAIL_ENVIRONMENT);
    if (configured != nullptr && *configured != '\0')
        return configured;
    return CMC_SENDMAIL_DEFAULT;
}

SendmailOutcome pipe_to_sendmail(const std::string& program, std::string_view message)
{
    SendmailOutcome outcome;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        outcome.status = SendmailOutcome::Status::NotStarted;
        outcome.spawn_error = errno;
        return outcome;
    }
    // The child reads fds[1] as its standard input; we write into fds[0].
    shutdown(fds[1], SHUT_WR);
    pid_t pid = -1;
    int error = spawn_program({program, "-oi", "-t"}, SpawnOptions{fds[1]}, pid);
    close(fds[1]);
    if (error != 0) {
        close(fds[0]);
        outcome.status = SendmailOutcome::Status::NotStarted;
        outcome.spawn_error = error;
        return outcome;
    }
    bool written = write_all(fds[0], message);
    shutdown(fds[0], SHUT_WR);
    close(fds[0]);

    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited == pid && WIFEXITED(status)) {
        outcome.exit_status = WEXITSTATUS(status);
        if (outcome.exit_status == 0 && written) {
            outcome.status = SendmailOutcome::Status::Delivered;
            return outcome;
        }
    }
    outcome.status = SendmailOutcome::Status::Failed;
    return outcome;
}

}  // namespace orv::platform
