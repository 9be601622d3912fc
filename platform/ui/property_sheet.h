// A property sheet: a modal window with one tab per page, of which only the
// current page shows. Each page edits its own data through a PageLogic; the
// sheet only decides when pages are validated and applied:
//   - with validation on leaving (the configuration sheet's way), moving to
//     another tab first validates the page in front, and a refusal keeps
//     the user there;
//   - OK validates the page in front, then applies every page in tab order,
//     pages never shown included (they apply the values they read), and
//     stops at the first page whose apply fails;
//   - Cancel applies nothing.
// SheetController is that behaviour without a toolkit; the toolkit side
// (Ui::runSheet) builds a page's controls when the page is first shown,
// reports its surface with attach() and keeps it until the sheet closes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"

namespace orv::ui {

// A page's own code. setUp runs once, when the page is first shown;
// command for its buttons, checks, list choices and typing in its entries.
class PageLogic : public DialogLogic {
 public:
  // Takes the controls' values into the page's record; false keeps the
  // user on the page (the page has told why).
  virtual bool validate(DialogSurface& surface) = 0;
  // Writes the record's changes; false stops the sheet's OK.
  virtual bool apply() = 0;
  // The button Enter presses on this page now, 0 for the sheet's OK.
  virtual int defaultButton(const DialogSurface&) const { return 0; }
  // The sheet closes pages, never the page itself.
  bool canClose(DialogSurface&, int) override { return true; }
};

struct SheetPage {
  std::string title;  // '&' marks the mnemonic, "&&" is a literal '&'
  DialogDescription description;
  PageLogic* logic = nullptr;
  bool enabled = true;
};

// The mnemonic of a tab title: the character after the first '&' that is
// not part of "&&", upper-cased; 0 when there is none.
char tabMnemonic(std::string_view title);

class SheetController {
 public:
  SheetController(std::string title, std::vector<SheetPage> pages, bool validateOnLeave = true);

  const std::string& title() const { return title_; }
  int count() const { return static_cast<int>(pages_.size()); }
  const SheetPage& page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
  // The tab in front; -1 before start() or when no tab can be selected.
  int current() const { return current_; }

  bool isEnabled(int index) const;
  void enable(int index, bool enabled);

  // The first enabled tab becomes current; its index, or -1.
  int start();
  // Selects tab index. Nothing happens (false) for the current tab, a
  // disabled or unknown tab, or when the page in front refuses to be left.
  bool select(int index);
  // The next and previous enabled tab, wrapping round both ways; false
  // when the step comes back to the current tab or the move is refused.
  bool next();
  bool previous();
  // The enabled tab whose mnemonic is key (any case), or -1.
  int tabForKey(char key) const;

  // The toolkit side's surface of a page once its controls exist; nullptr
  // while the page was never shown.
  void attach(int index, DialogSurface* surface);
  DialogSurface* surfaceOf(int index) const;

  // OK: true when the sheet may close (every page applied).
  bool ok();
  // The page whose apply failed at the last OK, or -1.
  int failedPage() const { return failedPage_; }

 private:
  bool validateCurrent();
  bool step(int direction);

  std::string title_;
  std::vector<SheetPage> pages_;
  std::vector<DialogSurface*> surfaces_;
  bool validateOnLeave_;
  int current_ = -1;
  int failedPage_ = -1;
};

}  // namespace orv::ui
