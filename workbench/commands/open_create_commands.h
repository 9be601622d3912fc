// Opening and creating archives and projects: archive and project windows
// opened by name (an open window of that name is raised instead), the
// File menu's open and create commands, the names of the command line and
// of a second copy's hand-off, the command server's open and create
// commands, and Open Member Archive.
//
// Creating archives runs over one or more working files. Each is first
// probed for an archive that exists already, then opened for creation, and
// the Create Archive dialog asks for the new archive's settings, unless the
// user chose them for all remaining files in an earlier dialog. The
// settings are written, the working file is checked in as the first
// revision through the shared check-in core, and the archive is closed.
// Cancel in any box, or Cancel All in the dialog, ends the run.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/commands/document_windows.h"
#include "workbench/external/file_filters.h"
#include "workbench/layers.h"
#include "workbench/project/project_members_add.h"

namespace orv::workbench::commands {

// The Create Archive dialog and the steps that belong to it. An empty
// entry: no defaults fail, no dialog answers Cancel, no initial revision,
// no settings written.
struct CreateArchiveServices {
  // Fills the record from the configuration for archive; false fails.
  std::function<bool(OpenArchive&, TCreateArchiveTransferStruct&)> fillDefaults;
  // Runs the dialog over the record; checkInAllowed offers the check-in of
  // the working file. Its answer (1 OK).
  std::function<int(OpenArchive&, TCreateArchiveTransferStruct&, bool checkInAllowed)> dialog;
  // Runs after a dialog that did not end with OK, and once after a run
  // whose settings served all remaining files.
  std::function<void(TCreateArchiveTransferStruct&)> done;
  // The check-in record of the first revision; true when the record asks
  // for one.
  std::function<bool(const TCreateArchiveTransferStruct&, TCiTransferStruct&)> initialRevision;
  // Gives the new archive the record's settings and writes it: true when
  // written; answer holds the answer of the last box shown.
  std::function<bool(OpenArchive&, const TCreateArchiveTransferStruct&, int& answer)> applySettings;
};

// Creates the archive opened for creation in archive from record: the
// settings, the first revision, and the close. True on success unless a box
// on the way was answered Cancel (answer then holds 2).
bool createOneArchive(OpenArchive& archive, TCreateArchiveTransferStruct& record,
                      const CreateArchiveServices& services, int& answer);
// createOneArchive as the create step of adding members: 0, or -14 after a
// reported failure.
std::function<int(OpenArchive&, TCreateArchiveTransferStruct&)> memberCreateArchiveStep(
    CreateArchiveServices services);

// name with ".pj" added when its last component holds no '.'.
std::string withProjectExtension(std::string name);

struct OpenCreateServices {
  CreateArchiveServices createArchive;
  // The Create Project flow, with the names given (none from the menu).
  std::function<void(const std::optional<std::string>& first, const std::optional<std::string>& second)>
      createProject;
  // Enters path in the recent-file list with kind.
  std::function<void(const std::string& path, int kind)> addRecentFile;
};

class OpenCreateCommands {
 public:
  OpenCreateCommands(ui::Ui& ui, WindowRegistry& windows, OpenCreateServices services)
      : ui_(ui), windows_(windows), services_(std::move(services)) {}

  // Raises the archive window of name, else builds one (with the library's
  // current project and archive saved and cleared when saveContext is set;
  // put back when no window came of it). True when a window shows name.
  bool openArchiveWindow(const std::string& name, bool remember, bool saveContext);
  // The same for a project or sandbox window; createNew opens name with
  // ".pj" added when its last component has no extension.
  bool openProjectWindow(ProjectWindowRequest request);

  // Opens each name as a project window when the library opens it as a
  // project, else as an archive window. Each name is one file name, blanks
  // and commas included.
  void openCommandLineNames(const std::vector<std::string>& names);

  // The menu commands.
  void openArchive();         // Open Archive
  void openProject();         // Open Project/Sandbox
  void createArchive();       // Create Archive
  void createProject();       // Create Project
  void openMemberArchives();  // Open Member Archive

  // The command server's commands; false only when the user ended a
  // Create Archive run with Cancel All.
  bool ddeOpenArchive(const std::vector<std::string>& names);
  bool ddeOpenProject(const std::vector<std::string>& names);
  bool ddeCreateArchive(const std::vector<std::string>& names);
  bool ddeCreateProject(const std::string& first, const std::string& second);

 private:
  enum class Origin { menu, commandServer };
  // False when the run ended through Cancel All.
  bool createArchives(const std::vector<std::string>& files, Origin origin);
  // Nothing when name may be placed under control; else the answer of the
  // box that told why not (1 when nothing was shown).
  std::optional<int> precheck(const std::string& name);

  ui::Ui& ui_;
  WindowRegistry& windows_;
  OpenCreateServices services_;
};

}  // namespace orv::workbench::commands
