// Temporary file names of the library.
//
// Beside a file (commit files and backups):
//   <dir>/<prefix, at most 4 characters><pid & 0xffff as %04x>.<%03d counter>
// with the prefixes "vc_" (archive work) and "vj_" (project and dependency
// files). In the temporary directory:
//   <dir>/<prefix, at most 3 characters, default "TMP"><%04x counter>.$$$
// tried in $TMPDIR, $TEMP, $TMP, the caller's directory, /tmp and the current
// directory. Every name is created exclusively (never an existing file or a
// planted link) with mode 0600, retrying with the next counter on a clash,
// and the file is marked in use (platform/fs/temp_file.h) while it is open.
//
// Files nobody needs to find by name (commit files until the swap, plain
// copies of compressed and encrypted archives; check-in compares in memory
// and creates none) are made unnamed where the file system allows, else
// named and unlinked at once; they are reached through /proc/self/fd. A process killed
// at any moment thus leaves nothing in the temporary directory, and beside an
// archive only names of the form above, which removeStaleTemps clears once
// their process is gone.
#pragma once

#include <string>

namespace vc {

struct VcInstance;

inline constexpr const char* kArchiveTempPrefix = "vc_";
inline constexpr const char* kProjectTempPrefix = "vj_";

struct TempFile {
  int fd = -1;
  std::string path;    // its name, or for an unnamed file /proc/self/fd/N
  bool named = true;   // removeTemp unlinks path
};

// Creates a temporary file beside others in dir. 0, or VC_E_CANNOT_CREATE_TEMP
// (extra error = errno) when no name could be created.
int createTempBeside(VcInstance* inst, const std::string& dir, const char* prefix, TempFile& out);
// Creates a temporary file in the temporary directory. 0 or
// VC_E_CANNOT_CREATE_TEMP.
int createTempInTempDir(VcInstance* inst, const char* callerDir, const char* prefix, TempFile& out);
// An unnamed temporary file in dir (see above). 0 or VC_E_CANNOT_CREATE_TEMP.
int createUnnamedBeside(VcInstance* inst, const std::string& dir, TempFile& out);
// Gives an unnamed file a temporary name beside others in dir (the commit
// file, just before the swap). 0 or VC_E_CANNOT_CREATE_TEMP.
int nameTempBeside(VcInstance* inst, const std::string& dir, const char* prefix, TempFile& file);
// Closes and deletes a temporary file; a close failure goes to the extra error.
void removeTemp(VcInstance* inst, TempFile& file);
// Removes from dir the temporary files ("vc_" and "vj_" names) of processes
// that are gone; none that a live process may still use. Returns how many.
int removeStaleTemps(const std::string& dir);

}  // namespace vc
