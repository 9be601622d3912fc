#include "workbench/views/qt/log_panel.h"

#include <QApplication>

#include "workbench/views/revision_list.h"

namespace orv::workbench::views {

LogPanel::LogPanel(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("logPanel"));
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFrameShape(QFrame::StyledPanel);
  // Static text: the window colour, not a greyed-out field.
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
  setPalette(palette);
}

void LogPanel::showRevision(int archive, std::string_view revision) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setPlainText(QString::fromStdString(logPanelText(archive, revision)));
  QApplication::restoreOverrideCursor();
}

}  // namespace orv::workbench::views
