// The progress window's widgets.
#include "platform/ui/qt/progress_dialog.h"

#include <QHBoxLayout>
#include <algorithm>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace orv::ui::qt {

namespace {
constexpr int kTextWidth = 380;
}

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Status"));
  setModal(true);
  heading_ = new QLabel(this);
  QFont bold = heading_->font();
  bold.setBold(true);
  heading_->setFont(bold);
  heading_->setFixedWidth(kTextWidth);
  heading_->setMinimumHeight(heading_->fontMetrics().lineSpacing());
  line_ = new QLabel(this);
  line_->setFixedWidth(kTextWidth);
  line_->setMinimumHeight(line_->fontMetrics().lineSpacing());
  line_->setTextFormat(Qt::PlainText);
  heading_->setTextFormat(Qt::PlainText);
  gauge_ = new QProgressBar(this);
  gauge_->setRange(0, 100);
  gauge_->setFormat(QStringLiteral("%p%"));
  // The percentage stands beside the bar, where no fill runs through it.
  gauge_->setTextVisible(false);
  percent_ = new QLabel(this);
  percent_->setMinimumWidth(percent_->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);
  percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setDefault(true);
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::reject);

  auto* icon = new QLabel(this);
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(size));

  auto* texts = new QVBoxLayout;
  texts->addWidget(heading_);
  texts->addWidget(line_);
  auto* gaugeRow = new QHBoxLayout;
  gaugeRow->addWidget(gauge_, 1);
  gaugeRow->addWidget(percent_);
  texts->addLayout(gaugeRow);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addSpacing(8);
  top->addLayout(texts, 1);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(cancel_);
  row->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(6);
  layout->addLayout(row);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ProgressDialog::update(const ProgressView& view) {
  const QFontMetrics headingMetrics(heading_->font());
  heading_->setText(
      headingMetrics.elidedText(QString::fromStdString(view.heading), Qt::ElideRight, kTextWidth));
  line_->setText(line_->fontMetrics().elidedText(QString::fromStdString(view.line),
                                                 Qt::ElideMiddle, kTextWidth));
  gauge_->setVisible(view.gauge);
  percent_->setVisible(view.gauge);
  gauge_->setValue(std::clamp(view.percent, 0, 100));
  percent_->setText(gauge_->text());
  onCancel_ = view.onCancel;
}

void ProgressDialog::reject() {
  if (onCancel_) onCancel_();
}

}  // namespace orv::ui::qt
