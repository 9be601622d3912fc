// Message boxes described by the old platform's style word, as the archive
// and project operations give them: the low four bits choose the buttons
// (0 OK, 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No), 0x10/0x20/0x30/0x40 the
// icon (stop, question, exclamation, information) and 0x100/0x200 make the
// second or third button the default. The five-button box of runs over
// several files (Yes, Yes to All, No, No to All, Cancel) takes its own
// style word. Every text goes through showMessage: captioned with the
// application title and cut for display.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/ui.h"
#include "workbench/app/custom_message_box.h"

namespace orv::workbench::app {

constexpr unsigned kStyleError = 0x30;        // exclamation, OK
constexpr unsigned kStyleErrorCancel = 0x31;  // exclamation, OK and Cancel
constexpr unsigned kStyleQuestion = 0x24;     // question, Yes and No
constexpr unsigned kStyleQuestionNoDefault = 0x124;
constexpr unsigned kStyleQuestionCancel = 0x23;  // question, Yes, No and Cancel

// Answers of the five-button box.
constexpr int kAnswerYesToAll = ui::kAnswerOk;     // 1
constexpr int kAnswerNoToAll = ui::kAnswerAbort;   // 3

// The request a style word describes.
ui::MessageRequest styledRequest(unsigned style, std::string text);
// Shows text in the box style describes; the answer.
int rcsMessage(ui::Ui& ui, unsigned style, std::string text);
// The same with the revision library's text for code appended after two
// new lines.
int rcsErrorMessage(ui::Ui& ui, unsigned style, int code, std::string text);

// The revision library's text for a result code.
std::string libraryErrorText(int code);

// printf-style formatting of text number id of the string table.
template <class... Args>
std::string formatString(int id, Args... args);

}  // namespace orv::workbench::app

#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

template <class... Args>
std::string formatString(int id, Args... args) {
  const std::string format(loadString(id));
  if constexpr (sizeof...(Args) == 0) {
    return format;
  } else {
    return formatText(format.c_str(), args...);
  }
}

}  // namespace orv::workbench::app
