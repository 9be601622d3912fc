// The splash window's picture and its timer.
#include "workbench/qt/splash_window.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

#include "workbench/app/string_table.h"

namespace orv::workbench {

QPixmap SplashWindow::picture() {
  QPixmap pm(440, 240);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, pm.height());
  g.setColorAt(0, QColor(18, 44, 92));
  g.setColorAt(1, QColor(36, 88, 150));
  p.fillRect(pm.rect(), g);
  p.setPen(QColor(120, 160, 210));
  p.drawRect(pm.rect().adjusted(0, 0, -1, -1));

  // A small revision tree: trunk and one branch.
  p.setPen(QPen(QColor(200, 220, 245), 3));
  p.drawLine(40, 60, 40, 180);
  p.drawLine(40, 120, 80, 150);
  p.setBrush(QColor(250, 250, 255));
  for (int y : {60, 90, 120, 150, 180}) p.drawEllipse(QPoint(40, y), 7, 7);
  p.drawEllipse(QPoint(80, 150), 7, 7);

  QFont title = QApplication::font();
  title.setPixelSize(30);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  const QString name = QString::fromUtf8(app::loadString(app::kStrAppTitle).data(),
                                         static_cast<int>(app::loadString(app::kStrAppTitle).size()));
  p.drawText(QRect(110, 70, 320, 80), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, name);
  QFont sub = QApplication::font();
  sub.setPixelSize(14);
  p.setFont(sub);
  p.setPen(QColor(215, 228, 245));
  p.drawText(QRect(110, 150, 320, 40), Qt::AlignLeft | Qt::AlignTop,
             QStringLiteral("Revision control for software teams"));
  return pm;
}

SplashWindow::SplashWindow() : QSplashScreen(picture(), Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  QTimer::singleShot(kShowMs, this, &QWidget::close);
}

}  // namespace orv::workbench
