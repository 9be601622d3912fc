// Turning style words into message requests, and the five-button box.
#include "workbench/app/message_styles.h"

#include <utility>

#include "vc/include/vc.h"
#include "workbench/app/messages.h"

namespace orv::workbench::app {

namespace {

ui::MessageIcon iconOf(unsigned style) {
  switch (style & 0xF0) {
    case 0x10: return ui::MessageIcon::error;
    case 0x20: return ui::MessageIcon::question;
    case 0x30: return ui::MessageIcon::warning;
    case 0x40: return ui::MessageIcon::information;
    default: return ui::MessageIcon::none;
  }
}

std::vector<ui::MessageButton> buttonsOf(unsigned style) {
  switch (style & 0x0F) {
    case 1: return {{ui::kAnswerOk, ""}, {ui::kAnswerCancel, ""}};
    case 2: return {{ui::kAnswerAbort, ""}, {ui::kAnswerRetry, ""}, {ui::kAnswerIgnore, ""}};
    case 3: return {{ui::kAnswerYes, ""}, {ui::kAnswerNo, ""}, {ui::kAnswerCancel, ""}};
    case 4: return {{ui::kAnswerYes, ""}, {ui::kAnswerNo, ""}};
    case 5: return {{ui::kAnswerRetry, ""}, {ui::kAnswerCancel, ""}};
    default: return {{ui::kAnswerOk, ""}};
  }
}

}  // namespace

ui::MessageRequest styledRequest(unsigned style, std::string text) {
  ui::MessageRequest r;
  r.text = std::move(text);
  r.icon = iconOf(style);
  r.buttons = buttonsOf(style);
  std::size_t index = (style >> 8) & 0x0F;
  if (index >= r.buttons.size()) index = 0;
  r.defaultAnswer = r.buttons[index].answer;
  return r;
}

int rcsMessage(ui::Ui& ui, unsigned style, std::string text) {
  return showMessage(ui, styledRequest(style, std::move(text)));
}

int rcsErrorMessage(ui::Ui& ui, unsigned style, int code, std::string text) {
  return showErrorMessage(ui, styledRequest(style, std::move(text)), libraryErrorText(code));
}

std::string libraryErrorText(int code) {
  char text[256] = {};
  if (vcErrorStr(code, text, sizeof text) != 0 && text[0] == '\0') return {};
  return text;
}

}  // namespace orv::workbench::app
