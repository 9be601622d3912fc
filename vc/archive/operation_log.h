// The operation log: with the options `logfile` and `logformat` set, each
// check-in ("ci") and each check-out of a modified archive ("co") is noted
// on the archive, and the notes are appended to the log file, one line each
// expanded from `logformat`, when the archive is committed or closed.
#pragma once

#include <string>

namespace vc {

struct VcInstance;
struct VcArchive;

// Notes an operation on a revision (nothing when no log file is set).
void recordOperation(VcInstance& inst, VcArchive& a, const char* operation, const std::string& revision);
// Appends the archive's notes to the log file and forgets them.
void writeOperationLog(VcInstance& inst, VcArchive& a);
// One log line (without its line feed) for an operation on a revision.
std::string expandLogFormat(VcInstance& inst, VcArchive& a, const std::string& format,
                            const std::string& operation, const std::string& revision);

}  // namespace vc
