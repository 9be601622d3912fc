// Select Colors (see colour_dialog.h).
#include "merge/qt/colour_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "merge/qt/vardel_ui.h"

namespace orv::merge::qt {

void ColourButton::setColours(const QColor& foreground, const QColor& background) {
  foreground_ = foreground;
  background_ = background;
  update();
}

void ColourButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && rect().contains(event->position().toPoint())) {
    emit rightClicked();
    return;
  }
  QPushButton::mouseReleaseEvent(event);
}

// The face in the background colour inside a sunken two-pixel frame, the
// text in the foreground colour, and the focus mark of the current kind.
void ColourButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, palette().color(QPalette::Button));
  p.fillRect(r.adjusted(2, 2, -2, -2), QColor(0x48, 0x48, 0x48));
  p.fillRect(r.adjusted(4, 4, -2, -2), palette().color(QPalette::Light));
  const QRect face = r.adjusted(4, 4, -4, -4);
  p.fillRect(face, background_);
  p.setPen(foreground_);
  p.drawText(face, Qt::AlignCenter | Qt::TextShowMnemonic, text());
  if (isChecked()) {
    p.setPen(QPen(foreground_, 1, Qt::DotLine));
    p.drawRect(face.adjusted(2, 2, -3, -3));
  }
}

ColourDialog::ColourDialog(const ColourTable& colours, QWidget* parent) : QDialog(parent), choice_(colours) {
  setWindowTitle("Select Colors");
  auto* layout = new QVBoxLayout(this);
  auto* kindsBox = new QGroupBox("Kind of Text", this);
  auto* kindsGrid = new QGridLayout(kindsBox);
  for (int k = 0; k < kKindCount; ++k) {
    auto* b = new ColourButton(kindsBox);
    b->setText(kKindCaptions[static_cast<std::size_t>(k)]);
    b->setCheckable(true);
    b->setAutoExclusive(true);
    b->setAutoDefault(false);
    b->setMinimumSize(130, 34);
    b->setObjectName(QString("kind%1").arg(101 + k));
    connect(b, &QPushButton::clicked, this, [this, k] {
      choice_.choose(k);
      refresh();
    });
    kindsGrid->addWidget(b, k / 3, k % 3);
    kinds_[static_cast<std::size_t>(k)] = b;
  }
  layout->addWidget(kindsBox);

  auto* swatchBox = new QGroupBox("Left click: foreground (FG)    Right click: background (BG)", this);
  auto* swatchGrid = new QGridLayout(swatchBox);
  for (int i = 0; i < kSwatchCount; ++i) {
    auto* b = new ColourButton(swatchBox);
    b->setAutoDefault(false);
    b->setMinimumSize(48, 34);
    b->setObjectName(QString("swatch%1").arg(107 + i));
    connect(b, &QPushButton::clicked, this, [this, i] {
      choice_.leftClick(i);
      refresh();
    });
    connect(b, &ColourButton::rightClicked, this, [this, i] {
      choice_.rightClick(i);
      refresh();
    });
    swatchGrid->addWidget(b, i / 8, i % 8);
    swatches_[static_cast<std::size_t>(i)] = b;
  }
  layout->addWidget(swatchBox);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  kinds_[0]->setChecked(true);
  refresh();
}

void ColourDialog::refresh() {
  for (int k = 0; k < kKindCount; ++k) {
    const LineColours& c = choice_.kind(k);
    kinds_[static_cast<std::size_t>(k)]->setColours(colourOf(c.foreground), colourOf(c.background));
  }
  for (int i = 0; i < kSwatchCount; ++i) {
    ColourButton* b = swatches_[static_cast<std::size_t>(i)];
    b->setText(QString::fromStdString(choice_.label(i)));
    b->setColours(colourOf(ColourChoice::labelColour(i)), colourOf(kSwatches[static_cast<std::size_t>(i)]));
  }
}

}  // namespace orv::merge::qt
