// Style decoding and the buttons of the five-button question.
#include "workbench/app/custom_message_box.h"

#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::app {

BoxChoice chooseBox(unsigned style) {
  BoxChoice c;
  if (style & 0x1)
    c.size = BoxSize::small;
  else if (style & 0x4)
    c.size = BoxSize::medium;
  else if (style & 0x2)
    c.size = BoxSize::large;
  switch (style & 0x1F0) {
    case 0x20: c.defaultAnswer = ui::kAnswerOk; break;
    case 0x40: c.defaultAnswer = ui::kAnswerNo; break;
    case 0x80: c.defaultAnswer = ui::kAnswerAbort; break;
    case 0x100: c.defaultAnswer = ui::kAnswerCancel; break;
    default: c.defaultAnswer = ui::kAnswerYes; break;  // 0x10, none, or several
  }
  return c;
}

ui::MessageRequest customMessageRequest(unsigned style, const std::string& text) {
  const BoxChoice choice = chooseBox(style);
  ui::MessageRequest r;
  r.caption = std::string(loadString(kStrAppTitle));
  r.text = cutForDisplay(text);
  r.icon = ui::MessageIcon::question;
  r.buttons = {{ui::kAnswerYes, "&Yes"},
               {ui::kAnswerOk, "Yes to &All"},
               {ui::kAnswerNo, "&No"},
               {ui::kAnswerAbort, "No to A&ll"},
               {ui::kAnswerCancel, "&Cancel"}};
  r.defaultAnswer = choice.defaultAnswer;
  // The larger boxes leave the text more room before it wraps.
  r.textLines = choice.size == BoxSize::small ? 2 : choice.size == BoxSize::medium ? 3 : 4;
  return r;
}

int customMessageBox(ui::Ui& ui, unsigned style, const std::string& text) {
  return ui.messageBox(customMessageRequest(style, text));
}

}  // namespace orv::workbench::app
