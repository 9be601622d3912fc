// Starting programs for the script language (`exec`, `$exec()`), through the
// spawner seam: the command line is split into words (blanks separate,
// double quotes group) and started without a shell, the child in a session
// of its own. Finished children are reaped on later library entries
// (reapFinishedPrograms, instance/instance.h) and when an instance ends; the
// library never blocks on a child.
#pragma once

#include <string>

namespace vc {

struct CommandAndShow {
  std::string command;  // the text before the first ","; trailing blanks cut
  int show = 1;         // the show mode after it
};

// Splits "command[,show]": the text after the first "," (blanks skipped) is
// a number, or a name beginning with "s" or "S" looked up upper-cased among
// the SW_ names; anything else, an unknown name or no comma gives 1.
CommandAndShow splitCommandAndShow(const std::string& text);

// The value of a show-mode name (upper case), or -1 when unknown.
int showModeNamed(const std::string& upperName);

// Starts the command through seams().spawner. The start result: 33 when it
// started, 2 when the program is not found, 0 otherwise.
int startProgram(const std::string& command, int show);

}  // namespace vc
