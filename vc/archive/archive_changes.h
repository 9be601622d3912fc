// The events that run around each change an information item makes to an
// archive: the new value is offered to the pre-event script, which may halt
// or refuse the change, and the post-event runs once it is made.
#pragma once

namespace vc {

struct VcInstance;
struct VcArchive;

// Around a change of an archive: the value goes into the local option
// `newvalue`, then the pre-event runs ("pre" + event). 0 lets the change go
// on; 82 for a halt, a refusal code (above 234) as it is.
int beforeChange(VcInstance& inst, VcArchive& a, const char* event, const char* value,
                 const char* revision);
void afterChange(VcArchive& a, const char* event, const char* revision);

}  // namespace vc
