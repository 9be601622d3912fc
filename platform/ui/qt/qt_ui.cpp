// The seam's services as Qt widgets.
#include "platform/ui/qt/qt_ui.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QScreen>
#include <QTimer>

#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/property_sheet_window.h"
#include "platform/ui/qt/message_dialog.h"
#include "platform/ui/qt/progress_dialog.h"

namespace orv::ui::qt {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

Rect rectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

void centreOver(QWidget& window, QWidget* owner) {
  window.adjustSize();
  QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  std::optional<Rect> frame;
  if (owner && owner->isVisible()) frame = rectOf(owner->frameGeometry());
  const QSize size = window.frameGeometry().size().expandedTo(window.size());
  Point p = centredPosition(frame, rectOf(screen->availableGeometry()), size.width(), size.height());
  window.move(p.x, p.y);
}

QtUi::QtUi(std::function<void(int)> help) : help_(std::move(help)) {}

QtUi::~QtUi() {
  while (cursorDepth_ > 0) popCursor();
  delete progress_.data();
}

int QtUi::execCentred(QDialog& dialog) {
  centreOver(dialog, owner_);
  // While a box is up, the progress window takes no input.
  QPointer<ProgressDialog> progress = progress_;
  const bool disable = progress && progress->isVisible() && progress->isEnabled();
  if (disable) progress->setEnabled(false);
  const int result = dialog.exec();
  if (disable && progress) progress->setEnabled(true);
  return result;
}

int QtUi::messageBox(const MessageRequest& request) {
  MessageDialog box(request, owner_);
  return execCentred(box);
}

std::optional<std::string> QtUi::inputLine(const std::string& caption, const std::string& prompt,
                                           const std::string& initial) {
  QInputDialog dialog(owner_);
  dialog.setWindowTitle(q(caption));
  dialog.setLabelText(q(prompt));
  dialog.setTextValue(q(initial));
  dialog.setInputMode(QInputDialog::TextInput);
  if (execCentred(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}

std::vector<std::string> QtUi::chooseFiles(const FileRequest& request) {
  QFileDialog dialog(owner_, q(request.caption), q(request.directory));
  QStringList filters;
  for (const auto& f : request.filters) filters << q(f);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setAcceptMode(request.forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.forSaving  ? QFileDialog::AnyFile
                     : request.multiple ? QFileDialog::ExistingFiles
                                        : QFileDialog::ExistingFile);
  if (!request.fileName.empty()) dialog.selectFile(q(request.fileName));
  std::vector<std::string> out;
  if (execCentred(dialog) != QDialog::Accepted) return out;
  for (const QString& f : dialog.selectedFiles()) out.push_back(f.toStdString());
  return out;
}

std::optional<std::string> QtUi::chooseDirectory(const std::string& caption,
                                                 const std::string& start) {
  QFileDialog dialog(owner_, q(caption), q(start));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (execCentred(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

void QtUi::showProgress(const ProgressView& view) {
  if (!progress_) {
    progress_ = new ProgressDialog(owner_);
    progress_->setAttribute(Qt::WA_DeleteOnClose, false);
  }
  progress_->update(view);
  if (!progress_->isVisible()) {
    centreOver(*progress_, owner_);
    progress_->show();
  }
  progress_->repaint();
}

void QtUi::hideProgress() {
  if (progress_) {
    progress_->hide();
    progress_->deleteLater();
  }
  progress_ = nullptr;
}

void QtUi::pumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtUi::beep() { QApplication::beep(); }

void QtUi::pushBusyCursor() {
  if (++cursorDepth_ <= kCursorStackLimit) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUi::popCursor() {
  if (cursorDepth_ == 0) return;
  if (cursorDepth_-- <= kCursorStackLimit) QGuiApplication::restoreOverrideCursor();
}

void QtUi::showHelp(int context) {
  if (help_) help_(context);
}

int QtUi::runDialog(const DialogDescription& description, DialogLogic& logic) {
  DialogWindow dialog(description, logic, *this, owner_);
  dialog.setUpLogic();
  const int result = execCentred(dialog);
  return result == QDialog::Rejected ? kAnswerCancel : result;
}

int QtUi::runSheet(SheetController& sheet) {
  PropertySheetWindow window(sheet, *this, owner_);
  return execCentred(window) == QDialog::Accepted ? kAnswerOk : kAnswerCancel;
}

void QtUi::post(std::function<void()> work) {
  QTimer::singleShot(0, qApp, std::move(work));
}

ProgressDialog* QtUi::progressWindow() const { return progress_.data(); }

}  // namespace orv::ui::qt
