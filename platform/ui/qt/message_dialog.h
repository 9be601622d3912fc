// The message box of the seam as a dialog: an icon, the text (wrapped; a
// word too long for the box is shortened in its middle with "..."), and the
// request's buttons in one row with its default button. Esc and the title
// bar's close answer Cancel when the box has a Cancel button, the only
// button's answer when it has one, and nothing otherwise (such boxes show
// no close button).
#pragma once

#include <QDialog>
#include <map>

#include "platform/ui/ui.h"

class QLabel;
class QPushButton;

namespace orv::ui::qt {

class MessageDialog : public QDialog {
  Q_OBJECT

 public:
  MessageDialog(const MessageRequest& request, QWidget* parent);

  QPushButton* button(int answer) const;
  QLabel* textLabel() const { return text_; }

 public slots:
  void reject() override;

 private:
  std::map<int, QPushButton*> buttons_;
  QLabel* text_ = nullptr;
  int escapeAnswer_ = kAnswerNone;
};

// The caption a button shows when the request gives none.
QString standardCaption(int answer);

// text laid out for a box at most maxWidth wide: words wider than that are
// shortened in their middle.
QString fitWords(const QString& text, const QFontMetrics& metrics, int maxWidth);

}  // namespace orv::ui::qt
