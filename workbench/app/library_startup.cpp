// The start-up and clean-up of the revision library around the workbench's
// run, and the plain functions the library calls back through.
#include "workbench/app/library_startup.h"

#include <fcntl.h>

#include <string_view>

#include "platform/profile/profile.h"
#include "platform/sys/system_calls.h"
#include "workbench/app/database_locator.h"
#include "workbench/app/messages.h"
#include "workbench/app/startup_checks.h"

namespace orv::workbench::app {

namespace {

// The session's callbacks, reached from the plain functions the library
// holds. One session runs per process.
LibraryCallbacks* gCallbacks = nullptr;
ExecuteServer* gExecutes = nullptr;
// ORVRCS.RC stopped part way when it was read at start-up.
bool gConfigurationIncomplete = false;

// A callback runs inside a library call: commands from the command socket
// must wait until it is over.
struct InsideLibraryCall {
  InsideLibraryCall() {
    if (gExecutes) gExecutes->enterLibraryCall();
  }
  ~InsideLibraryCall() {
    if (gExecutes) gExecutes->leaveLibraryCall();
  }
};

int echoTraceCallback(const char* text, const char* file, int line, int kind) {
  InsideLibraryCall inside;
  return gCallbacks ? gCallbacks->echoTrace(text, file, line, kind) : 0;
}

int queryCallback(char* buffer, int length) {
  InsideLibraryCall inside;
  return gCallbacks && gCallbacks->query(buffer, length) ? 1 : 0;
}

int projectVariableCallback(int, int, const char* name, const char* defaultValue, char* value,
                            int length) {
  InsideLibraryCall inside;
  return gCallbacks && gCallbacks->projectVariable(name, defaultValue, value, length) ? 1 : 0;
}

constexpr const char* kNoDatabase =
    "Orv Tessalyworkbench cannot be used without a valid Kelmark database. Contact your system "
    "administrator, or see the Orv Tessalyworkbench documentation for more information.";

}  // namespace

bool isMissingDatabase(int result) {
  return result == VC_E_NO_DEFAULT_DATABASE || result == VC_E_DATABASE_OPEN_FAILED;
}

void ensureSettingsFile(ui::Ui& ui, const std::string& path) {
  struct stat st {};
  if (sys::calls().stat(path.c_str(), &st) == 0) return;
  int fd = sys::calls().open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    showText(ui, ui::MessageIcon::warning, "Unable to create ORVTY.INI file.");
    return;
  }
  sys::calls().close(fd);
}

LibrarySession::LibrarySession(const LibraryEntryPoints& library, ui::Ui& ui,
                               LibraryCallbacks& callbacks, ExecuteServer* executes)
    : library_(library), ui_(ui) {
  gCallbacks = &callbacks;
  gExecutes = executes;
}

LibrarySession::~LibrarySession() {
  stop();
  gCallbacks = nullptr;
  gExecutes = nullptr;
}

void LibrarySession::stop() {
  if (!attached_) return;
  attached_ = false;
  running_ = false;
  library_.cleanup();
}

int LibrarySession::failWithText(const std::string& text) {
  showText(ui_, ui::MessageIcon::error, text);
  stop();
  return kExitLibraryFailure;
}

bool LibrarySession::locateDatabase() {
  if (!library_.createRedirector) return false;
  const LocatorLibrary locator{library_.getSysInfo, library_.createRedirector};
  return runDatabaseLocator(ui_, locator) == ui::kAnswerOk;
}

void LibrarySession::noteUnregisteredUser() {
  char registered[4] = {};
  if (library_.getSysInfo(VC_SYSINFO_USER_REGISTERED, registered, static_cast<int>(sizeof registered)) != 0 ||
      std::string_view(registered) != "0")
    return;
  char user[VC_MAX_TOKEN + 1] = {};
  library_.getSysInfo(VC_SYSINFO_USER, user, static_cast<int>(sizeof user));
  char database[1024] = {};
  library_.getSysInfo(VC_SYSINFO_SECURITY_DATABASE, database, static_cast<int>(sizeof database));
  showText(ui_, ui::MessageIcon::warning,
           formatText("The user name %s is not registered in the Orv Kelmark database %s.\n\n"
                      "Until an administrator adds it with\n    keladm add-user %s\n"
                      "you can do only what the database allows unregistered users.",
                      user, database, user));
}

int LibrarySession::fail(int result) {
  char text[256] = {};
  library_.errorStr(result, text, static_cast<int>(sizeof text));
  text[sizeof text - 1] = '\0';
  return failWithText(text[0] ? text : formatText("Error %d.", result));
}

int LibrarySession::start(const std::string& programPath, const std::string& settingsDir,
                          const std::string& settingsFile) {
  for (;;) {
    // The instance may exist even when the start fails: every road out of
    // here after this call ends it.
    attached_ = true;
    const int rc = library_.initRegister(programPath.c_str(), echoTraceCallback, queryCallback);
    if (rc == 0) break;
    if (!isMissingDatabase(rc)) return fail(rc);
    // No database: the user may point the library at one. The locator asks
    // the running instance where the library looks, so it runs before the
    // instance ends.
    ui_.beep();
    if (!locateDatabase()) return failWithText(kNoDatabase);
    stop();
  }
  if (int rc = library_.projectVariableRegister(projectVariableCallback)) return fail(rc);

  char level[1] = {0};
  int rc = library_.getSysInfo(51, level, 1);
  int found = rc == 0 ? static_cast<unsigned char>(level[0]) : 0;
  if (auto problem = libraryLevelProblem(found)) return failWithText(*problem);
  noteUnregisteredUser();

  std::size_t slash = programPath.rfind('/');
  if (slash != std::string::npos && !settingsFile.empty()) {
    std::string dir = slash == 0 ? "/" : programPath.substr(0, slash);
    profile::writeProfileString(settingsFile, "General", "InstallDir", dir.c_str());
  }
  std::string config = settingsDir;
  if (!config.empty() && config.back() != '/') config.push_back('/');
  config += "ORVRCS.RC";
  struct stat st {};
  const bool configExists = sys::calls().stat(config.c_str(), &st) == 0;
  {
    InsideLibraryCall inside;
    rc = library_.readConfig(config.c_str());
  }
  // A missing file is an empty configuration; one that stopped part way
  // (a line the reader refuses, a script error) is told, so that nobody
  // works on with part of it unawares.
  gConfigurationIncomplete = configExists && rc != 0 && rc != VC_E_DONE;
  if (gConfigurationIncomplete) {
    char text[256] = {};
    library_.errorStr(rc, text, static_cast<int>(sizeof text));
    text[sizeof text - 1] = '\0';
    showText(ui_, ui::MessageIcon::warning,
             formatText("The configuration file %s could not be read completely:\n\n%s\n\nThe options after "
                        "the line it stopped at are not in effect.",
                        config.c_str(), text[0] ? text : formatText("Error %d.", rc).c_str()));
  }
  running_ = true;
  return 0;
}

bool libraryConfigurationIncomplete() { return gConfigurationIncomplete; }

void LibrarySession::runStartupBlock() {
  if (!running_) return;
  InsideLibraryCall inside;
  library_.runBlock("startup", 0);
}

}  // namespace orv::workbench::app
