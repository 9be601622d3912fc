// The five-button question of the multi-file runs: Yes, Yes to All, No,
// No to All and Cancel, answered 6, 1, 7, 3 and 2. Style bits choose the
// box's size (0x1 small, 0x4 medium, 0x2 large, tested in that order) and
// its default button (0x10 Yes, 0x20 Yes to All, 0x40 No, 0x80 No to All,
// 0x100 Cancel; none, or more than one, keeps Yes).
#pragma once

#include <string>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

enum class BoxSize { small, medium, large };

struct BoxChoice {
  BoxSize size = BoxSize::small;
  int defaultAnswer = ui::kAnswerYes;
};

BoxChoice chooseBox(unsigned style);

// The box's request: captioned with the application title, the question
// icon, text cut for display, the five buttons in their order.
ui::MessageRequest customMessageRequest(unsigned style, const std::string& text);

// Asks text with the five buttons; the answer of the pressed one (Cancel
// when the box is closed).
int customMessageBox(ui::Ui& ui, unsigned style, const std::string& text);

}  // namespace orv::workbench::app
