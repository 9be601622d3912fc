// The About box: the program's title, its version and the memory available
// beside a picture, which a frame animator can step through a series of
// pictures on the box's 500 ms timer (the animation is off unless switched
// on). OK or Enter closes it; a double click does nothing.
#pragma once

#include <QDialog>

#include "platform/ui/ui.h"
#include "workbench/app/about_info.h"

class QLabel;
class QTimer;

namespace orv::workbench {

class BitmapControl;

enum AboutControl : int {
  kAboutTitle = 101,
  kAboutVersion = 102,
  kAboutMemory = 106,
  kAboutPicture = 108,
};
inline constexpr int kAboutTimerMs = 500;

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  AboutBox(const app::AboutTexts& texts, QWidget* parent = nullptr);

  void setAnimationOn(bool on) { animationOn_ = on; }
  // One tick of the box's timer (the timer calls it).
  void timerTick();
  QLabel* text(int id) const;
  BitmapControl* picture() const { return picture_; }
  const app::Animator& animator() const { return animator_; }

  // The picture of resource id: the box's own (108) or a frame of the
  // animation (4103 to 4109).
  static QPixmap pictureOf(int id);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  BitmapControl* picture_;
  QLabel* title_;
  QLabel* version_;
  QLabel* memory_;
  QTimer* timer_;
  app::Animator animator_;
  bool animationOn_ = false;
};

// Runs the About box modally over the active window.
void runAboutBox(ui::Ui& ui);

}  // namespace orv::workbench
