// The transaction log of a project: a text file beside the project file
// (".trn" in place of its extension) to which every save that has pending
// entries appends one record, a "+" header line and one line per entry.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vc {

struct VcInstance;

// One change waiting for the next save: a main text and an optional second
// text, written as "text second" or "text".
struct VcLogEntry {
  std::string text;
  std::optional<std::string> second;
};

// What the header line of a record names.
struct VcLogHeader {
  std::string projectPath;             // for a project opened from a revision: its working copy
  std::optional<std::string> revision; // the project's revision; "null" when none
  std::string userName;
  std::optional<std::string> variantSandbox;  // the sandbox path of a variant sandbox
};

// The log's name for a project file: the extension (the part after the last
// "." that follows the last "/" or "\") replaced by ".trn", or ".trn"
// appended when there is none. A name whose only "." is its first character
// has no extension.
std::string projectLogName(const std::string& projectPath);
// The same rule for any extension (".use" for the dependency caches).
std::string withExtension(const std::string& path, const std::string& extension);

// One record: "+path time revision rev by user" (with " from variant
// sandbox path" for a variant), then the entries in the order given (oldest
// first). The time is local, from the clock of the library's seams.
std::string projectLogRecord(const VcLogHeader& header, const std::vector<VcLogEntry>& entries);

// Appends the record of entries to logPath in one write, creating the file
// when needed. Nothing is written for no entries. 0, or
// err::kProjectLogWrite with the system error as extra error, recorded in
// inst.
int appendProjectLog(VcInstance& inst, const std::string& logPath, const VcLogHeader& header,
                     const std::vector<VcLogEntry>& entries);

}  // namespace vc
