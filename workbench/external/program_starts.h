// The programs the workbench starts and never waits for: the user's editor,
// the visual merge program vardel32 (a comparison of two files, or its
// empty Compare Files dialog), and the five user tools of the tool bars.
//
// Nothing goes through a shell. A configured command line (a user tool, an
// editor variable) is split into words as platform/spawn does; a file name
// is always one word of its own. vardel32 reads the words it is given
// joined by blanks, and quotes names and titles between bars, so a name
// holding '|' cannot be passed and is refused.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/spawn/process_spawn.h"
#include "platform/spawn/spawner.h"
#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::external {

// What a program start needs: the boxes, the spawner, the workbench's
// settings file (ORVTY.INI) and the directory of the workbench's own
// program, where vardel32 lies beside it.
struct ProgramStarts {
  ui::Ui& ui;
  platform::Spawner& spawner;
  std::string settingsFile;
  std::string programDirectory;
};

// The directory of the running program (no trailing '/'), "" when unknown.
std::string workbenchProgramDirectory();

// The visual merge program's file name.
inline constexpr const char* kVisualMergeProgram = "vardel32";
// The longest command line the merge program and the editor are started
// with, in bytes (the words joined by blanks).
inline constexpr std::size_t kProgramLineLimit = 1043;

// Show modes passed along with every start.
inline constexpr int kShowMode = 5;
inline constexpr int kShowNormal = 1;

// The text shown for a failed start (a result below 32) of line: 506 for 2
// and 3, 509 for 8, 508 for 10 to 15, 510 for 16, else 507 with the code.
std::string startFailureText(const std::string& line, int result);

// The argv of a comparison in vardel32: the program, then the words of the
// line "-n[-t1|Revision t1| ][-t2|Revision t2| ]-d<set> |file1| |file2|",
// split at the blanks outside bars (so "-n-t1|Revision 1.3|", "-d1",
// "|T|", "|W|"); vardel32 joins its words with blanks and reads that line.
// The delete set has 1 when title1 is given and 2 when title2 is. Nothing
// when a name or title holds '|' or the line would be longer than
// kProgramLineLimit.
std::optional<std::vector<std::string>> visualMergeArguments(const std::string& programDirectory,
                                                             const char* title1, const char* title2,
                                                             const std::string& file1,
                                                             const std::string& file2);

// Starts vardel32 on the two files (titles may be null). Refused names get
// the library's "Invalid argument" text (answer 2, nothing started); a
// failed start shows 852. The start result.
int startVisualMerge(ProgramStarts& starts, const char* const titles[2], const std::string files[2]);

// Compare Files: vardel32 with "-m" (its empty Compare Files dialog). The
// start result.
int compareFilesCommand(ProgramStarts& starts);
// The command server's Diff: "|first| |second|" with two names, "-m
// |first|" with one, "-m" with none. A name holding '|' is refused with the
// library's "Invalid argument" text.
int ddeDiff(ProgramStarts& starts, const char* first, const char* second);

// The editor's words: the library option "Editor" when set, else $VISUAL,
// else $EDITOR, else xdg-open.
std::vector<std::string> editorCommand();
// The editor used when the option "Editor" is not set: $VISUAL, else
// $EDITOR, else xdg-open.
std::string fallbackEditor();

// Opens path: 504 and 0 when it does not exist; with [System]
// UseFileManagerAssociations other than "no" (any case) the desktop's
// handler (xdg-open) first, 505 for its results 0, 5 and 8; else, or when
// no handler took it, the editor with path as its last word. The start
// result, 0 when the file is missing or the line is refused.
int viewOrEditFile(ProgramStarts& starts, const std::string& path);
// The editor alone, without a file. The start result.
int startEditor(ProgramStarts& starts);

// User tool n (command id - 1542, 1 to 5): [User] User<n>Command, then a
// blank and User<n>Arguments when those are not empty, started as a command
// line without a shell. The start result (0 when no command is set).
int userToolCommand(ProgramStarts& starts, int commandId);
inline constexpr int kFirstUserToolCommand = 1543;
inline constexpr int kUserToolCount = 5;

}  // namespace orv::workbench::external
