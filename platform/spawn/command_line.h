// Splitting a command line into program and argument words.
//
// Blanks (spaces and tabs) separate words; double quotes group, so a quoted
// part may hold blanks and "" gives an empty word. Quotes may sit inside a
// word: a"b c"d is the one word ab cd. An unclosed quote runs to the end.
// Nothing else is special: no backslash escapes, no variables, no globbing,
// because the words go to the program directly and never through a shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv::platform {

std::vector<std::string> split_command_line(std::string_view command_line);

}  // namespace orv::platform
