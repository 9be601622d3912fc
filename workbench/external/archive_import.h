// Import Archive and the command server's Convert: SCCS history files and
// PVCS archives become archives of our own format. The workbench decides
// where each new archive goes (the first directory of the "rcspath"
// option, by default an "rcs" directory beside the file) and which
// settings the conversion takes; the importer libraries (libsccsty32.so,
// libpvcsty32.so) convert. Each file gets one message; Cancel on an OK and
// Cancel box ends the run.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::external {

// The importers' entry points: those of the libraries, or a test's stubs.
// A missing entry (a library that could not be loaded) fails the
// conversion with loadError as its text.
struct ArchiveImporters {
  int (*sccs2rcsFile)(int century, int writeprotect, int strictlocks, const char* sccsfile,
                      const char* archivedir) = nullptr;
  int (*sccs2rcsError)(char* buf, int len) = nullptr;
  int (*pvcs2rcsFile)(int century, const char* pvcsfile, const char* archivedir) = nullptr;
  int (*pvcs2rcsError)(char* buf, int len) = nullptr;
  std::string loadError;
};

// The importers of libsccsty32.so and libpvcsty32.so, loaded once from the
// revision library's directory (or the files named by ORV_SCCS_LIBRARY
// and ORV_PVCS_LIBRARY).
const ArchiveImporters& libraryImporters();

// The conversion settings: true when the library flag's lowest bit is
// clear, the default when the option cannot be read.
bool centuryOption();       // "century", default true
bool writeProtectOption();  // "writeprotect", default true
bool strictLocksOption();   // "strictlocks", default false

// The archive name the first directory of "rcspath" (default
// "%v%d/rcs/%f") gives for file, into archive: the library's code.
int archiveNameFor(const std::string& file, std::string& archive);

// Name sizes: a file of the menu run and of the command server, with
// their terminators.
inline constexpr std::size_t kImportMenuNameSize = 512;
inline constexpr std::size_t kImportDdeNameSize = 532;

// Converts one file; after a success file holds the new archive's default
// working file when the library names one within size - 1 bytes. The
// answer of the box shown (2: stop the run).
int importOne(ui::Ui& ui, const ArchiveImporters& importers, std::string& file, std::size_t size);

// Import Archive: the chooser (filters as the caller gives them; several
// files), then each chosen file in turn, with the library's current project
// and archive saved around the run.
void importArchiveCommand(ui::Ui& ui, const ArchiveImporters& importers,
                          const std::vector<std::string>& filters = {"All Files (*)"});
// The command server's Convert over names. A name longer than 531 bytes
// gets the library's "Invalid argument" text and the run goes on.
void ddeConvert(ui::Ui& ui, const ArchiveImporters& importers, const std::vector<std::string>& names);

}  // namespace orv::workbench::external
