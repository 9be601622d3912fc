// The panel under an archive window's revisions that shows the log
// message of the selected revision: read-only, scrolled both ways.
#pragma once

#include <QPlainTextEdit>
#include <string_view>

namespace orv::workbench::views {

class LogPanel : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit LogPanel(QWidget* parent = nullptr);
  // The log message of revision of archive ("Working file" for the
  // working-file row: an empty revision).
  void showRevision(int archive, std::string_view revision);
};

}  // namespace orv::workbench::views
