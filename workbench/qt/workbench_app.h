// The workbench program's run: the first copy starts the revision library
// with its callbacks, shows the splash window (only without a command
// line) and the main frame, serves the command socket from the main loop,
// opens its own command line's names once the frame is up, and at the end
// takes everything down in order (frame and its settings, the library).
// A second copy hands its command line to the first and ends.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "platform/ipc/command_socket.h"
#include "platform/ipc/qt/command_service.h"
#include "platform/ui/qt/help_key_filter.h"
#include "platform/ui/qt/qt_ui.h"
#include "workbench/app/command_line_handoff.h"
#include "workbench/app/library_startup.h"
#include "workbench/qt/main_frame.h"


namespace orv::workbench {

class SplashWindow;

struct WorkbenchOptions {
  std::string programPath;  // the installation's program: its database, InstallDir
  std::string settingsDir;  // where ORVTY.INI and ORVRCS.RC live
  std::vector<std::string> names;  // to open: each word of the command line is one name
  std::string cwd;          // what relative names are relative to
  const app::LibraryEntryPoints* library = nullptr;
  std::function<void(int context)> help;  // the help service (Ui::showHelp)
};

class Workbench : public QObject, private app::ExecuteSink {
  Q_OBJECT

 public:
  explicit Workbench(WorkbenchOptions options);
  ~Workbench() override;

  // Starts the library and shows the frame; server (when given) is served
  // from the main loop. 0, or the exit code of a failed start.
  int start(ipc::CommandServer* server);
  // Runs the main loop until the frame closes, then shuts down; the exit code.
  int run();
  // Ends the run: frame (storing its settings), then the library.
  void shutDown();

  MainFrame* frame() const { return frame_.data(); }
  ui::qt::QtUi& ui() { return ui_; }
  SplashWindow* splash() const;
  const std::string& settingsFile() const { return settingsFile_; }

 private:
  void runCommand(const app::ExecuteCommand& command) override;
  bool canRun(const app::ExecuteCommand& command) const override;
  void open(const app::HandedCommandLine& handed);

  WorkbenchOptions options_;
  std::string settingsFile_;
  ui::qt::QtUi ui_;
  // F1 in every window of the program, from the database locator on.
  std::unique_ptr<ui::qt::HelpKeyFilter> helpKeys_;
  app::ExecuteServer executes_;
  app::LibraryCallbacks callbacks_;
  std::unique_ptr<app::LibrarySession> library_;
  std::unique_ptr<app::ShellRequestHandler> handler_;
  ipc::CommandServer* server_ = nullptr;
  ipc::qt::CommandService* service_ = nullptr;
  QPointer<MainFrame> frame_;
  QPointer<QWidget> splash_;
};

// The program's entry: the command line, the socket, the first or second
// copy. Exit codes: 0 for a second copy, -14 when the library cannot be
// used, else the main loop's.
int workbenchMain(int argc, char** argv);

}  // namespace orv::workbench
