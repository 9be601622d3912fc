// A window of the program that shows a text with an OK button: the
// project's log of View Log.
#pragma once

#include <string>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/commands/frame_registry.h"

namespace orv::workbench::dialogs {

inline constexpr int kTextViewDialogId = 380;
inline constexpr int kTextViewText = 101;

// The description of the window titled caption.
ui::DialogDescription textViewDescription(const std::string& caption);

class TextViewDialog : public ui::DialogLogic {
 public:
  explicit TextViewDialog(std::string text) : text_(std::move(text)) {}
  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface&, int) override {}
  bool canClose(ui::DialogSurface&, int) override { return true; }

 private:
  std::string text_;
};

// Shows text in the window titled caption until the user closes it.
void showTextView(ui::Ui& ui, const std::string& caption, const std::string& text);

// Gives the project windows' View Log its window.
void registerTextView(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
