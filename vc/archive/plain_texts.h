// The plain texts of an archive's text records as callers see them: loaded
// from memory or from the archive, with every doubled '@' made single.
#pragma once

#include "vc/archive/format/archive_model.h"

#include <string>

namespace vc {

struct VcInstance;
struct VcArchive;

// The plain content of a text record; 0 or the reader's code (recorded).
int plainText(VcInstance& inst, VcArchive& a, const vc::archive::TextRecord& t, std::string& out);
// The same copied into (buf, len): 0, 4 or a reader's code.
int archiveText(VcInstance& inst, VcArchive& a, const vc::archive::TextRecord& t, char* buf, int len);

}  // namespace vc
