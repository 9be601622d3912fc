// A headless stand-in for the workbench's start-up around the command
// socket, for tests across processes: the first copy listens and logs what
// it is asked to do, a second copy hands its command line over and ends,
// and "--dde TEXT" sends one execute text and prints the answer.
//
// Environment: ORVTY_HOST_LOG names the log file (one line per event:
// "ready", "open <name>", "raise", "execute <word> <args...>");
// ORVTY_HOST_SECONDS bounds the first copy's life (default 60).
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

#include "platform/ipc/command_socket.h"
#include "platform/ipc/socket_path.h"
#include "platform/sys/system_calls.h"
#include "workbench/app/command_line_handoff.h"
#include "workbench/app/string_table.h"

namespace {

using namespace orv;

constexpr int kTimeoutMs = 5000;

void logLine(const std::string& line) {
  const char* path = sys::calls().getenv("ORVTY_HOST_LOG");
  if (!path) return;
  int fd = sys::calls().open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return;
  std::string text = line + "\n";
  sys::writeAll(fd, text.data(), text.size());
  sys::calls().close(fd);
}

// Only posting matters here; every prompt is answered as cancelled.
class HeadlessUi : public ui::Ui {
 public:
  int messageBox(const ui::MessageRequest&) override { return ui::kAnswerCancel; }
  std::optional<std::string> inputLine(const std::string&, const std::string&,
                                       const std::string&) override {
    return std::nullopt;
  }
  std::vector<std::string> chooseFiles(const ui::FileRequest&) override { return {}; }
  std::optional<std::string> chooseDirectory(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void showProgress(const ui::ProgressView&) override {}
  void hideProgress() override {}
  void pumpEvents() override {}
  void beep() override {}
  void pushBusyCursor() override {}
  void popCursor() override {}
  void showHelp(int) override {}
  int runDialog(const ui::DialogDescription&, ui::DialogLogic&) override { return ui::kAnswerCancel; }
  void post(std::function<void()> work) override { posted.push_back(std::move(work)); }
  void runPosted() {
    while (!posted.empty()) {
      auto work = std::move(posted.front());
      posted.pop_front();
      work();
    }
  }
  std::deque<std::function<void()>> posted;
};

struct LoggingSink : workbench::app::ExecuteSink {
  void runCommand(const workbench::app::ExecuteCommand& c) override {
    std::string word(workbench::app::loadString(workbench::app::kStrFirstCommandWord + static_cast<int>(c.verb)));
    if (word.size() > 2 && word.substr(word.size() - 2) == " ;") word.resize(word.size() - 2);
    std::string line = "execute " + word;
    for (const auto& a : c.args) line += " " + a;
    logLine(line);
  }
};

std::string currentDirectory() {
  char buf[4096];
  return sys::calls().getcwd(buf, sizeof buf) ? buf : "";
}

int sendExecute(const std::string& path, const std::string& text) {
  ipc::Fd fd = ipc::connectTo(path, kTimeoutMs);
  if (!fd) {
    std::fprintf(stderr, "No running copy to send to.\n");
    return 2;
  }
  auto connected = ipc::request(fd.get(), ipc::kFrameConnect,
                                std::string("Revision Server\0System\0", 23), kTimeoutMs);
  auto answer = connected == 1u ? ipc::request(fd.get(), ipc::kFrameExecute, text, kTimeoutMs)
                                : std::nullopt;
  std::printf("0x%x\n", answer ? *answer : 0u);
  return answer == workbench::app::kExecuteAccepted ? 0 : 1;
}

int serve(ipc::CommandServer& server) {
  HeadlessUi ui;
  LoggingSink sink;
  workbench::app::ExecuteServer executes(sink, nullptr);
  workbench::app::ShellRequestHandler handler(ui, executes, [](const workbench::app::HandedCommandLine& h) {
    if (h.names.empty()) logLine("raise");
    for (const auto& n : h.names) logLine("open " + n);
  });
  const char* s = sys::calls().getenv("ORVTY_HOST_SECONDS");
  long seconds = s ? std::strtol(s, nullptr, 10) : 60;
  logLine("ready");
  for (long waited = 0; waited < seconds * 10;) {
    pollfd p{server.fd(), POLLIN, 0};
    if (sys::calls().poll(&p, 1, 100) <= 0) {
      ++waited;
      continue;
    }
    server.serveOne(handler, kTimeoutMs);
    ui.runPosted();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = ipc::prepareSocketPath();
  if (path.empty()) return 3;
  if (argc == 3 && std::string(argv[1]) == "--dde") return sendExecute(path, argv[2]);
  ipc::Claim claim = ipc::claimSocket(path, kTimeoutMs);
  if (claim.server) return serve(*claim.server);
  const std::string line = workbench::app::joinNames(std::vector<std::string>(argv + 1, argv + argc));
  const char* token = sys::calls().getenv("XDG_ACTIVATION_TOKEN");
  if (!claim.client || line.size() > ipc::kMaxPayload / 2 ||
      !workbench::app::sendHandoff(claim.client.get(), currentDirectory(), line, token ? token : "",
                          kTimeoutMs)) {
    std::fprintf(stderr, "Unable to communicate with the instance of Tessalyworkbench that is "
                         "already running.\n");
  }
  return 0;
}
