// The walks of the report calls: a project's members (entering archives and
// sub-projects) and a single archive. Each answers 1 when its rows were
// written completely or the user chose to go on past a gap, 0 when it
// failed (reported) or the user stopped.
#pragma once

#include <string>

#include "reporter/report_state.h"

namespace orv::report {

int projectReport(rptReport& r, const std::string& projectName, int project);
int archiveReport(rptReport& r, const std::string& archiveName, int archive);

}  // namespace orv::report
