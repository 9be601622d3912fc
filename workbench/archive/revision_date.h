// Revision dates as the library reports them ("2003/05/04/10/20/30", or
// with a two-digit year "97/05/04 10:20:30": any single separator between
// the two-digit fields) and as the check-in with the file's time writes
// them ("2003.05.04.10.20.30"). Both ways the time is UTC.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "workbench/layers.h"

namespace orv::workbench::archive {

// The moment a revision date names, or nothing when it is not one.
std::optional<std::time_t> parseRevisionDate(std::string_view text);
// "%Y.%m.%d.%H.%M.%S" of t in UTC.
std::string formatRevisionDate(std::time_t t);

}  // namespace orv::workbench::archive
