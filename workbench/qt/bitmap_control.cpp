// The picture control (see bitmap_control.h).
#include "workbench/qt/bitmap_control.h"

#include <QPainter>


namespace orv::workbench {

BitmapControl::BitmapControl(QWidget* parent, int controlId, int borderKind, bool sizeParent)
    : QFrame(parent), borderKind_(borderKind), sizeParent_(sizeParent) {
  setObjectName(QStringLiteral("bitmap%1").arg(controlId));
  switch (borderKind) {
    case 0: setFrameStyle(QFrame::NoFrame); break;
    case 1: setFrameStyle(QFrame::Box | QFrame::Plain); break;
    default:
      setFrameStyle(QFrame::Panel | QFrame::Sunken);
      setLineWidth(2);
      break;
  }
}

void BitmapControl::setPicture(const QPixmap& picture) {
  picture_ = picture;
  if (!fixed_.isValid()) {
    // The first picture gives the control its size for good.
    fixed_ = picture.deviceIndependentSize().toSize() + QSize(2 * frameWidth(), 2 * frameWidth());
    setFixedSize(fixed_);
    if (sizeParent_ && parentWidget()) parentWidget()->resize(fixed_ + QSize(4 * frameWidth(), 4 * frameWidth()));
  }
  update();
}

QSize BitmapControl::sizeHint() const {
  return fixed_.isValid() ? fixed_ : QFrame::sizeHint();
}

void BitmapControl::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (picture_.isNull()) return;
  QPainter p(this);
  p.drawPixmap(contentsRect().topLeft(), picture_);
}

}  // namespace orv::workbench
