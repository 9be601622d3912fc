// Handing a composed message to a sendmail-compatible program.
#pragma once

#include <string>
#include <string_view>

namespace orv::platform {

struct SendmailOutcome {
    enum class Status {
        Delivered,   // the program read the whole message and ended with 0
        NotStarted,  // the program could not be started (spawn_error says why)
        Failed,      // it ended with another status, by a signal, or stopped reading early
    };
    Status status = Status::Failed;
    int spawn_error = 0;
    int exit_status = -1;  // when it ended normally
};

// The program to run: $ORV_SENDMAIL when set and not empty, else
// /usr/sbin/sendmail.
std::string sendmail_program();

// Runs `program -oi -t` without a shell, writes the message to its standard
// input and waits for it to end. Only the message carries recipients (-t
// reads them from the headers); nothing from the message reaches the command
// line. The message goes through a socket pair written with MSG_NOSIGNAL, so
// a program that stops reading early cannot raise SIGPIPE in the caller.
SendmailOutcome pipe_to_sendmail(const std::string& program, std::string_view message);

}  // namespace orv::platform
