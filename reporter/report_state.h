// What one report handle (rptHandle) holds from rptInitialize to
// rptTerminate: the report kind, the callbacks, the six open tables and the
// id table. Everything a report call needs travels with the handle, so a
// callback may call back into the library between any two rows.
#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "reporter/include/orv/tallier32.h"
#include "reporter/report_ids.h"

namespace orv::report {

// Report-kind bits, from the report type.
inline constexpr unsigned kHeadersOnly = 1;     // archives: .txa and .txx rows only
inline constexpr unsigned kOneRevision = 2;     // one .txr row per member archive
inline constexpr unsigned kAllRevisions = 4;    // every revision
inline constexpr unsigned kWithSubprojects = 8; // walk the members of sub-projects
inline constexpr unsigned kNoArchives = 0x10;   // projects and members only

// The bits of a report type (0 to 11; the caller checks the range).
unsigned reportFlags(int reportType);

// The tables, in the order they are created, written and deleted.
enum Table { kProjects, kMembers, kArchives, kAccess, kSymbols, kRevisions, kTableCount };

struct TableFile {
  std::FILE* stream = nullptr;
  std::string path;
  bool failed = false;  // a write failed and was reported in this report call
};

}  // namespace orv::report

struct rptReport {
  unsigned flags = 0;
  bool startedLibrary = false;  // rptInitialize started the revision library
  rptMessageCallback messages = nullptr;
  rptPasswordCallback password = nullptr;
  std::array<orv::report::TableFile, orv::report::kTableCount> tables;
  orv::report::IdTable ids;
};
