// The helpers that build the common message boxes, and the look-up of a
// control in a dialog description.
#include "platform/ui/ui.h"

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

std::optional<int> DialogDescription::controlHelp(int controlId, int parentId) const {
  for (int wanted : {controlId, parentId}) {
    if (wanted == 0) continue;
    for (const auto& [control, context] : helpPairs) {
      if (control == wanted) return context;
    }
  }
  return std::nullopt;
}

Point centredPosition(const std::optional<Rect>& frame, const Rect& screen, int w, int h) {
  if (frame) {
    // Integer division towards zero, as the dialogs have always done: a
    // dialog wider than the frame gets a negative half.
    Point p{frame->x + (frame->width - w) / 2, frame->y + (frame->height - h) / 2};
    if (p.x >= screen.x && p.y >= screen.y && p.x + w <= screen.x + screen.width &&
        p.y + h <= screen.y + screen.height)
      return p;
  }
  return {screen.x + (screen.width - w) / 2, screen.y + (screen.height - h) / 2};
}

const ControlDescription* DialogDescription::find(int controlId) const {
  for (const auto& c : controls) {
    if (c.id == controlId) return &c;
  }
  return nullptr;
}

int Ui::runSheet(SheetController&) { return kAnswerCancel; }

}  // namespace orv::ui
