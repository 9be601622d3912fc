// A property sheet on real widgets: a QTabWidget with one page per tab,
// each page built from its description by the generic dialog builder when
// it is first shown and kept until the sheet closes, and one row of OK,
// Cancel and Help under the tabs. Every decision (may the tab change, may
// the sheet close) is the SheetController's; a tab change the controller
// refuses is put back. The page in front is the sheet's help context. Typing in a page's line edit reaches the page's
// command as well.
#pragma once

#include <QDialog>
#include <vector>

#include "platform/ui/help_contexts.h"
#include "platform/ui/property_sheet.h"

class QTabWidget;

namespace orv::ui::qt {

class DialogWindow;

class PropertySheetWindow : public QDialog {
  Q_OBJECT

 public:
  PropertySheetWindow(SheetController& sheet, Ui& ui, QWidget* parent);
  ~PropertySheetWindow() override;

  QTabWidget* tabs() const { return tabs_; }
  // The page of tab index once shown, else nullptr.
  DialogWindow* page(int index) const;
  // OK as its button does it.
  void pressOk();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void tabChosen(int index);
  void showPage(int index);
  // The help-context stack follows the page in front.
  void followHelp();

  SheetController& sheet_;
  Ui& ui_;
  QTabWidget* tabs_;
  std::vector<DialogWindow*> pages_;
  ScopedHelpContext helpContext_{kGenericHelpContext};
};

}  // namespace orv::ui::qt
