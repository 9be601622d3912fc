// The merge program's command line: options -d (delete flags of temporary
// inputs), -m (fill the Compare Files dialog only), -n (end when nothing is
// shown), -t1 and -t2 (display names), and two file names. Tokens may be
// quoted with a double quote or a vertical bar (a doubled quote character
// stands for one); options may follow one another without blanks.
#pragma once

#include <string>

namespace orv::merge {

struct CommandLine {
  int deleteFlags = 0;  // bit 1 file 1, bit 2 file 2 (values of 4 or more ignored)
  bool compareDialog = false;  // -m
  bool endWhenNothingShown = false;  // -n
  std::string title1, title2;
  std::string file1, file2;
  bool wrong = false;  // an unknown option: "Error in command line."
};

CommandLine parseCommandLine(const std::string& text);

}  // namespace orv::merge
