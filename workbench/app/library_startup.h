// Starting and ending the revision library for the workbench's run: the
// library is started with the workbench's echo/trace and query callbacks,
// the project-variable callback is registered, the library's level is
// checked, the install directory is noted in ORVTY.INI, the configuration
// file ORVRCS.RC is read and its "startup" block run. When the library
// cannot find or open the security database, the database locator runs:
// OK ends the library and starts it again, Cancel ends the start. A user
// the database does not know is told so, with the name that was looked up
// and how an administrator adds it, and the start goes on. Every
// other failure is shown, the library cleaned up, and the start ends with
// kExitLibraryFailure. The library's calls come in a table so that the
// sequence is tested against a fake.
#pragma once

#include <string>

#include "platform/ui/ui.h"
#include "vc/include/vc.h"
#include "workbench/app/execute_command.h"
#include "workbench/app/library_callbacks.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

struct LibraryEntryPoints {
  VcError (*initRegister)(const char* name, VcEchoTraceFn echo, VcQueryFn query);
  VcError (*projectVariableRegister)(VcProjectVariableFn callback);
  VcError (*getSysInfo)(int item, char* buffer, int length);
  VcError (*errorStr)(VcError code, char* buffer, int length);
  VcError (*readConfig)(const char* fileName);
  VcError (*runBlock)(const char* blockName, int all);
  VcError (*cleanup)();
  // Writes a redirector to a database (the database locator's call).
  VcError (*createRedirector)(const char* databasePath, const char* redirectorFile);
};

// The start results that mean the security database could not be found or
// opened: the road of the database locator.
bool isMissingDatabase(int result);

// Creates the settings file empty (owner read and write) when it does not
// exist; shows "Unable to create ORVTY.INI file." when that fails.
void ensureSettingsFile(ui::Ui& ui, const std::string& path);

// True when ORVRCS.RC could not be read whole as the library started (that
// was shown): writing it now would leave out what was not read.
bool libraryConfigurationIncomplete();

class LibrarySession {
 public:
  // callbacks answer the library while the session runs; executes (when
  // given) are refused while a callback runs inside a library call.
  LibrarySession(const LibraryEntryPoints& library, ui::Ui& ui, LibraryCallbacks& callbacks,
                 ExecuteServer* executes = nullptr);
  ~LibrarySession();
  LibrarySession(const LibrarySession&) = delete;
  LibrarySession& operator=(const LibrarySession&) = delete;

  // Starts the library for programPath (whose directory becomes [General]
  // InstallDir of settingsFile) and reads ORVRCS.RC from settingsDir. 0, or
  // kExitLibraryFailure after the failure was shown and the library ended.
  // A configuration file that could not be read whole is shown, and the
  // start goes on.
  int start(const std::string& programPath, const std::string& settingsDir,
            const std::string& settingsFile);
  // Runs the configuration's "startup" block.
  void runStartupBlock();
  // Ends the library (also done by the destructor).
  void stop();

  bool running() const { return running_; }

 private:
  int fail(int result);
  // The locator's road: true when a redirector was written and the start
  // is to be tried again.
  bool locateDatabase();
  // Tells a user whom the database does not know how to be added.
  void noteUnregisteredUser();
  int failWithText(const std::string& text);

  const LibraryEntryPoints& library_;
  ui::Ui& ui_;
  bool running_ = false;
  bool attached_ = false;
};

}  // namespace orv::workbench::app
