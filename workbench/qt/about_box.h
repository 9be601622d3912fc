// The About box: the program's name, what it is, and the revision
// library's level, as a dialog of the seam.
#pragma once

#include "platform/ui/ui.h"

namespace orv::workbench {

// The About box's description (dialog 101, OK to close).
ui::DialogDescription aboutBoxDescription();
// Runs the About box modally.
void runAboutBox(ui::Ui& ui);

}  // namespace orv::workbench
