// A list of one-line rows painted in the colours of their class: the base of
// the difference lists and the merge list. It scrolls by whole rows, keeps
// a caret row (marked by a focus rectangle) and a running range selection,
// and reports the block of the row a scroll brings into view.
#pragma once

#include <QAbstractScrollArea>
#include <QString>

class QPainter;

#include "merge/merge_settings.h"

namespace orv::merge::qt {

class RowList : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit RowList(QWidget* parent = nullptr);

  void setColours(const ColourTable& colours);
  void setRowFont(const QFont& font);
  void setLineNumbers(bool on);
  bool lineNumbers() const { return lineNumbers_; }

  int rowHeight() const;
  // Whole rows the list shows (at least 1).
  int visibleRows() const;
  int topRow() const;
  // thumb: the scroll came from dragging a bar, which counts for the row
  // that comes into view.
  void setTopRow(int row, bool thumb = false);
  int caretRow() const { return caret_; }
  // Scrolls row into view (as the top row when it lies outside the shown
  // rows) and puts the caret there.
  void showRow(int row);
  // The width the rows need, in pixels (the longest row and six characters).
  int contentWidth() const;
  int rowAt(int y) const;
  // The bands' fore- and background of a colour class (7: the highlight).
  QColor foreground(int colourClass) const;
  QColor background(int colourClass) const;
  // Paints row into band (its text starting margin pixels in) in the
  // colours of its class, the selection's when selection is on: the screen
  // and the printouts share it.
  void paintRow(QPainter& painter, const QRect& band, int row, int margin, bool selection) const;

  virtual int rowCount() const = 0;
  // The text shown: its tabs expanded, then the line-number prefix.
  virtual QString rowText(int row) const = 0;
  virtual int rowClass(int row) const = 0;
  virtual bool rowSelected(int row) const = 0;
  virtual void setRowSelected(int row, bool selected) = 0;
  // The block the row reports when it comes into view (-1 common).
  virtual int rowBlock(int row) const = 0;

  // After the rows changed: ranges and widths again, repaint.
  void rowsChanged();

 signals:
  void blockInView(int block);
  void topRowChanged(int top);
  void rowClicked(int row, Qt::KeyboardModifiers modifiers);
  // The shown rows changed in number (the list was resized).
  void resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // The number of characters of the longest row, for the horizontal range.
  virtual int longestRow() const;

 private:
  void updateRanges();
  void reportScroll(int oldTop, int newTop);
  void selectRange(int from, int to);

  ColourTable colours_{};
  bool lineNumbers_ = false;
  int caret_ = -1;
  int anchor_ = -1;
  bool dragging_ = false;
  bool thumb_ = false;
  int lastReported_ = -2;
  int longest_ = 0;
};

// The text with its tabs expanded to every eighth column.
QString expandTabs(const QString& text);

}  // namespace orv::merge::qt
