// The application's F1 filter.
#include "platform/ui/qt/help_key_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "platform/ui/help_contexts.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/ui.h"

namespace orv::ui::qt {

HelpKeyFilter::HelpKeyFilter(Ui& ui, QObject* parent) : QObject(parent), ui_(ui) {
  qApp->installEventFilter(this);
}

HelpKeyFilter::~HelpKeyFilter() {
  if (qApp) qApp->removeEventFilter(this);
}

int HelpKeyFilter::contextFor(const QWidget* widget) {
  // The nearest dialog built from a description (a window, or a page of a
  // property sheet), else a window that names its context.
  for (const QWidget* w = widget; w; w = w->parentWidget()) {
    if (const auto* dialog = qobject_cast<const DialogWindow*>(w)) return dialog->helpContextAt(widget);
    const QVariant named = w->property(kHelpContextProperty);
    if (named.isValid()) return named.toInt();
  }
  return currentHelpContext();
}

bool HelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  // A key event travels from the focused widget up through its parents and
  // the filter sees each step: the first one answers and ends it.
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
  ui_.showHelp(contextFor(static_cast<QWidget*>(watched)));
  return true;
}

}  // namespace orv::ui::qt
