// Turning style words into message requests, and the five-button box.
#include "shell/message_styles.h"

#include <utility>

#include "shell/messages.h"
#include "vc/include/vc.h"

namespace orv::shell {

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

int customMessageBox(ui::Ui& ui, unsigned style, std::string text) {
  ui::MessageRequest r;
  r.text = std::move(text);
  r.icon = ui::MessageIcon::question;
  r.buttons = {{ui::kAnswerYes, "&Yes"},
               {kAnswerYesToAll, "Yes to &All"},
               {ui::kAnswerNo, "&No"},
               {kAnswerNoToAll, "No to A&ll"},
               {ui::kAnswerCancel, "&Cancel"}};
  switch (style & 0xFF0) {
    case 0x20: r.defaultAnswer = kAnswerYesToAll; break;
    case 0x40: r.defaultAnswer = ui::kAnswerNo; break;
    case 0x80: r.defaultAnswer = kAnswerNoToAll; break;
    case 0x100: r.defaultAnswer = ui::kAnswerCancel; break;
    default: r.defaultAnswer = ui::kAnswerYes; break;
  }
  return showMessage(ui, std::move(r));
}

std::string libraryErrorText(int code) {
  char text[256] = {};
  if (vcErrorStr(code, text, sizeof text) != 0 && text[0] == '\0') return {};
  return text;
}

}  // namespace orv::shell
