// The window that greets the user for two seconds when the workbench
// starts without a command line: borderless, above other windows, closing
// by itself.
#pragma once

#include <QSplashScreen>

namespace orv::workbench {

class SplashWindow : public QSplashScreen {
  Q_OBJECT

 public:
  static constexpr int kShowMs = 2000;
  SplashWindow();

  // The picture the window shows.
  static QPixmap picture();
};

}  // namespace orv::workbench
