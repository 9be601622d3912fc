// The generic dialog builder and the surface over its widgets.
#include "platform/ui/qt/dialog_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <set>
#include <utility>

#include "platform/ui/qt/moveable_list_widget.h"

namespace orv::ui::qt {

namespace {

bool isButton(ControlKind k) {
  return k == ControlKind::pushButton || k == ControlKind::defaultButton;
}

bool isEntry(ControlKind k) {
  return k == ControlKind::lineEdit || k == ControlKind::multiLineEdit ||
         k == ControlKind::listBox || k == ControlKind::multiSelectListBox ||
         k == ControlKind::comboBox || k == ControlKind::gauge || k == ControlKind::dropDownList ||
         k == ControlKind::moveableListBox;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

std::function<QIcon(const std::string&)>& iconProvider() {
  static std::function<QIcon(const std::string&)> provider;
  return provider;
}

// RAII for the flag that keeps the logic's own changes from coming back to
// it as commands.
class Updating {
 public:
  explicit Updating(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~Updating() { flag_ = old_; }

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

void setIconProvider(std::function<QIcon(const std::string&)> provider) { iconProvider() = std::move(provider); }

QIcon iconForKey(const std::string& key) {
  if (key.empty()) return {};
  if (iconProvider()) return iconProvider()(key);
  return QIcon(q(key));
}

class DialogWindow::Surface : public DialogSurface {
 public:
  explicit Surface(DialogWindow& w) : w_(w) {}

  void setText(int id, const std::string& text) override {
    Updating u(w_.updating_);
    QWidget* c = w_.control(id);
    if (auto* l = qobject_cast<QLabel*>(c)) l->setText(q(text));
    else if (auto* e = qobject_cast<QLineEdit*>(c)) e->setText(q(text));
    else if (auto* t = qobject_cast<QPlainTextEdit*>(c)) t->setPlainText(q(text));
    else if (auto* b = qobject_cast<QAbstractButton*>(c)) b->setText(q(text));
    else if (auto* g = qobject_cast<QGroupBox*>(c)) g->setTitle(q(text));
    else if (auto* cb = qobject_cast<QComboBox*>(c)) cb->setEditText(q(text));
    else if (auto* p = qobject_cast<QProgressBar*>(c)) p->setValue(q(text).toInt());
  }
  std::string text(int id) const override {
    QWidget* c = w_.control(id);
    QString t;
    if (auto* l = qobject_cast<QLabel*>(c)) t = l->text();
    else if (auto* e = qobject_cast<QLineEdit*>(c)) t = e->text();
    else if (auto* pt = qobject_cast<QPlainTextEdit*>(c)) t = pt->toPlainText();
    else if (auto* b = qobject_cast<QAbstractButton*>(c)) t = b->text();
    else if (auto* g = qobject_cast<QGroupBox*>(c)) t = g->title();
    else if (auto* cb = qobject_cast<QComboBox*>(c)) t = cb->currentText();
    else if (auto* lw = qobject_cast<QListWidget*>(c)) t = lw->currentItem() ? lw->currentItem()->text() : QString();
    else if (auto* p = qobject_cast<QProgressBar*>(c)) t = QString::number(p->value());
    return t.toStdString();
  }
  void setChecked(int id, bool checked) override {
    Updating u(w_.updating_);
    if (auto* b = qobject_cast<QAbstractButton*>(w_.control(id))) b->setChecked(checked);
  }
  bool isChecked(int id) const override {
    auto* b = qobject_cast<QAbstractButton*>(w_.control(id));
    return b && b->isChecked();
  }
  void setEnabled(int id, bool enabled) override {
    if (QWidget* c = w_.control(id)) c->setEnabled(enabled);
  }
  bool isEnabled(int id) const override {
    QWidget* c = w_.control(id);
    return c && c->isEnabled();
  }
  void setVisible(int id, bool visible) override {
    if (QWidget* c = w_.control(id)) c->setVisible(visible);
  }
  void setFocus(int id) override {
    if (QWidget* c = w_.control(id)) c->setFocus(Qt::OtherFocusReason);
  }
  void selectText(int id, int start, int end) override {
    QWidget* c = w_.control(id);
    if (auto* line = qobject_cast<QLineEdit*>(c)) {
      line->setSelection(start, end - start);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(c)) {
      const int last = edit->document()->characterCount() - 1;
      QTextCursor cursor = edit->textCursor();
      cursor.setPosition(std::clamp(start, 0, std::max(last, 0)));
      cursor.setPosition(std::clamp(end, 0, std::max(last, 0)), QTextCursor::KeepAnchor);
      edit->setTextCursor(cursor);
    }
  }
  int focus() const override { return w_.controlIdOf(w_.focusWidget()); }
  void setListItems(int id, const std::vector<std::string>& items) override {
    Updating u(w_.updating_);
    QWidget* c = w_.control(id);
    QStringList list;
    for (const auto& i : items) list << q(i);
    if (auto* lw = qobject_cast<QListWidget*>(c)) {
      lw->clear();
      lw->addItems(list);
    } else if (auto* cb = qobject_cast<QComboBox*>(c)) {
      const QString edit = cb->currentText();
      cb->clear();
      cb->addItems(list);
      cb->setCurrentIndex(-1);
      cb->setEditText(edit);
    }
  }
  std::vector<std::string> listItems(int id) const override {
    std::vector<std::string> out;
    QWidget* c = w_.control(id);
    if (auto* lw = qobject_cast<QListWidget*>(c)) {
      for (int i = 0; i < lw->count(); ++i) out.push_back(lw->item(i)->text().toStdString());
    } else if (auto* cb = qobject_cast<QComboBox*>(c)) {
      for (int i = 0; i < cb->count(); ++i) out.push_back(cb->itemText(i).toStdString());
    }
    return out;
  }
  void setSelection(int id, const std::vector<int>& rows) override {
    Updating u(w_.updating_);
    QWidget* c = w_.control(id);
    if (auto* lw = qobject_cast<QListWidget*>(c)) {
      lw->clearSelection();
      for (int r : rows) {
        if (QListWidgetItem* item = lw->item(r)) {
          item->setSelected(true);
          lw->setCurrentItem(item, QItemSelectionModel::Select);
        }
      }
    } else if (auto* cb = qobject_cast<QComboBox*>(c)) {
      cb->setCurrentIndex(rows.empty() ? -1 : rows.front());
    }
  }
  std::vector<int> selection(int id) const override {
    std::vector<int> out;
    QWidget* c = w_.control(id);
    if (auto* lw = qobject_cast<QListWidget*>(c)) {
      for (int i = 0; i < lw->count(); ++i)
        if (lw->item(i)->isSelected()) out.push_back(i);
    } else if (auto* cb = qobject_cast<QComboBox*>(c)) {
      if (cb->currentIndex() >= 0) out.push_back(cb->currentIndex());
    }
    return out;
  }
  void end(int result) override { w_.done(result); }
  void setListIcons(int id, const std::vector<std::string>& icons) override {
    if (auto* lw = qobject_cast<QListWidget*>(w_.control(id))) {
      for (int i = 0; i < lw->count() && i < static_cast<int>(icons.size()); ++i)
        lw->item(i)->setIcon(iconForKey(icons[static_cast<std::size_t>(i)]));
    }
  }
  void setImage(int id, const std::string& icon) override {
    if (auto* l = qobject_cast<QLabel*>(w_.control(id))) {
      const QIcon i = iconForKey(icon);
      l->setPixmap(i.isNull() ? QPixmap() : i.pixmap(QSize(32, 32), l->devicePixelRatioF()));
    }
  }

 private:
  DialogWindow& w_;
};

DialogWindow::DialogWindow(const DialogDescription& description, DialogLogic& logic, Ui& ui,
                           QWidget* parent)
    : QDialog(parent), description_(description), logic_(logic), ui_(ui),
      surface_(std::make_unique<Surface>(*this)) {
  setWindowTitle(q(description.title));
  build();
}

DialogWindow::~DialogWindow() {
  // A field that loses the focus as the window goes signals that it was
  // left: nothing of the going window may answer.
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
}

DialogSurface& DialogWindow::surface() { return *surface_; }

QWidget* DialogWindow::control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

int DialogWindow::controlIdOf(const QWidget* widget) const {
  for (const QWidget* w = widget; w && w != this; w = w->parentWidget()) {
    for (const auto& [id, c] : controls_)
      if (c == w) return id;
  }
  return 0;
}

void DialogWindow::build() {
  auto* layout = new QVBoxLayout(this);
  auto* buttonRow = new QHBoxLayout;
  std::vector<int> groupOrder;
  std::set<int> seen;
  for (const auto& c : description_.controls) {
    if (isButton(c.kind) && c.group == 0) continue;
    if (seen.insert(c.group).second) groupOrder.push_back(c.group);
  }

  for (int group : groupOrder) {
    QWidget* frame = this;
    auto* grid = new QGridLayout;
    for (const auto& c : description_.controls) {
      if (c.group == group && c.kind == ControlKind::groupBox) {
        auto* box = new QGroupBox(q(c.caption), this);
        box->setLayout(grid);
        layout->addWidget(box);
        if (c.id) controls_[c.id] = box;
        frame = box;
        break;
      }
    }
    if (frame == this) layout->addLayout(grid);

    int row = 0;
    QLabel* pendingLabel = nullptr;
    for (const auto& c : description_.controls) {
      if (c.group != group || c.kind == ControlKind::groupBox) continue;
      if (isButton(c.kind) && c.group == 0) continue;
      QWidget* w = nullptr;
      switch (c.kind) {
        case ControlKind::label: w = new QLabel(q(c.caption), frame); break;
        case ControlKind::lineEdit:
          w = new QLineEdit(q(c.caption), frame);
          // Room for a path or a line of text without cutting it short.
          w->setMinimumWidth(w->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 56);
          break;
        case ControlKind::multiLineEdit:
          w = new QPlainTextEdit(q(c.caption), frame);
          w->installEventFilter(this);
          break;
        case ControlKind::checkBox: w = new QCheckBox(q(c.caption), frame); break;
        case ControlKind::radioButton: {
          auto* r = new QRadioButton(q(c.caption), frame);
          QButtonGroup*& bg = radioGroups_[group];
          if (!bg) bg = new QButtonGroup(this);
          bg->addButton(r);
          w = r;
          break;
        }
        case ControlKind::pushButton:
        case ControlKind::defaultButton: {
          auto* b = new QPushButton(q(c.caption), frame);
          b->setAutoDefault(false);
          b->setDefault(c.kind == ControlKind::defaultButton);
          w = b;
          break;
        }
        case ControlKind::listBox:
        case ControlKind::multiSelectListBox: {
          auto* l = new QListWidget(frame);
          l->setSelectionMode(c.kind == ControlKind::listBox ? QAbstractItemView::SingleSelection
                                                             : QAbstractItemView::ExtendedSelection);
          w = l;
          break;
        }
        case ControlKind::comboBox: {
          auto* cb = new QComboBox(frame);
          cb->setEditable(true);
          cb->setEditText(q(c.caption));
          w = cb;
          break;
        }
        case ControlKind::dropDownList: w = new QComboBox(frame); break;
        case ControlKind::moveableListBox: w = new MoveableListWidget(frame); break;
        case ControlKind::gauge: {
          auto* p = new QProgressBar(frame);
          p->setRange(0, 100);
          p->setFormat(QStringLiteral("%p%"));
          w = p;
          break;
        }
        case ControlKind::groupBox: break;
      }
      if (!w) continue;
      if (c.id) controls_[c.id] = w;
      wire(c.id, w);
      if (c.kind == ControlKind::label) {
        if (pendingLabel) grid->addWidget(pendingLabel, row++, 0, 1, 2);
        pendingLabel = static_cast<QLabel*>(w);
        continue;
      }
      if (pendingLabel && isEntry(c.kind)) {
        pendingLabel->setBuddy(w);
        grid->addWidget(pendingLabel, row, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(w, row++, 1);
      } else {
        if (pendingLabel) grid->addWidget(pendingLabel, row++, 0, 1, 2);
        grid->addWidget(w, row++, 0, 1, 2);
      }
      pendingLabel = nullptr;
    }
    if (pendingLabel) grid->addWidget(pendingLabel, row++, 0, 1, 2);
    grid->setColumnStretch(1, 1);
  }

  buttonRow->addStretch(1);
  for (const auto& c : description_.controls) {
    if (!isButton(c.kind) || c.group != 0) continue;
    auto* b = new QPushButton(q(c.caption), this);
    b->setAutoDefault(false);
    b->setDefault(c.kind == ControlKind::defaultButton);
    if (c.id) controls_[c.id] = b;
    wire(c.id, b);
    buttonRow->addWidget(b);
  }
  layout->addSpacing(6);
  layout->addLayout(buttonRow);
}

void DialogWindow::wire(int id, QWidget* w) {
  if (id == 0) return;
  if (auto* b = qobject_cast<QPushButton*>(w)) {
    connect(b, &QPushButton::clicked, this, [this, id] { pressed(id); });
  } else if (auto* a = qobject_cast<QAbstractButton*>(w)) {
    connect(a, &QAbstractButton::clicked, this, [this, id] { pressed(id); });
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    connect(e, &QLineEdit::editingFinished, this, [this, id] {
      if (!updating_) logic_.edited(*surface_, id);
    });
    // An edit the user changed tells the logic, which may enable buttons
    // by its text.
    connect(e, &QLineEdit::textEdited, this, [this, id] {
      if (!updating_) pressed(id);
    });
  } else if (auto* m = qobject_cast<MoveableListWidget*>(w)) {
    connect(m, &QListWidget::itemSelectionChanged, this, [this, id] {
      if (!updating_) pressed(id);
    });
    connect(m, &MoveableListWidget::rowsReordered, this, [this, id] {
      if (!updating_) pressed(id);
    });
    connect(m, &QListWidget::itemDoubleClicked, this, [this, id] {
      if (!updating_) logic_.activated(*surface_, id);
    });
  } else if (auto* l = qobject_cast<QListWidget*>(w)) {
    connect(l, &QListWidget::itemSelectionChanged, this, [this, id] {
      if (!updating_) pressed(id);
    });
    connect(l, &QListWidget::itemDoubleClicked, this, [this, id] {
      if (!updating_) logic_.activated(*surface_, id);
    });
  } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
    connect(cb, qOverload<int>(&QComboBox::activated), this, [this, id] {
      if (!updating_) pressed(id);
    });
  }
}

void DialogWindow::showEvent(QShowEvent* e) {
  if (isWindow() && !helpContext_) helpContext_.emplace(description_.helpContext);
  QDialog::showEvent(e);
}

void DialogWindow::hideEvent(QHideEvent* e) {
  helpContext_.reset();
  QDialog::hideEvent(e);
}

int DialogWindow::helpContextAt(const QWidget* widget) const {
  const int id = controlIdOf(widget);
  const QWidget* outer = id ? control(id)->parentWidget() : nullptr;
  return description_.controlHelp(id, controlIdOf(outer)).value_or(description_.helpContext);
}

void DialogWindow::setUpLogic() {
  Updating u(updating_);
  logic_.setUp(*surface_);
}

void DialogWindow::pressed(int id) {
  if (id == kAnswerOk || id == kAnswerCancel) {
    tryClose(id);
    return;
  }
  if (id == kHelpButtonId) {
    ui_.showHelp(description_.helpContext);
    return;
  }
  logic_.command(*surface_, id);
}

void DialogWindow::tryClose(int result) {
  if (logic_.canClose(*surface_, result)) done(result);
}

void DialogWindow::reject() { tryClose(kAnswerCancel); }

bool DialogWindow::isCtrlEnter(const QKeyEvent& k) {
  return (k.key() == Qt::Key_Return || k.key() == Qt::Key_Enter) &&
         (k.modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

void DialogWindow::pressDefault() {
  for (const auto& c : description_.controls) {
    QWidget* w = c.id ? control(c.id) : nullptr;
    if (c.kind == ControlKind::defaultButton && w && w->isEnabled()) {
      pressed(c.id);
      return;
    }
  }
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress && isCtrlEnter(*static_cast<QKeyEvent*>(e))) {
    pressDefault();
    return true;
  }
  return QDialog::eventFilter(watched, e);
}

bool DialogWindow::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    // Ctrl+Enter presses the default button.
    if (isCtrlEnter(*k)) {
      if (e->type() == QEvent::KeyPress) pressDefault();
      e->accept();
      return true;
    }
    if (k->key() == Qt::Key_F1 && k->modifiers() == Qt::NoModifier) {
      if (e->type() == QEvent::KeyPress) ui_.showHelp(helpContextAt(focusWidget()));
      e->accept();
      return true;
    }
  }
  return QDialog::event(e);
}

}  // namespace orv::ui::qt
