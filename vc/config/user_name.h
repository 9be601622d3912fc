// The names of the user the library acts for, each by one rule, in one
// place. Everything that needs a user name asks here and nowhere else:
//
//   currentUserName  the user who holds locks, is looked up on access lists
//                    and is asked about in the security database
//                    (VC_SYSINFO_USER, the `%u` of the operation log);
//   loginName        the user named as author of new revisions
//                    (VC_SYSINFO_LOGIN_NAME, the `%a` of the operation log).
//
// Their two sources are the authenticated user (the system's name for the
// process's user found at start-up, or the name set through
// VC_SYSINFO_SET_AUTHENTICATED_USER) and the option `logname`. Both answers are made safe for the
// archive's lists by sanitizeName (tokens/safe_names.h) and are never empty.
#pragma once

#include "vc/instance/seams.h"

#include <cstddef>
#include <string>

namespace vc {

struct VcInstance;

// The authenticated user as held (not made safe); empty when there is none.
std::string authenticatedUser(const VcInstance& inst);

// The name found at start-up as the caller sees it (VC_SYSINFO_START_USER
// of vcGetSysInfo): the authenticated user, else $LOGNAME, else empty. Only
// reported: the rules below never fall back on $LOGNAME.
std::string startUpUserName(const VcInstance& inst);

// The authenticated user when set, else the option `logname`, else
// "unknown"; made safe.
std::string currentUserName(VcInstance& inst);

// The option `logname` when it has a value, else the authenticated user,
// else "unknown"; made safe.
std::string loginName(VcInstance& inst);

}  // namespace vc
