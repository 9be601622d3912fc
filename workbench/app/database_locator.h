// The security-database locator: when the workbench starts and the
// revision library cannot find or open the security database, this dialog
// lets the user name the database file (typed, or chosen with Browse) and
// has the library write a redirector that leads from the place where the
// library looks for its database to that file. OK means the start is tried
// again; Cancel that it is given up.
//
// OK with an empty field does nothing. A missing file is reported and the
// dialog stays. A redirector that exists already is replaced only when the
// user says so; any refusal or failure is reported and ends the dialog with
// Cancel.
#pragma once

#include <string>

#include "platform/ui/ui.h"
#include "vc/include/vc.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

enum LocatorControl : int {
  kLocatorFileCaption = 100,
  kLocatorFile = 101,
  kLocatorBrowse = 102,
};
inline constexpr int kLocatorDialogId = 358;
inline constexpr int kLocatorHelpContext = 9133;
// The longest database path the field takes.
inline constexpr int kLocatorFileRoom = 512;

// The two library calls the dialog makes.
struct LocatorLibrary {
  VcError (*getSysInfo)(int item, char* buffer, int length);
  VcError (*createRedirector)(const char* databasePath, const char* redirectorFile);
};

ui::DialogDescription databaseLocatorDescription();

// The file the library writes for a redirector name: the name itself when
// its last component has an extension other than "dat", else the name with
// "red" as its extension.
std::string redirectorFileOf(const std::string& name);
// path without the extension of its last component (a dot in a directory
// name, or one that starts the file name, is no extension).
std::string withoutExtension(const std::string& path);

class DatabaseLocator : public ui::DialogLogic {
 public:
  DatabaseLocator(ui::Ui& ui, const LocatorLibrary& library) : ui_(ui), library_(library) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  // Reports that the redirector could not be written and ends with Cancel.
  void giveUp(ui::DialogSurface& surface, const std::string& redirector);

  ui::Ui& ui_;
  const LocatorLibrary& library_;
};

// Runs the locator modally: ui::kAnswerOk when a redirector was written.
int runDatabaseLocator(ui::Ui& ui, const LocatorLibrary& library);

}  // namespace orv::workbench::app
