// Command-line splitting for program starts (see command_line.h).
#include "platform/spawn/command_line.h"

namespace orv::platform {

std::vector<std::string> split_command_line(std::string_view command_line)
{
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    bool quoted = false;
    for (char c : command_line) {
        if (c == '"') {
            quoted = !quoted;
            in_word = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (in_word)
                words.push_back(std::move(word));
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word)
        words.push_back(std::move(word));
    return words;
}

}  // namespace orv::platform
