// vardel32, the visual merge program: compares two text files side by side
// and merges them. The first copy per user and display listens on the
// command socket; a later copy hands its command line over and ends.
//
//   vardel32 [-d<flags>] [-m] [-n] [-t1|title 1|] [-t2|title 2|] [file1 [file2]]
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <climits>
#include <string>

#include "platform/ipc/command_socket.h"
#include "platform/ipc/socket_path.h"
#include "platform/profile/settings_dir.h"
#include "platform/sys/system_calls.h"
#include "merge/qt/vardel_frame.h"
#include "merge/qt/vardel_ui.h"

namespace {

using namespace orv;
using namespace orv::merge::qt;

constexpr int kConnectTimeoutMs = 2000;

int message(VardelUi& ui, const std::string& text) {
  return ui.messageBox(ui::okBox("Vardel", text, ui::MessageIcon::warning));
}

std::string currentDirectory() {
  char buf[PATH_MAX];
  return sys::calls().getcwd(buf, sizeof buf) ? buf : "";
}

int g_terminatePipe[2] = {-1, -1};

void onTerminate(int) {
  const char c = 1;
  [[maybe_unused]] const ssize_t n = write(g_terminatePipe[1], &c, 1);
}

// A terminate signal (the session ending, or the program that started us
// giving up on us) closes the frame as Exit does, so the windows go and
// the temporary copies they were told to delete go with them.
void closeOnTerminate(VardelFrame& frame) {
  if (pipe2(g_terminatePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_terminatePipe[0], QSocketNotifier::Read, &frame);
  QObject::connect(notifier, &QSocketNotifier::activated, &frame, [&frame] {
    char c;
    while (read(g_terminatePipe[0], &c, 1) > 0) {
    }
    if (frame.close()) QCoreApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = onTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vardel");
  VardelUi ui;

  const std::string dir = profile::settingsDirectory(true);
  if (dir.empty()) return -1;
  const std::string ini = dir + "/vardel.ini";
  struct stat st {};
  if (sys::calls().stat(ini.c_str(), &st) != 0 && sys::writeWholeFile(ini, "") != 0)
    message(ui, "Unable to create vardel.ini file.");

  // The program's own command line: the arguments joined by blanks (the
  // workbench passes its whole line as one argument).
  std::string commandLine;
  for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
  const std::string cwd = currentDirectory();

  std::optional<ipc::CommandServer> server;
  const std::string socketPath = ipc::prepareSocketPath("vardel");
  if (!socketPath.empty()) {
    ipc::Claim claim = ipc::claimSocket(socketPath, kConnectTimeoutMs);
    if (claim.client) {
      switch (handOffCommandLine(claim.client.get(), cwd, commandLine)) {
        case Handoff::Taken: return 0;
        case Handoff::TooLong:
          message(ui, "The command line is too long to hand over to the running Vardel.");
          return 1;
        case Handoff::NotTaken:
          message(ui, "Can't open mapping.");
          return 1;
      }
    }
    if (claim.server) server = std::move(claim.server);
  }

  VardelFrame frame(ui, ini);
  ui.setParent(&frame);
  QObject::connect(&frame, &VardelFrame::quitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
  if (server) frame.listen(std::move(*server));
  frame.show();
  QTimer::singleShot(0, &frame, [&frame, commandLine, cwd] {
    frame.runCommandLine(commandLine, cwd);
    closeOnTerminate(frame);
  });
  return QApplication::exec();
}
