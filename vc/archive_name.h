// The absolute name an archive is opened and committed under. A small rule
// of its own until the path layer takes over: '\' becomes '/', a name that
// begins with '/' or a drive letter is absolute already, any other name is
// taken below the instance's current directory with its leading "./" and
// "../" resolved.
#pragma once

#include <string>

namespace vc {

struct VcInstance;

// 0, or 12 when the name needs 512 bytes or more.
int absoluteArchiveName(const VcInstance& inst, const std::string& name, std::string& out);

}  // namespace vc
