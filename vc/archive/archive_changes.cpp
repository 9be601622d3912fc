// The events around an archive change (see archive_changes.h).
#include "vc/archive/archive_changes.h"

#include "vc/archive/archive_handles.h"
#include "vc/config/option_list.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/event_sources.h"
#include "vc/config/option_state.h"
#include "vc/security/security_state.h"

#include <string>

namespace vc {

int beforeChange(VcInstance& inst, VcArchive& a, const char* event, const char* value,
                 const char* revision) {
  setOption(optionsOf(inst).local, "newvalue", std::string(value ? value : ""), kOptTemporary);
  const int rc = runPreEvent(a.handle, event, revision);
  if (rc == 0) return 0;
  if (rc > err::kNoMessage) {
    securityOf(inst).error = 0;
    inst.extraError = 0;
    return fail(inst, rc);
  }
  return fail(inst, err::kEventHalted);
}

void afterChange(VcArchive& a, const char* event, const char* revision) {
  runPostEvent(a.handle, event, revision);
}

}  // namespace vc
