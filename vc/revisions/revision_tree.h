// Revisions in an archive's tree: expanding revision names (labels and
// numbers), the path from the head to a revision, and where a check-in puts
// its new revision (trunk, tip of a branch, or a new branch) with the number
// it gets.
#pragma once

#include "vc/archive/format/archive_model.h"

#include <string>
#include <string_view>
#include <vector>

namespace vc {

// Revision-name expansion: the name is split at '.'; each part is a number
// (leading zeros dropped) or a label (first character a letter or '_')
// replaced by its revision. 0, 51 (a part that is neither), 36 (unknown
// label) or 37 (a result of 2,048 characters or more). "" stays "".
int expandRevisionName(const vc::archive::ArchiveFile& a, std::string_view name, std::string& out);

// The revision a check-out of `expanded` means: the record of that number;
// for a branch or release number (an odd count of fields) that does not name
// a record, the nearest record the search ends at; for "" the default
// branch's or else the head. Null when there is none (48).
vc::archive::DeltaRecord* resolveRevision(vc::archive::ArchiveFile& a, const std::string& expanded);

// The records from the head to target, both included, following parents.
std::vector<vc::archive::DeltaRecord*> pathFromHead(vc::archive::DeltaRecord* target);

struct Placement {
  enum Kind { Trunk, BranchTip, NewBranch };
  Kind kind = Trunk;
  std::string number;                          // the new revision's number
  vc::archive::DeltaRecord* base = nullptr;   // the revision the new one follows (null: first)
};

// Chooses the new revision for a check-in against revision number r (already
// expanded; may name no revision). duplicate: a new revision without a
// working file, which always opens a branch from an existing base.
// 0, VC_E_SYMBOL_TOO_LONG (a last field that is not a number, or a result too
// long) or VC_E_REVISION_OUT_OF_RANGE.
int placeNewRevision(vc::archive::ArchiveFile& a, const std::string& r, bool duplicate, Placement& out);

// Whether a revision number taken from a working file's keywords may stand
// for the computed placement: the same field count and the same place.
bool sameTreePlace(const vc::archive::ArchiveFile& a, const Placement& p, const std::string& number);

}  // namespace vc
