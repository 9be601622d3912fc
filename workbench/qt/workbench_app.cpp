// Start-up, the command socket in the main loop, and shut-down.
#include "workbench/qt/workbench_app.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QTimer>
#include <cstdio>

#include "platform/ipc/socket_path.h"
#include "platform/profile/settings_dir.h"
#include "platform/sys/system_calls.h"
#include "workbench/app/messages.h"
#include "workbench/app/revision_library.h"
#include "workbench/app/startup_checks.h"
#include "workbench/app/string_table.h"
#include "workbench/qt/help_window.h"
#include "workbench/qt/splash_window.h"

namespace orv::workbench {

namespace {

constexpr int kSocketTimeoutMs = 5000;
// How long a client may stay silent between its requests before it is
// dropped; it never holds the main loop meanwhile.
constexpr int kServeTimeoutMs = 2000;

// Names are case-folded by the configuration's rule; on this system file
// names keep their case.
std::string keepCase(std::string name) { return name; }

}  // namespace

Workbench::Workbench(WorkbenchOptions options)
    : options_(std::move(options)),
      settingsFile_(app::settingsFilePath(options_.settingsDir)),
      ui_(options_.help),
      executes_(*this, keepCase),
      callbacks_(ui_, nullptr) {}

Workbench::~Workbench() { shutDown(); }

SplashWindow* Workbench::splash() const { return qobject_cast<SplashWindow*>(splash_.data()); }

int Workbench::start(ipc::CommandServer* server) {
  if (!helpKeys_) helpKeys_ = std::make_unique<ui::qt::HelpKeyFilter>(ui_);
  app::ensureSettingsFile(ui_, settingsFile_);
  library_ = std::make_unique<app::LibrarySession>(
      options_.library ? *options_.library : app::revisionLibrary(), ui_, callbacks_, &executes_);
  if (int rc = library_->start(options_.programPath, options_.settingsDir, settingsFile_)) {
    library_.reset();
    return rc;
  }
  library_->runStartupBlock();

  frame_ = new MainFrame(ui_, settingsFile_);
  frame_->setAttribute(Qt::WA_DeleteOnClose, false);
  frame_->setCommandServer(&executes_);
  ui_.setOwner(frame_);
  connect(frame_, &MainFrame::closed, qApp, &QCoreApplication::quit);
  frame_->applyStoredPlacement();
  if (app::showSplash(app::joinNames(options_.names))) {
    auto* splash = new SplashWindow;
    splash_ = splash;
    splash->show();
  }
  frame_->show();
  if (splash_) splash_->raise();

  handler_ = std::make_unique<app::ShellRequestHandler>(
      ui_, executes_, [this](const app::HandedCommandLine& h) { open(h); });
  server_ = server;
  // Requests are served as they arrive; the client's commands are posted to
  // the main loop, so nothing runs inside the socket's handler.
  if (server_) service_ = new ipc::qt::CommandService(*server_, *handler_, kServeTimeoutMs, this);
  handler_->postOwnCommandLine(options_.cwd, options_.names);
  return 0;
}

void Workbench::runCommand(const app::ExecuteCommand& command) {
  // Accepted now, run from the main loop: a command that opens a dialog
  // must not keep the client waiting or run inside the socket handler.
  ui_.post([frame = frame_, command] {
    if (frame) frame->runCommand(command);
  });
}

bool Workbench::canRun(const app::ExecuteCommand& command) const {
  return frame_ && frame_->canRun(command);
}

void Workbench::open(const app::HandedCommandLine& handed) {
  if (!frame_) return;
  if (handed.fromSecondCopy) frame_->bringForward();
  frame_->openNames(handed.names);
}

int Workbench::run() {
  if (!frame_) return 0;
  const int status = QApplication::exec();
  shutDown();
  return status;
}

void Workbench::shutDown() {
  delete service_;
  service_ = nullptr;
  server_ = nullptr;
  if (splash_) delete splash_.data();
  if (frame_) {
    frame_->close();
    delete frame_.data();
  }
  ui_.setOwner(nullptr);
  library_.reset();
}

namespace {

std::string currentDirectory() {
  char buf[4096];
  return sys::calls().getcwd(buf, sizeof buf) ? buf : "";
}

int sendExecute(const std::string& path, const std::string& text) {
  ipc::Fd fd = ipc::connectTo(path, kSocketTimeoutMs);
  if (!fd) {
    std::fprintf(stderr, "orvty32: no running workbench to send to.\n");
    return 2;
  }
  const std::string service(app::loadString(app::kStrServiceName));
  const std::string topic(app::loadString(app::kStrTopicName));
  auto connected = ipc::request(fd.get(), ipc::kFrameConnect,
                                service + '\0' + topic + '\0', kSocketTimeoutMs);
  auto answer = connected == 1u
                    ? ipc::request(fd.get(), ipc::kFrameExecute, text, kSocketTimeoutMs)
                    : std::nullopt;
  std::printf("0x%x\n", answer ? *answer : 0u);
  return answer == app::kExecuteAccepted ? 0 : 1;
}

}  // namespace

int workbenchMain(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--dde") {
    const std::string path = ipc::prepareSocketPath();
    if (path.empty()) {
      std::perror("orvty32: command socket");
      return 2;
    }
    return sendExecute(path, argv[2]);
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("orvty32"));
  QApplication::setWindowIcon(programIcon());
  // "--screenshot FILE names...": start as usual, then save a picture of
  // the main window as FILE and end (for machines without a display).
  QString screenshot;
  int first = 1;
  if (argc >= 3 && std::string(argv[1]) == "--screenshot") {
    screenshot = QString::fromLocal8Bit(argv[2]);
    first = 3;
  }
  const std::vector<std::string> names(argv + first, argv + argc);
  const std::string line = app::joinNames(names);

  ui::qt::QtUi ui;
  const std::string appTitle(app::loadString(app::kStrAppTitle));
  const std::string path = ipc::prepareSocketPath();
  ipc::Claim claim;
  if (!path.empty()) claim = ipc::claimSocket(path, kSocketTimeoutMs);
  if (!claim.server && claim.client) {
    // A second copy: the first opens the names (or only comes forward).
    const char* token = sys::calls().getenv("XDG_ACTIVATION_TOKEN");
    if (line.size() > ipc::kMaxPayload / 2 ||
        !app::sendHandoff(claim.client.get(), currentDirectory(), line, token ? token : "",
                            kSocketTimeoutMs)) {
      app::showText(ui, ui::MessageIcon::error,
                      "Unable to communicate with the instance of Tessalyworkbench that is "
                      "already running.");
    }
    return 0;
  }
  // Without the socket the workbench still runs, only without the command
  // server.
  if (!claim.server) {
    app::showText(ui, ui::MessageIcon::warning, "DDE initialization failed.");
  }

  WorkbenchOptions options;
  options.programPath = QCoreApplication::applicationFilePath().toStdString();
  options.settingsDir = profile::settingsDirectory(true);
  options.names = names;
  options.cwd = currentDirectory();
  HelpService help(HelpService::installedDirectory());
  options.help = [&help](int context) { help.show(context); };
  Workbench workbench(options);
  if (int rc = workbench.start(claim.server ? &*claim.server : nullptr)) return rc;
  if (!screenshot.isEmpty()) {
    // After the command line's names were opened (posted before this).
    QTimer::singleShot(1000, &workbench, [&workbench, screenshot] {
      MainFrame* frame = workbench.frame();
      frame->mdiArea()->tileSubWindows();
      if (!frame->grab().save(screenshot, "PNG"))
        std::fprintf(stderr, "orvty32: cannot write %s\n", screenshot.toLocal8Bit().constData());
      frame->close();
    });
  }
  return workbench.run();
}

}  // namespace orv::workbench
