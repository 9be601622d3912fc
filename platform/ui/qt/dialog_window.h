// A dialog built from its description by one generic builder, and the
// surface its logic drives it through.
//
// Layout: the controls of each group, in the order the groups first
// appear, go into a grid (inside a frame titled by the group's group-box
// control when it has one); a label followed by an entry control (line,
// text, list, combo, gauge) makes one row of two cells, other controls take
// a whole row. Push buttons of group 0 form the button row at the bottom.
// Radio buttons of one group are exclusive.
//
// Help: while the dialog shows as a window of its own, its context is on
// top of the process's help-context stack (help_contexts.h); a dialog
// embedded as a page of another window leaves the stack to that window.
//
// Events: a button press, a check or radio click, a list's new selection
// and a combo choice reach DialogLogic::command, and so does a moveable
// list's reorder; buttons 1 (OK) and 2
// (Cancel), Esc and the close button ask canClose first and end the
// dialog with that result; the Help button (199) opens the dialog's help;
// F1 opens the help of the focused control (or of the control it lies in)
// when the description pairs one with it, else the dialog's own help.
#pragma once

#include <QDialog>
#include <QIcon>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/help_contexts.h"
#include "platform/ui/ui.h"

class QButtonGroup;

class QKeyEvent;

namespace orv::ui::qt {

// How the icon keys of DialogSurface::setListIcons and setImage become
// icons; the program installs its own. Without one a key is a file.
void setIconProvider(std::function<QIcon(const std::string&)> provider);
QIcon iconForKey(const std::string& key);

class DialogWindow : public QDialog {
  Q_OBJECT

 public:
  DialogWindow(const DialogDescription& description, DialogLogic& logic, Ui& ui,
               QWidget* parent);

  // The widget of control id (tests press and type through it), or nullptr.
  QWidget* control(int id) const;
  // The control whose id is the nearest of widget and its ancestors, 0 when
  // none.
  int controlIdOf(const QWidget* widget) const;
  DialogSurface& surface();
  ~DialogWindow() override;

  // The help context F1 opens with widget focused: its control's pair (or
  // that of the control it lies in), else the dialog's own context.
  int helpContextAt(const QWidget* widget) const;

  // Calls the logic's set-up; runDialog does this before the dialog shows.
  void setUpLogic();

 public slots:
  void reject() override;

 protected:
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  // Ctrl+Enter in a multi-line box, where Enter starts a new line.
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void build();
  void wire(int id, QWidget* w);
  void pressed(int id);
  static bool isCtrlEnter(const QKeyEvent& k);
  void pressDefault();
  void tryClose(int result);

  class Surface;
  friend class Surface;

  const DialogDescription& description_;
  std::optional<ScopedHelpContext> helpContext_;
  DialogLogic& logic_;
  Ui& ui_;
  std::map<int, QWidget*> controls_;
  std::map<int, QButtonGroup*> radioGroups_;
  bool updating_ = false;  // the logic itself changes a control: no command
  std::unique_ptr<Surface> surface_;
};

}  // namespace orv::ui::qt
