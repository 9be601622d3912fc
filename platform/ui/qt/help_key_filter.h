// F1 anywhere in the program: one event filter on the application turns
// the key into a help request for the window it was pressed in. A dialog
// built from a description (a window, or a page of a property sheet)
// answers with its focused control's context or its own; a window that
// names its context in the property kHelpContextProperty answers with
// that; anything else (a message box, a file chooser, a sheet's tab bar)
// with the context on top of the help-context stack, which is the dialog or
// sheet page it was opened from.
#pragma once

#include <QObject>

namespace orv::ui {
class Ui;
}

namespace orv::ui::qt {

// The dynamic property (an int) by which a window names its help context.
inline constexpr const char* kHelpContextProperty = "orvHelpContext";

class HelpKeyFilter : public QObject {
  Q_OBJECT

 public:
  // Installs itself on the application; requests go to ui.showHelp.
  explicit HelpKeyFilter(Ui& ui, QObject* parent = nullptr);
  ~HelpKeyFilter() override;

  // The context F1 opens when pressed with widget focused.
  static int contextFor(const QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Ui& ui_;
};

}  // namespace orv::ui::qt
