// Handing a command line from a second copy of the workbench to the first.
//
// The second copy sends its working directory and the names of its command
// line over the command socket and ends. Each word of the command line is
// one name, blanks and commas included, and the hand-off carries each name
// ended by a NUL. The first copy never opens the names inside the socket
// handler: it posts the work to its main loop, where every relative name is
// made absolute against the sender's directory. Each hand-off carries its
// own names, so no hand-off can open an older command line again.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ipc/command_socket.h"
#include "platform/ui/ui.h"
#include "workbench/app/execute_command.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

// names as a hand-off carries them: each ended by a NUL.
std::string joinNames(const std::vector<std::string>& names);
// The names of such a text; empty names are dropped.
std::vector<std::string> splitNames(std::string_view text);
// name itself when absolute, else dir and name joined by one '/'.
std::string resolveAgainst(std::string_view dir, std::string_view name);

// The payload of a hand-off frame.
std::string handoffPayload(std::string_view cwd, std::string_view commandLine,
                           std::string_view activationToken);

// A command line to open, its names already made absolute. An empty list
// only raises the window (with the sender's activation token, when given).
struct HandedCommandLine {
  std::vector<std::string> names;
  bool fromSecondCopy = false;  // false: the first copy's own command line
  std::string activationToken;
};
using OpenNames = std::function<void(const HandedCommandLine&)>;

// The first copy's side of the socket: hand-offs are posted to the main
// loop, connects check the service, executes go to the command server.
class ShellRequestHandler : public ipc::RequestHandler {
 public:
  ShellRequestHandler(ui::Ui& ui, ExecuteServer& server, OpenNames open)
      : ui_(ui), server_(server), open_(std::move(open)) {}

  std::uint32_t onHandoff(const std::string& cwd, const std::string& commandLine,
                          const std::string& activationToken) override;
  std::uint32_t onConnect(const std::string& service, const std::string& topic) override;
  std::uint32_t onExecute(const std::string& text) override;

  // The names of the first copy's own command line, by the same road.
  void postOwnCommandLine(const std::string& cwd, const std::vector<std::string>& names);

 private:
  ui::Ui& ui_;
  ExecuteServer& server_;
  OpenNames open_;
};

// The second copy's side: sends the hand-off over the connected socket and
// waits for its acknowledgement. False when the running copy did not take it
// (the caller shows that it could not communicate).
bool sendHandoff(int fd, std::string_view cwd, std::string_view commandLine,
                 std::string_view activationToken, int timeoutMs);

}  // namespace orv::workbench::app
