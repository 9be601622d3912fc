// The helpers that build the common message boxes, and the look-up of a
// control in a dialog description.
#include "ui/ui.h"

#include <utility>

namespace orv::ui {

namespace {

MessageRequest box(std::string caption, std::string text, MessageIcon icon,
                   std::vector<MessageButton> buttons) {
  MessageRequest r;
  r.caption = std::move(caption);
  r.text = std::move(text);
  r.icon = icon;
  r.defaultAnswer = buttons.front().answer;
  r.buttons = std::move(buttons);
  return r;
}

}  // namespace

MessageRequest okBox(std::string caption, std::string text, MessageIcon icon) {
  return box(std::move(caption), std::move(text), icon, {{kAnswerOk, ""}});
}

MessageRequest okCancelBox(std::string caption, std::string text, MessageIcon icon) {
  return box(std::move(caption), std::move(text), icon, {{kAnswerOk, ""}, {kAnswerCancel, ""}});
}

MessageRequest yesNoBox(std::string caption, std::string text, MessageIcon icon) {
  return box(std::move(caption), std::move(text), icon, {{kAnswerYes, ""}, {kAnswerNo, ""}});
}

const ControlDescription* DialogDescription::find(int controlId) const {
  for (const auto& c : controls) {
    if (c.id == controlId) return &c;
  }
  return nullptr;
}

}  // namespace orv::ui
