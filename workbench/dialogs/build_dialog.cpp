// The Build Project dialog and the make run (see build_dialog.h).
#include "workbench/dialogs/build_dialog.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/spawn/command_line.h"
#include "vc/include/vc.h"
#include "workbench/app/custom_message_box.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/progress_window.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/external/file_choices.h"
#include "workbench/external/frame_services.h"
#include "workbench/external/program_starts.h"

extern char** environ;

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kCannotChangeToBuildDir = "Cannot change to build directory %s.";
constexpr const char* kCannotLoad = "Cannot load %s.\nFile or Path not found.";
constexpr const char* kDependenciesIn = "Dependencies in";
constexpr const char* kAllRecalculated = "Dependencies for all project members have been recalculated.";
constexpr const char* kAddCompleted = "Add Missing Files has completed.";
constexpr const char* kDependenciesAdded = "Dependencies have been added to the makefile.";
constexpr const char* kCouldNotAdd =
    "Dependency %s could not be added to the project. Do you wish to continue adding the remaining dependencies?";
constexpr const char* kAddQuestion = "Add dependency %s to project?";
constexpr const char* kRunningMake = "Running make...";
// What is kept of make's output: its last part.
constexpr std::size_t kOutputLimit = 256 * 1024;

ui::DialogDescription describeBuild() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kBuildDialogId;
  d.title = "Build Project";
  d.helpContext = kBuildHelpContext;
  d.controls = {
      {0, K::groupBox, "Makefile", 1},
      {kBdMakefileCaption, K::label, "File&name:", 1},
      {kBdMakefile, K::lineEdit, "", 1},
      {kBdBrowseMakefile, K::pushButton, "Bro&wse...", 1},
      {kBdView, K::pushButton, "&View", 1},
      {0, K::groupBox, "Make Program", 2},
      {kBdMakeCaption, K::label, "&Filename:", 2},
      {kBdMake, K::lineEdit, "", 2},
      {kBdBrowseMake, K::pushButton, "&Browse...", 2},
      {kBdParametersCaption, K::label, "Optional &Parameters:", 2},
      {kBdParameters, K::lineEdit, "", 2},
      {kBdDirectoryCaption, K::label, "&Startup Directory:", 2},
      {kBdDirectory, K::lineEdit, "", 2},
      {kBdRunMake, K::pushButton, "Run &Make", 2},
      {0, K::groupBox, "Dependencies", 3},
      {kBdAddToMakefile, K::pushButton, "A&dd to Makefile", 3},
      {kBdRecalculate, K::pushButton, "&Recalculate", 3},
      {kBdAddMissing, K::pushButton, "&Add Missing Files", 3},
      {kBdIgnoreNonMembers, K::checkBox, "&Ignore Non-Members When Calculating", 3},
      {kBdOk, K::defaultButton, "OK", 0},
      {kBdCancel, K::pushButton, "Cancel", 0},
      {kBdHelp, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kBdMakeCaption, 10053}, {kBdMake, 10053},      {kBdBrowseMake, 10054},
                 {kBdParametersCaption, 10055}, {kBdParameters, 10055}, {kBdDirectoryCaption, 10056},
                 {kBdDirectory, 10056},   {kBdMakefileCaption, 10057}, {kBdMakefile, 10057},
                 {kBdBrowseMakefile, 10058}, {kBdView, 10059},   {kBdAddToMakefile, 10060},
                 {kBdAddMissing, 10061},  {kBdRecalculate, 10062}, {kBdIgnoreNonMembers, 10063},
                 {kBdRunMake, 10064},     {kBdOk, 10065},        {kBdCancel, 10066},
                 {kBdHelp, 10067}};
  return d;
}

ui::DialogDescription describeOutput() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kMakeOutputDialogId;
  d.title = "Make Output";
  d.helpContext = kBuildHelpContext;
  d.controls = {
      {kMoCommand, K::label, "", 1},
      {kMoOutput, K::multiLineEdit, "", 2},
      {kMoStatus, K::label, "", 3},
      {1, K::defaultButton, "OK", 0},
  };
  return d;
}

class MakeOutputDialog : public ui::DialogLogic {
 public:
  MakeOutputDialog(const std::string& line, const MakeRun& run) : line_(line), run_(run) {}
  void setUp(ui::DialogSurface& surface) override {
    surface.setText(kMoCommand, external::fitStaticText(line_));
    surface.setText(kMoOutput, run_.output);
    std::string status;
    if (run_.cancelled)
      status = "make was stopped.";
    else if (run_.exitStatus == 0)
      status = "make ended successfully.";
    else
      status = "make ended with status " + std::to_string(run_.exitStatus) + ".";
    surface.setText(kMoStatus, status);
  }
  void command(ui::DialogSurface&, int) override {}
  bool canClose(ui::DialogSurface&, int) override { return true; }

 private:
  const std::string& line_;
  const MakeRun& run_;
};

DependencyQuestion*& currentQuestion() {
  static DependencyQuestion* question = nullptr;
  return question;
}

std::string option(project::OpenProject& project, const char* key, const std::string& fallback) {
  char value[513] = {};
  unsigned flags = 0;
  if (vcProjectOptionGet(project.project, key, value, sizeof value - 1, &flags) != 0 || !value[0]) return fallback;
  return value;
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A descriptor of a new, already unlinked file for the program's output.
int outputFile() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvmkXXXXXX";
  int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    pattern = "/tmp/orvmkXXXXXX";
    fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  }
  if (fd >= 0) ::unlink(pattern.c_str());
  return fd;
}

std::string readAll(int fd) {
  std::string out;
  if (::lseek(fd, 0, SEEK_SET) < 0) return out;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
    if (out.size() > 2 * kOutputLimit) out.erase(0, out.size() - kOutputLimit);
  }
  if (out.size() > kOutputLimit) out.erase(0, out.size() - kOutputLimit);
  return out;
}

// Starts argv in directory: 0 and pid, or the errno value.
int spawnIn(const std::vector<std::string>& words, const std::string& directory, int outFd, pid_t& pid) {
  std::vector<char*> argv;
  for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, outFd, 2);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  // Its own process group, so that Cancel ends make and what it started.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int rc = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return rc;
}

}  // namespace

const ui::DialogDescription& buildDialogDescription() {
  static const ui::DialogDescription description = describeBuild();
  return description;
}

const ui::DialogDescription& makeOutputDescription() {
  static const ui::DialogDescription description = describeOutput();
  return description;
}

bool blankLed(const std::string& text) { return text.empty() || text[0] == ' ' || text[0] == '\t'; }

std::string makeCommandLine(const project::OpenProject& project, const std::string& make,
                            const std::string& parameters, const std::string& makefile) {
  std::string line = make + " ";
  if (!blankLed(parameters)) line += project::expandCommandTemplate(project, parameters, makefile);
  return line;
}

MakeRun runMake(ui::Ui& ui, const std::string& line, const std::string& directory) {
  MakeRun run;
  const std::vector<std::string> words = platform::split_command_line(line);
  if (words.empty() || words.front().empty()) {
    run.error = ENOENT;
    return run;
  }
  const int fd = outputFile();
  if (fd < 0) {
    run.error = errno;
    return run;
  }
  pid_t pid = 0;
  run.error = spawnIn(words, directory, fd, pid);
  if (run.error == 0) {
    app::ProgressWindow progress(ui, kRunningMake, 0);
    progress.setLine(line);
    int status = 0;
    for (;;) {
      const pid_t done = ::waitpid(pid, &status, WNOHANG);
      if (done == pid || (done < 0 && errno != EINTR)) break;
      if (progress.cancelled()) {
        run.cancelled = true;
        ::kill(-pid, SIGTERM);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        break;
      }
      ui.pumpEvents();
      ::usleep(20000);
    }
    if (!run.cancelled && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
    run.output = readAll(fd);
  }
  ::close(fd);
  return run;
}

DependencyQuestion::DependencyQuestion(ui::Ui& ui) : ui_(ui), previous_(currentQuestion()) {
  currentQuestion() = this;
}

DependencyQuestion::~DependencyQuestion() { currentQuestion() = previous_; }

int DependencyQuestion::answer(const char* name) {
  if (!name) return -1;
  if (name[0] == '!') {
    const int a = app::rcsMessage(ui_, app::kStyleQuestion, app::formatText(kCouldNotAdd, name + 1));
    return a == ui::kAnswerYes ? 1 : -1;
  }
  if (lastAnswer_ != app::kAnswerYesToAll && lastAnswer_ != app::kAnswerNoToAll)
    lastAnswer_ = app::customMessageBox(ui_, 0, app::formatText(kAddQuestion, name));
  if (lastAnswer_ == ui::kAnswerYes || lastAnswer_ == app::kAnswerYesToAll) return 1;
  if (lastAnswer_ == ui::kAnswerNo || lastAnswer_ == app::kAnswerNoToAll) return 0;
  return -1;
}

int DependencyQuestion::callback(const char* name) {
  DependencyQuestion* q = currentQuestion();
  return q ? q->answer(name) : -1;
}

void BuildDialog::setUp(ui::DialogSurface& surface) {
  std::string directory = project_.workDirectory.empty() ? std::string("build") : project_.workDirectory;
  surface.setText(kBdMakefile, option(project_, "makefile", kDefaultMakefile));
  surface.setText(kBdMake, option(project_, "build", kDefaultMake));
  surface.setText(kBdParameters, option(project_, "build_parm", kDefaultParameters));
  surface.setText(kBdDirectory, option(project_, "build_dir", directory));
  surface.setChecked(kBdIgnoreNonMembers, false);
  const bool sandbox = (project_.kind & project::kProjectKindSandbox) != 0;
  canModify_ = sandbox ? app::hasPermission("ModifySandbox")
                       : app::hasPermission("ModifyProject") && !project_.revision.has_value();
  for (int id : {kBdMakefile, kBdMake, kBdParameters, kBdDirectory, kBdMakeCaption, kBdParametersCaption,
                 kBdDirectoryCaption, kBdMakefileCaption, kBdBrowseMake, kBdBrowseMakefile})
    surface.setEnabled(id, canModify_);
  surface.setEnabled(kBdAddMissing,
                     canModify_ && app::hasPermission("AddMember") && project_.mayCheckpointVariant());
  updateButtons(surface);
}

void BuildDialog::updateButtons(ui::DialogSurface& surface) {
  const bool makefile = !blankLed(surface.text(kBdMakefile));
  surface.setEnabled(kBdView, makefile);
  surface.setEnabled(kBdAddToMakefile, makefile);
  surface.setEnabled(kBdRunMake, !blankLed(surface.text(kBdMake)));
}

void BuildDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kBdMakefile:
    case kBdMake:
      updateButtons(surface);
      break;
    case kBdView:
      view(surface);
      break;
    case kBdBrowseMakefile:
      browse(surface, true);
      break;
    case kBdBrowseMake:
      browse(surface, false);
      break;
    case kBdRunMake:
      runMakeCommand(surface);
      break;
    case kBdRecalculate:
      recalculate();
      break;
    case kBdAddMissing:
      addMissingFiles();
      break;
    case kBdAddToMakefile:
      addToMakefile(surface);
      break;
    default:
      break;
  }
}

bool BuildDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk || !canModify_ || !project_.project) return true;
  bool written = false;
  written |= project_.setOption("makefile", surface.text(kBdMakefile));
  written |= project_.setOption("build", surface.text(kBdMake));
  written |= project_.setOption("build_parm", surface.text(kBdParameters));
  written |= project_.setOption("build_dir", surface.text(kBdDirectory));
  if (written && project_.save() != 0) project_.reopen();
  return true;
}

void BuildDialog::view(ui::DialogSurface& surface) {
  const std::string makefile = surface.text(kBdMakefile);
  if (::access(makefile.c_str(), F_OK) != 0) {
    const int fd = ::open(makefile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      app::rcsMessage(project_.ui(), app::kStyleError, app::formatString(app::kStrCannotAccessFile, "Makefile"));
      return;
    }
    ::close(fd);
  }
  if (viewFile_) viewFile_(makefile);
}

void BuildDialog::browse(ui::DialogSurface& surface, bool makefile) {
  const int edit = makefile ? kBdMakefile : kBdMake;
  ui::FileRequest request;
  request.caption = makefile ? "Makefile" : "Make Executable";
  request.fileName = surface.text(edit);
  request.filters = external::fileDialogFilters(makefile ? "Make Files|*.mk;*.mak|All Files (*.*)|*.*|"
                                                         : "Programs|*|All Files (*.*)|*.*|");
  const std::vector<std::string> chosen = external::chooseFiles(project_.ui(), request);
  if (chosen.empty()) return;
  if (::access(chosen.front().c_str(), F_OK) != 0)
    app::rcsMessage(project_.ui(), app::kStyleError, app::formatString(app::kStrCannotAccessFile, request.caption.c_str()));
  surface.setText(edit, chosen.front());
  updateButtons(surface);
}

void BuildDialog::runMakeCommand(ui::DialogSurface& surface) {
  ui::Ui& ui = project_.ui();
  const std::string line =
      makeCommandLine(project_, surface.text(kBdMake), surface.text(kBdParameters), surface.text(kBdMakefile));
  const std::string given = surface.text(kBdDirectory);
  const std::string directory = blankLed(given) ? project_.workDirectory : given;
  if (!directory.empty() && !isDirectory(directory)) {
    app::rcsMessage(ui, app::kStyleError, app::formatText(kCannotChangeToBuildDir, directory.c_str()));
    return;
  }
  const MakeRun run = runMake(ui, line, directory);
  if (run.error != 0) {
    app::rcsMessage(ui, app::kStyleError, app::formatText(kCannotLoad, line.c_str()));
    return;
  }
  MakeOutputDialog logic(line, run);
  ui.runDialog(makeOutputDescription(), logic);
}

void BuildDialog::recalculate() {
  ui::Ui& ui = project_.ui();
  if (project_.makeCurrent() != 1) return;
  const int p = project_.project;
  char name[VC_MAX_NAME + 1] = {};
  if (vcGetMember(p, VC_MEMBER_ITEM_FIRST, name, VC_MAX_NAME) != 0) return;
  bool all = true;
  {
    app::ProgressWindow progress(ui, kDependenciesIn, 0);
    archive::BusyCursor busy(ui);
    int rc = 0;
    for (; rc == 0; rc = vcGetMember(p, VC_MEMBER_ITEM_NEXT, name, VC_MAX_NAME)) {
      if (!project_.scanDependencies()) {
        all = false;
        break;
      }
    }
  }
  if (all) app::showText(ui, ui::MessageIcon::information, kAllRecalculated);
}

void BuildDialog::addMissingFiles() {
  ui::Ui& ui = project_.ui();
  if (project_.makeCurrent() != 1) return;
  const int p = project_.project;
  char name[VC_MAX_NAME + 1] = {};
  if (vcGetMember(p, VC_MEMBER_ITEM_FIRST, name, VC_MAX_NAME) != 0) return;
  // The names first: adding files adds members to the walk.
  std::vector<std::string> names;
  for (int rc = 0; rc == 0; rc = vcGetMember(p, VC_MEMBER_ITEM_NEXT, name, VC_MAX_NAME)) names.push_back(name);
  bool added = false;
  {
    app::ProgressWindow progress(ui, kDependenciesIn, 0);
    DependencyQuestion question(ui);
    for (const std::string& member : names) {
      if (project::notifyStatus(member.c_str()) == -1) break;
      if (vcInProject(p, member.c_str()) != 0) continue;
      question.newMember();
      const int rc = vcAddUsedFiles(p, nullptr, DependencyQuestion::callback);
      if (rc == VC_E_FILES_ADDED) added = true;
      if (rc == VC_E_DONE) break;
    }
  }
  if (!added) return;
  changed_ = true;
  if (project_.save() != 0) project_.reopen();
  app::showText(ui, ui::MessageIcon::information, kAddCompleted);
}

void BuildDialog::addToMakefile(ui::DialogSurface& surface) {
  const std::string makefile = surface.text(kBdMakefile);
  const int flags = surface.isChecked(kBdIgnoreNonMembers) ? 0 : VC_DEPENDS_ALL_FILES;
  project_.status = vcWriteDepends(project_.project, makefile.c_str(), nullptr, nullptr, flags);
  if (project_.status != 0 && project_.status != VC_E_DONE) {
    project_.showError(app::kStyleError);
    return;
  }
  project_.status = 0;
  app::showText(project_.ui(), ui::MessageIcon::information, kDependenciesAdded);
}

void runBuildDialog(commands::ProjectWindow& window, const std::function<void(const std::string&)>& viewFile) {
  project::OpenProject& project = window.project();
  if (project.makeCurrent() != 1) return;
  vcInitUses(project.project);
  const bool sandbox = (project.kind & project::kProjectKindSandbox) != 0;
  const bool wantLock = !sandbox && app::hasPermission("ModifyProject");
  if (wantLock && !project.lock(false)) return;
  BuildDialog logic(project, viewFile);
  project.ui().runDialog(buildDialogDescription(), logic);
  if (wantLock) project.dropWriteLock();
  // Members added were saved at once: the rows show them whatever the end.
  if (logic.changed()) window.reloadMembers();
}

void registerBuild(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  external::ProgramStarts& starts = context.starts;
  registry.flows.build = [&starts](commands::ProjectWindow& window) {
    runBuildDialog(window, [&starts](const std::string& path) { external::viewOrEditFile(starts, path); });
  };
}

}  // namespace orv::workbench::dialogs
