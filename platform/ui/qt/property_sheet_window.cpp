// The property sheet on real widgets (see property_sheet_window.h).
#include "platform/ui/qt/property_sheet_window.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QLayout>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/ui/qt/dialog_window.h"

namespace orv::ui::qt {

PropertySheetWindow::PropertySheetWindow(SheetController& sheet, Ui& ui, QWidget* parent)
    : QDialog(parent), sheet_(sheet), ui_(ui), tabs_(new QTabWidget(this)),
      pages_(static_cast<std::size_t>(sheet.count()), nullptr) {
  setWindowTitle(QString::fromStdString(sheet.title()));
  auto* layout = new QVBoxLayout(this);
  tabs_->setUsesScrollButtons(true);
  for (int i = 0; i < sheet.count(); ++i) {
    auto* holder = new QWidget(tabs_);
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    tabs_->addTab(holder, QString::fromStdString(sheet.page(i).title));
    tabs_->setTabEnabled(i, sheet.isEnabled(i));
  }
  // Every tab shows in one row.
  tabs_->setMinimumWidth(tabs_->tabBar()->sizeHint().width() + 16);
  layout->addWidget(tabs_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &PropertySheetWindow::pressOk);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
    if (sheet_.current() >= 0) ui_.showHelp(sheet_.page(sheet_.current()).description.helpContext);
  });

  const int first = sheet_.start();
  if (first >= 0) {
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(first);
    showPage(first);
  }
  followHelp();
  connect(tabs_, &QTabWidget::currentChanged, this, &PropertySheetWindow::tabChosen);
}

PropertySheetWindow::~PropertySheetWindow() {
  // The pages' surfaces go with their windows.
  for (int i = 0; i < sheet_.count(); ++i) sheet_.attach(i, nullptr);
}

DialogWindow* PropertySheetWindow::page(int index) const {
  return index >= 0 && index < static_cast<int>(pages_.size()) ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

void PropertySheetWindow::showPage(int index) {
  if (page(index)) return;
  const SheetPage& entry = sheet_.page(index);
  if (!entry.logic) return;
  QWidget* holder = tabs_->widget(index);
  auto* window = new DialogWindow(entry.description, *entry.logic, ui_, holder);
  window->setWindowFlags(Qt::Widget);
  window->installEventFilter(this);
  // A page keeps its own height at the top of the tab.
  auto* holderLayout = static_cast<QVBoxLayout*>(holder->layout());
  holderLayout->addWidget(window);
  holderLayout->addStretch(1);
  pages_[static_cast<std::size_t>(index)] = window;
  window->setUpLogic();
  sheet_.attach(index, &window->surface());
  // Typing in a line edit is a command of the page too.
  for (const ControlDescription& c : entry.description.controls) {
    if (c.kind != ControlKind::lineEdit || c.id == 0) continue;
    if (auto* edit = qobject_cast<QLineEdit*>(window->control(c.id))) {
      PageLogic* logic = entry.logic;
      const int id = c.id;
      connect(edit, &QLineEdit::textEdited, this, [logic, window, id] { logic->command(window->surface(), id); });
    }
  }
  window->show();
  // A page that needs more room than the sheet has makes it grow.
  if (isVisible()) {
    const QSize want = window->sizeHint();
    const QSize room = holder->contentsRect().size();
    const QSize grow(std::max(0, want.width() - room.width()), std::max(0, want.height() - room.height()));
    if (grow.width() > 0 || grow.height() > 0) resize(size() + grow);
  }
}

void PropertySheetWindow::tabChosen(int index) {
  if (index == sheet_.current()) return;
  if (!sheet_.select(index)) {
    // Refused (the page in front would not be left): the tab goes back.
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(sheet_.current());
    return;
  }
  showPage(index);
  followHelp();
}

void PropertySheetWindow::followHelp() {
  const int current = sheet_.current();
  helpContext_.change(current >= 0 ? sheet_.page(current).description.helpContext : kGenericHelpContext);
}

void PropertySheetWindow::pressOk() {
  if (sheet_.ok()) accept();
}

bool PropertySheetWindow::eventFilter(QObject* watched, QEvent* event) {
  // A page is a dialog inside the sheet: Esc and Enter are the sheet's.
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
      reject();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      const int current = sheet_.current();
      PageLogic* logic = current >= 0 ? sheet_.page(current).logic : nullptr;
      DialogWindow* window = page(current);
      const int button = logic && window ? logic->defaultButton(window->surface()) : 0;
      if (button && window->surface().isEnabled(button)) logic->command(window->surface(), button);
      else pressOk();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace orv::ui::qt
