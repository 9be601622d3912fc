// Building the message box from its request.
#include "platform/ui/qt/message_dialog.h"

#include <QApplication>
#include <algorithm>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace orv::ui::qt {

namespace {

QStyle::StandardPixmap iconPixmap(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::information: return QStyle::SP_MessageBoxInformation;
    case MessageIcon::warning: return QStyle::SP_MessageBoxWarning;
    case MessageIcon::error: return QStyle::SP_MessageBoxCritical;
    case MessageIcon::question: return QStyle::SP_MessageBoxQuestion;
    case MessageIcon::none: break;
  }
  return QStyle::SP_CustomBase;
}

// The widest a box's text runs before it wraps.
constexpr int kTextWidth = 420;

}  // namespace

QString standardCaption(int answer) {
  switch (answer) {
    case kAnswerOk: return QStringLiteral("OK");
    case kAnswerCancel: return QStringLiteral("Cancel");
    case kAnswerAbort: return QStringLiteral("&Abort");
    case kAnswerRetry: return QStringLiteral("&Retry");
    case kAnswerIgnore: return QStringLiteral("&Ignore");
    case kAnswerYes: return QStringLiteral("&Yes");
    case kAnswerNo: return QStringLiteral("&No");
    default: return QStringLiteral("OK");
  }
}

QString fitWords(const QString& text, const QFontMetrics& metrics, int maxWidth) {
  QStringList lines = text.split(QLatin1Char('\n'));
  for (QString& line : lines) {
    QStringList words = line.split(QLatin1Char(' '));
    for (QString& word : words) {
      if (metrics.horizontalAdvance(word) > maxWidth)
        word = metrics.elidedText(word, Qt::ElideMiddle, maxWidth);
    }
    line = words.join(QLatin1Char(' '));
  }
  return lines.join(QLatin1Char('\n'));
}

MessageDialog::MessageDialog(const MessageRequest& request, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(request.caption));
  auto* top = new QHBoxLayout;
  if (request.icon != MessageIcon::none) {
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(iconPixmap(request.icon), nullptr, this).pixmap(size));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(8);
  }
  text_ = new QLabel(this);
  text_->setTextFormat(Qt::PlainText);
  text_->setWordWrap(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_->setText(fitWords(QString::fromStdString(request.text), text_->fontMetrics(), kTextWidth));
  text_->setMaximumWidth(kTextWidth);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (request.textLines > 0) text_->setMinimumHeight(request.textLines * text_->fontMetrics().lineSpacing());
  if (request.text.size() > 40) text_->setMinimumWidth(std::min(kTextWidth, 280));
  top->addWidget(text_, 1);

  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (const MessageButton& b : request.buttons) {
    auto* button = new QPushButton(b.caption.empty() ? standardCaption(b.answer)
                                                     : QString::fromStdString(b.caption),
                                   this);
    button->setAutoDefault(false);
    const int answer = b.answer;
    connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
    buttons_[answer] = button;
    row->addWidget(button);
  }
  row->addStretch(request.buttons.size() > 2 ? 1 : 0);

  if (buttons_.count(kAnswerCancel))
    escapeAnswer_ = kAnswerCancel;
  else if (request.buttons.size() == 1)
    escapeAnswer_ = request.buttons.front().answer;
  if (escapeAnswer_ == kAnswerNone || request.buttons.size() > 2) {
    // No close button where closing is no answer (or, for the long rows of
    // the multi-file questions, where it would be an ambiguous one).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  }

  if (QPushButton* d = button(request.defaultAnswer)) {
    d->setDefault(true);
    d->setFocus();
  }

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(10);
  layout->addLayout(row);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* MessageDialog::button(int answer) const {
  auto it = buttons_.find(answer);
  return it == buttons_.end() ? nullptr : it->second;
}

void MessageDialog::reject() {
  if (escapeAnswer_ != kAnswerNone) done(escapeAnswer_);
}

}  // namespace orv::ui::qt
