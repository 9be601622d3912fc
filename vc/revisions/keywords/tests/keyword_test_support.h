// The revision that the keyword tests expand for.
#pragma once

#include <optional>
#include <string>

#include "vc/revisions/keywords/keyword_context.h"

namespace vc::test {

inline KeywordContext revision14()
{
    KeywordContext context;
    context.revision = "1.4";
    context.date = "2024.03.05.06.07.08";
    context.author = "alice";
    context.state = "Exp";
    context.labels = {"rel1", "beta"};
    context.archivePath = "/arch/RCS/foo.c,v";
    context.archiveFileName = "foo.c,v";
    context.log = "Fixed the parser.\r\nSecond line\n";
    context.setting = [](std::string_view option) -> std::optional<std::string> {
        if (option == "logformat") {
            return "%C %u %r %f %D %l";
        }
        if (option == "prompt") {
            return "cost $5";
        }
        if (option == "newline") {
            return "\n";
        }
        return std::nullopt;
    };
    return context;
}

}  // namespace vc::test
