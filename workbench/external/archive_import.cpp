// Importing SCCS and PVCS archives (see archive_import.h).
#include "workbench/external/archive_import.h"

#include <sys/stat.h>

#include "platform/dynlib/dynlib.h"
#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/open_archive.h"
#include "workbench/external/file_choices.h"
#include "workbench/project/member_location.h"

namespace orv::workbench::external {

namespace {

constexpr int kArchiveNameSize = 532;
constexpr int kPatternSize = 257;
constexpr const char* kDefaultArchivePattern = "%v%d/rcs/%f";

constexpr const char* kNoArchiveDirText = "Cannot create directory for archive %s.";
constexpr const char* kConversionFailedText = "Conversion failed: %s.";
constexpr const char* kOverwriteWarningText =
    "Conversion succeeded, new archive is %s.\nWarning! if checked out, the default working file will "
    "overwrite the existing file %s.";
constexpr const char* kConvertedText = "Successfully converted to archive %s.";

bool optionOrDefault(const char* name, bool defaultValue) {
  unsigned int flags = 0;
  if (vcGetConfigFlags(name, &flags) != 0 || (flags & 2)) return defaultValue;
  return (flags & 1) == 0;
}

template <class Fn>
void bindEntry(const dynlib::Library& lib, Fn& slot, const char* name) {
  slot = reinterpret_cast<Fn>(lib.symbol(name));
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return sys::calls().stat(path.c_str(), &st) == 0;
}

// Runs the importer that code (16 PVCS, 17 SCCS) calls for; the importer's
// result, its text in text.
int convert(const ArchiveImporters& importers, int code, const std::string& file, const std::string& dir,
            std::string& text) {
  char buffer[kArchiveNameSize] = {};
  int result = 1;
  if (code == VC_E_PVCS_ARCHIVE && importers.pvcs2rcsFile && importers.pvcs2rcsError) {
    result = importers.pvcs2rcsFile(centuryOption(), file.c_str(), dir.c_str());
    importers.pvcs2rcsError(buffer, sizeof buffer);
  } else if (code == VC_E_SCCS_ARCHIVE && importers.sccs2rcsFile && importers.sccs2rcsError) {
    result = importers.sccs2rcsFile(centuryOption(), writeProtectOption(), strictLocksOption(), file.c_str(),
                                    dir.c_str());
    importers.sccs2rcsError(buffer, sizeof buffer);
  } else {
    text = importers.loadError;
    return 1;
  }
  text = buffer;
  return result;
}

}  // namespace

const ArchiveImporters& libraryImporters() {
  static const ArchiveImporters importers = [] {
    static dynlib::Library sccs, pvcs;
    ArchiveImporters i;
    const void* anchor = reinterpret_cast<const void*>(&vcAPIinit);
    if (dynlib::openBesideModule(sccs, "libsccsty32.so", anchor, "ORV_SCCS_LIBRARY")) {
      bindEntry(sccs, i.sccs2rcsFile, "sccs2rcsFile");
      bindEntry(sccs, i.sccs2rcsError, "sccs2rcsError");
    } else {
      i.loadError = sccs.lastError();
    }
    if (dynlib::openBesideModule(pvcs, "libpvcsty32.so", anchor, "ORV_PVCS_LIBRARY")) {
      bindEntry(pvcs, i.pvcs2rcsFile, "pvcs2rcsFile");
      bindEntry(pvcs, i.pvcs2rcsError, "pvcs2rcsError");
    } else if (i.loadError.empty()) {
      i.loadError = pvcs.lastError();
    }
    return i;
  }();
  return importers;
}

bool centuryOption() { return optionOrDefault("century", true); }
bool writeProtectOption() { return optionOrDefault("writeprotect", true); }
bool strictLocksOption() { return optionOrDefault("strictlocks", false); }

int archiveNameFor(const std::string& file, std::string& archive) {
  char pattern[kPatternSize] = {};
  const int rc = vcGetConfig("rcspath", nullptr, 0, pattern, sizeof pattern);
  std::string first = rc == 0 && pattern[0] ? pattern : kDefaultArchivePattern;
  first = first.substr(0, first.find(';'));
  char buffer[kArchiveNameSize] = {};
  const int code = vcMapName(file.c_str(), first.c_str(), buffer, sizeof buffer);
  archive = buffer;
  return code;
}

int importOne(ui::Ui& ui, const ArchiveImporters& importers, std::string& file, std::size_t size) {
  const int code = vcOpenArchive(file.c_str(), nullptr, VC_ARCHIVE_OPEN_READ);
  if (code == VC_E_SUCCESS || code == VC_E_ENCRYPTED_FILE)
    return rcsMessage(ui, kStyleErrorCancel, formatText(std::string(loadString(kStrArchiveExists)).c_str(), file.c_str()));
  if (code != VC_E_PVCS_ARCHIVE && code != VC_E_SCCS_ARCHIVE) {
    showArchiveError(ui, code, file, kStyleError);
    return ui::kAnswerOk;
  }
  std::string archive, text;
  int nameCode = 0, result = 0;
  bool noDirectory = false;
  {
    BusyCursor busy(ui);
    nameCode = archiveNameFor(file, archive);
    noDirectory = nameCode == 0 && vcMakePath(archive.c_str()) != 0;
    if (nameCode == 0 && !noDirectory)
      result = convert(importers, code, file, stripLastPathComponent(archive), text);
  }
  if (nameCode != 0) {
    showArchiveError(ui, nameCode, file, kStyleError);
    return ui::kAnswerOk;
  }
  if (noDirectory) return rcsMessage(ui, kStyleErrorCancel, formatText(kNoArchiveDirText, archive.c_str()));
  if (result != 0) return rcsMessage(ui, kStyleErrorCancel, formatText(kConversionFailedText, text.c_str()));
  std::vector<char> work(size, '\0');
  if (size > 0 && vcFindWorkName(text.c_str(), work.data(), static_cast<int>(size)) == 0) {
    file = work.data();
    if (fileExists(file))
      return rcsMessage(ui, kStyleError, formatText(kOverwriteWarningText, text.c_str(), file.c_str()));
  }
  return showText(ui, ui::MessageIcon::information, formatText(kConvertedText, text.c_str()));
}

void importArchiveCommand(ui::Ui& ui, const ArchiveImporters& importers, const std::vector<std::string>& filters) {
  ui::FileRequest request;
  request.caption = "Import Archive";
  request.filters = filters;
  request.multiple = true;
  const std::vector<std::string> files = chooseFiles(ui, request);
  if (files.empty()) return;
  saveLibraryContext();
  for (std::string file : files) {
    if (file.size() >= kImportMenuNameSize) {
      showArchiveError(ui, VC_E_BAD_ARGUMENT, file, kStyleError);
      continue;
    }
    if (importOne(ui, importers, file, kImportMenuNameSize) == ui::kAnswerCancel) break;
  }
  restoreLibraryContext();
}

void ddeConvert(ui::Ui& ui, const ArchiveImporters& importers, const std::vector<std::string>& names) {
  for (std::string name : names) {
    if (name.size() >= kImportDdeNameSize) {
      showArchiveError(ui, VC_E_BAD_ARGUMENT, name, kStyleError);
      continue;
    }
    if (importOne(ui, importers, name, kImportDdeNameSize) == ui::kAnswerCancel) break;
  }
}

}  // namespace orv::workbench::external
