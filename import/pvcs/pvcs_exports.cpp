// The exports of libpvcsty32.so: one conversion at a time per process; the
// message of the last one for pvcs2rcsError.
#include <atomic>
#include <cerrno>
#include <new>

#include "import/include/orv/pvcsty32.h"
#include "import/pvcs/pvcs_model.h"
#include "platform/sys/system_calls.h"

namespace orv::import {

namespace {

std::atomic<bool> g_busy{false};
MessageBuffer g_msgs;

// The archive's file name: the last component of the working-file name.
std::string archiveName(const std::string& workName, const std::string& input) {
  const std::size_t cut = workName.find_last_of("/\\:");
  const std::string name = cut == std::string::npos ? workName : workName.substr(cut + 1);
  if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos)
    g_msgs.fail(false, "%s: unusable working file name \"%s\"", input.c_str(), workName.c_str());
  return name;
}

void convert(bool century, const char* pvcsFile, const char* archiveDir) {
  if (!archiveDir || !*archiveDir) g_msgs.fail(false, "bad RCS archive directory");
  const std::string input = pvcsFile ? pvcsFile : "";
  std::string bytes;
  if (int e = orv::sys::readWholeFile(input, bytes)) {
    errno = e;
    g_msgs.fail(true, "input file \"%s\"", input.c_str());
  }
  PvcsArchive archive;
  readPvcsArchive(bytes, input, century, g_msgs, archive);
  std::string dir = archiveDir;
  for (char& c : dir)
    if (c == '\\') c = '/';
  const std::string path = dir + (dir.back() == '/' ? "" : "/") + archiveName(archive.workName, input);
  ArchiveOutput out(g_msgs, path, archive.writeProtect, "Would overwrite existing archive \"%s\"");
  writePvcsArchive(archive, input, g_msgs, out);
  out.commit();
  g_msgs.set(path);
}

}  // namespace

}  // namespace orv::import

using namespace orv::import;

extern "C" {

ORV_PVCS_API int pvcs2rcsFile(int century, const char* pvcsfile, const char* archivedir) {
  return runConversion(g_busy, g_msgs, [&] { convert(century != 0, pvcsfile, archivedir); });
}

ORV_PVCS_API int pvcs2rcsError(char* buf, int len) { return g_msgs.copyOut(buf, len); }

}  // extern "C"
