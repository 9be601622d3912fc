// What the keyword expander needs to know about the revision being written.
// The caller fills it from the archive; every text is plain (no doubled '@').
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vc {

struct KeywordContext {
    std::string revision;           // "1.4"
    std::string date;               // as stored: "2024.01.02.03.04.05" (two- or four-digit year)
    std::string author;
    std::string state;
    std::string locker;             // the user holding the revision's lock; empty when unlocked
    std::vector<std::string> labels;  // every label that names this revision, in list order
    std::string archivePath;       // the path set for display, else the archive's absolute file name
    std::string archiveFileName;  // the archive's file name without directory
    std::string log;                // the revision's log message
    std::string projectName;       // the current project; empty without one
    std::string projectRevision;
    // Value of an option for the Setting keyword, given the lower-cased
    // option name; none when the option is not set or has no value.
    std::function<std::optional<std::string>(std::string_view option)> setting;
};

}  // namespace vc
