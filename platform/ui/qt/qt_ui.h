// The Qt side of the window seam: message boxes (the five-button box
// included), one-line input, file and directory choosers, the progress
// window, beeps, busy cursors, help and dialogs built from their
// descriptions, all as real widgets. Boxes and dialogs are centred over the
// owner window (the main frame) when there is one, else on the screen.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/ui/ui.h"

class QDialog;

namespace orv::ui::qt {

class ProgressDialog;

class QtUi : public Ui {
 public:
  // help opens the help at a context number (the program's help service).
  explicit QtUi(std::function<void(int context)> help = {});
  ~QtUi() override;

  // The window boxes and dialogs are owned by and centred over; none
  // before the main frame exists.
  void setOwner(QWidget* owner) { owner_ = owner; }
  QWidget* owner() const { return owner_; }

  int messageBox(const MessageRequest& request) override;
  std::optional<std::string> inputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
  std::vector<std::string> chooseFiles(const FileRequest& request) override;
  std::optional<std::string> chooseDirectory(const std::string& caption,
                                             const std::string& start) override;
  void showProgress(const ProgressView& view) override;
  void hideProgress() override;
  void pumpEvents() override;
  void beep() override;
  void pushBusyCursor() override;
  void popCursor() override;
  void showHelp(int context) override;
  int runDialog(const DialogDescription& description, DialogLogic& logic) override;
  int runSheet(SheetController& sheet) override;
  void post(std::function<void()> work) override;

  // The progress window while it is shown (tests look at it), else nullptr.
  ProgressDialog* progressWindow() const;
  int cursorDepth() const { return cursorDepth_; }

  // Deepest stack of busy cursors kept; pushes beyond it are counted only.
  static constexpr int kCursorStackLimit = 10;

  // Runs dialog modally, centred, with the progress window disabled meanwhile.
  int execCentred(QDialog& dialog);

 private:
  std::function<void(int)> help_;
  QPointer<QWidget> owner_;
  QPointer<ProgressDialog> progress_;
  int cursorDepth_ = 0;
};

// Moves window to the centre of owner (or of the screen, as centredPosition
// decides) for its current size.
void centreOver(QWidget& window, QWidget* owner);

}  // namespace orv::ui::qt
