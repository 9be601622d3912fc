// The text window (see text_view_dialog.h).
#include "workbench/dialogs/text_view_dialog.h"

namespace orv::workbench::dialogs {

ui::DialogDescription textViewDescription(const std::string& caption) {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kTextViewDialogId;
  d.title = caption;
  d.controls = {
      {kTextViewText, K::multiLineEdit, "", 1},
      {ui::kAnswerOk, K::defaultButton, "OK", 0},
  };
  return d;
}

void TextViewDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kTextViewText, text_);
  surface.setFocus(ui::kAnswerOk);
}

void showTextView(ui::Ui& ui, const std::string& caption, const std::string& text) {
  TextViewDialog logic(text);
  ui.runDialog(textViewDescription(caption), logic);
}

void registerTextView(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  ui::Ui& ui = context.ui;
  registry.memberDialogs.showText = [&ui](const std::string& caption, const std::string& text) {
    showTextView(ui, caption, text);
  };
}

}  // namespace orv::workbench::dialogs
