// Small file services the archive and project code share: forced removal,
// the read-only attribute, directory creation for a path, copying with an
// overwrite question, reading lines with a status, and path tests.
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

// Creates every missing directory leading to the file path, top down. An
// existing directory is no failure; a component that exists but is not a
// directory is (ENOTDIR). 0 or errno.
int makeDirectoriesFor(const std::string& filePath);

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

// -1 when the name begins with '/' or '\', 1 when its second character is
// ':', 0 otherwise.
int absoluteNameKind(const char* name);
// A letter, ':' and nothing or a single separator.
bool isDriveRoot(const char* name);
// The name part of a path (keyword expansion, information items): the text
// after the last '/', '\' or ':'; the whole path when no separator stands
// after its first character.
std::string namePart(const std::string& path);

// Everything before the last '/' or '\', or "." when there is none.
std::string directoryPart(const std::string& path);

// Names in lists: first character '_' or a letter, later characters
// printable other than ';', ':', '@' and ','; others become '_'.
std::string sanitizeName(const std::string& name);
// A letter first, then letters, digits and '_'.
bool isIdentifier(const std::string& name);

}  // namespace vc
