// The workbench's object for one open project or sandbox. Every project
// operation of the workbench (the project window, the project dialogs, the
// member walks) opens its project through it, holds the library handle in
// it and reports the library's failures through it, so that each failure is
// shown once: a status of -14 means "already reported".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/layers.h"

namespace orv::workbench::project {

// Bits of OpenProject::kind.
constexpr unsigned kProjectKindOpen = 4;
constexpr unsigned kProjectKindSandbox = 8;
constexpr unsigned kProjectKindVariant = 16;

// The variant save's log message; stored archives hold it as written.
// How a member's row is read again after an operation (walkOptions):
// without comparing its working file and revision at all; with its archive
// compared as well; with the project's record of the working file and the
// revision brought up to date; with only the working file's record brought
// up to date.
constexpr unsigned kWalkKeepFileStatus = 0x1;
constexpr unsigned kWalkArchiveChanges = 0x2;
constexpr unsigned kWalkUpdateRevisionRecord = 0x4;
constexpr unsigned kWalkUpdateWorkRecord = 0x8;

inline constexpr std::string_view kVariantSaveLog = "Variant sandbox changes.\r\n";

class OpenProject {
 public:
  // Opens name (a project or sandbox file) with openMode (the library's open
  // flags; bit 4 also asks it to keep the record), at revision when given.
  // A null name gives an empty object. The caller tests status and shows a
  // failure with showError.
  OpenProject(ui::Ui& ui, const char* name, unsigned openMode = 1, const char* revision = nullptr,
              bool frozenRequested = false, bool historical = false);
  ~OpenProject();
  OpenProject(const OpenProject&) = delete;
  OpenProject& operator=(const OpenProject&) = delete;

  // Closes and opens the project again (a new handle); a failure is shown.
  void reopen();
  // Makes the project the library's current project and its working
  // directory the process's: 1, 0 after a shown failure, -14 when no
  // project is open.
  int makeCurrent();
  // Writes the dependency cache when it changed and the project when it
  // changed (a variant sandbox's project file is checked in as a new
  // revision): 0, or -14 after a shown failure.
  int save();
  // The project file's write (shared false) or shared lock: true when held.
  // A file changed by someone else offers to reload it.
  bool lock(bool shared);
  bool dropWriteLock();
  // The option key of the project, else defaultValue.
  std::string getOption(const std::string& key, const std::string& defaultValue);
  // Writes key=value unless the option already says so (an empty option
  // and a value that is empty or begins with a blank count as equal): true
  // when written; a failure is shown.
  bool setOption(const std::string& key, const std::string& value);
  // A member item of the current member: 0, or -14 after a shown failure.
  int setMember(int item, const char* value);
  // Rescans the members' dependencies under the open progress window: true
  // when done (a member of unknown language counts as done).
  bool scanDependencies();
  // Shows status (nothing for 0 and -14) in a box of style; the box's
  // answer, 1 when nothing was shown. status becomes -14.
  int showError(unsigned style);
  // The error text of showError, without showing it.
  std::string errorText();
  // A variant sandbox needs the Checkpoint and ModifySandbox permissions.
  bool mayCheckpointVariant();

  // What the active project window does after a reload (refresh every
  // row); not set: the reload's status is shown.
  std::function<void()> onReloaded;

  int status = 0;
  int project = 0;
  unsigned openMode = 0;
  std::string name;
  std::string workDirectory;
  std::string projectDirectory;
  std::string pathMapping;
  std::string archiveName;
  std::string text;
  std::string workFile;
  std::string userName;
  unsigned walkOptions = 0;  // kWalk... bits: how a member's row is read again
  unsigned useCount = 0;
  unsigned memberCount = 0;
  unsigned lockedCount = 0;
  unsigned selectedCount = 0;
  unsigned kind = 0;
  std::optional<std::string> revision;
  bool frozen = false;
  bool frozenRequested = false;
  bool historical = false;
  bool selectionHasRevision = false;

  ui::Ui& ui() { return ui_; }

 private:
  int open();
  void closeHandle();
  bool offerConversion();
  int variantSave();
  struct LockedRevision {
    int archive = 0;
    std::string archiveName;
    std::string revision;
    std::string lockedRevision;
  };
  int lockProjectRevision(LockedRevision& out);
  void setSandboxRevision(const std::string& newRevision);

  ui::Ui& ui_;
};

// A one-byte flag item of the project (false when the item cannot be read).
bool projectFlag(int project, int item);
// A text item of the project ("" when it cannot be read).
std::string projectText(int project, int item);

// template with %f the file, %p the project name, %r the project directory,
// %u the current user, %w the working directory; another character after
// '%', or a placeholder without value, gives nothing; a '%' at the end is
// dropped.
std::string expandCommandTemplate(const OpenProject& project, std::string_view tmpl,
                                  std::string_view file);
// Passes text to the open progress window's status callback: its answer
// (-1: cancelled), 0 without a window.
int notifyStatus(const char* text);
// The archive's head revision; nothing after the archive's error was shown.
std::optional<std::string> getArchiveRevisionText(ui::Ui& ui, int archive,
                                                  const std::string& archiveName);
bool isBinaryArchive(int archive);

// The sandbox-variable callback that opening a sandbox offers the sandbox's
// missing variables to (the sandbox dialog's question); none keeps them.
void setSandboxVariableQuery(int (*query)(const char*, const char*, char*, const char*));
// Offers the missing variables of the sandbox open as handle to that query.
void resetSandboxVariables(int handle);

}  // namespace orv::workbench::project
