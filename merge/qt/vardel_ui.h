// The merge program's services to its window logic, in Qt: message boxes
// captioned by the caller, file choosers, beeps, busy cursors, help and
// work posted to the main loop. Tests put a scripted Ui in its place.
#pragma once

#include <QColor>
#include <QFont>

#include "merge/merge_settings.h"
#include "platform/ui/qt/qt_ui.h"
#include "platform/ui/ui.h"

class QWidget;

namespace orv::merge::qt {

class VardelUi : public ui::qt::QtUi {
 public:
  // Boxes and choosers are centred on parent (the frame) when it is set.
  void setParent(QWidget* parent) { setOwner(parent); }

  // The merge program's boxes are the toolkit's own, with its standard
  // buttons; help has no viewer; described dialogs keep the focus where the
  // user was when a button is clicked. The rest is the seam's.
  int messageBox(const ui::MessageRequest& request) override;
  void showHelp(int context) override;
  int runDialog(const ui::DialogDescription& description, ui::DialogLogic& logic) override;
};

// A colour reference of the settings (red in the low byte) as a QColor.
QColor colourOf(long reference);
// The font of the lists: the stored one, else the system's fixed font.
QFont listFont(const FontSpec& spec);
// A chosen font as it is stored (a negative height is a pixel size).
FontSpec fontSpecOf(const QFont& font);

// The Save As dialog: the file chooser with its "File Format" group
// ("DOS (CR/LF)" 1, "UNIX (LF)" 2) starting at *format; the chosen name
// ("" when cancelled) with *format set to the chosen one.
std::string chooseSaveFile(QWidget* parent, const std::string& caption, int* format);

}  // namespace orv::merge::qt
