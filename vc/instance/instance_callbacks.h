// The callbacks an instance calls its host through (registered with the
// vcSet...CB calls). All are optional.
#pragma once

#include "vc/include/vc.h"

namespace vc {

struct VcCallbacks {
  VcEchoTraceFn echoTrace = nullptr;
  VcQueryFn query = nullptr;
  VcPasswordFn password = nullptr;
  VcProjectVariableFn projectVariable = nullptr;
  VcStatusFn status = nullptr;
  VcLocationFn location = nullptr;
  VcYesNoFn yesNo = nullptr;
  unsigned int handle = 0;  // opaque caller value (vcSetCBHandle)
};

}  // namespace vc
