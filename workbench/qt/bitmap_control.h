// A picture in a dialog: a frame showing a pixmap at its top left inside a
// border of kind 0 (none), 1 (a single line) or 2 and 3 (a sunken frame of
// two lines). The picture can be replaced; the control keeps the size it
// was given, so a picture of another size is painted at the same place.
// With sizeParent the parent is made as large as the picture and four
// borders, once, when the first picture is set.
#pragma once

#include <QFrame>
#include <QPixmap>

namespace orv::workbench {

class BitmapControl : public QFrame {
  Q_OBJECT

 public:
  BitmapControl(QWidget* parent, int controlId, int borderKind, bool sizeParent = false);

  void setPicture(const QPixmap& picture);
  const QPixmap& picture() const { return picture_; }
  int borderKind() const { return borderKind_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int borderKind_;
  bool sizeParent_;
  QSize fixed_;  // set by the first picture
  QPixmap picture_;
};

}  // namespace orv::workbench
