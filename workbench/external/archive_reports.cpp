// Archive and project reports and the report viewer (see archive_reports.h).
#include "workbench/external/archive_reports.h"

#include <cstdint>
#include <cstring>

#include "platform/dynlib/dynlib.h"
#include "platform/profile/profile.h"
#include "platform/spawn/command_line.h"
#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/progress_window.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/password_cache.h"

namespace orv::workbench::external {

namespace {

constexpr const char* kNoReporterText = "Unable to initialize REPORTER.DLL";
constexpr const char* kNotInstalledText =
    "The Tessalyworkbench Reporter has not been installed.  Database tables have been saved in\n%s.tx*";
constexpr const char* kProgressCaption = "Generating database tables...";

// Runs one report into the tables of base; true when they were written
// (and kept).
template <class Report>
bool runReport(ProgramStarts& starts, const ReportExporter& exporter, const std::string& base,
               rptMessageCallback messages, int kind, Report report) {
  rptHandle handle = exporter.initialize ? exporter.initialize(base.c_str(), messages, kind, passwordCallback) : nullptr;
  if (!handle) {
    showMessage(starts.ui, ui::okBox("", kNoReporterText, ui::MessageIcon::none));
    return false;
  }
  const int result = report(handle);
  exporter.terminate(result, handle);
  return result != 0;
}

}  // namespace

const ReportExporter& libraryExporter() {
  static const ReportExporter exporter = [] {
    static dynlib::Library lib;
    ReportExporter e;
    if (dynlib::openBesideModule(lib, "libtallier32.so", reinterpret_cast<const void*>(&vcAPIinit),
                                 "ORV_TALLIER_LIBRARY")) {
      e.initialize = reinterpret_cast<decltype(e.initialize)>(lib.symbol("rptInitialize"));
      e.projectReport = reinterpret_cast<decltype(e.projectReport)>(lib.symbol("rptProjectReport"));
      e.archiveReport = reinterpret_cast<decltype(e.archiveReport)>(lib.symbol("rptArchiveReport"));
      e.terminate = reinterpret_cast<decltype(e.terminate)>(lib.symbol("rptTerminate"));
      if (!e.projectReport || !e.archiveReport || !e.terminate) e.initialize = nullptr;
    }
    return e;
  }();
  return exporter;
}

namespace {

// path without the extension of its last component (from its first '.'
// after the component's first character).
std::string withoutExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find('.', slash == std::string::npos ? 1 : slash + 2);
  return dot == std::string::npos ? path : path.substr(0, dot);
}

}  // namespace

// The reserved name is made from the window's name without its extension
// ("pro00000."), so that two windows whose names differ only there never
// share a base, and the tables never meet another temporary file.
std::optional<std::string> reportTableBase(ui::Ui& ui, TempFiles& temps, const std::string& windowName) {
  std::optional<std::string> name = temps.make(withoutExtension(windowName));
  if (!name) {
    rcsMessage(ui, kStyleError, std::string(loadString(kStrNoTempFile)));
    return std::nullopt;
  }
  return withoutExtension(*name);
}

int startReportViewer(ProgramStarts& starts, const std::string& base, const char* mainTable) {
  const std::string command = profile::getProfileString(starts.settingsFile, "System", "ReportDB", "");
  std::vector<std::string> argv = platform::split_command_line(command);
  if (argv.empty())
    argv = {"xdg-open", base + mainTable};
  else
    argv.push_back(base);
  BusyCursor busy(starts.ui);
  const int result = starts.spawner.start_argv(argv, kShowNormal);
  if (result < 32) showText(starts.ui, ui::MessageIcon::information, formatText(kNotInstalledText, base.c_str()));
  return result;
}

void archiveReportCommand(ProgramStarts& starts, TempFiles& temps, const ReportExporter& exporter, commands::ChildKind kind,
                          OpenArchive* archive, const std::string& windowName) {
  if (kind == commands::ChildKind::none) {
    starts.ui.beep();
    return;
  }
  if (kind != commands::ChildKind::archive || !archive) return;
  std::optional<std::string> base = reportTableBase(starts.ui, temps, windowName);
  if (!base) return;
  const int handle = archive->handle();
  if (runReport(starts, exporter, *base, nullptr, kArchiveReportKind, [&](rptHandle report) {
        return exporter.archiveReport(windowName.c_str(), handle, report);
      }))
    startReportViewer(starts, *base, kArchiveTable);
}

void projectReportCommand(ProgramStarts& starts, TempFiles& temps, const ReportExporter& exporter, commands::ChildKind kind,
                          OpenProject* project, const std::string& windowName) {
  if (kind == commands::ChildKind::none) {
    starts.ui.beep();
    return;
  }
  if (kind != commands::ChildKind::project || !project) return;
  std::optional<std::string> base = reportTableBase(starts.ui, temps, windowName);
  if (!base) return;
  std::uint32_t members = 0;
  char number[sizeof members] = {};
  if (vcGetProject(project->project, VC_PROJECT_ITEM_MEMBER_COUNT, number, sizeof number) == 0)
    std::memcpy(&members, number, sizeof members);
  bool written = false;
  {
    ProgressWindow progress(starts.ui, kProgressCaption, members);
    progress.setStepping(true);
    written = runReport(starts, exporter, *base, &ProgressWindow::statusCallback, kProjectReportKind,
                        [&](rptHandle report) {
                          return exporter.projectReport(windowName.c_str(), project->project, report);
                        });
  }
  if (written) startReportViewer(starts, *base, kProjectTable);
}

}  // namespace orv::workbench::external
