// Temporary file names of the library.
//
// Beside a file (commit files, backups, check-in and texts files):
//   <dir>/<prefix, at most 4 characters><pid & 0xffff as %04x>.<%03d counter>
// with the prefixes "vc_" (archive work) and "vj_" (project and dependency
// files). In the temporary directory:
//   <dir>/<prefix, at most 3 characters, default "TMP"><%04x counter>.$$$
// tried in $TMPDIR, $TEMP, $TMP, the caller's directory, /tmp and the current
// directory. Every name is created exclusively (never an existing file or a
// planted link) with mode 0600, retrying with the next counter on a clash.
#pragma once

#include <string>

namespace vc {

struct VcInstance;

inline constexpr const char* kArchiveTempPrefix = "vc_";
inline constexpr const char* kProjectTempPrefix = "vj_";

struct TempFile {
  int fd = -1;
  std::string path;
};

// Creates a temporary file beside others in dir. 0, or 206 (extra error =
// errno) when no name could be created.
int createTempBeside(VcInstance* inst, const std::string& dir, const char* prefix, TempFile& out);
// Creates a temporary file in the temporary directory. 0 or 206.
int createTempInTempDir(VcInstance* inst, const char* callerDir, const char* prefix, TempFile& out);
// Closes and deletes a temporary file; a close failure goes to the extra error.
void removeTemp(VcInstance* inst, TempFile& file);

}  // namespace vc
