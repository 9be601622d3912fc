// The About box's controls and its (empty) logic.
#include "workbench/qt/about_box.h"

#include <string>

#include "workbench/app/startup_checks.h"
#include "workbench/app/string_table.h"

namespace orv::workbench {

ui::DialogDescription aboutBoxDescription() {
  ui::DialogDescription d;
  d.id = 101;
  d.title = "About " + std::string(app::loadString(app::kStrAppTitle));
  d.controls = {
      {100, ui::ControlKind::label, std::string(app::loadString(app::kStrAppTitle)), 1},
      {0, ui::ControlKind::label, "The revision-control workbench: archives, projects and sandboxes.", 1},
      {0, ui::ControlKind::label,
       "Works with revision library level " + std::to_string(app::kRequiredLibraryLevel) +
           " or later.",
       1},
      {1, ui::ControlKind::defaultButton, "OK", 0},
  };
  return d;
}

void runAboutBox(ui::Ui& ui) {
  struct AboutLogic : ui::DialogLogic {
    void setUp(ui::DialogSurface& s) override { s.setFocus(1); }
    void command(ui::DialogSurface&, int) override {}
    bool canClose(ui::DialogSurface&, int) override { return true; }
  } logic;
  ui.runDialog(aboutBoxDescription(), logic);
}

}  // namespace orv::workbench
