// The user names of the information items and the locks held by users: the
// current user and the login name, the comparison of user names, and the
// lock on a revision or of a user. Token validation is in
// vc/tokens/item_values.h, the order of revisions in
// vc/revisions/revision_order.h, the change events in archive_changes.h.
#pragma once

#include "vc/archive/format/archive_model.h"

#include <string>

namespace vc {

struct VcInstance;

// The current user (locks, access list, item 41): the authenticated user
// when set, else the option `logname`, else "unknown"; made safe.
std::string currentUserName(VcInstance& inst);
// The login name (authors, item 61): the option `logname`, else the
// authenticated user, else "unknown"; made safe.
std::string loginName(VcInstance& inst);

// Case-blind ASCII comparison of user names.
bool sameUser(const std::string& a, const std::string& b);

// The lock on a revision (null when unlocked) and the lock a user holds.
const orv::archive::Lock* lockOn(const orv::archive::ArchiveFile& a, const std::string& revision);
const orv::archive::Lock* lockOf(const orv::archive::ArchiveFile& a, const std::string& user);

}  // namespace vc
