// The seam between the window programs' behaviour and the toolkit.
//
// Dialog and window logic (filling records, enabling rules, validation,
// runs over several files) is plain C++ that talks to the screen only
// through these three small interfaces, so it is tested without a display:
//   Ui            - the services the logic asks of the program (message
//                   boxes, one-line input, choosers, progress, beeps,
//                   cursors, help, running a dialog, posting to the loop);
//   DialogSurface - one running dialog, addressed by control id;
//   DialogLogic   - a dialog's own code, driven by the toolkit side.
// The Qt side implements Ui and DialogSurface; tests use scripted_ui.h.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"

namespace orv::ui {

// Button answers keep the values of the old platform's box results, so
// logic ported from it compares the same numbers.
enum Answer : int {
  kAnswerNone = 0,
  kAnswerOk = 1,
  kAnswerCancel = 2,
  kAnswerAbort = 3,
  kAnswerRetry = 4,
  kAnswerIgnore = 5,
  kAnswerYes = 6,
  kAnswerNo = 7,
};

enum class MessageIcon { none, information, warning, error, question };

struct MessageButton {
  int answer = kAnswerOk;  // what messageBox returns when it is pressed
  std::string caption;     // empty: the toolkit's own caption for answer
};

// A message box. The five-button box of the multi-file runs is a box with
// five entries in buttons; the common boxes have helpers below.
struct MessageRequest {
  std::string caption;
  std::string text;
  MessageIcon icon = MessageIcon::none;
  std::vector<MessageButton> buttons;  // in screen order
  int defaultAnswer = kAnswerOk;
  int textLines = 0;  // room the box keeps for its text, in lines (0: what it needs)
};

MessageRequest okBox(std::string caption, std::string text, MessageIcon icon);
MessageRequest okCancelBox(std::string caption, std::string text, MessageIcon icon);
MessageRequest yesNoBox(std::string caption, std::string text, MessageIcon icon);

struct FileRequest {
  std::string caption;
  std::string directory;               // where the chooser starts
  std::string fileName;                // proposed name
  std::vector<std::string> filters;    // "Sources (*.c *.h)", in order
  bool forSaving = false;
  bool multiple = false;
};

// What the progress window shows; without a gauge only the lines show.
struct ProgressView {
  std::string heading;
  std::string line;
  int percent = 0;
  bool gauge = false;
  // Run by the window's Cancel button (the window stays until its owner
  // hides it).
  std::function<void()> onCancel;
};

class DialogLogic;
class SheetController;

// Where a dialog of size w x h goes: centred over the frame when there is
// one and the dialog stays inside the screen there, else centred on the
// screen.
Point centredPosition(const std::optional<Rect>& frame, const Rect& screen, int w, int h);

class Ui {
 public:
  virtual ~Ui() = default;

  // The answer of the pressed button (kAnswerCancel when the box is closed).
  virtual int messageBox(const MessageRequest& request) = 0;
  // A one-line entry; nothing when cancelled.
  virtual std::optional<std::string> inputLine(const std::string& caption,
                                               const std::string& prompt,
                                               const std::string& initial) = 0;
  // Chosen paths (one unless multiple); empty when cancelled.
  virtual std::vector<std::string> chooseFiles(const FileRequest& request) = 0;
  virtual std::optional<std::string> chooseDirectory(const std::string& caption,
                                                     const std::string& start) = 0;

  // The modeless progress window: shown or updated, then hidden. pump lets
  // the loop run (repaints, Cancel); it may serve other requests meanwhile.
  virtual void showProgress(const ProgressView& view) = 0;
  virtual void hideProgress() = 0;
  virtual void pumpEvents() = 0;

  virtual void beep() = 0;
  // A stack of busy cursors; pop restores the one before.
  virtual void pushBusyCursor() = 0;
  virtual void popCursor() = 0;
  // Opens help at a context number.
  virtual void showHelp(int context) = 0;

  // Runs the described dialog modally with logic; the value given to
  // DialogSurface::end, or kAnswerCancel when it was closed.
  virtual int runDialog(const DialogDescription& description, DialogLogic& logic) = 0;
  // Runs a property sheet (property_sheet.h) modally: kAnswerOk when its OK
  // applied every page, else kAnswerCancel. A Ui without sheets shows
  // nothing and answers kAnswerCancel.
  virtual int runSheet(SheetController& sheet);
  // Runs work later, from the main loop, never inside the caller.
  virtual void post(std::function<void()> work) = 0;
};

// One running dialog, as its logic sees it. Lists hold plain texts; a
// selection is a list of row indices in ascending order.
class DialogSurface {
 public:
  virtual ~DialogSurface() = default;

  virtual void setText(int id, const std::string& text) = 0;
  virtual std::string text(int id) const = 0;
  virtual void setChecked(int id, bool checked) = 0;
  virtual bool isChecked(int id) const = 0;
  virtual void setEnabled(int id, bool enabled) = 0;
  virtual bool isEnabled(int id) const = 0;
  virtual void setVisible(int id, bool visible) = 0;
  virtual void setFocus(int id) = 0;
  // Selects characters start to end of an entry (nothing for other
  // controls).
  virtual void selectText(int id, int start, int end) {
    (void)id;
    (void)start;
    (void)end;
  }
  // The control that has the focus, 0 when none.
  virtual int focus() const = 0;
  virtual void setListItems(int id, const std::vector<std::string>& items) = 0;
  virtual std::vector<std::string> listItems(int id) const = 0;
  virtual void setSelection(int id, const std::vector<int>& rows) = 0;
  virtual std::vector<int> selection(int id) const = 0;
  // Ends the dialog; runDialog returns result.
  virtual void end(int result) = 0;
  // The icons of a list's rows, by the program's icon keys (one per row,
  // empty: none); a surface without pictures ignores them.
  virtual void setListIcons(int /*id*/, const std::vector<std::string>& /*icons*/) {}
  // The picture a label shows, by icon key (empty: none).
  virtual void setImage(int /*id*/, const std::string& /*icon*/) {}
};

// A dialog's own code. The toolkit side calls setUp once the controls
// exist, command for every button press, check change, list choice or
// edit the user makes in a one-line entry, and canClose before the dialog
// ends with result (OK, Cancel, ...).
class DialogLogic {
 public:
  virtual ~DialogLogic() = default;

  virtual void setUp(DialogSurface& surface) = 0;
  virtual void command(DialogSurface& surface, int controlId) = 0;
  virtual bool canClose(DialogSurface& surface, int result) = 0;
  // A double click on a row of list controlId.
  virtual void activated(DialogSurface& /*surface*/, int /*controlId*/) {}
  // The user left one-line entry controlId (or pressed Enter in it).
  virtual void edited(DialogSurface& /*surface*/, int /*controlId*/) {}
};

}  // namespace orv::ui
