// The locks users hold in an archive: the comparison of user names, and the
// lock on a revision or of a user. The user names themselves come from
// config/user_name.h.
#pragma once

#include "vc/archive/format/archive_model.h"

#include <string>

namespace vc {

// Case-blind ASCII comparison of user names.
bool sameUser(const std::string& a, const std::string& b);

// The lock on a revision (null when unlocked) and the lock a user holds.
const vc::archive::Lock* lockOn(const vc::archive::ArchiveFile& a, const std::string& revision);
const vc::archive::Lock* lockOf(const vc::archive::ArchiveFile& a, const std::string& user);

}  // namespace vc
