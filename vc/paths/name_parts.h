// Tests and parts of path names as the archive and project code asks for
// them: the kind of an absolute name, a drive root, the name part and the
// directory part. Both "/" and "\" count as separators here, so these work on
// names before and after normalisation (path_name.h).
#pragma once

#include <string>

namespace vc {

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

}  // namespace vc
