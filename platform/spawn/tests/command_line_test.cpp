// Splitting command lines: blanks separate, double quotes group.
#include <gtest/gtest.h>

#include "platform/spawn/command_line.h"

namespace orv::platform {
namespace {

TEST(SplitCommandLine, BlanksSeparateQuotesGroup)
{
    using Words = std::vector<std::string>;
    struct Row {
        const char* line;
        Words words;
    } rows[] = {
        {"", {}},
        {"  \t ", {}},
        {"make", {"make"}},
        {"  make  -f   x.mak ", {"make", "-f", "x.mak"}},
        {"a\tb", {"a", "b"}},
        {"\"a b\" c", {"a b", "c"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"x \"\" y", {"x", "", "y"}},
        {"x\"\"", {"x"}},
        {"\"unclosed and more", {"unclosed and more"}},
        {"c:\\tools\\ed.exe file", {"c:\\tools\\ed.exe", "file"}},
        {"echo $(HOME) ; rm -rf / `x` | y", {"echo", "$(HOME)", ";", "rm", "-rf", "/", "`x`", "|", "y"}},
        {"'single quotes' stay", {"'single", "quotes'", "stay"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(split_command_line(row.line), row.words) << row.line;
}

}  // namespace
}  // namespace orv::platform
