// Permission bits of working files (vcSetWorkPerms). The archive module
// tells this one whether a handle is open and uses strict locking.
#pragma once

namespace vc {

struct VcInstance;

// Answers 0 with *strict set, or 7 for a handle that is not open.
using StrictLockingQuery = int (*)(VcInstance& inst, int archive, bool* strict);
void setStrictLockingQuery(StrictLockingQuery query);

}  // namespace vc
