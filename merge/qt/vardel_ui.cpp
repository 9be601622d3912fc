// The merge program's Qt services (see vardel_ui.h).
#include "merge/qt/vardel_ui.h"

#include "merge/option_dialogs.h"

#include <algorithm>

#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QHBoxLayout>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/qt_ui.h"

namespace orv::merge::qt {

namespace {

QMessageBox::Icon iconOf(ui::MessageIcon icon) {
  switch (icon) {
    case ui::MessageIcon::information: return QMessageBox::Information;
    case ui::MessageIcon::warning: return QMessageBox::Warning;
    case ui::MessageIcon::error: return QMessageBox::Critical;
    case ui::MessageIcon::question: return QMessageBox::Question;
    case ui::MessageIcon::none: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton standardButton(int answer) {
  switch (answer) {
    case ui::kAnswerOk: return QMessageBox::Ok;
    case ui::kAnswerCancel: return QMessageBox::Cancel;
    case ui::kAnswerAbort: return QMessageBox::Abort;
    case ui::kAnswerRetry: return QMessageBox::Retry;
    case ui::kAnswerIgnore: return QMessageBox::Ignore;
    case ui::kAnswerYes: return QMessageBox::Yes;
    case ui::kAnswerNo: return QMessageBox::No;
    default: return QMessageBox::NoButton;
  }
}

}  // namespace

int VardelUi::messageBox(const ui::MessageRequest& request) {
  QMessageBox box(iconOf(request.icon), QString::fromStdString(request.caption), QString::fromStdString(request.text),
                  QMessageBox::NoButton, owner());
  std::vector<std::pair<QAbstractButton*, int>> buttons;
  for (const ui::MessageButton& b : request.buttons) {
    QAbstractButton* button = nullptr;
    if (b.caption.empty() && standardButton(b.answer) != QMessageBox::NoButton)
      button = box.addButton(standardButton(b.answer));
    else
      button = box.addButton(QString::fromStdString(b.caption), QMessageBox::ActionRole);
    buttons.emplace_back(button, b.answer);
    if (b.answer == request.defaultAnswer) box.setDefaultButton(qobject_cast<QPushButton*>(button));
  }
  box.exec();
  for (const auto& [button, answer] : buttons)
    if (box.clickedButton() == button) return answer;
  return ui::kAnswerCancel;
}

void VardelUi::showHelp(int context) {
  QMessageBox::information(owner(), "Vardel", QString("No help is installed for topic %1.").arg(context));
}

// Described dialogs come from the seam's builder. Their buttons take no
// focus from a click, so the logic still sees the entry the user was in
// (Browse fills the name box that had the focus).
int VardelUi::runDialog(const ui::DialogDescription& description, ui::DialogLogic& logic) {
  ui::qt::DialogWindow dialog(description, logic, *this, owner());
  for (QPushButton* b : dialog.findChildren<QPushButton*>()) b->setFocusPolicy(Qt::TabFocus);
  dialog.setUpLogic();
  ui::qt::centreOver(dialog, owner());
  const int result = dialog.exec();
  return result == QDialog::Rejected ? ui::kAnswerCancel : result;
}

QColor colourOf(long reference) {
  return QColor(static_cast<int>(reference & 0xFF), static_cast<int>((reference >> 8) & 0xFF),
                static_cast<int>((reference >> 16) & 0xFF));
}

QFont listFont(const FontSpec& spec) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (spec.system || spec.face.empty()) return font;
  font.setFamily(QString::fromStdString(spec.face));
  if (spec.height < 0) font.setPixelSize(-spec.height);
  else if (spec.pointSize > 0) font.setPointSize(spec.pointSize);
  if (spec.weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(spec.weight, 100, 900)));
  font.setItalic(spec.italic != 0);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

FontSpec fontSpecOf(const QFont& font) {
  FontSpec spec;
  spec.system = false;
  spec.face = font.family().toStdString().substr(0, 31);
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  spec.height = -std::max(1, pixels);
  spec.italic = font.italic() ? 1 : 0;
  spec.weight = static_cast<int>(font.weight());
  spec.pitchAndFamily = font.fixedPitch() ? 1 : 0;
  spec.pointSize = font.pointSize() > 0 ? font.pointSize() : 0;
  return spec;
}

std::string chooseSaveFile(QWidget* parent, const std::string& caption, int* format) {
  QFileDialog dialog(parent, QString::fromStdString(caption));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QStringList filters;
  for (const std::string& f : compareFileFilters()) filters << QString::fromStdString(f);
  dialog.setNameFilters(filters);
  auto* group = new QGroupBox("File Format", &dialog);
  group->setObjectName("fileFormat");
  auto* row = new QHBoxLayout(group);
  auto* crlf = new QRadioButton("DOS (&CR/LF)", group);
  auto* lf = new QRadioButton("UNIX (&LF)", group);
  crlf->setObjectName("format500");
  lf->setObjectName("format501");
  row->addWidget(crlf);
  row->addWidget(lf);
  row->addStretch(1);
  (*format == 2 ? lf : crlf)->setChecked(true);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(group, grid->rowCount(), 0, 1, grid->columnCount());
  ui::qt::centreOver(dialog, parent);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  *format = lf->isChecked() ? 2 : 1;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace orv::merge::qt
