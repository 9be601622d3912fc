// What an instance knows of its security database (see security_state.h).
#include "vc/security/security_state.h"

#include "vc/instance/instance.h"

namespace vc {

VcSecurityState& securityOf(VcInstance& inst) { return instancePart<VcSecurityState>(inst); }

}  // namespace vc
