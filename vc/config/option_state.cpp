// The option lists of an instance (see option_state.h).
#include "vc/config/option_state.h"

#include "vc/instance/instance.h"

namespace vc {

VcOptionState& optionsOf(VcInstance& inst) { return instancePart<VcOptionState>(inst); }

VcListSet currentLists(VcInstance& inst) {
  VcOptionState& o = optionsOf(inst);
  VcListSet set;
  set.global = &o.global;
  set.archive = o.archive;
  for (int i = 0; i < 3; ++i) set.project[i] = o.project[i];
  set.local = &o.local;
  return set;
}

}  // namespace vc
