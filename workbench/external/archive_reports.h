// Reports of the active archive or project window: the report exporter
// (libtallier32.so) writes six tables that share one base path in the
// temporary directory, and a report viewer is started on them. Without a
// [System] ReportDB command the viewer is the desktop's handler for the
// table files (xdg-open on the main table); with one, the configured
// command gets the table base as its last word. No shell either way.
#pragma once

#include <optional>
#include <string>

#include "reporter/include/orv/tallier32.h"
#include "workbench/app/temp_names.h"
#include "workbench/archive/open_archive.h"
#include "workbench/commands/child_kind.h"
#include "workbench/external/program_starts.h"
#include "workbench/layers.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::external {

// The exporter's entry points: those of the library, or a test's stubs.
struct ReportExporter {
  rptHandle (*initialize)(const char* basePath, rptMessageCallback messages, int reportType,
                          rptPasswordCallback password) = nullptr;
  int (*projectReport)(const char* projectName, int project, rptHandle report) = nullptr;
  int (*archiveReport)(const char* archiveName, int archive, rptHandle report) = nullptr;
  void (*terminate)(int keep, rptHandle report) = nullptr;
};

// The exporter of libtallier32.so, loaded once from the revision library's
// directory (or the file named by ORV_TALLIER_LIBRARY); entries stay null
// when it cannot be loaded.
const ReportExporter& libraryExporter();

// The report kinds passed to the exporter.
inline constexpr int kArchiveReportKind = 0;
inline constexpr int kProjectReportKind = 6;

// The main table the default viewer opens for each report.
inline constexpr const char* kArchiveTable = ".txa";
inline constexpr const char* kProjectTable = ".txp";

// A new temporary name made from windowName, without the extension of its
// last component; nothing (after 797) when no name could be made.
std::optional<std::string> reportTableBase(ui::Ui& ui, TempFiles& temps, const std::string& windowName);

// Starts the viewer on the tables of base; mainTable is the extension the
// default viewer opens. A failed start tells where the tables were kept.
// The start result.
int startReportViewer(ProgramStarts& starts, const std::string& base, const char* mainTable);

// Reports of the active window: kind is the active window's kind (none:
// a beep; another kind than the command's: nothing). The viewer starts only
// when the exporter wrote the tables.
void archiveReportCommand(ProgramStarts& starts, TempFiles& temps, const ReportExporter& exporter,
                          commands::ChildKind kind, OpenArchive* archive, const std::string& windowName);
void projectReportCommand(ProgramStarts& starts, TempFiles& temps, const ReportExporter& exporter,
                          commands::ChildKind kind, OpenProject* project, const std::string& windowName);

}  // namespace orv::workbench::external
