// Files and directories the user chooses: every chosen name is case-folded
// as the settings ask and then spelled as the file system spells it, one
// component at a time (a wildcard component takes its first match), so the
// rest of the workbench sees the names that are on disk. The directory
// browser leaves the process's current directory as it found it, and the
// Create Directory dialog makes a new directory (every level) on the spot.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::external {

// How much of a path expandWildcards rewrites.
enum class ExpandMode {
  everyComponent = 1,
  lastComponent = 2,
};

// path with its components (every one, or the last) replaced by the names
// the file system has: the exact name when it exists, else the first (in
// byte order) that matches the component as a pattern without regard to
// case. The root and the components "." and ".." stay. Nothing, after 847
// "Cannot parse file %s." (the path up to the failing component), when a
// component matches nothing.
std::optional<std::string> expandWildcards(ui::Ui& ui, const std::string& path, ExpandMode mode);

// One chosen name case-folded and normalised by mode; nothing after 847.
std::optional<std::string> normaliseChosenName(ui::Ui& ui, const std::string& name, ExpandMode mode);

// The chooser's filters from a filter text as the string table keeps it:
// description and pattern list alternate, separated by the text's own last
// character ("Sources (*.c)|*.c;*.h|All Files (*.*)|*.*|"). Each pair gives
// "description (patterns)" with the patterns blank-separated and "*.*"
// (every file on the old platform) as "*"; a description that already ends
// in its patterns in parentheses loses them first.
std::vector<std::string> fileDialogFilters(std::string_view filterText);

// The file chooser with every chosen name normalised (its directory whole,
// then its last component). A name that cannot be normalised ends the list
// there (after its message); an empty list when the chooser was cancelled.
std::vector<std::string> chooseFiles(ui::Ui& ui, const ui::FileRequest& request);

// The process's current directory for the life of the object, whatever
// the code in between does with it.
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper();
  ~CurrentDirectoryKeeper();
  CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
  CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

 private:
  std::string saved_;
};

// The directory browser: opens in the directory of startPath (the path
// without its last component, the current directory when that is empty)
// and answers the chosen directory followed by '/' and a file name (the
// last component of startPath, or defaultName when that is empty), with
// the directory normalised and the whole case-folded; nothing when
// cancelled. The process's current directory is the same afterwards.
std::optional<std::string> browseForDirectory(ui::Ui& ui, const std::string& title,
                                              const std::string& startPath,
                                              const std::string& defaultName);

// The Create Directory dialog (331).
enum CreateDirectoryControl : int {
  kCreateDirOk = 1,
  kCreateDirCancel = 2,
  kCreateDirBase = 100,
  kCreateDirName = 101,
  kCreateDirBaseLabel = 102,
  kCreateDirNameLabel = 103,
};
inline constexpr int kCreateDirectoryDialogId = 331;

const ui::DialogDescription& createDirectoryDescription();

// Shows the base directory; on OK makes the typed name (absolute when it
// starts with '/' or '\' or has ':' as its second character, else below the
// base) with every directory on its way. A failure shows 738 with the name
// as typed and keeps the dialog open; an empty name ends it with an empty
// path.
class CreateDirectoryDialog : public ui::DialogLogic {
 public:
  CreateDirectoryDialog(ui::Ui& ui, std::string baseDirectory)
      : ui_(ui), base_(std::move(baseDirectory)) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface&, int) override {}
  bool canClose(ui::DialogSurface& surface, int result) override;

  // The directory made (empty when none).
  const std::string& path() const { return path_; }

 private:
  ui::Ui& ui_;
  std::string base_;
  std::string path_;
};

// Runs the Create Directory dialog over base: the directory made, nothing
// when cancelled or left empty.
std::optional<std::string> createDirectory(ui::Ui& ui, const std::string& base);

// The text of a static control of 80 characters: text itself, or shortened
// in its middle to fit.
std::string fitStaticText(const std::string& text);

}  // namespace orv::workbench::external
