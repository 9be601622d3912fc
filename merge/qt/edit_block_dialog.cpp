// The Edit Block dialog (see edit_block_dialog.h). Its Help button and F1
// open the dialog's help topic.
#include "merge/qt/edit_block_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/ui/ui.h"

namespace orv::merge::qt {

namespace {
constexpr int kEditBlockHelp = 17;
}

EditBlockDialog::EditBlockDialog(ui::Ui& ui, const QString& caption, const std::string& text, const QFont& font,
                                 QWidget* parent)
    : QDialog(parent), edit_(new QPlainTextEdit(this)) {
  setObjectName("dialog4109");
  setWindowTitle("Edit Block");
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(caption, this);
  label->setWordWrap(true);
  layout->addWidget(label);
  edit_->setObjectName("edit101");
  edit_->setFont(font);
  edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  edit_->setPlainText(QString::fromStdString(text));
  layout->addWidget(edit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [&ui] { ui.showHelp(kEditBlockHelp); });
  auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
  connect(f1, &QShortcut::activated, this, [&ui] { ui.showHelp(kEditBlockHelp); });
  resize(560, 320);
}

std::string EditBlockDialog::text() const { return edit_->toPlainText().toStdString(); }

std::optional<std::string> editBlockText(ui::Ui& ui, const QString& caption, const std::string& text,
                                         const QFont& font, QWidget* parent) {
  EditBlockDialog dialog(ui, caption, text, font, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.text();
}

}  // namespace orv::merge::qt
