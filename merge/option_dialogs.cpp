// The logic of the merge program's option dialogs (see option_dialogs.h).
#include "merge/option_dialogs.h"

namespace orv::merge {

using ui::ControlKind;

const std::array<long, kSwatchCount> kSwatches = {0x000000, 0x000080, 0x008000, 0x800000, 0x808080, 0x008080,
                                                  0x800080, 0x808000, 0xC0C0C0, 0x0000FF, 0x00FF00, 0xFF0000,
                                                  0xFFFFFF, 0x00FFFF, 0xFF00FF, 0xFFFF00};
const std::array<const char*, kKindCount> kKindCaptions = {"&Normal Text",  "&Changed Text", "&Added Text",
                                                           "&Deleted Text", "File &1 Text",  "File &2 Text"};

std::vector<std::string> compareFileFilters() {
  return {"All Files (*)", "Text Files (*.txt *.doc)", "C Files (*.c)", "C++ Files (*.cpp)",
          "Header Files (*.h *.hpp)"};
}

ui::DialogDescription compareFilesDescription() {
  ui::DialogDescription d;
  d.id = kCompareFilesDialog;
  d.title = "Compare Files";
  d.helpContext = 15;
  d.controls = {
      {0, ControlKind::label, "File &1:", 1},
      {kFile1Box, ControlKind::comboBox, "", 1},
      {0, ControlKind::label, "File &2:", 1},
      {kFile2Box, ControlKind::comboBox, "", 1},
      {0, ControlKind::groupBox, "Options", 2},
      {kIgnoreBlanksCheck, ControlKind::checkBox, "Ignore &blanks", 2},
      {kIgnoreCaseCheck, ControlKind::checkBox, "Ignore &case", 2},
      {kIgnoreWhiteSpaceCheck, ControlKind::checkBox, "Ignore &white space", 2},
      {ui::kAnswerOk, ControlKind::defaultButton, "OK", 0},
      {ui::kAnswerCancel, ControlKind::pushButton, "Cancel", 0},
      {kBrowseButton, ControlKind::pushButton, "&Browse...", 0},
      {ui::kHelpButtonId, ControlKind::pushButton, "&Help", 0},
  };
  return d;
}

CompareFilesLogic::CompareFilesLogic(ui::Ui& ui, CompareFiles& files, CompareOptions& options,
                                     bool preserveFileCase, std::string cwd)
    : ui_(ui), files_(files), options_(options), preserve_(preserveFileCase), cwd_(std::move(cwd)) {}

void CompareFilesLogic::setUp(ui::DialogSurface& s) {
  for (int side = 0; side < 2; ++side) {
    const int box = side == 0 ? kFile1Box : kFile2Box;
    s.setListItems(box, files_.history(side));
    if (!files_.history(side).empty()) s.setSelection(box, {0});
    s.setText(box, files_.selected(side));
  }
  s.setChecked(kIgnoreBlanksCheck, options_.ignoreBlanks);
  s.setChecked(kIgnoreCaseCheck, options_.ignoreCase);
  s.setChecked(kIgnoreWhiteSpaceCheck, options_.ignoreWhiteSpace);
  s.setFocus(kFile1Box);
  current_ = kFile1Box;
}

void CompareFilesLogic::command(ui::DialogSurface& s, int id) {
  const int focus = s.focus();
  if (focus == kFile1Box || focus == kFile2Box) current_ = focus;
  if (id == kFile1Box || id == kFile2Box) current_ = id;
  if (id != kBrowseButton) return;
  const int n = current_ == kFile1Box ? 1 : 2;
  ui::FileRequest request;
  request.caption = "Select Compare File " + std::to_string(n);
  request.fileName = s.text(current_);
  request.filters = compareFileFilters();
  const std::vector<std::string> chosen = ui_.chooseFiles(request);
  if (chosen.empty()) return;
  s.setText(current_, caseAdjusted(chosen.front(), preserve_));
  current_ = current_ == kFile1Box ? kFile2Box : kFile1Box;
  s.setFocus(current_);
}

bool CompareFilesLogic::canClose(ui::DialogSurface& s, int result) {
  if (result != ui::kAnswerOk) return true;
  int focus = 0;
  const std::string error = files_.accept(s.text(kFile1Box), s.text(kFile2Box), cwd_, preserve_, &focus);
  if (!error.empty()) {
    ui_.beep();
    ui_.messageBox(ui::okBox("Compare Files", error, ui::MessageIcon::warning));
    s.setFocus(focus);
    current_ = focus;
    return false;
  }
  options_.ignoreBlanks = s.isChecked(kIgnoreBlanksCheck);
  options_.ignoreCase = s.isChecked(kIgnoreCaseCheck);
  options_.ignoreWhiteSpace = s.isChecked(kIgnoreWhiteSpaceCheck);
  return true;
}

ui::DialogDescription commentsDescription() {
  ui::DialogDescription d;
  d.id = kCommentsDialog;
  d.title = "Comments";
  d.helpContext = 31;
  d.controls = {
      {0, ControlKind::groupBox, "Comment Delimiters", 1},
      {0, ControlKind::label, "&Left", 1},
      {kCommentBeginEdit, ControlKind::lineEdit, "", 1},
      {0, ControlKind::label, "&Right", 1},
      {kCommentEndEdit, ControlKind::lineEdit, "", 1},
      {ui::kAnswerOk, ControlKind::defaultButton, "OK", 0},
      {ui::kAnswerCancel, ControlKind::pushButton, "Cancel", 0},
      {ui::kHelpButtonId, ControlKind::pushButton, "&Help", 0},
  };
  return d;
}

void CommentsLogic::setUp(ui::DialogSurface& s) {
  s.setText(kCommentBeginEdit, settings_.commentBegin);
  s.setText(kCommentEndEdit, settings_.commentEnd);
  s.setFocus(kCommentBeginEdit);
}

bool CommentsLogic::canClose(ui::DialogSurface& s, int result) {
  if (result == ui::kAnswerOk) {
    settings_.commentBegin = s.text(kCommentBeginEdit).substr(0, kCommentLimit);
    settings_.commentEnd = s.text(kCommentEndEdit).substr(0, kCommentLimit);
  }
  return true;
}

void ColourChoice::leftClick(int swatch) {
  if (swatch >= 0 && swatch < kSwatchCount)
    table_[static_cast<std::size_t>(current_)].foreground = kSwatches[static_cast<std::size_t>(swatch)];
}

void ColourChoice::rightClick(int swatch) {
  if (swatch >= 0 && swatch < kSwatchCount)
    table_[static_cast<std::size_t>(current_)].background = kSwatches[static_cast<std::size_t>(swatch)];
}

std::string ColourChoice::label(int swatch) const {
  if (swatch < 0 || swatch >= kSwatchCount) return {};
  const long c = kSwatches[static_cast<std::size_t>(swatch)];
  const LineColours& k = kind(current_);
  const bool fg = k.foreground == c, bg = k.background == c;
  return fg && bg ? "FG BG" : fg ? "FG" : bg ? "BG" : "";
}

ColourTable ColourChoice::accepted() const {
  ColourTable t = table_;
  for (int i = 0; i < kKindCount; ++i) t[static_cast<std::size_t>(i)].set = true;
  t[6] = t[0];
  return t;
}

}  // namespace orv::merge
