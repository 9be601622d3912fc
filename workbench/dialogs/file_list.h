// The file-list dialog shared by Create Project and Add Members: a folder
// and its files on the left, the files chosen so far (the member list) on
// the right. Its toolkit-free parts live here: the member list, which holds
// each path once (compared as the revision library compares member names,
// without regard to case), the names typed into the name box as a filter of
// the file list, and the way the dialog is run, which the window program
// sets (a test may set its own).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui.h"

namespace orv::workbench::dialogs {

// The member list: full paths in the order added.
class MemberList {
 public:
  // Appends path unless the list holds it already: true when appended.
  bool add(const std::string& path);
  // Removes the entries at rows (any order).
  void remove(std::vector<int> rows);
  bool contains(const std::string& path) const;
  const std::vector<std::string>& paths() const { return paths_; }

 private:
  std::vector<std::string> paths_;
};

// The names typed into the name box, separated by blanks, as patterns of the
// file list; "*" for an empty text.
std::vector<std::string> typedNamePatterns(std::string_view text);
// Whether file name (no directory) matches one of patterns ('*', '?' and
// "[...]" as the shell has them).
bool matchesAnyPattern(const std::string& name, const std::vector<std::string>& patterns);
// The patterns of a filter of the type list: "C Files (*.c *.h)" gives
// "*.c" and "*.h"; a filter without parentheses gives "*".
std::vector<std::string> filterPatterns(std::string_view filter);

// What the dialog starts from.
struct FileListRequest {
  std::string caption;
  std::string directory;             // the folder the file list shows
  std::vector<std::string> filters;  // the type list, "Description (patterns)"
  std::vector<std::string> members;  // the member list so far
  std::string addCaption = "&Add";   // the button that adds the selected files
  std::string listCaption = "Member &list:";
  // Add Members: the Create Archives box with Automatically and
  // Interactively under it.
  bool archiveChoices = false;
  bool archiveChoicesEnabled = true;
  bool createArchives = true;
  bool automatic = true;
};

// What the dialog ends with after OK.
struct FileListAnswer {
  std::vector<std::string> members;
  bool createArchives = false;
  bool automatic = true;
};

using FileListDialog = std::function<std::optional<FileListAnswer>(ui::Ui&, const FileListRequest&)>;

// Sets how the dialog runs; without one it answers Cancel.
void setFileListDialog(FileListDialog dialog);
// Runs the dialog: nothing after Cancel.
std::optional<FileListAnswer> runFileListDialog(ui::Ui& ui, const FileListRequest& request);

}  // namespace orv::workbench::dialogs
