// Helpers of the information items (archive, revision and instance items):
// token rules, the enumeration order of revisions, relations
// between revisions, and the events that run around each change of an
// archive. Revision names are expanded by revision_tree.h; the user names
// are instance/user_name.h's.
#pragma once

#include "vc/archive/format/archive_model.h"

#include <string>
#include <vector>

namespace vc {

struct VcInstance;
struct VcArchive;

// Token kinds of vcValidateToken.
inline constexpr int kTokenUser = 52;
inline constexpr int kTokenRevision = 53;
inline constexpr int kTokenState = 54;
inline constexpr int kTokenLabel = 55;
inline constexpr int kTokenUserAlt = 56;
inline constexpr int kTokenConfigLine = 74;
inline constexpr int kTokenNameFormat = 76;

// 0 valid, 54 invalid, 56 for a kind without a rule.
int validateToken(VcInstance& inst, int kind, const std::string& text);

// All revisions in enumeration order: down the trunk; before each revision
// its branches from the last listed to the first, each from its last
// revision back to its first, branch revisions' own branches first.
std::vector<orv::archive::DeltaRecord*> enumerationOrder(const orv::archive::ArchiveFile& a);

// Relations of a revision; null when there is none.
bool onTrunk(const orv::archive::DeltaRecord* d);
// The revision before d on its line (trunk: the next-older one; branch: the
// preceding one, null for the first).
orv::archive::DeltaRecord* previousOnLine(const orv::archive::DeltaRecord* d);
// The next-newer revision on d's line.
orv::archive::DeltaRecord* nextNewerOnLine(const orv::archive::DeltaRecord* d);

// Case-blind ASCII comparison of user names.
bool sameUser(const std::string& a, const std::string& b);

// The lock on a revision (null when unlocked) and the lock a user holds.
const orv::archive::Lock* lockOn(const orv::archive::ArchiveFile& a, const std::string& revision);
const orv::archive::Lock* lockOf(const orv::archive::ArchiveFile& a, const std::string& user);

// Around a change of an archive: the value goes into the local option
// `newvalue`, then the pre-event runs ("pre" + event). 0 lets the change go
// on; 82 for a halt, a refusal code (above 234) as it is.
int beforeChange(VcInstance& inst, VcArchive& a, const char* event, const char* value,
                 const char* revision);
void afterChange(VcArchive& a, const char* event, const char* revision);

// A single-byte value: a digit character counts as its digit, any other
// byte as its own value.
int byteValue(const char* value);

}  // namespace vc
