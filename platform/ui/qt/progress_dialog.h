// The progress window of long operations: a heading, the current line
// (shortened in its middle to the window's width), a percentage gauge when
// the operation counts its steps, and Cancel. It is application-modal
// without blocking: only it takes input while the work goes on. Cancel and
// the close button only report the wish; the window's owner hides it.
#pragma once

#include <QDialog>
#include <functional>

#include "platform/ui/ui.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace orv::ui::qt {

class ProgressDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProgressDialog(QWidget* parent);

  void update(const ProgressView& view);

  QLabel* heading() const { return heading_; }
  QLabel* line() const { return line_; }
  QProgressBar* gauge() const { return gauge_; }
  QPushButton* cancelButton() const { return cancel_; }

 public slots:
  void reject() override;

 private:
  QLabel* heading_;
  QLabel* line_;
  QProgressBar* gauge_;
  QLabel* percent_;
  QPushButton* cancel_;
  QString fullLine_;
  std::function<void()> onCancel_;
};

}  // namespace orv::ui::qt
