// The Edit Block dialog: one block of the merge as text to edit by hand,
// with OK, Cancel and Help (help topic 17).
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QPlainTextEdit;

namespace orv::ui {
class Ui;
}

namespace orv::merge::qt {

class EditBlockDialog : public QDialog {
  Q_OBJECT

 public:
  EditBlockDialog(ui::Ui& ui, const QString& caption, const std::string& text, const QFont& font,
                  QWidget* parent = nullptr);
  std::string text() const;

 private:
  QPlainTextEdit* edit_;
};

// The edited text, or nothing when the dialog was cancelled.
std::optional<std::string> editBlockText(ui::Ui& ui, const QString& caption, const std::string& text,
                                         const QFont& font, QWidget* parent);

}  // namespace orv::merge::qt
