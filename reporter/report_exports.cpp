// The exports of libtallier32.so: rptInitialize, rptProjectReport,
// rptArchiveReport and rptTerminate. No exception leaves them; every
// failure goes to the caller's message callback and shows in the result.
#include <new>
#include <string>

#include "reporter/include/orv/tallier32.h"
#include "reporter/report_messages.h"
#include "reporter/report_tables.h"
#include "reporter/report_walk.h"
#include "vc/include/vc.h"

namespace orv::report {

unsigned reportFlags(int reportType) {
  unsigned flags = 0;
  if (reportType >= 6) {
    flags |= kWithSubprojects;
    reportType -= 6;
  }
  switch (reportType) {
    case 1: return flags | kNoArchives;
    case 2: return flags | kHeadersOnly;
    case 3: return flags | kOneRevision;
    default: return flags | kAllRevisions;
  }
}

namespace {

constexpr int kNeededLevel = 9;  // the least library level the walks work with
constexpr std::size_t kLongestBase = 256;

// The base of the table names: backslashes read as slashes, and an
// extension of the last component dropped. False when the last component
// is empty or nothing but an extension (".mdb").
bool tableBase(const char* basePath, std::string& base) {
  base = basePath;
  for (char& c : base)
    if (c == '\\') c = '/';
  const std::size_t slash = base.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot >= start) {
    if (dot == start) return false;
    base.resize(dot);
  }
  return base.size() > start;
}

// Everything rptInitialize does before the tables exist. The handle, or
// null after reporting why (started tells whether the library was started
// here, so that the caller ends it again).
rptReport* startReport(const char* basePath, rptMessageCallback messages, int reportType, bool& started) {
  int rc = vcGetPerm("reports");
  if (rc == VC_E_BAD_CALLER) {
    if (int init = vcAPIinit()) {
      // A start-up that fails half-way may leave its instance behind; there
      // was none before, so it is ours to end.
      reportError(messages, text::kInitializing, init);
      vcAPIcleanup();
      return nullptr;
    }
    started = true;
    rc = vcGetPerm("reports");
  }
  if (rc) {
    reportError(messages, text::kPermission, rc == VC_PERM_DENIED ? VC_E_DENY_REPORTS : rc);
    return nullptr;
  }
  signed char level = 0;
  vcGetSysInfo(VC_SYSINFO_LIBRARY_LEVEL, reinterpret_cast<char*>(&level), 1);
  if (level < kNeededLevel) {
    reportError(messages, format(text::kLevel, kNeededLevel, level), kNoDetail);
    return nullptr;
  }
  rptReport* r = new (std::nothrow) rptReport;
  if (!r) {
    reportError(messages, text::kNoMemory, kNoDetail);
    return nullptr;
  }
  r->startedLibrary = started;
  r->messages = messages;
  if (!basePath || !*basePath || reportType < 0 || reportType > 11) {
    reportError(messages, text::kBadArguments, VC_E_BAD_ARGUMENT);
    delete r;
    return nullptr;
  }
  r->flags = reportFlags(reportType);
  std::string base;
  if (!tableBase(basePath, base) || base.size() > kLongestBase) {
    reportError(messages, format(text::kBadBasePath, basePath), VC_E_BAD_ARGUMENT);
    delete r;
    return nullptr;
  }
  for (int t = 0; t < kTableCount; ++t) {
    const Table table = static_cast<Table>(t);
    const std::string path = base + tableExtension(table);
    if (int e = createTable(r->tables[t], table, path)) {
      reportError(messages, format(text::kCannotOpenTable, path.c_str()), kSystemError, e);
      closeTables(*r, false);
      r->startedLibrary = false;  // the caller ends the library
      delete r;
      return nullptr;
    }
  }
  return r;
}

// Runs one report call: the rows, then every table pushed out to its file.
template <class Report>
int runReport(rptReport* r, const char* name, Report&& report) {
  if (!r) return 0;
  try {
    if (!name || !*name) {
      reportError(*r, text::kBadArguments, VC_E_BAD_ARGUMENT);
      return 0;
    }
    beginReportCall(*r);
    const int result = report(std::string(name));
    const bool flushed = flushTables(*r);
    return flushed ? result : 0;
  } catch (const std::bad_alloc&) {
    reportError(*r, name, VC_E_NO_MEMORY);
    flushTables(*r);
    return 0;
  } catch (...) {
    flushTables(*r);
    return 0;
  }
}

}  // namespace

}  // namespace orv::report

using namespace orv::report;

extern "C" {

ORV_REPORT_API rptHandle rptInitialize(const char* basePath, rptMessageCallback messages, int reportType,
                                       rptPasswordCallback password) {
  bool started = false;
  rptReport* r = nullptr;
  try {
    r = startReport(basePath, messages, reportType, started);
  } catch (...) {
    reportError(messages, text::kNoMemory, kNoDetail);
    r = nullptr;
  }
  if (!r) {
    if (started) vcAPIcleanup();
    return nullptr;
  }
  r->password = password;
  return r;
}

ORV_REPORT_API int rptProjectReport(const char* projectName, int project, rptHandle report) {
  return runReport(report, projectName, [&](const std::string& name) { return projectReport(*report, name, project); });
}

ORV_REPORT_API int rptArchiveReport(const char* archiveName, int archive, rptHandle report) {
  return runReport(report, archiveName, [&](const std::string& name) { return archiveReport(*report, name, archive); });
}

ORV_REPORT_API void rptTerminate(int keep, rptHandle report) {
  if (!report) return;
  if (report->startedLibrary) vcAPIcleanup();
  try {
    closeTables(*report, keep != 0);
  } catch (...) {
  }
  delete report;
}

}  // extern "C"
