// The file operations the archive and project code share: forced removal,
// the read-only attribute, directory creation for a path, copying with an
// overwrite question and reading lines with a status. The tests and parts of
// path names are in vc/paths/name_parts.h, the sanitising of names in
// vc/tokens/safe_names.h.
#pragma once

#include "vc/include/vc.h"

#include <cstdio>
#include <string>

namespace vc {

struct VcInstance;

// Deletes a file whatever its permission bits; 0 or the system error number.
int forceRemove(const std::string& path);
// Read-only: no write bits; writable: owner write bit added. 0 or errno.
int setReadOnly(const std::string& path);
int setWritable(const std::string& path);


// Copies source to destination: creates the destination's directories (202),
// asks ask (when given) before overwriting an existing destination, also
// with the archive-directory warning when inArchiveDirectory, and answers
// 231 on a "no" or any failure. The destination is replaced whole and gets
// the source's permission bits.
int copyFile(VcInstance* inst, const std::string& source, const std::string& destination,
             bool inArchiveDirectory, VcYesNoFn ask);

// Line reading statuses.
enum LineStatus {
  kLineWhole = 0,     // a whole line (with its line feed)
  kLineEof = 1,       // end of file, nothing read
  kLineLast = 2,      // a last line without line feed
  kLineTooLong = 3,   // the buffer filled before the line ended
  kLineNulByte = 4,   // a NUL byte was read
  kLineReadError = 5,
};
// Reads up to size - 1 bytes into buf, stopping after a line feed.
int readLine(char* buf, std::size_t size, std::FILE* stream, std::size_t* length = nullptr);

}  // namespace vc
