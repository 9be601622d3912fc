// Support of the window tests: screenshots saved for a person to look at,
// and acting on a modal window that the code under test opens and runs.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace orv::test {

// Saves widget as <build>/screenshots/<name>.png; the path, empty on failure.
inline QString saveScreenshot(QWidget& widget, const QString& name) {
  QDir dir(QStringLiteral(ORV_SCREENSHOT_DIR));
  if (!dir.mkpath(QStringLiteral("."))) return {};
  const QString path = dir.filePath(name + QStringLiteral(".png"));
  return widget.grab().save(path, "PNG") ? path : QString();
}

// Runs action on the next modal window that opens (other than the one up
// now), from the event loop that window runs. Gives up after a minute so a
// test never hangs on a window that did not come.
inline void onNextModal(std::function<void(QWidget*)> action) {
  QPointer<QWidget> before = QApplication::activeModalWidget();
  auto* timer = new QTimer(qApp);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != before.data() && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      action(modal);
    } else if (++*tries > 6000) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(10);
}

// Answers a file chooser as a user does: the name typed into its name box,
// then Save or Open. A chooser still open a minute later is closed, so that
// a test fails instead of hanging.
inline void chooseFileName(QFileDialog* chooser, const QString& path) {
  if (auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(path);
  else chooser->selectFile(path);
  QMetaObject::invokeMethod(chooser, "accept", Qt::QueuedConnection);
  QPointer<QFileDialog> held(chooser);
  QTimer::singleShot(60000, qApp, [held] {
    if (held && held->isVisible()) held->reject();
  });
}

}  // namespace orv::test
