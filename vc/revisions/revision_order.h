// The order in which revisions are enumerated and the relations between
// revisions on one line of the tree (the trunk or a branch), as the
// information items report them. Revision names are expanded by
// revision_tree.h.
#pragma once

#include "vc/archive/format/archive_model.h"

#include <vector>

namespace vc {

// All revisions in enumeration order: down the trunk; before each revision
// its branches from the last listed to the first, each from its last
// revision back to its first, branch revisions' own branches first.
std::vector<vc::archive::DeltaRecord*> enumerationOrder(const vc::archive::ArchiveFile& a);
// The first revision of that order and the one after d (null after the
// last or for a record not in the tree), from the order made once per
// change of the tree, so that a walk over every revision costs one pass.
vc::archive::DeltaRecord* firstInEnumeration(const vc::archive::ArchiveFile& a);
vc::archive::DeltaRecord* nextInEnumeration(const vc::archive::ArchiveFile& a, const vc::archive::DeltaRecord* d);

// Relations of a revision; null when there is none.
bool onTrunk(const vc::archive::DeltaRecord* d);
// The revision before d on its line (trunk: the next-older one; branch: the
// preceding one, null for the first).
vc::archive::DeltaRecord* previousOnLine(const vc::archive::DeltaRecord* d);
// The next-newer revision on d's line.
vc::archive::DeltaRecord* nextNewerOnLine(const vc::archive::DeltaRecord* d);

}  // namespace vc
