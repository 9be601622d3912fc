// Select Colors: six sample buttons, one per kind of line, in that kind's
// colours (a click makes the kind current), and sixteen swatches (a left
// click sets the current kind's foreground, a right click its background;
// "FG" and "BG" mark the current kind's colours). The choices are the
// core's ColourChoice; this dialog only draws them.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <array>

#include "merge/option_dialogs.h"

namespace orv::merge::qt {

// A button painted in its own colours that also reports right clicks.
class ColourButton : public QPushButton {
  Q_OBJECT

 public:
  explicit ColourButton(QWidget* parent = nullptr) : QPushButton(parent) {}
  void setColours(const QColor& foreground, const QColor& background);

 signals:
  void rightClicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor foreground_, background_;
};

class ColourDialog : public QDialog {
  Q_OBJECT

 public:
  ColourDialog(const ColourTable& colours, QWidget* parent = nullptr);

  const ColourChoice& choice() const { return choice_; }
  ColourButton* kindButton(int kind) const { return kinds_[static_cast<std::size_t>(kind)]; }
  ColourButton* swatch(int swatch) const { return swatches_[static_cast<std::size_t>(swatch)]; }

 private:
  void refresh();

  ColourChoice choice_;
  std::array<ColourButton*, kKindCount> kinds_{};
  std::array<ColourButton*, kSwatchCount> swatches_{};
};

}  // namespace orv::merge::qt
