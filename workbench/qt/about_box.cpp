// The About box (see about_box.h).
#include "workbench/qt/about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <string>

#include "workbench/app/string_table.h"
#include "workbench/qt/bitmap_control.h"

namespace orv::workbench {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kFirstFrame = 4103;
constexpr int kFrameCount = 7;
constexpr int kPictureSize = 64;

}  // namespace

QPixmap AboutBox::pictureOf(int id) {
  // A revision tree: a trunk of three revisions and a branch; the frames
  // of the animation turn a highlight along the tree.
  QPixmap pm(kPictureSize, kPictureSize);
  pm.fill(QColor(24, 60, 112));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(220, 232, 248), 4));
  p.drawLine(22, 14, 22, 50);
  p.drawLine(22, 32, 44, 44);
  const QPointF nodes[] = {{22, 14}, {22, 32}, {22, 50}, {44, 44}};
  const int lit = id >= kFirstFrame && id < kFirstFrame + kFrameCount ? (id - kFirstFrame) % 4 : -1;
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 4; ++i) {
    p.setBrush(i == lit ? QColor(255, 200, 60) : QColor(Qt::white));
    p.drawEllipse(nodes[i], 6, 6);
  }
  return pm;
}

AboutBox::AboutBox(const app::AboutTexts& texts, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About ") + q(std::string(app::loadString(app::kStrAppTitle))));
  picture_ = new BitmapControl(this, kAboutPicture, 2);
  picture_->setPicture(pictureOf(kAboutPicture));
  title_ = new QLabel(q(texts.title), this);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  version_ = new QLabel(q(texts.version), this);
  memory_ = new QLabel(q(texts.memory), this);
  for (auto [label, id] : {std::pair{title_, kAboutTitle}, std::pair{version_, kAboutVersion},
                           std::pair{memory_, kAboutMemory}})
    label->setObjectName(QStringLiteral("text%1").arg(id));

  auto* textColumn = new QGridLayout;
  textColumn->addWidget(title_, 0, 0, 1, 2);
  textColumn->addWidget(version_, 1, 0, 1, 2);
  textColumn->addWidget(new QLabel(QStringLiteral("Available Memory:"), this), 2, 0);
  textColumn->addWidget(memory_, 2, 1);
  textColumn->setColumnStretch(1, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(picture_, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(textColumn, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);

  animator_.frameCount = kFrameCount;
  animator_.firstPicture = kFirstFrame;
  animator_.ticksPerFrame = 4;
  animator_.lastFrameTicks = 4;
  animator_.loop = true;
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &AboutBox::timerTick);
  timer_->start(kAboutTimerMs);
}

QLabel* AboutBox::text(int id) const {
  switch (id) {
    case kAboutTitle: return title_;
    case kAboutVersion: return version_;
    case kAboutMemory: return memory_;
    default: return nullptr;
  }
}

void AboutBox::timerTick() {
  if (const int shown = app::aboutTimerTick(animator_, animationOn_)) picture_->setPicture(pictureOf(shown));
}

void AboutBox::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void runAboutBox(ui::Ui&) {
  AboutBox box(app::aboutTexts(app::readMemInfo()), QApplication::activeWindow());
  box.exec();
}

}  // namespace orv::workbench
